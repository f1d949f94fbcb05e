// The road of a publication as a user goes it: the program starts on a
// fixture catalogue, the settings are typed and ticked in the main window,
// the four generation buttons are clicked, the scripts are loaded into
// MariaDB, the export folder is served by PHP 8, and every link is followed
// from each collection's home page, each page twice (once made, once from the
// cache).
#include <QApplication>
#include <QCheckBox>
#include <QDir>
#include <QDirIterator>
#include <QElapsedTimer>
#include <QEventLoop>
#include <QFileInfo>
#include <QFocusEvent>
#include <QLineEdit>
#include <QNetworkAccessManager>
#include <QNetworkReply>
#include <QPushButton>
#include <QRadioButton>
#include <QRegularExpression>
#include <QSet>
#include <QTest>
#include <QThread>
#include <QUrl>
#include <QUuid>
#include <deque>

#include <gtest/gtest.h>

#include "app/kalvorform.h"
#include "app/start_up.h"
#include "common/general.h"
#include "e2e/e2e_servers.h"
#include "e2e/site/site_harness.h"
#include "e2e/wholesite/program_run.h"
#include "platform/cp1252.h"
#include "platform/prompt.h"
#include "platform/registry/registry.h"
#include "settings/settings.h"
#include "sitegen/site_files.h"
#include "support/test_paths.h"

using namespace kalvor;
using namespace kalvor::e2e;

namespace {

struct Road {
    const char* name;
    const char* catalogue;  // under tests/fixtures/catalogue
    const char* versionKey;
    bool latin1;
    const char* accented;  // a series title the home pages must show
};

void PrintTo(const Road& road, std::ostream* os) {
    *os << road.name;
}

QStringList missingSiteFiles() {
    QStringList missing;
    for (const sitegen::SiteFileLayout& layout : sitegen::siteFiles()) {
        if (!QFile::exists(QStringLiteral(":/site/") + layout.name)) {
            missing << layout.name;
        }
    }
    return missing;
}

// A crawler of one site: every page once, every link of a page checked.
class Crawler {
  public:
    explicit Crawler(const QString& siteUrl) : site_(QUrl(siteUrl + u'/')) {}

    void run(const QStringList& starts) {
        for (const QString& start : starts) {
            enqueue(site_.resolved(QUrl(start)), QStringLiteral("(départ)"));
        }
        while (!queue_.empty() && fetched_ < kLimit) {
            const auto [url, from] = queue_.front();
            queue_.pop_front();
            visit(url, from);
        }
        if (!queue_.empty()) {
            problems_ << QStringLiteral("more than %1 pages: the crawl stopped").arg(kLimit);
        }
    }

    const QStringList& problems() const { return problems_; }
    int fetched() const { return fetched_; }
    int pages() const { return pages_; }
    bool reached(const QString& page) const {
        for (const QString& url : seen_) {
            if (QUrl(url).path().endsWith(u'/' + page)) {
                return true;
            }
        }
        return false;
    }
    // How many pages hold these bytes.
    int pagesHolding(const QByteArray& bytes) const {
        int n = 0;
        for (const QByteArray& body : bodies_) {
            n += body.contains(bytes) ? 1 : 0;
        }
        return n;
    }

  private:
    static constexpr int kLimit = 20000;

    struct Reply {
        int status = 0;
        QByteArray body;
        QByteArray type;
    };

    Reply get(const QUrl& url) {
        QNetworkRequest request(url);
        request.setTransferTimeout(30000);
        QNetworkReply* reply = manager_.get(request);
        QEventLoop loop;
        QObject::connect(reply, &QNetworkReply::finished, &loop, &QEventLoop::quit);
        loop.exec();
        Reply r;
        r.status = reply->attribute(QNetworkRequest::HttpStatusCodeAttribute).toInt();
        r.body = reply->readAll();
        r.type = reply->rawHeader("Content-Type");
        reply->deleteLater();
        return r;
    }

    bool insideSite(const QUrl& url) const {
        return url.scheme() == site_.scheme() && url.host() == site_.host() &&
               url.port() == site_.port() && url.path().startsWith(site_.path());
    }

