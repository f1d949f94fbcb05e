#include "dialogs/frm_recovery.h"

#include <QAccessible>
#include <QCoreApplication>
#include <QEvent>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QTemporaryDir>

#include <gtest/gtest.h>

#include "platform/dao/db_engine.h"
#include "platform/inet.h"
#include "platform/prompt.h"
#include "recovery/recovery_database.h"
#include "settings/settings.h"
#include "support/test_paths.h"
#include "support/work_end.h"
#include "unit/recovery/fake_site.h"

namespace kalvor {
namespace {

using test::FakeSite;

// A prompt that runs `whileAsked` while its question waits for the user.
class AskingPrompt : public RecordingPrompt {
  public:
    bool askYesNo(const QString& text, const QString& title, PromptIcon icon) override {
        if (whileAsked) {
            whileAsked();
        }
        return RecordingPrompt::askYesNo(text, title, icon);
    }
    std::function<void()> whileAsked;
};

class FrmRecoveryTest : public testing::Test {
  protected:
    void SetUp() override {
        database = dir.path() + QStringLiteral("/recovery.db");
        recovery::CreateRecoveryDatabase(
            test::sourceDir() + QStringLiteral("/recovery/older_layout.sql"), database);
        settings.box_password = QStringLiteral("secret");
        site.setReply(QStringLiteral("series"),
                      FakeSite::row({"1", "Série", "", "", "", "", "0"}) +
                          FakeSite::row({"2", "Autre", "", "", "", "", "0"}));
    }
    QStringList labels(const FrmRecovery& dialog) const {
        QStringList out;
        for (int i = 0; i < 8; ++i) {
            out << dialog.Label(i)->text();
        }
        return out;
    }

