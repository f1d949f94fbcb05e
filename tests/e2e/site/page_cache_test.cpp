// The cache of made pages: it sends the page as made, under a key of every
// parameter the page reads, a fresh one once the data or require.php changed,
// never for a posted form the page reads, and nothing at all, silently, when
// its folder cannot be written; at its bound the oldest pages go.
#include <QCryptographicHash>
#include <QDir>
#include <QDirIterator>
#include <QElapsedTimer>
#include <QEventLoop>
#include <QFile>
#include <QFileInfo>
#include <QHash>
#include <QNetworkAccessManager>
#include <QNetworkReply>
#include <QRegularExpression>
#include <QSize>
#include <QTemporaryDir>
#include <QThread>
#include <QUrl>
#include <filesystem>

#include <fcntl.h>
#include <sys/file.h>
#include <unistd.h>

#include <gtest/gtest.h>

#include "e2e/e2e_servers.h"
#include "e2e/site/cgi_page.h"
#include "e2e/site/site_harness.h"
#include "platform/cp1252.h"
#include "support/next_second.h"
#include "support/test_paths.h"

using namespace kalvor;
using namespace kalvor::e2e;

namespace {

QStringList cachedPages(const SiteHarness& site) {
    QStringList pages;
    const QString root = site.folder() + QStringLiteral("/cache");
    QDirIterator it(root, {QStringLiteral("*.html")}, QDir::Files, QDirIterator::Subdirectories);
    while (it.hasNext()) {
        const QString page = it.next();
        // Not the folder's own blank index, nor pages of earlier data.
        if (QFileInfo(page).path() != root &&
            !page.contains(QStringLiteral("/kalvor-a-effacer/"))) {
            pages << page;
        }
    }
    return pages;
}

bool openToOthers(const QString& folder) {
    return QFileInfo(folder).permissions().testFlag(QFileDevice::WriteOther);
}

// The page, asked for until the cache holds it: a page made within a few
// seconds of a change of the data or of the site's files is not kept.
// `fetch` asks for it otherwise than from the test server.
SitePage getUntilCached(const SiteHarness& site, const QString& page,
                        const std::function<QByteArray(const QString&)>& fetch = {}) {
    const QStringList before = cachedPages(site);
    const auto kept = [&] {
        for (const QString& entry : cachedPages(site)) {
            if (!before.contains(entry)) {
                return true;
            }
        }
        return false;
    };
    QElapsedTimer waited;
    waited.start();
    const auto visit = [&] {
        return fetch ? SitePage{200, fetch(page), {}, false, {}} : site.get(page);
    };
    SitePage made = visit();
    while (!kept() && waited.elapsed() < 10000) {
        QThread::msleep(200);
        made = visit();
    }
    return made;
}

// The cache file that appeared since `before`, empty when none did.
QString newCachedPage(const SiteHarness& site, const QStringList& before) {
    for (const QString& entry : cachedPages(site)) {
        if (!before.contains(entry)) {
            return entry;
        }
    }
    return QString();
}

// The page kept, its cache file marked, so that a page sent from the cache
// tells itself apart from one made again.
QString keepMarked(const SiteHarness& site, const QString& page,
                   const std::function<QByteArray(const QString&)>& fetch = {}) {
    const QStringList before = cachedPages(site);
    getUntilCached(site, page, fetch);
    const QString kept = newCachedPage(site, before);
    if (kept.isEmpty()) {
        return kept;
    }
    // A page that links thumbnails has their list after it, its length at the
    // end of the 128-byte header line.
    const QByteArray mark = "<!-- du cache -->";
    QByteArray bytes = test::readAll(kept);
    const QList<QByteArray> header = bytes.left(128).trimmed().split('\t');
    if (header.size() == 2) {
        const qsizetype end = 128 + header[1].toLongLong();
        QByteArray line = header[0] + '\t' + QByteArray::number(end - 128 + mark.size());
        line += QByteArray(127 - line.size(), ' ') + '\n';
        bytes = line + bytes.mid(128, end - 128) + mark + bytes.mid(end);
    } else {
        bytes += mark;
    }
    test::writeAll(kept, bytes);
    return kept;
}

bool fromCache(const SiteHarness& site, const QString& page) {
    return site.get(page).body.endsWith("<!-- du cache -->");
}

// The address in the src of the cover of a card.
QString cover(const QByteArray& body, const char* card) {
    const qsizetype alt = body.indexOf("alt=\"recto\"", body.indexOf(card));
    const qsizetype src = body.lastIndexOf("<img src=\"", alt) + 10;
    return QString::fromLatin1(body.mid(src, body.indexOf('"', src) - src).replace("&amp;", "&"));
}

// The width and height in a JPEG's frame header.
QSize jpegSize(const QByteArray& jpeg) {
    for (qsizetype at = 2; at + 9 < jpeg.size() && uchar(jpeg[at]) == 0xFF;) {
        const uchar marker = uchar(jpeg[at + 1]);
        if (marker >= 0xC0 && marker <= 0xC3) {
            return QSize(uchar(jpeg[at + 7]) << 8 | uchar(jpeg[at + 8]),
                         uchar(jpeg[at + 5]) << 8 | uchar(jpeg[at + 6]));
        }
        at += 2 + (uchar(jpeg[at + 2]) << 8 | uchar(jpeg[at + 3]));
    }
    return QSize();
}

// Builds the site of the fixture catalogue, or says why it could not.
testing::AssertionResult publish(SiteHarness& site) {
    const QString failed =
        site.build(siteSettings(), siteStats(), publishedData,
                   test::fixturePath(QStringLiteral("catalogue/catalogue-v6.mdb")));
    if (failed.isEmpty()) {
        return testing::AssertionSuccess();
    }
    return testing::AssertionFailure() << failed.toStdString();
}

// A page run through PHP's CGI with `method`, and what it cost: the bytes the
// page wrote (the server drops them for HEAD, yet they were read) and the
// questions its MySQL connection asked, none without a connection.
struct Costed {
    CgiPage reply;
    qint64 written = -1;
    int questions = -1;
};

Costed costed(const SiteHarness& site, const QString& pageAndQuery,
              const QString& method = QStringLiteral("GET")) {
    // Beside the site: the pages it counts are kept apart from the server's.
    const QString counter = site.folder() + QStringLiteral("_compte.php");
    if (!QFileInfo::exists(counter)) {
        test::writeAll(counter,
                       "<?php\nob_start(function ($texte, $phase) {\n  static $octets = 0;\n"
                       "  $octets += strlen($texte);\n  if ($phase & PHP_OUTPUT_HANDLER_FINAL) {\n"
                       "    error_log('octets ' . $octets);\n  }\n  return $texte;\n});\n"
                       "register_shutdown_function(function () {\n  $r = empty($GLOBALS['dblink'])"
                       " ? false : mysql_query(\"SHOW SESSION STATUS LIKE 'Questions'\");\n"
                       "  $l = $r ? mysql_fetch_row($r) : array('', 0);\n"
                       "  error_log('questions ' . $l[1]);\n});\n");
    }
    const qsizetype query = pageAndQuery.indexOf(u'?');
    Costed cost;
    cost.reply = runCgi(site.folder(), pageAndQuery.left(query),
                        query < 0 ? QString() : pageAndQuery.mid(query + 1),
                        {QStringLiteral("auto_prepend_file=") + counter}, QString(), method);
    static const QRegularExpression said(QStringLiteral("(octets|questions) (\\d+)"));
    for (auto it = said.globalMatch(QString::fromLatin1(cost.reply.errorLog)); it.hasNext();) {
        const QRegularExpressionMatch m = it.next();
        if (m.captured(1) == QStringLiteral("octets")) {
            cost.written = m.captured(2).toLongLong();
        } else {
            cost.questions = m.captured(2).toInt();
        }
    }
    return cost;
}

}  // namespace

