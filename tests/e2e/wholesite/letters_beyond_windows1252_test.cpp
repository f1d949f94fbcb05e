// Names beyond Windows-1252 (Kovačević, Łódź, an emoji) published through the
// main window, shown by the ISO-8859-1 pages, found by the search as a browser
// posts it, and brought back by the recovery, in both script encodings and
// both catalogue generations.
#include <QAction>
#include <QDir>
#include <QFile>
#include <QRegularExpression>
#include <QTemporaryDir>
#include <QUrl>
#include <QUuid>
#include <memory>

#include <gtest/gtest.h>

#include "common/general.h"
#include "dialogs/frm_recovery.h"
#include "e2e/catalogpages/catalogue_site.h"
#include "e2e/e2e_servers.h"
#include "e2e/site/site_harness.h"
#include "e2e/wholesite/program_run.h"
#include "platform/cp1252.h"
#include "platform/dao/database.h"
#include "platform/dao/db_engine.h"
#include "platform/dao/recordset.h"
#include "platform/registry/registry.h"
#include "support/test_paths.h"
#include "support/work_end.h"

using namespace kalvor;
using namespace kalvor::e2e;
using namespace kalvor::e2e::letters;

namespace {

struct Route {
    const char* name;
    const char* generation;
    bool latin1;
};

void PrintTo(const Route& route, std::ostream* os) {
    *os << route.name;
}

const QString kTitreSite = QStringLiteral("Collection 漫画 ő");

// What a browser shows of a page: its bytes read in the character set it
// declares, the references resolved.
QString shown(const QByteArray& body) {
    QString text = cp1252::decode(body);
    static const QRegularExpression reference(QStringLiteral("&#(x?)([0-9A-Fa-f]+);"));
    QString out;
    qsizetype done = 0;
    auto it = reference.globalMatch(text);
    while (it.hasNext()) {
        const QRegularExpressionMatch m = it.next();
        out += QStringView(text).mid(done, m.capturedStart() - done);
        const char32_t c = m.captured(2).toUInt(nullptr, m.captured(1).isEmpty() ? 10 : 16);
        out += QString::fromUcs4(&c, 1);
        done = m.capturedEnd();
    }
    out += QStringView(text).mid(done);
    out.replace(QStringLiteral("&nbsp;"), QStringLiteral(" "));
    out.replace(QStringLiteral("&lt;"), QStringLiteral("<"));
    out.replace(QStringLiteral("&gt;"), QStringLiteral(">"));
    out.replace(QStringLiteral("&amp;"), QStringLiteral("&"));
    return out;
}

QString recovered(const QString& database, const QString& sql) {
    auto db = dao::DBEngine::OpenDatabase(database);
    auto rs = db->OpenRecordset(sql);
    return rs->Eof() ? QStringLiteral("(aucune ligne)") : rs->Fields(0).toString();
}

// The catalogue with the letters, published through the main window as a
// user does, its scripts loaded, its pages showing every PHP message.
class LettersBeyondWindows1252 : public testing::TestWithParam<Route> {
  protected:
    void SetUp() override {
        KALVOR_REQUIRE_SERVERS();
        const Route route = GetParam();
        const bool v6 = QByteArray(route.generation) == "v6";
        const QString catalogue =
            mendedCatalogue(QString::fromLatin1(route.generation), scratch_.path());
        putLettersBeyondWindows1252(catalogue, v6);
        const QString key =
            v6 ? QStringLiteral("Software\\Ormelo6") : QStringLiteral("Software\\Orme Lo v5\\Base");
        Registry::currentUser().createKey(key);
        general::Set_Registry_Value(HKEY_CURRENT_USER, key, QStringLiteral("CheminBase"),
                                    catalogue);

        const QString unique =
            QStringLiteral("lettres_") + QUuid::createUuid().toString(QUuid::Id128).left(8);
        folder_ = phpRoot() + u'/' + unique;
        url_ = phpUrl() + u'/' + unique;
        ASSERT_TRUE(QDir().mkpath(folder_));
        const QString database = createDatabase(QStringLiteral("lettres"));

        run_ = std::make_unique<ProgramRun>();
        QStringList refused;
        const auto must = [&](bool done, const QString& what) {
            if (!done) {
                refused << what;
            }
        };
        for (const auto& [box, value] :
             {std::pair{QStringLiteral("box_phpexport"), folder_},
              std::pair{QStringLiteral("box_host"), mysqlHost()},
              std::pair{QStringLiteral("box_login"), mysqlUser()},
              std::pair{QStringLiteral("box_password"), mysqlPassword()},
              std::pair{QStringLiteral("box_base"), database},
              std::pair{QStringLiteral("box_prefixe_table"), QStringLiteral("kv_")},
              std::pair{QStringLiteral("box_titre"), kTitreSite},
              std::pair{QStringLiteral("box_series_accueil"), QStringLiteral("10")}}) {
            must(run_->type(box, value), box);
        }
        for (const char* name : {"opt_albums", "opt_acheter", "opt_parabd", "opt_revues",
                                 "Opt_Collaborateurs", "opt_commentaire", "opt_moteur"}) {
            must(run_->tick(QString::fromLatin1(name)), QString::fromLatin1(name));
        }
        run_->prompt.queueAnswers({true});
        must(run_->choose(QStringLiteral("Opt_Sousrep")), QStringLiteral("Opt_Sousrep"));
        must(run_->choose(route.latin1 ? QStringLiteral("opt_latin1") : QStringLiteral("opt_utf8")),
             QStringLiteral("opt_latin1/opt_utf8"));
        ASSERT_TRUE(refused.isEmpty()) << refused.join(u' ').toStdString();
        QString failed;
        for (const char* button :
             {"btn_Create_Config", "btn_Create_Structure", "btn_Donnees_SQL", "btn_Create_PHP"}) {
            failed += run_->click(QString::fromLatin1(button));
        }
        ASSERT_TRUE(failed.isEmpty()) << failed.toStdString();

        // Loaded into a server in its strict default mode: no error, no warning.
        for (const char* script : {"tables.sql", "donnees.sql"}) {
            const LoadResult loaded =
                loadScriptFile(database, folder_ + QStringLiteral("/scripts/") + script);
            ASSERT_TRUE(loaded.ok && loaded.errors.isEmpty())
                << script << loaded.errors.toStdString();
            ASSERT_TRUE(loaded.diagnostics.isEmpty())
                << script << ": " << loaded.diagnostics.join(u'\n').toStdString();
        }
        QByteArray require = test::readAll(folder_ + QStringLiteral("/require.php"));
        require.replace("error_reporting(E_ERROR | E_WARNING | E_PARSE);",
                        "error_reporting(E_ALL);");
        test::writeAll(folder_ + QStringLiteral("/require.php"), require);
    }