    void enqueue(QUrl url, const QString& from) {
        url.setFragment(QString());
        const QString key = url.toString(QUrl::FullyEncoded);
        if (seen_.contains(key)) {
            return;
        }
        seen_.insert(key);
        queue_.push_back({url, from});
    }

    void visit(const QUrl& url, const QString& from) {
        const QString path = url.path();
        const QString relative = url.toString(QUrl::FullyEncoded).mid(site_.toString().size());
        const bool page = path.endsWith(QStringLiteral(".php"));
        // The catalogue's own pictures are uploaded by the user: only the
        // site's files and pictures are the generator's to provide.
        const bool siteFile = page || path.startsWith(site_.path() + QStringLiteral("images/")) ||
                              path.endsWith(QStringLiteral(".css")) ||
                              path.endsWith(QStringLiteral(".js")) ||
                              path.endsWith(QStringLiteral(".htc"));
        if (!siteFile) {
            return;
        }
        ++fetched_;
        const Reply reply = get(url);
        SitePage judged;
        judged.status = reply.status;
        judged.body = reply.body;
        if (reply.status != 200) {
            problems_
                << QStringLiteral("%1 -> %2: statut %3").arg(from, relative).arg(reply.status);
            return;
        }
        if (!page) {
            return;
        }
        const QString problem = judged.problem();
        if (!problem.isEmpty()) {
            problems_ << relative + QStringLiteral(": ") + problem;
        }
        // Asked again, the page may come from the cache: the same bytes.
        ++pages_;
        const Reply again = get(url);
        if (again.body != reply.body || again.type != reply.type) {
            problems_ << relative + QStringLiteral(": another page the second time");
        }
        if (!reply.type.startsWith("text/html")) {
            return;
        }
        bodies_.insert(relative, reply.body);
        static const QRegularExpression link(
            QStringLiteral("(?:href|src|action)\\s*=\\s*(?:\"([^\"]*)\"|'([^']*)')"),
            QRegularExpression::CaseInsensitiveOption);
        const QString text = cp1252::decode(reply.body);
        auto it = link.globalMatch(text);
        while (it.hasNext()) {
            const QRegularExpressionMatch m = it.next();
            QString target = m.captured(1).isNull() ? m.captured(2) : m.captured(1);
            target.replace(QStringLiteral("&amp;"), QStringLiteral("&"));
            target.replace(QStringLiteral("&#39;"), QStringLiteral("'"));
            if (target.isEmpty() || target.startsWith(u'#') ||
                target.startsWith(QStringLiteral("mailto:"), Qt::CaseInsensitive) ||
                target.startsWith(QStringLiteral("javascript:"), Qt::CaseInsensitive)) {
                continue;
            }
            const QUrl resolved = url.resolved(QUrl(target));
            if (insideSite(resolved)) {
                enqueue(resolved, relative);
            }
        }
    }

    QUrl site_;
    QNetworkAccessManager manager_;
    std::deque<std::pair<QUrl, QString>> queue_;
    QSet<QString> seen_;
    QMap<QString, QByteArray> bodies_;
    QStringList problems_;
    int fetched_ = 0;
    int pages_ = 0;
};

class WholeRoad : public testing::TestWithParam<Road> {};

}  // namespace

