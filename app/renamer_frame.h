#pragma once

#include <QMap>
#include <QWidget>

#include "catalogue_tools/file_renamer.h"

class QLineEdit;
class QPushButton;
class QRadioButton;

namespace kalvor {

class DirListBox;
class DriveListBox;
class FileListBox;
class FrameUpdbase;
class LongWork;
class Prompt;
class Settings;

// The renamer view, shown by the menu "Renommer" in place of the tabs: the
// file renamer, the case conversion of the names stored in the catalogue and
// the collaborators check. Each runs as the window's long work.
class RenamerFrame : public QWidget {
    Q_OBJECT
  public:
    RenamerFrame(Settings& settings, Prompt& prompt, LongWork& work, QWidget* parent = nullptr);

    // At start-up: the lists show the catalogue's folder.
    void Form_Load(const QString& GV_Rep_Base);

    DriveListBox* Drive1() const { return drive_; }
    DirListBox* Dir1() const { return dir_; }
    FileListBox* File1() const { return file_; }
    FrameUpdbase* Frame_updbase() const { return updbase_; }

    // What the controls ask for as they stand.
    renamer::Request Request() const;

    void Drive1_Change(const QString& root);
    void Dir1_Change(const QString& path);
    void btn_convertir_Click();
    void btn_collaborateurs_Click();

  private:
    QRadioButton* option(const char* name, const QString& caption);
    QWidget* buildConversion();
    QWidget* buildSelection();

    Settings& settings_;
    Prompt& prompt_;
    LongWork& work_;
    QRadioButton* majuscule_ = nullptr;
    QRadioButton* minuscule_ = nullptr;
    QRadioButton* caractere_ = nullptr;
    QLineEdit* from_ = nullptr;
    QLineEdit* to_ = nullptr;
    QRadioButton* repertoire_ = nullptr;
    QRadioButton* fichier_ = nullptr;
    DriveListBox* drive_ = nullptr;
    DirListBox* dir_ = nullptr;
    FileListBox* file_ = nullptr;
    FrameUpdbase* updbase_ = nullptr;
    // The folder last shown on each root, as each drive had its own current
    // folder.
    QMap<QString, QString> folderOfDrive_;
};

}  // namespace kalvor