TEST(PageCache, FreshAfterDataOrSettingsChangeAndSilentWithoutItsFolder) {
    KALVOR_REQUIRE_SERVERS();
    test::IsolatedEnvironment env;
    SiteHarness site(QStringLiteral("cache"));
    ASSERT_TRUE(publish(site));

    const QString liste = QStringLiteral("liste.php?coll=albums&liste=series");
    const SitePage made = getUntilCached(site, liste);
    ASSERT_EQ(cachedPages(site).size(), 1);
    const SitePage sent = site.get(liste);
    EXPECT_EQ(sent.body, made.body);
    EXPECT_EQ(sent.contentType, made.contentType);
    // Tags added to shared links make no copy of their own.
    for (const char* tag : {"&fbclid=IwAR0xyz", "&utm_source=facebook&utm_medium=social"}) {
        EXPECT_EQ(site.get(liste + QString::fromLatin1(tag)).body, made.body);
    }
    EXPECT_EQ(cachedPages(site).size(), 1);
    // The folder is refused to the web where the host allows it, and never
    // listed.
    const QString cache = site.folder() + QStringLiteral("/cache");
    EXPECT_TRUE(test::readAll(cache + QStringLiteral("/.htaccess")).contains("Require all denied"));
    EXPECT_TRUE(QFileInfo::exists(cache + QStringLiteral("/index.html")));
    // The folder may hold the owner's own folders: they outlive the data.
    const QString own = cache + QStringLiteral("/a moi/garde.jpg");
    ASSERT_TRUE(QDir().mkpath(QFileInfo(own).path()));
    test::writeAll(own, "rien");
    // Many pages kept of the data about to change.
    const QString earlier = QFileInfo(cachedPages(site)[0]).path();
    for (int i = 0; i < 2000; ++i) {
        test::writeAll(earlier + QStringLiteral("/%1.html").arg(i, 32, 16, QLatin1Char('0')), "x");
    }

    // A data script loaded: the next page is made again.
    const SqlResult loaded =
        runSql(site.database(),
               QByteArrayLiteral("UPDATE kv_series SET titre = 'Titre tout neuf' WHERE idserie = "
                                 "(SELECT min(idserie) FROM kv_albums);\n"
                                 "UPDATE kv_kalvor SET last_update = '2030-01-01';\n"));
    ASSERT_TRUE(loaded.ok) << loaded.errors.toStdString();
    EXPECT_TRUE(site.get(liste).body.contains("Titre tout neuf"));

    // Earlier data's pages go by later visits, none of which deletes them all.
    ASSERT_TRUE(getUntilCached(site, QStringLiteral("index.php")).problem().isEmpty());
    const QString aside = cache + QStringLiteral("/kalvor-a-effacer");
    const auto waiting = [&] {
        int pages = 0;
        QDirIterator it(aside, {QStringLiteral("*.html")}, QDir::Files,
                        QDirIterator::Subdirectories);
        for (; it.hasNext(); it.next()) {
            ++pages;
        }
        return pages;
    };
    EXPECT_GT(waiting(), 1000);
    EXPECT_FALSE(QFileInfo::exists(earlier));
    // A visit's batch: one page at least, whatever the time; no more than
    // its time allows (a quarter of the page's); 300 at most. The page's
    // start is moved through PHP's CGI: ahead, no time is left; long ago,
    // all the time it wants.
    const QTemporaryDir prepends;
    const auto batch = [&](const char* shift, int visit) {
        const QString start = prepends.filePath(QStringLiteral("debut.php"));
        test::writeAll(
            start,
            QByteArray("<?php $_SERVER['REQUEST_TIME_FLOAT'] = microtime(true) ") + shift + ";\n");
        // One size and date for all: the pages' key counts the file.
        QFile file(start);
        EXPECT_TRUE(file.open(QIODevice::ReadWrite));
        file.setFileTime(QDateTime(QDate(2020, 1, 1), QTime(0, 0)),
                         QFileDevice::FileModificationTime);
        const auto files = [&] {
            int n = 0;
            QDirIterator it(aside, QDir::Files | QDir::Hidden, QDirIterator::Subdirectories);
            for (; it.hasNext(); it.next()) {
                ++n;
            }
            return n;
        };
        const int before = files();
        const CgiPage page = runCgi(site.folder(), QStringLiteral("serie.php"),
                                    QStringLiteral("coll=albums&idserie=-70%1").arg(visit),
                                    {QStringLiteral("auto_prepend_file=") + start});
        EXPECT_EQ(page.status, 200) << page.failure.toStdString();
        return before - files();
    };
    batch("+ 0.00", 0);  // the pages' files now count the one moving its start
    EXPECT_EQ(batch("+ 1000", 1), 1);
    EXPECT_EQ(batch("- 1000", 2), 300);
    // Through PHP's CGI as a host runs it, with nothing to say.
    const CgiPage viaCgi = runCgi(site.folder(), QStringLiteral("liste.php"),
                                  QStringLiteral("coll=albums&liste=auteurs"));
    EXPECT_EQ(viaCgi.status, 200) << viaCgi.failure.toStdString();
    EXPECT_EQ(viaCgi.errorLog, QByteArray());
    EXPECT_EQ(viaCgi.body, site.get(QStringLiteral("liste.php?coll=albums&liste=auteurs")).body);
    // One visit at a time deletes them: the others go on at once.
    const int aside1 = waiting();
    {
        const int held = ::open(
            QFile::encodeName(cache + QStringLiteral("/.htkalvor-a-effacer.verrou")).constData(),
            O_RDWR | O_CREAT, 0644);
        ASSERT_GE(held, 0);
        ASSERT_EQ(::flock(held, LOCK_EX), 0);
        for (int i = 0; i < 5; ++i) {
            site.get(QStringLiteral("serie.php?coll=albums&idserie=-9%1").arg(i));
        }
        ::close(held);
    }
    EXPECT_EQ(waiting(), aside1);
    for (int i = 0; i < 3000 && QFileInfo::exists(aside); ++i) {
        site.get(QStringLiteral("serie.php?coll=albums&idserie=-%1").arg(i));
    }
    EXPECT_EQ(waiting(), 0);
    EXPECT_FALSE(QFileInfo::exists(aside));
    EXPECT_TRUE(QFileInfo::exists(own));

    // require.php rewritten: so is the page.
    const QString require = site.folder() + QStringLiteral("/require.php");
    QByteArray settings = test::readAll(require);
    ASSERT_TRUE(settings.contains(cp1252::encode(siteSettings().box_titre)));
    settings.replace(cp1252::encode(siteSettings().box_titre), "Titre du site remanie");
    test::writeAll(require, settings);
    // OPcache may run the former file for a while, whatever the cache does.
    QElapsedTimer waited;
    waited.start();
    while (!site.get(QStringLiteral("index.php")).body.contains("Titre du site remanie") &&
           waited.elapsed() < 10000) {
        QThread::msleep(200);
    }
    EXPECT_LT(waited.elapsed(), 10000);

    // A posted search is answered by the search, not by the page of the
    // same address kept from a plain visit.
    const QString search = QStringLiteral("search.php?coll=albums");
    const SitePage everything = getUntilCached(site, search);
    EXPECT_NE(site.post(search, {{QStringLiteral("ftitre"), QStringLiteral("zqzqzq")}}).body,
              everything.body);

    // At the bound the oldest pages make room for the new ones.
    settings = test::readAll(require);
    ASSERT_TRUE(settings.contains("$GV_cache_taille   = 256;"));
    test::writeAll(require,
                   settings.replace("$GV_cache_taille   = 256;", "$GV_cache_taille   = 0.00001;"));
    ASSERT_FALSE(getUntilCached(site, QStringLiteral("index.php")).body.isEmpty());
    const QStringList first = cachedPages(site);
    ASSERT_EQ(first.size(), 1);
    getUntilCached(site, liste);
    const QStringList second = cachedPages(site);
    ASSERT_EQ(second.size(), 1);
    EXPECT_NE(second, first);

    // A cache folder that cannot be made: the same page, no message.
    const SitePage before = getUntilCached(site, liste);
    // A worker may still be finishing the page it kept after sending it.
    QElapsedTimer removing;
    removing.start();
    while (!QDir(site.folder() + QStringLiteral("/cache")).removeRecursively() &&
           removing.elapsed() < 5000) {
        QThread::msleep(100);
    }
    ASSERT_FALSE(QFileInfo::exists(site.folder() + QStringLiteral("/cache")));
    test::writeAll(site.folder() + QStringLiteral("/cache"), "pas un dossier");
    for (int i = 0; i < 2; ++i) {
        const SitePage page = site.get(liste);
        EXPECT_TRUE(page.problem().isEmpty()) << page.problem().toStdString();
        EXPECT_EQ(page.body, before.body);
        EXPECT_EQ(page.contentType, before.contentType);
    }
}