    test::IsolatedEnvironment env_;
    QTemporaryDir scratch_;
    QString folder_;
    QString url_;
    std::unique_ptr<ProgramRun> run_;
};

}  // namespace

// Each page shows each letter; a browser reads it as ISO-8859-1.
TEST_P(LettersBeyondWindows1252, ShownOnEachPage) {
    const struct {
        const char* page;
        QStringList texts;
    } pages[] = {
        {"index.php?coll=albums", {kTitreSite}},
        {"auteur.php?coll=albums&idauteur=4",
         {kNom + QStringLiteral(", ") + kPrenom, kComment, kSerie}},
        {"serie.php?coll=albums&idserie=1", {kSerie, kTitre, kComment, kNom, kSerieComment}},
        {"liste.php?coll=albums&liste=auteurs", {kNom + QStringLiteral(", ") + kPrenom}},
        {"liste.php?coll=albums&liste=series", {kSerie}},
        {"serie.php?coll=parabd&idserie=1", {kObjet}},
    };
    for (const auto& p : pages) {
        const Page page = fetch(url_ + u'/' + QString::fromLatin1(p.page));
        SitePage judged;
        judged.status = page.status;
        judged.body = page.body;
        EXPECT_EQ(judged.problem(), QString()) << p.page;
        const QString text = shown(page.body);
        for (const QString& expected : p.texts) {
            EXPECT_TRUE(text.contains(expected))
                << p.page << " lacks " << expected.toStdString() << "\n"
                << page.body.left(3000).toStdString();
        }
        EXPECT_FALSE(page.body.contains("Kova?evi?") || page.body.contains("?d?")) << p.page;
    }
}

// The cover, uploaded under its UTF-8 name, shows on the card and in its
// enlarged view, each address taken as a browser takes it.
TEST_P(LettersBeyondWindows1252, CoverShownUnderItsUtf8Name) {
    const QString covers = folder_ + QStringLiteral("/Couvertures");
    ASSERT_TRUE(QDir().mkpath(covers));
    ASSERT_TRUE(QFile::copy(siteImagesFolder() + QStringLiteral("/Encours.jpg"),
                            covers + u'/' + kCouverture));
    const auto address = [](const QString& base, const QString& attribute) {
        return QUrl(base).resolved(QUrl(shown(cp1252::encode(attribute))));
    };
    const QString seriePage = url_ + QStringLiteral("/serie.php?coll=albums&idserie=1");
    const QString serie = cp1252::decode(fetch(seriePage).body);
    static const QRegularExpression card(
        QStringLiteral("<a href=\"(_image\\.php\\?image=[^\"]*)\"[^>]*>\\s*<img src=\"([^\"]*)\""));
    QStringList pictures;
    for (auto it = card.globalMatch(serie); it.hasNext();) {
        const QRegularExpressionMatch m = it.next();
        const QUrl picture = address(seriePage, m.captured(2));
        if (!picture.path().endsWith(QStringLiteral(" 01.jpg"))) {
            continue;
        }
        pictures << picture.toString(QUrl::FullyEncoded);
        const Page enlarged = fetch(address(seriePage, m.captured(1)).toString(QUrl::FullyEncoded));
        static const QRegularExpression img(QStringLiteral("<img src=\"([^\"]*)\""));
        const QString inside = img.match(cp1252::decode(enlarged.body)).captured(1);
        pictures << address(seriePage, inside).toString(QUrl::FullyEncoded);
    }
    ASSERT_EQ(pictures.size(), 2) << serie.toStdString();
    for (const QString& picture : pictures) {
        EXPECT_TRUE(picture.endsWith(
            QStringLiteral("/Couvertures/%C5%81%C3%B3d%C5%BA%20noc%C4%85%2001.jpg")))
            << picture.toStdString();
        EXPECT_EQ(fetch(picture).status, 200) << picture.toStdString();
    }
}

