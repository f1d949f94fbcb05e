#include "sitecheck/site_check.h"

#include <QElapsedTimer>
#include <functional>

#include <gtest/gtest.h>

#include "canned_site.h"
#include "catalogue/sqlite_catalogue.h"
#include "platform/dao/db_engine.h"
#include "platform/inet.h"
#include "platform/prompt.h"
#include "settings/settings.h"
#include "sitecheck/site_work_tables.h"
#include "support/test_paths.h"
#include "support/work_end.h"

using namespace kalvor;
using namespace kalvor::site;

namespace {

class RecordingView : public SiteCheckView {
  public:
    void Show_Phase(const QString& text) override {
        phases << text;
        if (onPhase) {
            onPhase(text);
        }
    }
    void Enable_Check(bool enabled) override { checkEnabled << enabled; }
    void Fill_TreeViews(const CheckResult& r) override {
        ++fills;
        result = r;
    }
    void Enable_Results() override { ++resultsEnabled; }
    void Show_Ended(const QString& text) override { ended << text; }

    std::function<void(const QString&)> onPhase;
    QStringList phases, ended;
    QList<bool> checkEnabled;
    CheckResult result;
    int fills = 0;
    int resultsEnabled = 0;
};

const QByteArray kStamp = "@@@01/06/2024 10:00:00\n";

class Driver : public ::testing::Test {
  protected:
    void SetUp() override {
        settings.GV_Chemin_Base = env.path() + QStringLiteral("/catalogue.db");
        catalogue::BuildSqliteCatalogue(
            test::fixturePath(QStringLiteral("catalogue/catalogue-v6.sql")),
            settings.GV_Chemin_Base);
        settings.box_site = site.url();
        settings.box_prefix = QStringLiteral("m_");
        settings.opt_albums = 1;
    }
    QStringList texts() const { return prompt.texts(); }
    // As the window runs it: Begin and End on this thread, which answers for
    // the site meanwhile, Work on the work's.
    void runCheck() {
        if (!check.Begin(settings)) {
            return;
        }
        LongWork work;
        const int timeout = timeoutMs;
        ASSERT_TRUE(work.start(
            [this, timeout] {
                Inet inet(timeout);
                check.Work(inet);
            },
            [this] { check.End(); }));
        test::waitForWork(work);
    }

    test::IsolatedEnvironment env;
    RecordingPrompt prompt;
    RecordingView view;
    test::CannedSite site;
    int timeoutMs = 5000;
    Settings settings;
    SiteCheck check{prompt, view};
};

}  // namespace

TEST_F(Driver, AnEmptySiteAddressStopsBeforeAnything) {
    settings.box_site.clear();
    runCheck();
    EXPECT_EQ(texts(), QStringList{"Veuillez renseigner l'URL de votre site"});
    EXPECT_EQ(prompt.shown()[0].icon, PromptIcon::Exclamation);
    EXPECT_TRUE(view.phases.isEmpty());
    EXPECT_EQ(site.requests(), 0);
}

TEST_F(Driver, ACompletedCheckFillsTheResultAndRestoresTheWindow) {
    // Album 1's cover is listed, album 2's in another case.
    site.emptyListings();
    site.files(QStringLiteral("couvertures"), "Couv_Album01.JPG" + kStamp + "COUV_ALBUM02.jpg" +
                                                  kStamp + "orphan.jpg" + kStamp + "garbage\n");
    site.thumbs(QStringLiteral("couvertures"), "m_orphan.jpg" + kStamp + "x.jpg" + kStamp);
    runCheck();

    EXPECT_TRUE(texts().isEmpty()) << texts().join(u'|').toStdString();
    EXPECT_EQ(view.phases, (QStringList{"Création des tables temporaires ...",
                                        "Recherche des informations sur le site ...",
                                        "Comparaison ...", settings.GV_Chemin_Base}));
    EXPECT_EQ(view.checkEnabled, (QList<bool>{false, true}));
    EXPECT_EQ(view.fills, 1);
    EXPECT_EQ(view.resultsEnabled, 1);
    EXPECT_TRUE(check.GV_Vue_Fichiers);
    EXPECT_FALSE(prompt.busy());
    EXPECT_EQ(check.state().malformedLines, 1);
    EXPECT_EQ(check.state().GV_Nb_Rep, 10);  // five image listings and five thumbnail listings
    // Parabd and magazines are not asked for when they are off.
    EXPECT_EQ(site.requests(), 10);

    const CheckResult& r = view.result;
    EXPECT_EQ(r.Unreferenced_Files(QStringLiteral("couvertures")),
              (QStringList{"COUV_ALBUM02.jpg", "orphan.jpg"}));
    const QStringList missing = r.Missing_Files(QStringLiteral("couvertures"));
    EXPECT_TRUE(missing.contains(QStringLiteral("couv_album02.jpg")));
    EXPECT_FALSE(missing.contains(QStringLiteral("Couv_Album01.JPG")));
    EXPECT_EQ(missing.size(), 67);
    // Said once the trees are full, with what they hold.
    ASSERT_EQ(view.ended.size(), 1);
    EXPECT_TRUE(view.ended[0].contains(QStringLiteral("terminée")));
    EXPECT_TRUE(view.ended[0].contains(u' ' + QString::number(r.missing.size()) + u' '));
    ASSERT_EQ(r.thumbnails.size(), 1);
    EXPECT_EQ(r.thumbnails[0].file, QStringLiteral("x.jpg"));
    EXPECT_EQ(r.thumbnails[0].probleme, QStringLiteral("format du fichier non conforme (m_)"));

    // Files of the version before counts, a line left out on the way: read,
    // as nothing shows it, and said so.
    site.page(QStringLiteral("/check_files.php?current_rep=couvertures"),
              "Couv_Album01.JPG" + kStamp + "#fin#\n");
    runCheck();
    ASSERT_EQ(texts().size(), 1);
    EXPECT_TRUE(texts()[0].startsWith(
        QStringLiteral("Les listes de check_files.php viennent de fichiers d'une version "
                       "antérieure, dont la marque de fin ne compte pas les lignes")))
        << texts()[0].toStdString();
    EXPECT_TRUE(texts()[0].contains(QStringLiteral("publiés à nouveau")));
}

