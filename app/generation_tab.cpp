#include <QCheckBox>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QVBoxLayout>

#include "app/data_exports.h"
#include "app/form_binding.h"
#include "app/start_up.h"
#include "app/tabs.h"
#include "app/tool_work.h"
#include "dialogs/stats_grid_widget.h"
#include "platform/long_work.h"
#include "platform/prompt.h"
#include "settings/settings.h"
#include "settings/stats_grid.h"
#include "sitegen/php_button.h"
#include "sitegen/require_php.h"
#include "sqlscripts/structure_button.h"

namespace kalvor::tabs {
namespace {

// The export runs as the window's long work, the settings it reads locked
// meanwhile. The catalogue may have changed since the window counted it: the
// status bar says what the export read.
void runExport(FormBinding& bind, Settings& s, LongWork& work, const DataExports::Export& run,
               const std::function<void()>& recount) {
    StartTool(
        work, bind.prompt(), [&s, run](Prompt& prompt) { run(s, prompt); },
        [&bind, &s, recount] {
            if (start_up::Save_Marks(s, bind.prompt()) && s.GV_LastRun_Changed) {
                s.Show_LastRun();
            }
            recount();
            bind.refresh();
        });
}

// A press that reached a button while long work ran does nothing but say so.
std::function<void()> unlessWorking(FormBinding& bind, LongWork& work,
                                    std::function<void()> click) {
    return [&bind, &work, click = std::move(click)] {
        if (work.running()) {
            LongWork::Say_Busy(bind.prompt());
        } else {
            click();
        }
    };
}

// The data exports, their command and the day after which the last one runs.
QGroupBox* Exportation(FormBinding& bind, const DataExports& exports, LongWork& work,
                       const std::function<void()>& recount) {
    using S = Settings;
    Settings& s = bind.settings();
    auto* exportation = frame("frame_exportation", QStringLiteral("Exportation"));
    auto* expLayout = new QVBoxLayout(exportation);
    bind.checks(expLayout,
                {{"opt_albums", QStringLiteral("Albums de la collection"), &S::opt_albums,
                  &S::opt_albums_Click},
                 {"opt_acheter", QStringLiteral("Albums Recherchés"), &S::opt_acheter,
                  &S::opt_acheter_Click},
                 {"opt_parabd", QStringLiteral("Para-BD"), &S::opt_parabd, &S::opt_parabd_Click},
                 {"Opt_Collaborateurs", QStringLiteral("Collaborateurs"), &S::Opt_Collaborateurs,
                  &S::Opt_Collaborateurs_Click},
                 {"opt_revues", QStringLiteral("Revues"), &S::opt_revues, &S::opt_revues_Click}});
    if (exports.btn_LastDonnees_SQL_Click) {
        QPushButton* lastDonnees =
            bind.button("btn_LastDonnees_SQL",
                        QStringLiteral("Générer les données depuis la dernière Mise à Jour"), {},
                        [&bind, &s, &work, run = exports.btn_LastDonnees_SQL_Click, recount] {
                            runExport(bind, s, work, run, recount);
                        });
        expLayout->addWidget(lastDonnees);
        bind.onRefresh([&s, lastDonnees] {
            lastDonnees->setEnabled(s.window.btn_LastDonnees_SQL_Enabled);
            lastDonnees->setToolTip(s.window.btn_LastDonnees_SQL_ToolTipText);
        });
    }
    auto* lastRun = new QHBoxLayout;
    QLabel* lastRunLabel = bind.label("lbl_lastrun", QStringLiteral("après le (jj/mm/aaaa) :"));
    bind.shown(lastRunLabel, [&s] { return s.window.lbl_lastrun_Visible; });
    lastRun->addWidget(lastRunLabel);
    QLineEdit* lastRunBox = named(bind.text("box_LastRun", &S::box_LastRun, {},
                                            [&bind, &s] {
                                                s.box_LastRun_LostFocus(bind.prompt());
                                                return false;
                                            }),
                                  lastRunLabel);
    bind.shown(lastRunBox, [&s] { return s.window.box_LastRun_Visible; });
    lastRun->addWidget(lastRunBox);
    expLayout->addLayout(lastRun);
    return exportation;
}

// One data file or several, of so many albums each.
QGroupBox* Split(FormBinding& bind) {
    using S = Settings;
    Settings& s = bind.settings();
    auto* split = frame("frame_split", QStringLiteral("Fichier Données"));
    auto* splitLayout = new QVBoxLayout(split);
    bind.options(splitLayout, split,
                 {{"Opt_split_no", QStringLiteral("Créer un seul fichier"), &S::Opt_split_no,
                   &S::Opt_split_no_Click},
                  {"Opt_split_yes", QStringLiteral("Scinder en plusieurs fichiers"),
                   &S::Opt_split_yes, &S::Opt_split_yes_Click}});
    auto* group = new QHBoxLayout;
    QLabel* groupe = bind.label("lbl_groupe", QStringLiteral("regrouper les albums par"));
    bind.shown(groupe, [&s] { return s.window.lbl_groupe_Visible; });
    group->addWidget(groupe);
    QLineEdit* size = named(bind.text(
                                "box_SplitGroup", &S::box_SplitGroup,
                                [&bind, &s] { s.box_SplitGroup_Change(bind.prompt()); },
                                [&bind, &s] { return s.box_SplitGroup_LostFocus(bind.prompt()); }),
                            groupe);
    bind.shown(size, [&s] { return s.window.box_SplitGroup_Visible; });
    group->addWidget(size);
    splitLayout->addLayout(group);
    return split;
}

}  // namespace

QWidget* Generation(FormBinding& bind, const DataExports& exports, StatsGridWidget& grid,
                    StatsGrid& stats, LongWork& work, const std::function<void()>& recount) {
    using S = Settings;
    Settings& s = bind.settings();
    auto* layout = new QGridLayout;
    layout->addWidget(Exportation(bind, exports, work, recount), 0, 0, 2, 1);
    layout->addWidget(Split(bind), 0, 1);

    auto* format = frame("frame_format", QString());
    auto* formatLayout = new QHBoxLayout(format);
    QLabel* formatLabel =
        bind.label("lbl_format", QStringLiteral("Générer les données au format :"));
    formatLayout->addWidget(formatLabel);
    named(format, formatLabel);
    bind.options(formatLayout, format,
                 {{"opt_utf8", QStringLiteral("UTF-8"), &S::opt_utf8, &S::opt_utf8_Click},
                  {"opt_latin1", QStringLiteral("Latin1"), &S::opt_latin1, &S::opt_latin1_Click}});
    formatLayout->addStretch(1);
    layout->addWidget(format, 1, 1);

    auto* commands = new QVBoxLayout;
    commands->addWidget(bind.button(
        "btn_Create_Config", QStringLiteral("Génération du fichier de configuration"),
        QStringLiteral("crée le fichier require.php qui comporte tous les paramètres pour votre "
                       "site (host, base, verso, ...)"),
        unlessWorking(bind, work, [&bind, &s, &grid, &stats] {
            grid.CheckTexte();
            sitegen::btn_Create_Config_Click(s, stats.Entries(), bind.prompt());
        })));
    commands->addWidget(bind.button(
        "btn_Create_Structure", QStringLiteral("Génération du script pour la création des tables"),
        QStringLiteral("crée le fichier tables.sql (structures des tables MySQL)"),
        unlessWorking(bind, work, [&bind, &s] {
            const SchemaScriptSettings schema{s.GV_Export, s.GV_Prefixe_Table, s.opt_utf8()};
            BusyPointer busy(bind.prompt());
            btn_Create_Structure_Click(schema, bind.prompt(), s.GV_Erreurs);
        })));
    if (exports.btn_Donnees_SQL_Click) {
        commands->addWidget(bind.button(
            "btn_Donnees_SQL",
            QStringLiteral("Génération du script pour alimenter les tables à partir de la base "
                           "Orme Lo'"),
            QStringLiteral("crée le fichier donnees.sql (données provenant de Orme Lo' pour "
                           "alimenter les tables MySQL)"),
            [&bind, &s, &work, run = exports.btn_Donnees_SQL_Click, recount] {
                runExport(bind, s, work, run, recount);
            }));
    }
    commands->addWidget(
        bind.button("btn_Create_PHP", QStringLiteral("Génération des fichiers PHP"),
                    QStringLiteral("crée les fichiers php à transférer sur le site"),
                    unlessWorking(bind, work, [&bind, &s, &grid] {
                        grid.CheckTexte();
                        sitegen::btn_Create_PHP_Click(s, bind.prompt());
                    })));
    layout->addLayout(commands, 2, 0, 1, 2);
    return page(layout);
}

}  // namespace kalvor::tabs
