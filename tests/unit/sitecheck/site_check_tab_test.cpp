// The tab "Vérification Site" in the real main window, offscreen, against a
// canned site on loopback.
#include "app/site_check_tab.h"

#include <QAccessible>
#include <QCoreApplication>
#include <QFileInfo>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QTabWidget>
#include <QTimer>
#include <QTreeWidget>
#include <algorithm>
#include <functional>

#include <gtest/gtest.h>

#include "app/kalvorform.h"
#include "canned_site.h"
#include "catalogue/sqlite_catalogue.h"
#include "dialogs/frm_recovery.h"
#include "platform/dao/db_engine.h"
#include "platform/prompt.h"
#include "recovery/recovery_database.h"
#include "settings/settings.h"
#include "sitecheck/site_work_tables.h"
#include "support/test_paths.h"
#include "support/work_end.h"
#include "unit/recovery/fake_site.h"

using namespace kalvor;

namespace {

const QByteArray kStamp = "@@@01/06/2024 10:00:00\n";
const QString kAskingTheSite = QStringLiteral("Recherche des informations sur le site ...");

class SiteCheckTabTest : public ::testing::Test {
  protected:
    void SetUp() override {
        settings.GV_Chemin_Base = env.path() + QStringLiteral("/catalogue.db");
        catalogue::BuildSqliteCatalogue(
            test::fixturePath(QStringLiteral("catalogue/catalogue-v6.sql")),
            settings.GV_Chemin_Base);
        settings.box_site = site.url();
        settings.box_prefix = QStringLiteral("m_");
        settings.opt_albums = 1;
        window = std::make_unique<Kalvorform>(settings, &prompt);
        window->refresh();
        window->show();
    }
    template <class W>
    W* find(const char* name) {
        W* w = window->findChild<W*>(QString::fromLatin1(name));
        EXPECT_NE(w, nullptr) << name;
        return w;
    }
    QPushButton* button(const char* name) { return find<QPushButton>(name); }
    // "Analyse", and the wait for the check's end.
    void analyse() {
        button("btn_check_files")->click();
        test::waitForWork(window->work());
    }
    // "Analyse", running `step` once, as soon as the check waits on the site.
    void analyseWhileTheSiteIsAsked(const std::function<void()>& step) {
        QTimer watch;
        watch.setInterval(10);
        QObject::connect(&watch, &QTimer::timeout, [&] {
            if (window->statusPanel(1) != kAskingTheSite) {
                return;
            }
            watch.stop();
            step();
        });
        watch.start();
        analyse();
    }
    QTreeWidget* tree(const char* name) { return find<QTreeWidget>(name); }
    // "ROOT:key=text" of every child, in tree order.
    QStringList children(const char* name) {
        QStringList list;
        QTreeWidget* t = tree(name);
        for (int r = 0; r < t->topLevelItemCount(); ++r) {
            QTreeWidgetItem* root = t->topLevelItem(r);
            for (int c = 0; c < root->childCount(); ++c) {
                list << root->data(0, Qt::UserRole).toString() + u':' +
                            root->child(c)->data(0, Qt::UserRole).toString() + u'=' +
                            root->child(c)->text(0);
            }
        }
        return list;
    }
    QStringList roots(const char* name) {
        QStringList list;
        QTreeWidget* t = tree(name);
        for (int r = 0; r < t->topLevelItemCount(); ++r) {
            list << t->topLevelItem(r)->text(0);
        }
        return list;
    }
    bool workTablesPresent() {
        auto db = dao::DBEngine::OpenDatabase(settings.GV_Chemin_Base);
        return db->TableDefs().Contains(site::kTableFiles);
    }

    test::IsolatedEnvironment env;
    RecordingPrompt prompt;
    Settings settings;
    test::CannedSite site;
    std::unique_ptr<Kalvorform> window;
};

}  // namespace