TEST(PageCache, HoldsWhileThumbnailsAreMadeAndKeepsNoPageWithOneToMake) {
    KALVOR_REQUIRE_SERVERS();
    test::IsolatedEnvironment env;
    SiteHarness site(QStringLiteral("cachemini"));
    ASSERT_TRUE(publish(site));
    // Albums 89 and 88 of series 12 have their covers on the host.
    const QString jpeg = siteImagesFolder() + QStringLiteral("/Encours.jpg");
    const QString covers = site.folder() + QStringLiteral("/couvertures/");
    ASSERT_TRUE(QFile::copy(jpeg, covers + QStringLiteral("couv_album89.jpg")));
    ASSERT_TRUE(QFile::copy(jpeg, covers + QStringLiteral("Couv_Album88.JPG")));
    // An author's photo is made at the size the page shows it.
    const QStringList author =
        runSql(site.database(),
               "SELECT idauteur, photo FROM kv_auteurs WHERE photo LIKE '%.jpg' "
               "ORDER BY idauteur LIMIT 1")
            .rows.value(0);
    ASSERT_EQ(author.size(), 2);
    ASSERT_TRUE(QDir().mkpath(site.folder() + QStringLiteral("/photos")));
    ASSERT_TRUE(QFile::copy(jpeg, site.folder() + QStringLiteral("/photos/") + author[1]));
    const QByteArray card =
        site.get(QStringLiteral("auteur.php?coll=albums&idauteur=") + author[0]).body;
    const qsizetype photo = card.indexOf("<img src=\"", card.indexOf("class=\"Illus\"")) + 10;
    const QString maker = QString::fromLatin1(card.mid(photo, card.indexOf('"', photo) - photo))
                              .replace("&amp;", "&");
    EXPECT_TRUE(maker.endsWith(QStringLiteral("&width=120&height=150"))) << maker.toStdString();
    EXPECT_EQ(jpegSize(site.getOnce(maker).body), QSize(120, 150));

    // A thumbnail made in the second its picture was put there is not kept.
    test::waitForNextSecond();
    const QString liste = QStringLiteral("liste.php?coll=albums&liste=series");
    ASSERT_FALSE(keepMarked(site, liste).isEmpty());

    // A card page whose covers are not there makes no thumbnail folder: it
    // is kept under the state it was made in.
    const QString sansImage = QStringLiteral("serie.php?coll=albums&idserie=1");
    ASSERT_FALSE(keepMarked(site, sansImage).isEmpty());
    EXPECT_TRUE(fromCache(site, sansImage));
    EXPECT_FALSE(QFileInfo::exists(site.folder() + QStringLiteral("/mini/couvertures")));

    // A page linking thumbnails still to make is sent, not kept.
    const QString page = QStringLiteral("serie.php?coll=albums&idserie=12");
    const QStringList before = cachedPages(site);
    const SitePage made = site.get(page);
    ASSERT_TRUE(made.problem().isEmpty()) << made.problem().toStdString();
    const QString coeur = cover(made.body, "id=\"i89\"");
    const QString noel = cover(made.body, "id=\"i88\"");
    ASSERT_TRUE(coeur.startsWith(QStringLiteral("_retaille.php?"))) << coeur.toStdString();
    ASSERT_TRUE(noel.startsWith(QStringLiteral("_retaille.php?"))) << noel.toStdString();
    EXPECT_EQ(newCachedPage(site, before), QString());

    // The first thumbnail makes its folder; the next ones leave kept pages be.
    EXPECT_EQ(site.get(coeur).contentType, "image/jpeg");
    ASSERT_TRUE(QFileInfo::exists(site.folder() + QStringLiteral("/mini/couvertures")));
    for (const char* made :
         {"/mini", "/mini/couvertures", "/mini/couvertures/m_couv_album89.jpg"}) {
        EXPECT_FALSE(openToOthers(site.folder() + QLatin1String(made))) << made;
    }
    ASSERT_FALSE(keepMarked(site, liste).isEmpty());
    EXPECT_EQ(site.get(noel).contentType, "image/jpeg");
    EXPECT_TRUE(fromCache(site, liste));

    // A thumbnail already there is sent as it stands.
    const QString made89 = site.folder() + QStringLiteral("/mini/couvertures/m_couv_album89.jpg");
    ASSERT_TRUE(QFileInfo::exists(made89));
    const QByteArray mine = test::readAll(jpeg);
    test::writeAll(made89, mine);
    const SitePage sent = site.get(coeur);
    EXPECT_EQ(sent.contentType, "image/jpeg");
    EXPECT_TRUE(sent.body == mine);

    // With its thumbnails made, the card page is kept as made, and as it
    // leaves the host's own paths out.
    const QString keptCard = keepMarked(site, page);
    ASSERT_FALSE(keptCard.isEmpty());
    EXPECT_FALSE(test::readAll(keptCard).contains(site.folder().toUtf8()));
    const SitePage shown = site.get(page);
    EXPECT_TRUE(shown.body.endsWith("<!-- du cache -->"));
    EXPECT_FALSE(shown.body.contains("_retaille.php")) << shown.body.toStdString();
    EXPECT_EQ(cover(shown.body, "id=\"i89\""),
              QStringLiteral("mini/couvertures/m_couv_album89.jpg"));

    // A thumbnail deleted, so that it is made again: the kept page is not
    // sent with a link that answers 404, but made again through the maker.
    ASSERT_TRUE(QFile::remove(made89));
    const SitePage remade = site.get(page);
    ASSERT_TRUE(remade.problem().isEmpty()) << remade.problem().toStdString();
    EXPECT_FALSE(remade.body.endsWith("<!-- du cache -->"));
    const QString again = cover(remade.body, "id=\"i89\"");
    EXPECT_TRUE(again.startsWith(QStringLiteral("_retaille.php?"))) << again.toStdString();
    EXPECT_EQ(cover(remade.body, "id=\"i88\""),
              QStringLiteral("mini/couvertures/m_Couv_Album88.JPG"));
    EXPECT_EQ(site.get(again).contentType, "image/jpeg");
    ASSERT_FALSE(keepMarked(site, page).isEmpty());
    EXPECT_EQ(cover(site.get(page).body, "id=\"i89\""),
              QStringLiteral("mini/couvertures/m_couv_album89.jpg"));

    // A picture uploaded over its older self (a second later, as times go by
    // seconds): the kept page links the maker, which makes it again.
    const QByteArray older = test::readAll(made89);
    test::waitForNextSecond();
    const qint64 uploaded = QDateTime::currentSecsSinceEpoch();
    test::writeAll(
        covers + QStringLiteral("couv_album89.jpg"),
        test::readAll(site.folder() + QStringLiteral("/mini/couvertures/m_Couv_Album88.JPG")));
    const QString renew = cover(site.get(page).body, "id=\"i89\"");
    EXPECT_TRUE(renew.startsWith(QStringLiteral("_retaille.php?"))) << renew.toStdString();
    EXPECT_EQ(site.get(renew).contentType, "image/jpeg");
    // One made in that second may be of half an upload: made again later.
    const bool sameSecond = QDateTime::currentSecsSinceEpoch() == uploaded;
    test::waitForNextSecond();
    if (sameSecond) {
        EXPECT_TRUE(
            cover(site.get(page).body, "id=\"i89\"").startsWith(QStringLiteral("_retaille")));
    }
    EXPECT_EQ(site.get(renew).contentType, "image/jpeg");
    EXPECT_NE(test::readAll(made89), older);
    EXPECT_FALSE(cover(site.get(page).body, "id=\"i89\"").startsWith(QStringLiteral("_retaille")));
    // Its thumbnail read in the second a picture was put there (past the
    // margin for the file system's clock) is sent, not kept.
    QByteArray earlier;
    bool within = false;
    for (int tries = 0; tries < 3 && !within; ++tries) {
        test::waitForNextSecond();
        QThread::msleep(150);
        const qint64 second = QDateTime::currentSecsSinceEpoch();
        earlier = test::readAll(made89);
        test::writeAll(covers + QStringLiteral("couv_album89.jpg"), tries % 2 ? older : mine);
        EXPECT_EQ(site.getOnce(renew).contentType, "image/jpeg");
        within = QDateTime::currentSecsSinceEpoch() == second;
        if (within) {
            EXPECT_EQ(test::readAll(made89), earlier);
        }
    }
    EXPECT_TRUE(within);
    test::waitForNextSecond();
    EXPECT_EQ(site.getOnce(renew).contentType, "image/jpeg");
    EXPECT_NE(test::readAll(made89), earlier);
    // One whose date is ahead of the server's clock, as an upload keeping the
    // sender's dates may leave it, gets its thumbnail made once.
    std::filesystem::last_write_time(
        (covers + QStringLiteral("couv_album89.jpg")).toStdString(),
        std::filesystem::file_time_type::clock::now() + std::chrono::hours(3));
    test::waitForNextSecond();
    EXPECT_EQ(site.getOnce(cover(site.get(page).body, "id=\"i89\"")).contentType, "image/jpeg");
    EXPECT_FALSE(cover(site.get(page).body, "id=\"i89\"").startsWith(QStringLiteral("_retaille")));

    // A thumbnail folder that cannot be made: the thumbnail is sent, and
    // the server's log says why, once.
    ASSERT_TRUE(QDir(site.folder() + QStringLiteral("/mini/couvertures")).removeRecursively());
    test::writeAll(site.folder() + QStringLiteral("/mini/couvertures"), "pas un dossier");
    EXPECT_EQ(site.getOnce(again).contentType, "image/jpeg");
    EXPECT_EQ(site.getOnce(again).contentType, "image/jpeg");
    const auto said = [&] {
        return test::readAll(qEnvironmentVariable("KALVOR_TEST_DIR") + QStringLiteral("/php.log"))
            .count(site.folder().toUtf8() +
                   ") : le dossier de miniatures \"mini/couvertures\" "
                   "ne peut pas \xC3\xAAtre cr\xC3\xA9\xC3\xA9");
    };
    EXPECT_EQ(said(), 1);
    const QStringList marks =
        QDir(site.folder()).entryList({"*.signale"}, QDir::Hidden | QDir::Files);
    ASSERT_EQ(marks.size(), 1);
    // Where the site's folder takes no mark either, it is still said once.
    const QString mark = site.folder() + u'/' + marks[0];
    ASSERT_TRUE(QFile::remove(mark));
    ASSERT_TRUE(QFile::link(QStringLiteral("/nonexistent/kalvor"), mark));
    EXPECT_EQ(site.getOnce(again).contentType, "image/jpeg");
    EXPECT_EQ(site.getOnce(again).contentType, "image/jpeg");
    EXPECT_EQ(said(), 2);
    // A mark there that another user of the host made first silences nothing.
    const QString elsewhere =
        QDir::tempPath() + QStringLiteral("/kalvor-") +
        QCryptographicHash::hash(site.folder().toUtf8() + '\n' + marks[0].toUtf8(),
                                 QCryptographicHash::Md5)
            .toHex();
    ASSERT_TRUE(QFileInfo::exists(elsewhere));
    if (::geteuid() == 0) {
        ASSERT_TRUE(QFile::remove(elsewhere));
        test::writeAll(elsewhere, QByteArray());
        ASSERT_EQ(::chown(QFile::encodeName(elsewhere).constData(), 65534, 65534), 0);
        EXPECT_EQ(site.getOnce(again).contentType, "image/jpeg");
        EXPECT_EQ(said(), 3);
        QFile::remove(elsewhere);
    }

    // The thumbnail maker is published with its accents.
    EXPECT_TRUE(test::readAll(site.folder() + QStringLiteral("/_retaille.php"))
                    .contains(cp1252::encode(
                        QStringLiteral("// 75% de qualité devrait être suffisant\r\n"))));
}