TEST_F(Driver, AMissingFirstListingIsNamed) {
    runCheck();
    // A check imports nothing: it reads the site's files, which come with
    // the PHP files published again.
    ASSERT_EQ(texts().size(), 1);
    EXPECT_TRUE(texts()[0].startsWith("Erreur lors de la lecture des fichiers du site."));
    EXPECT_TRUE(texts()[0].contains("check_files.php est présent"));
    EXPECT_TRUE(texts()[0].contains("publiez-les"));
    EXPECT_EQ(site.requests(), 1);
    EXPECT_EQ(view.fills, 0);
    EXPECT_TRUE(view.ended.isEmpty());
    EXPECT_EQ(view.phases.last(), settings.GV_Chemin_Base);
    EXPECT_EQ(view.checkEnabled.last(), true);
}

TEST_F(Driver, AHostsNotFoundPageWithStatus200IsAMissingScript) {
    site.setUnknown("<html><title>404 Not Found</title><body>Page introuvable</body></html>", 200);
    runCheck();
    ASSERT_EQ(texts().size(), 1);
    EXPECT_TRUE(texts()[0].contains("check_files.php est présent"));
    EXPECT_EQ(site.requests(), 1);
    EXPECT_EQ(view.fills, 0);
    EXPECT_EQ(check.state().malformedLines, 0);
}

