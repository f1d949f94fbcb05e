#pragma once

#include <QMainWindow>
#include <memory>

#include "app/data_exports.h"
#include "platform/long_work.h"
#include "settings/stats_grid.h"

class QLabel;
class QTabWidget;

namespace kalvor {

class Prompt;
class QtPrompt;
class RenamerFrame;
class Settings;
class FormBinding;
class SiteCheckTab;
class StatsGridWidget;

// The main window: seven tabs of settings and commands (app/tabs.h, bound
// to Settings through FormBinding), the site check, the menus and the status
// bar with the catalogue and its counts.
class Kalvorform : public QMainWindow {
    Q_OBJECT
  public:
    // Without a prompt, message boxes of this window's own.
    Kalvorform(Settings& settings, Prompt* prompt = nullptr,
               DataExports exports = DataExports::Built(), QWidget* parent = nullptr);
    ~Kalvorform() override;

    Prompt& prompt() const { return *prompt_; }
    Settings& settings() const { return settings_; }

    // The interactive part of the start-up, after the settings load: caption,
    // folder boxes, catalogue counts, tabs, help file, statistics grid.
    void Form_Load_Interactive();

    // Redraws every control from the settings.
    void refresh();

    void fichier_ouvrir_Click();
    // Counts the catalogue at `path` and, only when that worked, makes it the
    // catalogue of the program, of the generation its tables show. A file
    // that cannot be read, or is of neither generation, is reported and the
    // catalogue in use stays.
    bool Open_Collection(const QString& path);
    void fichier_quitter_Click();
    void kalvor_Click();
    void Renommer_Click();
    void aide_propos_Click();
    void aide_aide_Click();
    // Shows the Recovery dialog, modeless.
    void recovery_Click();

    // Settings save and removal of the site-check work tables, as leaving the
    // program does outside the command-line mode.
    void Form_Unload();

    // "" until the start-up has set it.
    const QString& helpFile() const { return helpFile_; }
    QString statusPanel(int panel) const;  // 1 to 3
    StatsGrid& statsGrid() { return stats_; }
    StatsGridWidget* MSFlexGrid_Stats() const { return grid_; }
    QTabWidget* TabNavig() const { return tabs_; }
    RenamerFrame* FrameRenommer() const { return renommer_; }
    // The long work started from the window: one piece at a time, the
    // window's controls locked meanwhile.
    LongWork& work() { return work_; }
    // The longest silence of the site that the check's and the recovery's
    // requests wait through.
    void setRequestTimeout(int ms);
    SiteCheckTab* siteCheck() const { return siteCheck_; }

  protected:
    void closeEvent(QCloseEvent* event) override;

  private:
    void buildMenus();
    void buildStatusBar();

    // True when leaving must wait for a site check or a recovery to end.
    bool Defer_Close();
    // The messages said while leaving are read before the program ends.
    void waitForBoxes();
    void showCounts();
    // Locks what would start other work or change what the work reads.
    void lockForWork(bool running);

    Settings& settings_;
    std::unique_ptr<Prompt> ownPrompt_;
    QtPrompt* qtPrompt_ = nullptr;  // the own prompt, when it is one
    Prompt* prompt_;
    DataExports exports_;
    StatsGrid stats_;
    LongWork work_;
    int requestTimeoutMs_ = 60000;

    QTabWidget* tabs_ = nullptr;
    RenamerFrame* renommer_ = nullptr;
    StatsGridWidget* grid_ = nullptr;
    SiteCheckTab* siteCheck_ = nullptr;
    QLabel* panels_[3] = {nullptr, nullptr, nullptr};
    FormBinding* binding_ = nullptr;

    QString helpFile_;
    bool ended_ = false;   // left through Quitter: the unload step does nothing
    bool sample_ = false;  // the sample stands in for a catalogue no one named
    bool closeAfterWork_ = false;
};

}  // namespace kalvor