TEST(PageCache, KeepsAPageOfItsOwnForEachParameterAPageReads) {
    KALVOR_REQUIRE_SERVERS();
    test::IsolatedEnvironment env;
    SiteHarness site(QStringLiteral("cachecle"));
    ASSERT_TRUE(publish(site));
    // Every page reads the collection and the list, and the date in the
    // date lists (but the print page); edit, collec and style empty send the
    // pages to cle1 and cle2.
    const std::pair<const char*, const char*> pages[] = {
        {"index.php", ""},        {"serie.php", "idserie"},
        {"revue.php", "idserie"}, {"auteur.php", "idauteur tri sens"},
        {"dl.php", "tri sens"},   {"collection.php", "edit collec cle1 cle2 tri sens"},
        {"liste.php", ""},        {"style.php", "style cle1 tri sens"},
        {"stats.php", ""},        {"type.php", "typeobjet tri sens"},
        {"imprimer.php", ""},     {"dt-achat.php", "tri sens"},
        {"moteur.php", ""},       {"notes.php", "notes tri sens"},
        {"search.php", ""}};
    // Two values each that the pages act on apart, none read as another's.
    const QHash<QString, std::pair<const char*, const char*>> values = {
        {QStringLiteral("coll"), {"acheter", "parabd"}},
        {QStringLiteral("cle1"), {"3", "4"}},
        {QStringLiteral("cle2"), {"3", "4"}},
        {QStringLiteral("current_coll"), {"dedicace", "revue"}},
        {QStringLiteral("liste"), {"auteurs", "styles"}},
        {QStringLiteral("tri"), {"dl", "titre"}},
        {QStringLiteral("sens"), {"desc", ""}}};
    for (const auto& [page, reads] : pages) {
        // The print page has no list frame to read a date for.
        const QString names =
            QStringLiteral("coll current_coll liste ") +
            (QLatin1String(page) == QLatin1String("imprimer.php") ? "" : "date ") +
            QLatin1String(reads);
        for (const QString& name : names.split(u' ', Qt::SkipEmptyParts)) {
            const bool objects = QLatin1String(page) == QLatin1String("type.php");
            const QString visit = QString::fromLatin1(page) +
                                  (name == QStringLiteral("date")        ? "?liste=dl&"
                                   : name == QStringLiteral("typeobjet") ? "?coll=parabd&"
                                                                         : "?") +
                                  name + u'=';
            // The print page reads its list by series or by genre, the first
            // one kept already.
            const bool print = QLatin1String(page) == QLatin1String("imprimer.php") &&
                               name == QStringLiteral("liste");
            const auto pair = print ? std::pair<const char*, const char*>{"style", "series"}
                              : objects && name == QStringLiteral("tri")
                                  ? std::pair<const char*, const char*>{"description", "editeur"}
                                  : values.value(name, {"1", "2"});
            const QString first = visit + QLatin1String(pair.first);
            const QString second = visit + QLatin1String(pair.second);
            SCOPED_TRACE(second.toStdString());
            ASSERT_FALSE(keepMarked(site, first).isEmpty());
            const QStringList before = cachedPages(site);
            EXPECT_FALSE(fromCache(site, second));
            EXPECT_TRUE(print || !newCachedPage(site, before).isEmpty());
        }
    }

    // A parameter a page does not read makes no page of its own: addresses
    // the site never links do not push the kept pages out.
    const QStringList others = QStringLiteral(
                                   "date idserie idauteur tri sens style edit collec typeobjet "
                                   "notes cle1 cle2")
                                   .split(u' ');
    for (const auto& [page, reads] : pages) {
        const bool print = QLatin1String(page) == QLatin1String("imprimer.php");
        const QString base = QString::fromLatin1(page) + QStringLiteral("?coll=dedicace&liste=") +
                             (print ? "style" : "auteurs");
        ASSERT_FALSE(keepMarked(site, base).isEmpty()) << page;
        const QStringList dated = {QStringLiteral("dl.php"), QStringLiteral("dt-achat.php")};
        for (const QString& name : others) {
            const bool read = name == QStringLiteral("date")
                                  ? dated.contains(QLatin1String(page))
                                  : QString::fromLatin1(reads).split(u' ').contains(name);
            if (!read) {
                EXPECT_TRUE(fromCache(site, base + u'&' + name + QStringLiteral("=7")))
                    << page << ' ' << name.toStdString();
            }
        }
    }
    // Nor one it reads only beside another: an older link's collection, an
    // older link's keys.
    const std::pair<const char*, const char*> beside[] = {
        {"index.php?coll=acheter&liste=auteurs", "&current_coll=parabd"},
        {"collection.php?edit=a&collec=b", "&cle1=c&cle2=d"},
        {"style.php?style=a", "&cle1=c"}};
    for (const auto& [visit, more] : beside) {
        ASSERT_FALSE(keepMarked(site, QLatin1String(visit)).isEmpty()) << visit;
        EXPECT_TRUE(fromCache(site, QLatin1String(visit) + QLatin1String(more))) << visit;
    }
    // An empty key is one not given: the older link's key is read, and kept.
    EXPECT_FALSE(keepMarked(site, QStringLiteral("collection.php?edit=&cle1=5")).isEmpty());
    EXPECT_FALSE(fromCache(site, QStringLiteral("collection.php?edit=&cle1=6")));

    // A value a page does not know is read as the one it falls back to, a
    // number as the number it reads: sent from that reading's kept page at
    // its cost, and once made again, that page byte for byte.
    const auto viaCgi = [&](const QString& visit) { return costed(site, visit).reply.body; };
    const std::pair<const char*, const char*> junk[] = {
        {"stats.php?coll=albums&liste=z26769", "stats.php?coll=albums"},
        {"stats.php?coll=z26769&liste=auteurs", "stats.php?liste=auteurs"},
        {"stats.php?coll[]=acheter&liste=styles", "stats.php?liste=styles"},
        {"index.php?coll=z&current_coll=parabd", "index.php"},
        {"index.php?current_coll=z&liste=auteurs", "index.php?liste=auteurs"},
        {"liste.php?liste=dl&date[]=1", "liste.php?liste=dl&date="},
        {"moteur.php?coll=revue&liste=series2", "moteur.php?coll=revue"},
        {"search.php?liste=%00", "search.php"},
        {"imprimer.php?liste=auteurs", "imprimer.php"},
        {"serie.php?idserie=abc", "serie.php?idserie=-1"},
        {"serie.php?idserie=007", "serie.php?idserie=7"},
        {"serie.php?idserie=1e1", "serie.php?idserie=10"},
        {"revue.php?coll=revue&idserie=1e1", "revue.php?coll=revue"},
        {"revue.php?coll=revue&idserie=01", "revue.php?coll=revue&idserie=1"},
        {"auteur.php?idauteur=4x", "auteur.php"},
        {"auteur.php?idauteur=04&tri=z&sens=z", "auteur.php?idauteur=4"},
        {"auteur.php?idauteur=5&tri=description", "auteur.php?idauteur=5"},
        {"collection.php?edit[]=1&tri=editeur&sens=DESC", "collection.php"},
        {"style.php?style=a&cle1=b&tri=z", "style.php?style=a"},
        {"type.php?coll=parabd&typeobjet=a", "type.php?coll=parabd"},
        {"type.php?coll=parabd&typeobjet=01&tri=titre", "type.php?coll=parabd&typeobjet=1"},
        {"type.php?typeobjet=1", "type.php"},
        {"dl.php?date=2005&tri=z", "dl.php?date=2005"},
        {"dt-achat.php?sens=z", "dt-achat.php"},
        {"notes.php?notes=x&tri=0", "notes.php?notes=x"}};
    for (const auto& [visit, as] : junk) {
        SCOPED_TRACE(visit);
        const QString kept = keepMarked(site, QLatin1String(as), viaCgi);
        ASSERT_FALSE(kept.isEmpty());
        const Costed sent = costed(site, QLatin1String(as));
        const Costed junkSent = costed(site, QLatin1String(visit));
        EXPECT_EQ(junkSent.reply.body, sent.reply.body);
        EXPECT_EQ(junkSent.questions, sent.questions);
        QFile::remove(kept);
        EXPECT_EQ(costed(site, QLatin1String(visit)).reply.body + "<!-- du cache -->",
                  sent.reply.body);
    }

    // Any method but GET, HEAD and POST is refused before any query. HEAD
    // gets the kept page's headers, its body not even read.
    const QString dedicated = QStringLiteral("stats.php?coll=dedicace");
    ASSERT_FALSE(keepMarked(site, dedicated, viaCgi).isEmpty());
    const Costed sent = costed(site, dedicated);
    ASSERT_TRUE(sent.reply.body.endsWith("<!-- du cache -->"));
    ASSERT_GT(sent.questions, 0);
    for (const char* method : {"OPTIONS", "PUT", "DELETE", "PATCH", "PROPFIND", "FOO", "get"}) {
        const Costed refused = costed(site, dedicated, QLatin1String(method));
        EXPECT_EQ(refused.reply.status, 405) << method;
        EXPECT_EQ(refused.reply.header("Allow"), "GET, HEAD, POST") << method;
        EXPECT_EQ(refused.questions, 0) << method;
        EXPECT_EQ(refused.written, 0) << method;
    }
    const Costed head = costed(site, dedicated, QStringLiteral("HEAD"));
    EXPECT_EQ(head.reply.status, 200);
    EXPECT_EQ(head.written, 0);
    EXPECT_EQ(head.questions, sent.questions);

    // HEAD gets the kept page's headers alone; a post of fields the page does
    // not read is its plain visit, the search's own fields are searched.
    const QString stats = QStringLiteral("stats.php?coll=dedicace");
    const QString kept = keepMarked(site, stats);
    ASSERT_FALSE(kept.isEmpty());
    QByteArray bytes = test::readAll(kept);
    ASSERT_EQ(bytes.left(23).toLower(), "content-type: text/html");
    test::writeAll(kept, bytes.replace(0, 23, "Content-Type: text/kept"));
    QNetworkAccessManager manager;
    QNetworkRequest request(QUrl(site.url() + u'/' + stats));
    QNetworkReply* reply = manager.head(request);
    QEventLoop loop;
    QObject::connect(reply, &QNetworkReply::finished, &loop, &QEventLoop::quit);
    loop.exec();
    EXPECT_EQ(reply->attribute(QNetworkRequest::HttpStatusCodeAttribute).toInt(), 200);
    EXPECT_TRUE(reply->rawHeader("Content-Type").startsWith("text/kept"));
    EXPECT_EQ(reply->readAll(), QByteArray());
    delete reply;
    const QList<std::pair<QString, QString>> unread = {{QStringLiteral("x"), QStringLiteral("1")}};
    EXPECT_TRUE(site.post(stats, unread).body.endsWith("<!-- du cache -->"));
    const QString search = QStringLiteral("search.php?coll=dedicace");
    ASSERT_FALSE(keepMarked(site, search).isEmpty());
    EXPECT_TRUE(site.post(search, unread).body.endsWith("<!-- du cache -->"));
    EXPECT_FALSE(site.post(search, {{QStringLiteral("ftitre"), QString()}})
                     .body.endsWith("<!-- du cache -->"));
    const QStringList searched = cachedPages(site);
    site.post(QStringLiteral("search.php?coll=parabd"), {{QStringLiteral("fdescription"), "x"}});
    EXPECT_EQ(newCachedPage(site, searched), QString());

    // A page that reads a parameter outside its key is never kept.
    const QString reads = site.folder() + QStringLiteral("/moteur.php");
    test::writeAll(reads,
                   "<?php\nrequire 'coeur.php';\nGetVariable('idserie', '');\n"
                   "echo 'lu ' . (int) $idserie;\n?>\n");
    // Dated long ago, as a file a server may run at once.
    QFile file(reads);
    ASSERT_TRUE(file.open(QIODevice::ReadWrite));
    file.setFileTime(QDateTime(QDate(2020, 1, 1), QTime(0, 0)), QFileDevice::FileModificationTime);
    const QStringList before = cachedPages(site);
    EXPECT_EQ(site.get(QStringLiteral("moteur.php?idserie=1")).body, "lu 1");
    EXPECT_EQ(site.get(QStringLiteral("moteur.php?idserie=2")).body, "lu 2");
    EXPECT_EQ(newCachedPage(site, before), QString());
}