TEST_F(SiteCheckTabTest, TheTabOpensWithEmptyTreesAndOnlyItsStartButtonEnabled) {
    QTabWidget* tabs = window->TabNavig();
    ASSERT_EQ(tabs->count(), 8);
    EXPECT_EQ(tabs->tabText(7), QStringLiteral("Vérification Site"));
    EXPECT_TRUE(tabs->isTabEnabled(7));
    EXPECT_EQ(button("btn_check_files")->text(), QStringLiteral("Analyse"));
    EXPECT_TRUE(button("btn_check_files")->isEnabled());
    EXPECT_EQ(button("btn_compare_files")->text(), QStringLiteral("Voir Résulats Miniatures"));
    for (const char* name : {"btn_compare_files", "btn_TV_Missing_plus", "btn_TV_Missing_moins",
                             "btn_TV_Excess_plus", "btn_TV_Excess_Moins"}) {
        EXPECT_FALSE(button(name)->isEnabled()) << name;
    }
    tabs->setCurrentIndex(7);
    EXPECT_TRUE(tree("TV_missing")->isVisible());
    EXPECT_TRUE(tree("TV_excess")->isVisible());
    EXPECT_FALSE(tree("TV_thumbs")->isVisible());
    EXPECT_EQ(tree("TV_missing")->topLevelItemCount(), 0);
    EXPECT_EQ(find<QLabel>("lbl_TV_missing")->text(), QStringLiteral("Fichiers manquants :"));
    EXPECT_EQ(find<QLabel>("lbl_TV_excess")->text(), QStringLiteral("Fichiers non utilisés :"));
}