    test::IsolatedEnvironment env;
    QTemporaryDir dir;
    QString database;
    Settings settings;
    AskingPrompt prompt;
    FakeSite site;
    // Runs a click and waits for the run it starts.
    static void run(FrmRecovery& dialog) {
        dialog.btn_process()->click();
        test::waitForWork(dialog.work());
    }
};

TEST_F(FrmRecoveryTest, LoadsWithTheMainWindowsSiteAndTheResultLinesHidden) {
    FrmRecovery example(settings, prompt);
    EXPECT_EQ(example.windowTitle(), QStringLiteral("Recovery"));
    EXPECT_FALSE(example.box_site()->text().isEmpty());
    EXPECT_EQ(example.btn_process()->text(), QStringLiteral("Récupérer"));
    EXPECT_EQ(example.btn_fermer()->text(), QStringLiteral("Fermer"));

    settings.box_site = site.url();
    FrmRecovery dialog(settings, prompt);
    dialog.show();
    EXPECT_EQ(dialog.box_site()->text(), site.url());
    for (int i = 0; i < 8; ++i) {
        EXPECT_FALSE(dialog.Label(i)->isVisible()) << i;
    }
}

TEST_F(FrmRecoveryTest, ARunShowsTheCountsAndASecondRunHidesThemBeforeAskingForTheFile) {
    settings.box_site = site.url();
    FrmRecovery dialog(settings, prompt);
    dialog.show();
    bool buttonsDuringChoice = false;
    dialog.setDatabaseChooser([&] {
        buttonsDuringChoice = dialog.btn_process()->isEnabled();
        return database;
    });
    run(dialog);
    EXPECT_EQ(prompt.texts(), QStringList{QStringLiteral("Récupération réussie")});
    EXPECT_FALSE(buttonsDuringChoice);
    EXPECT_EQ(labels(dialog),
              (QStringList{"Résultat de la récupération :", "0 Albums", "0 Albums à acheter",
                           "0 ParaBd", "0 Revues", "0 Auteurs", "2 Séries", "0 Collaborateurs"}));
    EXPECT_TRUE(dialog.Label(6)->isVisible());
    EXPECT_TRUE(dialog.btn_process()->isEnabled());
    EXPECT_TRUE(dialog.btn_fermer()->isEnabled());
    EXPECT_EQ(dialog.statusText(), QString());
    EXPECT_FALSE(prompt.busy());

    bool shownDuringChoice = true;
    dialog.setDatabaseChooser([&] {
        shownDuringChoice = dialog.Label(1)->isVisible();
        return QString();
    });
    dialog.btn_process()->click();
    EXPECT_FALSE(shownDuringChoice);
    EXPECT_FALSE(dialog.Label(1)->isVisible());
    EXPECT_EQ(dialog.statusText(), QStringLiteral("Sélection de la base Recovery ..."));
}

// The file dialog and the question hold back no assistive tool's press on
// "Récupérer": it is refused and said, and the run under way keeps its base.
TEST_F(FrmRecoveryTest, APressWhileTheRunIsPreparedIsRefusedAndTheRunGoesOnWhole) {
    settings.box_site = site.url();
    FrmRecovery dialog(settings, prompt);
    dialog.show();
    const QString refused = QStringLiteral(
        "Une récupération est déjà lancée : elle attend le choix de la base Recovery ou la "
        "réponse à sa question.");
    int choices = 0;
    const auto pressAgain = [&] {
        EXPECT_FALSE(dialog.btn_process()->isEnabled());
        QAccessible::queryAccessibleInterface(dialog.btn_process())
            ->actionInterface()
            ->doAction(QAccessibleActionInterface::pressAction());
        dialog.btn_process_Click();  // a press that reached it all the same
    };
    for (const bool atQuestion : {false, true}) {
        prompt.clear();
        prompt.queueAnswers({true});
        choices = 0;
        dialog.setDatabaseChooser([&, atQuestion] {
            if (++choices == 1 && !atQuestion) {
                pressAgain();
            }
            return database;
        });
        prompt.whileAsked = atQuestion ? std::function<void()>(pressAgain) : nullptr;
        run(dialog);
        EXPECT_EQ(choices, 1) << atQuestion;
        EXPECT_EQ(prompt.texts().filter(refused).size(), 1) << atQuestion;
        EXPECT_EQ(prompt.texts().last(), QStringLiteral("Récupération réussie"))
            << prompt.texts().join(u'|').toStdString();
        auto db = dao::DBEngine::OpenDatabase(database);
        EXPECT_EQ(db->OpenRecordset(QStringLiteral("select * from series"))->RecordCount(), 2);
    }
    EXPECT_TRUE(dialog.btn_process()->isEnabled());
}

TEST_F(FrmRecoveryTest, FermerWhileARunWaitsCancelsItLeavesTheBaseEmptyAndCloses) {
    settings.box_site = site.url();
    auto* dialog = FrmRecovery::ShowDefault(settings, prompt);
    EXPECT_EQ(FrmRecovery::ShowDefault(settings, prompt), dialog);
    dialog->setDatabaseChooser([&] { return database; });
    // The series are stored; the authors never come.
    site.onRequest = [&](const QString& table) {
        if (table == QStringLiteral("auteurs")) {
            dialog->btn_fermer()->click();
        }
    };
    run(*dialog);
    EXPECT_EQ(prompt.texts(), QStringList{QStringLiteral("Récupération annulée")});
    EXPECT_EQ(site.requests().size(), 2);
    auto db = dao::DBEngine::OpenDatabase(database);
    EXPECT_EQ(db->OpenRecordset(QStringLiteral("select * from series"))->RecordCount(), 0);
    QCoreApplication::processEvents();
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    EXPECT_EQ(FrmRecovery::Default(), nullptr);
}

// Escape cancels from the keyboard and keeps the dialog, to run again.
TEST_F(FrmRecoveryTest, EscapeWhileARunWaitsCancelsItAndTheBaseKeepsTheEarlierRecovery) {
    settings.box_site = site.url();
    FrmRecovery dialog(settings, prompt);
    dialog.show();
    dialog.setDatabaseChooser([&] { return database; });
    run(dialog);
    prompt.clear();
    prompt.queueAnswers({true});  // empty the base
    site.onRequest = [&](const QString& table) {
        if (table == QStringLiteral("auteurs")) {
            QKeyEvent escape(QEvent::KeyPress, Qt::Key_Escape, Qt::NoModifier);
            QCoreApplication::sendEvent(&dialog, &escape);
        }
    };
    // The base holding the earlier recovery is checked off the window's
    // thread: the press returns before anything is asked.
    dialog.btn_process()->click();
    EXPECT_TRUE(dialog.work().running());
    EXPECT_TRUE(prompt.texts().isEmpty());
    test::waitForWork(dialog.work());
    EXPECT_EQ(prompt.texts().last(),
              QStringLiteral("Récupération annulée\nLa base Recovery garde la récupération "
                             "précédente."));
    auto db = dao::DBEngine::OpenDatabase(database);
    EXPECT_EQ(db->OpenRecordset(QStringLiteral("select * from series"))->RecordCount(), 2);
    EXPECT_TRUE(dialog.isVisible());
    EXPECT_TRUE(dialog.btn_process()->isEnabled());
}

}  // namespace
}  // namespace kalvor