TEST_F(Driver, ListingsThatFailAfterTheFirstAreNamedAndTheirFoldersAreNotCompared) {
    site.files(QStringLiteral("couvertures"), "orphan.jpg" + kStamp);
    site.files(QStringLiteral("versos"), "verso.jpg" + kStamp);
    site.page(QStringLiteral("/check_files.php?current_rep=photos"), "Forbidden", 403);
    // An emptied script, and a host's page that is no listing: neither ends
    // with the mark of a whole listing.
    site.page(QStringLiteral("/check_files.php?current_rep=planches"), QByteArray());
    site.page(QStringLiteral("/check_files.php?current_rep=dedicaces"), "<p>Bienvenue</p>\n");
    site.page(QStringLiteral("/check_thumbs.php?current_rep=couvertures"),
              "<h1>Internal Server Error</h1>", 500);
    site.thumbs(QStringLiteral("versos"), "m_verso.jpg" + kStamp);
    site.thumbs(QStringLiteral("planches"), "m_planche.jpg" + kStamp);
    // The other thumbnail scripts are missing, on a host with its own
    // not-found page.
    site.setUnknown("<p>Error: 404 not found</p>", 200);
    runCheck();

    EXPECT_EQ(view.fills, 1);
    EXPECT_EQ(view.resultsEnabled, 1);
    EXPECT_EQ(view.result.Unreferenced_Files(QStringLiteral("couvertures")),
              QStringList{"orphan.jpg"});
    EXPECT_EQ(view.result.Unreferenced_Files(QStringLiteral("versos")), QStringList{"verso.jpg"});
    EXPECT_EQ(check.state().GV_Nb_Rep, 4);
    EXPECT_EQ(check.state().malformedLines, 0);
    // No probe after the empty reply: check_files.php sent its mark before.
    EXPECT_EQ(site.requests(), 10);
    ASSERT_EQ(texts().size(), 1) << texts().join(u'|').toStdString();
    EXPECT_EQ(prompt.shown()[0].icon, PromptIcon::Exclamation);
    const QStringList lines = texts()[0].split(u'\n');
    ASSERT_EQ(lines.size(), 7) << texts()[0].toStdString();
    EXPECT_EQ(lines[0], QStringLiteral("Ces listes du site n'ont pas pu être lues : le résultat "
                                       "ne tient pas compte de leurs répertoires."));
    EXPECT_TRUE(lines[1].startsWith(
        QStringLiteral("- images « photos » (check_files.php) : Le site a répondu 403 ")))
        << lines[1].toStdString();
    EXPECT_EQ(lines[2], QStringLiteral("- images « planches » (check_files.php) : réponse vide "
                                       "(fichier vide sur le site ?)"));
    EXPECT_TRUE(lines[3].startsWith(
        QStringLiteral("- images « dedicaces » (check_files.php) : réponse sans sa marque de fin")))
        << lines[3].toStdString();
    EXPECT_EQ(lines[4], QStringLiteral("- miniatures « dedicaces » (check_thumbs.php) : fichier "
                                       "absent du site"));
    EXPECT_EQ(lines[5], QStringLiteral("- miniatures « photos » (check_thumbs.php) : fichier "
                                       "absent du site"));
    EXPECT_TRUE(lines[6].startsWith(
        QStringLiteral("- miniatures « couvertures » (check_thumbs.php) : Le site a répondu 500 ")))
        << lines[6].toStdString();

    // A folder not read has nothing missing, and its thumbnails are not
    // judged; the result says it was not checked.
    for (const char* rep : {"photos", "planches", "dedicaces"}) {
        const QString kind = QString::fromLatin1(rep);
        EXPECT_TRUE(view.result.Missing_Files(kind).isEmpty()) << rep;
        EXPECT_EQ(Unchecked_Files(view.result.unchecked, kind), QStringLiteral("check_files"))
            << rep;
    }
    EXPECT_TRUE(view.result.Thumbnail_Problems(QStringLiteral("planches")).isEmpty());
    // Its end says so too: its counts leave those folders out.
    ASSERT_EQ(view.ended.size(), 1);
    EXPECT_TRUE(view.ended[0].contains(QStringLiteral("6 liste(s) du site non lue(s)")))
        << view.ended[0].toStdString();
    EXPECT_EQ(Unchecked_Thumbnails(view.result.unchecked, QStringLiteral("couvertures")),
              QStringLiteral("check_thumbs"));
    EXPECT_TRUE(Unchecked_Thumbnails(view.result.unchecked, QStringLiteral("versos")).isEmpty());
    EXPECT_FALSE(view.result.Missing_Files(QStringLiteral("versos")).isEmpty());
    EXPECT_TRUE(view.result.Missing_Nodes().contains(
        TreeNode{QStringLiteral("PH"), QStringLiteral("NV3"),
                 QStringLiteral("Non vérifié : liste de check_files.php non lue")}));
    EXPECT_EQ(view.phases.last(), settings.GV_Chemin_Base);
    EXPECT_EQ(view.checkEnabled.last(), true);
}

