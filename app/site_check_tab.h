#pragma once

#include <QWidget>
#include <functional>

#include "platform/forwarded_prompt.h"
#include "sitecheck/site_check.h"

class QLabel;
class QPushButton;
class QTreeWidget;

namespace kalvor {

class LongWork;
class Prompt;
class Settings;

// The tab "Vérification Site": the button that checks the site's image files
// against the catalogue, and the three trees of its result (missing files,
// files not referenced, thumbnail problems) with their buttons.
class SiteCheckTab : public QWidget, public site::SiteCheckView {
    Q_OBJECT
  public:
    // `showStatus` writes panel 1 of the window's status bar. The check runs
    // as the window's long `work`.
    SiteCheckTab(Settings& settings, Prompt& prompt, LongWork& work,
                 std::function<void(const QString&)> showStatus, QWidget* parent = nullptr);

    // Leaving the program while a check runs: it is stopped at once, its
    // request dropped. True when there was one.
    bool Defer_Close();
    // The longest silence of the site a request waits through.
    void setRequestTimeout(int ms) { timeoutMs_ = ms; }

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
    LongWork& work_;
    ForwardedPrompt forwarded_;
    std::function<void(const QString&)> showStatus_;
    site::SiteCheck check_;
    int timeoutMs_ = 60000;

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