TEST_P(WholeRoad, FromTheWindowToEveryPageOfEveryCollection) {
    KALVOR_REQUIRE_SERVERS();
    const QStringList missing = missingSiteFiles();
    if (!missing.isEmpty()) {
        GTEST_SKIP() << "site files not written yet: " << missing.join(u' ').toStdString();
    }
    const Road road = GetParam();
    test::IsolatedEnvironment env;
    Registry::currentUser().createKey(QString::fromLatin1(road.versionKey));
    const QString base =
        QString::fromLatin1(road.versionKey) +
        (QByteArray(road.versionKey) == "Software\\Ormelo6" ? QString() : QStringLiteral("\\Base"));
    general::Set_Registry_Value(
        HKEY_CURRENT_USER, base, QStringLiteral("CheminBase"),
        test::fixturePath(QStringLiteral("catalogue/") + QString::fromLatin1(road.catalogue)));

    const QString unique =
        QStringLiteral("route_") + QUuid::createUuid().toString(QUuid::Id128).left(8);
    const QString folder = phpRoot() + u'/' + unique;
    const QString url = phpUrl() + u'/' + unique;
    ASSERT_TRUE(QDir().mkpath(folder));
    const QString database = createDatabase(QStringLiteral("route"));

    ProgramRun run;
    const QStringList settingsFailed = [&] {
        QStringList failed;
        const auto must = [&](bool done, const char* what) {
            if (!done) {
                failed << QString::fromLatin1(what);
            }
        };
        must(run.type(QStringLiteral("box_phpexport"), folder), "box_phpexport");
        must(run.type(QStringLiteral("box_host"), mysqlHost()), "box_host");
        must(run.type(QStringLiteral("box_login"), mysqlUser()), "box_login");
        must(run.type(QStringLiteral("box_password"), mysqlPassword()), "box_password");
        must(run.type(QStringLiteral("box_base"), database), "box_base");
        must(run.type(QStringLiteral("box_prefixe_table"), QStringLiteral("kv_")),
             "box_prefixe_table");
        must(run.type(QStringLiteral("box_series_accueil"), QStringLiteral("10")),
             "box_series_accueil");
        for (const char* name : {"opt_albums",      "opt_acheter",         "opt_parabd",
                                 "opt_revues",      "Opt_Collaborateurs",  "opt_eo",
                                 "opt_int",         "opt_reliure",         "opt_tt",
                                 "opt_colorauteur", "opt_commentaire",     "opt_nb_liste",
                                 "opt_dedicace",    "opt_listecollection", "opt_listestyle",
                                 "opt_listedl",     "opt_listeachat",      "opt_listenotes",
                                 "opt_imprimer",    "opt_moteur",          "opt_icones",
                                 "opt_stats",       "opt_image_accueil",   "opt_perso1",
                                 "opt_perso2",      "opt_perso3",          "opt_perso4"}) {
            must(run.tick(QString::fromLatin1(name)), name);
        }
        // Pictures in folders of the site; thumbnails beside them, as the
        // window offers when asked.
        run.prompt.queueAnswers({true});
        must(run.choose(QStringLiteral("Opt_Sousrep")), "Opt_Sousrep");
        must(run.tick(QStringLiteral("opt_miniatures")), "opt_miniatures");
        must(run.choose(QStringLiteral("Opt_versoright")), "Opt_versoright");
        must(run.choose(road.latin1 ? QStringLiteral("opt_latin1") : QStringLiteral("opt_utf8")),
             "opt_latin1/opt_utf8");
        return failed;
    }();
    ASSERT_TRUE(settingsFailed.isEmpty())
        << "controls missing or refused: " << settingsFailed.join(u' ').toStdString();
    ASSERT_TRUE(run.prompt.shown().empty() ||
                run.prompt.shown().back().icon == PromptIcon::Question)
        << run.prompt.texts().join(u'\n').toStdString();

    QString failed;
    for (const char* button :
         {"btn_Create_Config", "btn_Create_Structure", "btn_Donnees_SQL", "btn_Create_PHP"}) {
        failed += run.click(QString::fromLatin1(button));
    }
    ASSERT_TRUE(failed.isEmpty()) << failed.toStdString();
    for (const sitegen::SiteFileLayout& layout : sitegen::siteFiles()) {
        EXPECT_TRUE(QFile::exists(folder + u'/' + layout.name)) << layout.name.toStdString();
    }

    // What the user uploads besides: the scripts run on the host, the site's
    // pictures, the placeholder picture in the image folders.
    for (const char* script : {"tables.sql", "donnees.sql"}) {
        const LoadResult loaded =
            loadScriptFile(database, folder + QStringLiteral("/scripts/") + script);
        ASSERT_TRUE(loaded.ok && loaded.errors.isEmpty())
            << script << ": " << loaded.errors.toStdString();
    }
    const QDir pictures(siteImagesFolder());
    QDir().mkpath(folder + QStringLiteral("/images"));
    for (const QString& name : pictures.entryList(QDir::Files)) {
        QFile::copy(pictures.filePath(name), folder + QStringLiteral("/images/") + name);
    }
    const Settings& s = run.settings;
    for (const QString& rep :
         {s.GV_Rep_Couvertures, s.GV_Rep_Versos, s.GV_Rep_Photos, s.GV_Rep_Planches,
          s.GV_Rep_Dedicaces, s.GV_Rep_Parabd, s.GV_Rep_Revues}) {
        QDir().mkpath(folder + u'/' + rep);
        QFile::copy(pictures.filePath(QStringLiteral("Encours.jpg")),
                    folder + u'/' + rep + QStringLiteral("/Encours.jpg"));
    }

    const QStringList homes = {
        QStringLiteral("index.php?coll=albums"), QStringLiteral("index.php?coll=acheter"),
        QStringLiteral("index.php?coll=dedicace"), QStringLiteral("index.php?coll=parabd"),
        QStringLiteral("index.php?coll=revue")};
    Crawler crawler(url);
    // Stricter than a host: the notices and deprecations that the generated
    // require.php hides count too.
    QByteArray require = test::readAll(folder + QStringLiteral("/require.php"));
    ASSERT_TRUE(require.contains("error_reporting(E_ERROR | E_WARNING | E_PARSE);"));
    require.replace("error_reporting(E_ERROR | E_WARNING | E_PARSE);", "error_reporting(E_ALL);");
    test::writeAll(folder + QStringLiteral("/require.php"), require);
    // The cache keeps no page made just after a change of the data or of the
    // site's files; from then on, a page asked twice is made, then sent from
    // the cache. (Some charts list tied rows in any order: made twice, they
    // may differ.)
    const auto kept = [&] {
        const QString cache = folder + QStringLiteral("/cache");
        QDirIterator it(cache, {QStringLiteral("*.html")}, QDir::Files,
                        QDirIterator::Subdirectories);
        int n = 0;
        while (it.hasNext()) {
            n += QFileInfo(it.next()).path() != cache;  // not the folder's blank index
        }
        return n;
    };
    QElapsedTimer waited;
    waited.start();
    while (kept() == 0 && waited.elapsed() < 10000) {
        fetch(url + QStringLiteral("/index.php"));
        QThread::msleep(200);
    }
    ASSERT_EQ(kept(), 1);
    crawler.run(QStringList{QStringLiteral("index.php")} + homes);
    EXPECT_TRUE(crawler.problems().isEmpty())
        << crawler.problems().size() << " problems in " << crawler.fetched() << " fetches:\n"
        << crawler.problems().mid(0, 40).join(u'\n').toStdString();

    // The crawl went where a visitor goes.
    for (const char* page :
         {"liste.php", "serie.php", "auteur.php", "revue.php", "type.php", "notes.php", "stats.php",
          "imprimer.php", "moteur.php", "collection.php", "style.php", "dl.php", "dt-achat.php"}) {
        EXPECT_TRUE(crawler.reached(QString::fromLatin1(page))) << page;
    }
    EXPECT_GT(crawler.fetched(), 100);
    // Most of them twice, the second time from the cache.
    EXPECT_GT(kept(), crawler.pages() / 2);
    // The endpoints the program calls answer on the published site.
    const auto rows = [&](const char* table) {
        return fetch(url + QStringLiteral("/recovery.php?pwd=%1&tablename=%2")
                               .arg(mysqlPassword(), QString::fromLatin1(table)))
            .body.count("#end#");
    };
    EXPECT_EQ(rows("albums"), 70);
    EXPECT_EQ(rows("acheter"), 15);
    EXPECT_TRUE(fetch(url + QStringLiteral("/check_files.php?current_rep=couvertures"))
                    .body.startsWith("Encours.jpg@@@"));

    // Accented texts reach the ISO-8859-1 pages whole, in both encodings.
    EXPECT_GT(crawler.pagesHolding(cp1252::encode(QString::fromUtf8(road.accented))), 0)
        << road.accented;
    EXPECT_EQ(crawler.pagesHolding(QByteArray(road.accented)), 0) << road.accented;
}

INSTANTIATE_TEST_SUITE_P(Catalogues, WholeRoad,
                         testing::Values(Road{"v6_utf8", "catalogue-v6.mdb", "Software\\Ormelo6",
                                              false, "Brumes sur Vénasque"},
                                         Road{"v5_latin1", "catalogue-v5.mdb",
                                              "Software\\Orme Lo v5", true, "Brumes sur Vénasque"}),
                         [](const testing::TestParamInfo<Road>& info) {
                             return std::string(info.param.name);
                         });