TEST_F(SiteCheckTabTest, ACheckFillsTheThreeTreesAndTheToggleSwitchesBetweenThem) {
    window->TabNavig()->setCurrentIndex(7);
    site.emptyListings();
    site.files(QStringLiteral("couvertures"),
               "Couv_Album01.JPG" + kStamp + "zz.jpg" + kStamp + "Encours.jpg" + kStamp);
    site.files(QStringLiteral("versos"), "Verso.jpg" + kStamp + "?\n");
    site.thumbs(QStringLiteral("couvertures"), "x.jpg" + kStamp);
    analyse();

    EXPECT_TRUE(prompt.texts().isEmpty()) << prompt.texts().join(u'|').toStdString();
    EXPECT_EQ(window->statusPanel(1), settings.GV_Chemin_Base);
    const QStringList kinds = {"Couvertures", "Versos", "Dédicaces", "Planches",
                               "Para-BD",     "Photos", "Revues"};
    EXPECT_EQ(roots("TV_missing"), kinds);
    EXPECT_EQ(roots("TV_excess"), kinds);
    EXPECT_EQ(roots("TV_thumbs"), kinds);
    EXPECT_EQ(children("TV_excess"), (QStringList{"CO:EX1=zz.jpg", "VE:EX2=Verso.jpg"}));
    EXPECT_EQ(children("TV_thumbs"),
              QStringList{"CO:TH1=x.jpg : format du fichier non conforme (m_)"});
    const QStringList missing = children("TV_missing");
    EXPECT_TRUE(missing.contains(QStringLiteral("CO:MI1=couv_album02.jpg")));
    EXPECT_FALSE(missing.join(u'|').contains(QStringLiteral("Couv_Album01.JPG")));
    // Keys count the rows in kind and name order, across the roots.
    QList<int> numbers;
    for (const QString& node : missing) {
        numbers << node.section(u':', 1).section(u'=', 0, 0).mid(2).toInt();
    }
    QList<int> sorted = numbers;
    std::sort(sorted.begin(), sorted.end());
    for (int i = 0; i < sorted.size(); ++i) {
        EXPECT_EQ(sorted[i], i + 1);
    }
    EXPECT_LT(numbers.first(), numbers[1]);
    EXPECT_EQ(find<QLabel>("lbl_lignes_ignorees")->text(),
              QStringLiteral("1 ligne(s) des listes du site illisible(s), ignorée(s)."));
    EXPECT_TRUE(find<QLabel>("lbl_lignes_ignorees")->isVisible());
    EXPECT_FALSE(tree("TV_missing")->topLevelItem(0)->isExpanded());

    QPushButton* toggle = button("btn_compare_files");
    ASSERT_TRUE(toggle->isEnabled());
    toggle->click();
    EXPECT_EQ(toggle->text(), QStringLiteral("Voir Résultats Fichiers"));
    EXPECT_TRUE(tree("TV_thumbs")->isVisible());
    EXPECT_FALSE(tree("TV_missing")->isVisible());
    EXPECT_FALSE(tree("TV_excess")->isVisible());
    EXPECT_FALSE(find<QLabel>("lbl_TV_excess")->isVisible());
    EXPECT_FALSE(button("btn_TV_Excess_plus")->isVisible());
    EXPECT_EQ(find<QLabel>("lbl_TV_missing")->text(), QStringLiteral("Problèmes miniatures :"));
    // The buttons of the missing side act on the tree on screen.
    button("btn_TV_Missing_plus")->click();
    EXPECT_TRUE(tree("TV_thumbs")->topLevelItem(0)->isExpanded());
    EXPECT_FALSE(tree("TV_missing")->topLevelItem(0)->isExpanded());
    button("btn_TV_Missing_moins")->click();
    EXPECT_FALSE(tree("TV_thumbs")->topLevelItem(0)->isExpanded());

    toggle->click();
    EXPECT_EQ(toggle->text(), QStringLiteral("Voir Résultats Miniatures"));
    EXPECT_TRUE(tree("TV_missing")->isVisible());
    EXPECT_TRUE(tree("TV_excess")->isVisible());
    EXPECT_EQ(find<QLabel>("lbl_TV_missing")->text(), QStringLiteral("Fichiers manquants :"));
    button("btn_TV_Missing_plus")->click();
    EXPECT_TRUE(tree("TV_missing")->topLevelItem(0)->isExpanded());
    button("btn_TV_Excess_plus")->click();
    EXPECT_TRUE(tree("TV_excess")->topLevelItem(1)->isExpanded());
    button("btn_TV_Excess_Moins")->click();
    EXPECT_FALSE(tree("TV_excess")->topLevelItem(1)->isExpanded());

    // As an assistive tool reads it: Toggle opens and closes a kind, a file
    // is never told expanded, and the hidden header is named as the tree.
    QAccessibleInterface* excess = QAccessible::queryAccessibleInterface(tree("TV_excess"));
    const auto node = [excess](const QString& name) -> QAccessibleInterface* {
        for (int i = 0; i < excess->childCount(); ++i) {
            if (excess->child(i)->text(QAccessible::Name) == name) {
                return excess->child(i);
            }
        }
        return nullptr;
    };
    EXPECT_EQ(excess->child(0)->role(), QAccessible::ColumnHeader);
    EXPECT_EQ(excess->child(0)->text(QAccessible::Name), QStringLiteral("Fichiers non utilisés"));
    button("btn_TV_Excess_plus")->click();
    ASSERT_NE(node(QStringLiteral("zz.jpg")), nullptr);
    EXPECT_FALSE(node(QStringLiteral("zz.jpg"))->state().expanded);
    EXPECT_FALSE(node(QStringLiteral("zz.jpg"))->state().expandable);
    button("btn_TV_Excess_Moins")->click();
    for (const bool open : {true, false}) {
        node(QStringLiteral("Versos"))
            ->actionInterface()
            ->doAction(QAccessibleActionInterface::toggleAction());
        EXPECT_EQ(tree("TV_excess")->topLevelItem(1)->isExpanded(), open);
        EXPECT_EQ(node(QStringLiteral("Versos"))->state().expanded, open);
    }
    for (const char* name : {"Couvertures", "zz.jpg"}) {
        ASSERT_NE(node(QString::fromUtf8(name)), nullptr) << name;
        node(QString::fromUtf8(name))
            ->actionInterface()
            ->doAction(QAccessibleActionInterface::toggleAction());
    }
    EXPECT_EQ(tree("TV_excess")->currentItem()->text(0), QStringLiteral("zz.jpg"));

    // A check run from the thumbnail view brings the file view back.
    toggle->click();
    analyse();
    EXPECT_TRUE(tree("TV_missing")->isVisible());
    EXPECT_EQ(toggle->text(), QStringLiteral("Voir Résultats Miniatures"));
    EXPECT_EQ(children("TV_excess").size(), 2);

    // No line to ignore is nothing to say, even to an assistive tool.
    site.files(QStringLiteral("versos"), "Verso.jpg" + kStamp);
    analyse();
    EXPECT_EQ(find<QLabel>("lbl_lignes_ignorees")->text(), QString());
}