TEST_F(Driver, AFailedCheckSaysWhy) {
    // No folder listed: the message names what each listing gave, never a
    // cause that did not happen.
    const QByteArray invalid = "Le r\xE9pertoire n'est pas valide !";
    const QString head = QStringLiteral(
        "La vérification du site a échoué : aucun répertoire d'images du site n'a pu être "
        "listé. Vérifiez ");
    const QString folders = QStringLiteral("les répertoires de l'onglet « 5. Répertoires » et ");
    const QString scripts =
        QStringLiteral("les fichiers check_files.php et check_thumbs.php du site.");
    const QString first = QStringLiteral("- images « couvertures » (check_files.php) : ");
    const QString invalidLine = QStringLiteral("réponse « Le répertoire n'est pas valide ! »");
    const struct {
        const char* name;
        QByteArray first;   // the first listing's reply
        QByteArray others;  // every other listing's
        int status;         // theirs
        QString headline;
        QString firstLine;   // its start
        QString secondLine;  // its start
    } rows[] = {
        {"the site cannot open any folder", invalid, invalid, 200, head + folders + scripts,
         first + invalidLine,
         QStringLiteral("- images « versos » (check_files.php) : ") + invalidLine},
        {"one folder invalid, the others forbidden", invalid, "Forbidden", 403,
         head + folders + scripts, first + invalidLine,
         QStringLiteral("- images « versos » (check_files.php) : Le site a répondu 403 ")},
        {"an emptied script, the others forbidden", QByteArray(), "Forbidden", 403, head + scripts,
         first, QStringLiteral("- images « versos » (check_files.php) : Le site a répondu 403 ")},
    };
    for (const auto& row : rows) {
        prompt.clear();
        site.page(QStringLiteral("/check_files.php?current_rep=couvertures"), row.first);
        site.setUnknown(row.others, row.status);
        runCheck();
        ASSERT_EQ(texts().size(), 1) << row.name;
        const QStringList lines = texts()[0].split(u'\n');
        ASSERT_EQ(lines.size(), 11) << texts()[0].toStdString();
        EXPECT_EQ(lines[0], row.headline) << row.name;
        EXPECT_TRUE(lines[1].startsWith(row.firstLine)) << lines[1].toStdString();
        EXPECT_TRUE(lines[2].startsWith(row.secondLine)) << lines[2].toStdString();
        EXPECT_EQ(prompt.shown()[0].icon, PromptIcon::Critical);
        EXPECT_EQ(view.fills, 0);
        EXPECT_FALSE(check.GV_Vue_Fichiers);
    }

    prompt.clear();
    const QString missing = env.path() + QStringLiteral("/absente.db");
    settings.GV_Chemin_Base = missing;
    runCheck();
    ASSERT_EQ(texts().size(), 1);
    EXPECT_TRUE(
        texts()[0].startsWith("La vérification du site a échoué : les tables de travail "
                              "n'ont pas pu être préparées dans la base " +
                              missing + " : "))
        << texts()[0].toStdString();
}

TEST_F(Driver, ASiteThatDoesNotAnswerEndsInErrorWithinTheTimeout) {
    site.setSilent(true);
    timeoutMs = 300;
    QElapsedTimer clock;
    clock.start();
    runCheck();
    EXPECT_LT(clock.elapsed(), 5000);
    ASSERT_EQ(texts().size(), 1);
    EXPECT_TRUE(texts()[0].startsWith("La vérification du site a échoué : Le site "));
    EXPECT_TRUE(texts()[0].endsWith(" n'a pas répondu à temps.")) << texts()[0].toStdString();
    EXPECT_FALSE(check.Running());
    EXPECT_EQ(view.checkEnabled.last(), true);
}

TEST_F(Driver, ANewerCatalogueIsComparedWithItsOwnTables) {
    settings.opt_acheter = settings.opt_parabd = settings.opt_revues = 1;
    for (const char* rep :
         {"couvertures", "versos", "photos", "planches", "dedicaces", "parabd", "revues"}) {
        site.files(QString::fromLatin1(rep), "unknown.jpg" + kStamp);
        site.thumbs(QString::fromLatin1(rep), QByteArray());
    }
    runCheck();
    EXPECT_TRUE(texts().isEmpty()) << texts().join(u'|').toStdString();
    for (const TreeRoot& root : Tree_Roots()) {
        EXPECT_FALSE(view.result.Missing_Files(root.type).isEmpty()) << root.type.toStdString();
        EXPECT_EQ(view.result.Unreferenced_Files(root.type), QStringList{"unknown.jpg"});
    }
}

TEST_F(Driver, AStoppedCheckEndsQuietlyItsRequestDropped) {
    site.files(QStringLiteral("couvertures"), "a.jpg" + kStamp);
    check.Stop();  // no check yet: nothing to stop
    EXPECT_FALSE(check.Running());
    // Stopped as soon as it waits for the site.
    QObject guard;
    QMetaObject::invokeMethod(
        &guard, [this] { check.Stop(); }, Qt::QueuedConnection);
    runCheck();
    EXPECT_TRUE(texts().isEmpty());
    EXPECT_LE(site.requests(), 1);
    EXPECT_EQ(view.fills, 0);
    EXPECT_EQ(view.checkEnabled.last(), true);

    // Stopped once the site has answered: the comparison stops at once, no
    // missing file added.
    site.emptyListings();
    view.onPhase = [this](const QString& phase) {
        if (phase == QStringLiteral("Comparaison ...")) {
            check.Stop();
        }
    };
    runCheck();
    EXPECT_TRUE(texts().isEmpty());
    EXPECT_EQ(view.fills, 0);
    auto db = dao::DBEngine::OpenDatabase(settings.GV_Chemin_Base);
    EXPECT_EQ(db->OpenRecordset(QStringLiteral("select count(*) from ") + kTableFiles +
                                QStringLiteral(" where key = '") + kKeyMissing + u'\'')
                  ->Fields(0)
                  .toInt(),
              0);
    db->Close();
}