// Typed in the search form, as the browser posts it.
TEST_P(LettersBeyondWindows1252, FoundAsTypedInTheSearch) {
    const struct {
        const char* coll;
        const char* field;
        QString typed;
        QString found;
    } searches[] = {
        {"albums", "fnom", kNom, kTitre},
        {"albums", "fserie", QStringLiteral("Łódź"), kTitre},
        // Ž is a byte of Windows-1252 that latin1 tables do not pair with ž.
        {"albums", "fprenom", QStringLiteral("DRAŽEN"), kTitre},
        {"albums", "ftitre", QStringLiteral("ński → 😀"), kSerie},
        {"parabd", "fdescription", QStringLiteral("č ń Ł"), kObjet},
    };
    for (const auto& s : searches) {
        const SitePage page =
            postForm(url_ + QStringLiteral("/search.php?coll=") + QString::fromLatin1(s.coll),
                     {{QString::fromLatin1(s.field), s.typed}});
        EXPECT_EQ(page.problem(), QString()) << s.field;
        EXPECT_TRUE(shown(page.body).contains(s.found))
            << s.field << " " << s.typed.toStdString() << "\n"
            << page.body.left(3000).toStdString();
    }
}

// The recovery gives back each text as the catalogue holds it.
TEST_P(LettersBeyondWindows1252, RecoveredAsTheCatalogueHoldsThem) {
    QTemporaryDir dir;
    const QString recovery = dir.path() + QStringLiteral("/recovery.db");
    ASSERT_TRUE(QFile::copy(QStringLiteral(KALVOR_RECOVERY_DB), recovery));
    QFile(recovery).setPermissions(QFile::ReadOwner | QFile::WriteOwner);
    auto* item = run_->window.findChild<QAction*>(QStringLiteral("recovery"));
    ASSERT_NE(item, nullptr);
    item->trigger();
    FrmRecovery* dialog = FrmRecovery::Default();
    ASSERT_NE(dialog, nullptr);
    dialog->setDatabaseChooser([&] { return recovery; });
    dialog->box_site()->setText(url_);
    run_->prompt.clear();
    dialog->btn_process()->click();
    test::waitForWork(dialog->work());
    EXPECT_EQ(run_->prompt.texts(), QStringList{QStringLiteral("Récupération réussie")});
    dialog->close();
    const struct {
        const char* sql;
        QString expected;
    } texts[] = {
        {"select Nom from AUTEURS where IdAuteur = 4", kNom},
        {"select Prenom from AUTEURS where IdAuteur = 4", kPrenom},
        {"select Commentaire from AUTEURS where IdAuteur = 4", kComment},
        {"select Titre from SERIES where IdSerie = 1", kSerie},
        {"select Commentaire from SERIES where IdSerie = 1", kSerieComment},
        {"select Titre from ALBUMS where IdAlbum = 1", kTitre},
        {"select Commentaire from ALBUMS where IdAlbum = 1", kComment},
        {"select Couverture from ALBUMS where IdAlbum = 1", kCouverture},
        {"select Description from EXLIBRIS where IdExlibris = 1", kObjet},
        {"select Commentaire from EXLIBRIS where IdExlibris = 1", kComment},
    };
    for (const auto& t : texts) {
        EXPECT_EQ(recovered(recovery, QString::fromLatin1(t.sql)).toStdString(),
                  t.expected.toStdString())
            << t.sql;
    }
}

INSTANTIATE_TEST_SUITE_P(
    Routes, LettersBeyondWindows1252,
    testing::Values(Route{"v6_utf8", "v6", false}, Route{"v6_latin1", "v6", true},
                    Route{"v5_utf8", "v5", false}, Route{"v5_latin1", "v5", true}),
    [](const testing::TestParamInfo<Route>& info) { return std::string(info.param.name); });