TEST_F(SiteCheckTabTest, ASiteThatDoesNotAnswerEndsTheCheckAndTheWindowStaysUsable) {
    window->TabNavig()->setCurrentIndex(7);
    site.setSilent(true);
    window->setRequestTimeout(500);
    QString phase;
    bool startDisabled = false;
    int shownTab = -1;
    analyseWhileTheSiteIsAsked([&] {
        phase = window->statusPanel(1);
        startDisabled = !button("btn_check_files")->isEnabled();
        window->TabNavig()->setCurrentIndex(0);  // the user goes on meanwhile
        shownTab = window->TabNavig()->currentIndex();
    });
    EXPECT_EQ(phase, QStringLiteral("Recherche des informations sur le site ..."));
    EXPECT_TRUE(startDisabled);
    EXPECT_EQ(shownTab, 0);
    ASSERT_EQ(prompt.texts().size(), 1);
    EXPECT_TRUE(prompt.texts()[0].endsWith(" n'a pas répondu à temps."));
    EXPECT_TRUE(button("btn_check_files")->isEnabled());
    EXPECT_EQ(window->statusPanel(1), settings.GV_Chemin_Base);
    EXPECT_FALSE(button("btn_compare_files")->isEnabled());
}

TEST_F(SiteCheckTabTest, LeavingDuringACheckStopsItsRequestThenCloses) {
    for (const bool menu : {false, true}) {
        SCOPED_TRACE(menu ? "Quitter" : "closing the window");
        if (menu) {
            window = std::make_unique<Kalvorform>(settings, &prompt);
            window->show();
        }
        site.setSilent(true);
        window->setRequestTimeout(30000);  // ended by the close, not by the site
        bool openAfterClose = false;
        analyseWhileTheSiteIsAsked([&] {
            if (menu) {
                window->fichier_quitter_Click();
            } else {
                window->close();
            }
            openAfterClose = window->isVisible();
        });
        EXPECT_TRUE(openAfterClose);
        QCoreApplication::processEvents();
        EXPECT_FALSE(window->isVisible());
        EXPECT_TRUE(prompt.texts().isEmpty()) << prompt.texts().join(u'|').toStdString();
        EXPECT_FALSE(workTablesPresent());  // the close dropped them
    }
}

