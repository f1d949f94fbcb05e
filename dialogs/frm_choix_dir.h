#pragma once

#include <QDialog>
#include <QHash>
#include <QPointer>

class QComboBox;
class QLabel;
class QListWidget;
class QPushButton;
class QTreeWidget;
class QTreeWidgetItem;

namespace kalvor {

class Settings;

// "Choix d'un répertoire": browses drives (the root and the mounted volumes),
// folders and files to choose the export folder. OK, possible once a folder
// has been chosen (clicked, or reached by the keys), sets GV_Export; the window then shows it in
// its export-folder box (exportChosen).
class FrmChoixDir : public QDialog {
    Q_OBJECT
  public:
    // Loads at once (Form_Load), centred on `reference` when given.
    explicit FrmChoixDir(Settings& settings, QWidget* reference = nullptr);

    static FrmChoixDir* ShowDefault(Settings& settings, QWidget* reference);
    static FrmChoixDir* Default();

    // "/" first, then the root of every other mounted volume.
    static QStringList Drives();

    // The folder list's current folder, and moving it (DirList.Path).
    QString dirPath() const { return dirPath_; }
    void setDirPath(const QString& path);

    void DriveList_Change(const QString& drive);
    void DirList_Click(const QString& folder);
    void btOK_Click();
    void btAnnuler_Click();

    QComboBox* DriveList() const { return drives_; }
    QTreeWidget* DirList() const { return dirs_; }
    QListWidget* FileList() const { return files_; }
    QLabel* lbPath() const { return lbPath_; }
    QPushButton* btOK() const { return ok_; }
    QPushButton* btAnnuler() const { return annuler_; }

  signals:
    void exportChosen(const QString& folder);

  protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

  private:
    void DirList_Change();
    void populate(QTreeWidgetItem* item);
    QTreeWidgetItem* folderItem(const QString& path);
    QString driveOf(const QString& path) const;
    void centreOn(QWidget* reference);

    Settings& settings_;
    QComboBox* drives_ = nullptr;
    QTreeWidget* dirs_ = nullptr;
    QListWidget* files_ = nullptr;
    QLabel* lbPath_ = nullptr;
    QPushButton* ok_ = nullptr;
    QPushButton* annuler_ = nullptr;
    QString dirPath_;
    QString drive_;
    QHash<QString, QString> driveFolders_;  // last folder seen on each drive
    bool moving_ = false;
};

}  // namespace kalvor