TEST(PageCache, AtTheBoundDropsTheOldestPagesNeverOneBeingWritten) {
    KALVOR_REQUIRE_SERVERS();
    test::IsolatedEnvironment env;
    SiteHarness site(QStringLiteral("cacheplace"));
    ASSERT_TRUE(publish(site));
    // Pages for series that are not there, all of one size: room for 20.5.
    const QString page = QStringLiteral("serie.php?coll=albums&idserie=-");
    QStringList before = cachedPages(site);
    getUntilCached(site, page + QStringLiteral("100"));
    const qint64 size = QFileInfo(newCachedPage(site, before)).size();
    ASSERT_GT(size, 128);
    const QString require = site.folder() + QStringLiteral("/require.php");
    QByteArray settings = test::readAll(require);
    ASSERT_TRUE(settings.contains("$GV_cache_taille   = 256;"));
    test::writeAll(require,
                   settings.replace("$GV_cache_taille   = 256;",
                                    "$GV_cache_taille   = " +
                                        QByteArray::number(20.5 * size / 1048576, 'f', 12) + ';'));

    QStringList oldestFirst;
    for (int i = 0; i < 20; ++i) {
        before = cachedPages(site);
        getUntilCached(site, page + QString::number(i + 1));
        oldestFirst << newCachedPage(site, before);
        ASSERT_FALSE(oldestFirst.last().isEmpty());
        ASSERT_EQ(QFileInfo(oldestFirst.last()).size(), size);
    }
    // A page another request is still writing, and one a request that died
    // left an hour ago.
    namespace fs = std::filesystem;
    const QString temps = QFileInfo(oldestFirst[0]).path() + QStringLiteral("/tmp/");
    const QString writing = temps + QStringLiteral("un.4242-17.tmp");
    const QString dead = temps + QStringLiteral("deux.4243-18.tmp");
    for (const QString& temp : {writing, dead}) {
        test::writeAll(temp, QByteArray(size, ' '));
    }
    const auto now = fs::file_time_type::clock::now();
    fs::last_write_time(writing.toStdString(), now - std::chrono::minutes(50));
    fs::last_write_time(dead.toStdString(), now - std::chrono::minutes(70));

    // Past the bound, the oldest go down to nine tenths of it, so that the
    // next pages kept find room.
    before = cachedPages(site);
    site.get(page + QStringLiteral("21"));
    EXPECT_FALSE(newCachedPage(site, before).isEmpty());
    EXPECT_TRUE(QFileInfo::exists(writing));
    EXPECT_FALSE(QFileInfo::exists(dead));
    const QStringList left = cachedPages(site);
    qint64 total = 0;
    for (const QString& kept : left) {
        total += QFileInfo(kept).size();
    }
    EXPECT_LE(total, 0.9 * 20.5 * size);
    int gone = 0;
    while (gone < 20 && !left.contains(oldestFirst[gone])) {
        ++gone;
    }
    EXPECT_LE(gone, 10);
    for (int rank = gone; rank < 20; ++rank) {
        EXPECT_TRUE(left.contains(oldestFirst[rank])) << rank;
    }
}