// One piece of work at a time: while a recovery runs, a press on another
// operation's button, by an assistive tool or a click that comes late,
// starts nothing and clears nothing; Escape on the recovery cancels its own
// request and nothing else.
TEST_F(SiteCheckTabTest, WhileARecoveryRunsOtherWorkIsRefusedAndEscapeCancelsOnlyIt) {
    window->TabNavig()->setCurrentIndex(7);
    site.emptyListings();
    site.files(QStringLiteral("couvertures"), "zz.jpg" + kStamp);
    analyse();
    const QStringList excess = children("TV_excess");
    ASSERT_EQ(excess, QStringList{"CO:EX1=zz.jpg"});
    const int checkRequests = site.requests();
    prompt.clear();

    const QString base = env.path() + QStringLiteral("/recovery.db");
    recovery::CreateRecoveryDatabase(
        test::sourceDir() + QStringLiteral("/recovery/older_layout.sql"), base);
    test::FakeSite published;
    published.setReply(QStringLiteral("series"),
                       test::FakeSite::row({"1", "Série", "", "", "", "", "0"}));
    settings.box_password = QStringLiteral("secret");
    settings.GV_Export = env.path() + QStringLiteral("/export");
    window->recovery_Click();
    FrmRecovery* dialog = FrmRecovery::Default();
    ASSERT_NE(dialog, nullptr);
    dialog->setDatabaseChooser([&] { return base; });
    dialog->box_site()->setText(published.url());

    QStringList readDisabled;
    bool escape = false;
    published.onRequest = [&](const QString& table) {
        if (table != QStringLiteral("auteurs")) {
            return;
        }
        for (const char* name : {"btn_check_files", "btn_Donnees_SQL", "btn_Create_PHP"}) {
            QAccessibleInterface* press = QAccessible::queryAccessibleInterface(button(name));
            if (press->state().disabled) {
                readDisabled << QString::fromLatin1(name);
            }
            press->actionInterface()->doAction(QAccessibleActionInterface::pressAction());
        }
        // So do the items of its result trees, none focused.
        QAccessibleInterface* items = QAccessible::queryAccessibleInterface(tree("TV_excess"));
        bool itemsDisabled = items->childCount() > 1;
        for (int i = 0; i < items->childCount(); ++i) {
            const QAccessible::State state = items->child(i)->state();
            itemsDisabled = itemsDisabled && state.disabled && !state.focused;
        }
        if (itemsDisabled) {
            readDisabled << QStringLiteral("TV_excess");
        }
        // Clicks come late: each is refused and said.
        window->siteCheck()->btn_check_files_Click();
        for (const char* name : {"btn_Donnees_SQL", "btn_Create_PHP", "btn_convertir",
                                 "btn_collaborateurs", "cmd_majuscule"}) {
            QMetaObject::invokeMethod(button(name), "clicked", Qt::DirectConnection,
                                      Q_ARG(bool, false));
        }
        if (escape) {
            QKeyEvent key(QEvent::KeyPress, Qt::Key_Escape, Qt::NoModifier);
            QCoreApplication::sendEvent(dialog, &key);
        }
    };
    dialog->btn_process()->click();
    test::waitForWork(window->work());
    QCoreApplication::processEvents();
    EXPECT_EQ(readDisabled,
              (QStringList{"btn_check_files", "btn_Donnees_SQL", "btn_Create_PHP", "TV_excess"}));
    EXPECT_EQ(prompt.texts(), QStringList(6, LongWork::Busy_Text())
                                  << QStringLiteral("Récupération réussie"));
    EXPECT_EQ(site.requests(), checkRequests);
    EXPECT_EQ(children("TV_excess"), excess);
    EXPECT_TRUE(button("btn_compare_files")->isEnabled());
    EXPECT_TRUE(workTablesPresent());
    EXPECT_FALSE(QFileInfo::exists(settings.GV_Export + QStringLiteral("/scripts/donnees.sql")));
    EXPECT_TRUE(button("btn_check_files")->isEnabled());

    escape = true;
    prompt.clear();
    prompt.queueAnswers({true});  // empty the base
    dialog->btn_process()->click();
    test::waitForWork(window->work());
    ASSERT_FALSE(prompt.texts().isEmpty());
    EXPECT_TRUE(prompt.texts().last().startsWith(QStringLiteral("Récupération annulée")))
        << prompt.texts().join(u'|').toStdString();
    EXPECT_EQ(children("TV_excess"), excess);
    EXPECT_TRUE(dialog->isVisible());
}
