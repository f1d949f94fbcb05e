#pragma once

#include <QMainWindow>
#include <functional>
#include <memory>
#include <vector>

#include "app/data_exports.h"
#include "platform/inet.h"
#include "settings/stats_grid.h"

class QButtonGroup;
class QCheckBox;
class QComboBox;
class QLabel;
class QLineEdit;
class QPushButton;
class QRadioButton;
class QTabWidget;

namespace kalvor {

class Prompt;
class RenamerFrame;
class Settings;
class SiteCheckTab;
class StatsGridWidget;

// The main window: seven tabs of settings and commands, the menus and the
// status bar with the catalogue and its counts. Every control is bound to a
// member of Settings: a change made by the user stores the value, runs the
// control's handler in Settings, then redraws every control from Settings.
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
    // The transfer control of the site check and the recovery.
    Inet& inetKalvor() { return inetKalvor_; }
    SiteCheckTab* siteCheck() const { return siteCheck_; }

  protected:
    void closeEvent(QCloseEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;

  private:
    struct TextBinding {
        QLineEdit* widget;
        QString Settings::*member;
        std::function<void()> change;
        std::function<bool()> lostFocus;  // true: focus back into the box
    };
    struct CheckBinding {
        QCheckBox* widget;
        int Settings::*member;
    };
    struct OptionBinding {
        QRadioButton* widget;
        std::function<bool()> selected;
    };
    struct ComboBinding {
        QComboBox* widget;
        QString Settings::*member;
    };
    struct ShownBinding {
        QWidget* widget;
        std::function<bool()> shown;
    };

    QWidget* buildConfiguration();
    QWidget* buildOptions1();
    QWidget* buildOptions2();
    QWidget* buildStatistiques();
    QWidget* buildRepertoires();
    QWidget* buildMiniatures();
    QWidget* buildGeneration();
    void buildMenus();
    void buildStatusBar();

    QLabel* label(const char* name, const QString& caption);
    QLineEdit* text(const char* name, QString Settings::*member, std::function<void()> change = {},
                    std::function<bool()> lostFocus = {});
    QCheckBox* check(const char* name, const QString& caption, int Settings::*member,
                     std::function<void()> click = {});
    QRadioButton* option(const char* name, const QString& caption, QButtonGroup* group,
                         std::function<bool()> selected, std::function<void()> click);
    QComboBox* combo(const char* name, const QStringList& items, QString Settings::*member,
                     std::function<void()> click = {});
    void shown(QWidget* widget, std::function<bool()> isShown);
    QPushButton* button(const char* name, const QString& caption, const QString& tip,
                        std::function<void()> click);
    // Runs a handler of the settings, then redraws.
    void handle(const std::function<void()>& handler);

    // True when leaving must wait for a site check or a recovery to end.
    bool Defer_Close();
    void showCounts();
    void btn_Create_Config_Click();
    void btn_Create_Structure_Click();
    void runExport(const DataExports::Export& run);

    Settings& settings_;
    std::unique_ptr<Prompt> ownPrompt_;
    Prompt* prompt_;
    DataExports exports_;
    StatsGrid stats_;
    Inet inetKalvor_;

    QTabWidget* tabs_ = nullptr;
    RenamerFrame* renommer_ = nullptr;
    StatsGridWidget* grid_ = nullptr;
    SiteCheckTab* siteCheck_ = nullptr;
    QLabel* panels_[3] = {nullptr, nullptr, nullptr};
    QPushButton* lastDonnees_ = nullptr;
    QLabel* lbl_ligne_ = nullptr;
    std::array<QCheckBox*, 4> perso_{};

    std::vector<TextBinding> texts_;
    std::vector<CheckBinding> checks_;
    std::vector<OptionBinding> options_;
    std::vector<ComboBinding> combos_;
    std::vector<ShownBinding> shownList_;

    QString helpFile_;
    bool refreshing_ = false;
    bool ended_ = false;  // left through Quitter: the unload step does nothing
};

}  // namespace kalvor
