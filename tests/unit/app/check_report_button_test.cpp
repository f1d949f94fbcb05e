// The report button of the tab "Vérification Site" in the main window.
#include <QApplication>
#include <QPushButton>
#include <QTimer>

#include <gtest/gtest.h>

#include "app/kalvorform.h"
#include "app/site_check_tab.h"
#include "catalogue/sqlite_catalogue.h"
#include "platform/prompt.h"
#include "settings/settings.h"
#include "support/test_paths.h"

using namespace kalvor;

TEST(CheckReportButton, WaitsForACheckThenAsksForOneWhenTheTablesAreGone) {
    test::IsolatedEnvironment env;
    Settings settings;
    settings.GV_Chemin_Base = env.path() + QStringLiteral("/catalogue.db");
    catalogue::BuildSqliteCatalogue(test::fixturePath(QStringLiteral("catalogue/catalogue-v6.sql")),
                                    settings.GV_Chemin_Base);
    settings.box_site = QStringLiteral("http://bd.example.org/");
    RecordingPrompt prompt;
    Kalvorform window(settings, &prompt);
    window.refresh();
    window.show();

    auto* button = window.findChild<QPushButton*>(QStringLiteral("btn_imprimer"));
    ASSERT_NE(button, nullptr);
    EXPECT_EQ(button->text(), QStringLiteral("Imprimer le rapport d'Analyse"));
    EXPECT_FALSE(button->isEnabled());

    // Enabled by a completed check; the work tables dropped since (as when
    // the program last ended) the report refuses before any printer dialog.
    window.siteCheck()->Enable_Results();
    ASSERT_TRUE(button->isEnabled());
    bool dialogShown = false;
    QTimer watch;
    QObject::connect(&watch, &QTimer::timeout, [&] {
        if (QWidget* modal = QApplication::activeModalWidget()) {
            dialogShown = true;
            modal->close();
        }
    });
    watch.start(50);
    button->click();
    EXPECT_FALSE(dialogShown);
    EXPECT_EQ(prompt.texts(),
              QStringList{QStringLiteral("veuillez lancer la vérification avant l'impression")});
}
