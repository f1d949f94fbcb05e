#pragma once

#include <QWidget>
#include <functional>

#include "sitecheck/site_check.h"

class QLabel;
class QPushButton;
class QTreeWidget;

namespace kalvor {

class Inet;
class Prompt;
class Settings;

// The tab "Vérification Site": the button that checks the site's image files
// against the catalogue, and the three trees of its result (missing files,
// files not referenced, thumbnail problems) with their buttons.
class SiteCheckTab : public QWidget, public site::SiteCheckView {
    Q_OBJECT
  public:
    // `showStatus` writes panel 1 of the window's status bar.
    SiteCheckTab(Settings& settings, Prompt& prompt, Inet& inet,
                 std::function<void(const QString&)> showStatus, QWidget* parent = nullptr);

    // Leaving the program while a check waits for the site: true when the
    // check is asked to end after its request, the window then closing itself.
    bool Defer_Close();

    site::SiteCheck& check() { return check_; }

    void btn_check_files_Click();
    void btn_compare_files_Click();
    void btn_TV_Missing_plus_Click();
    void btn_TV_Missing_moins_Click();
    void btn_TV_Excess_plus_Click();
    void btn_TV_Excess_Moins_Click();
    void btn_imprimer_Click();

    // site::SiteCheckView
    void Show_Phase(const QString& text) override;
    void Enable_Check(bool enabled) override;
    void Fill_TreeViews(const site::CheckResult& result) override;
    void Enable_Results() override;
    void Clear_Results() override;
    void Show_Ended(const QString& text) override;

  private:
    QPushButton* button(const char* name, const QString& caption, void (SiteCheckTab::*click)());
    QTreeWidget* tree(const char* name);
    void showFileView();
    void showThumbnailView();

    Settings& settings_;
    Prompt& prompt_;
    std::function<void(const QString&)> showStatus_;
    site::SiteCheck check_;
    bool closeAfter_ = false;

    QPushButton* btn_check_files_ = nullptr;
    QPushButton* btn_compare_files_ = nullptr;
    QPushButton* btn_TV_Missing_plus_ = nullptr;
    QPushButton* btn_TV_Missing_moins_ = nullptr;
    QPushButton* btn_TV_Excess_plus_ = nullptr;
    QPushButton* btn_TV_Excess_Moins_ = nullptr;
    QPushButton* btn_imprimer_ = nullptr;
    QTreeWidget* TV_missing_ = nullptr;
    QTreeWidget* TV_excess_ = nullptr;
    QTreeWidget* TV_thumbs_ = nullptr;
    QLabel* lbl_TV_missing_ = nullptr;
    QLabel* lbl_TV_excess_ = nullptr;
    QLabel* lbl_lignes_ignorees_ = nullptr;
    QLabel* lbl_verification_ = nullptr;  // what the last completed check found
};

}  // namespace kalvor
