#include <QCryptographicHash>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QHostAddress>
#include <QTcpSocket>
#include <QThread>
#include <QUrl>
#include <algorithm>
#include <atomic>
#include <csignal>
#include <thread>
#include <vector>

#include <fcntl.h>
#include <sys/file.h>
#include <sys/resource.h>
#include <sys/stat.h>
#include <unistd.h>

#include <gtest/gtest.h>

#include "e2e/e2e_servers.h"
#include "e2e/site/cgi_page.h"
#include "e2e/site/site_harness.h"
#include "platform/cp1252.h"
#include "support/proved_reply.h"
#include "support/test_paths.h"

using namespace kalvor;
using namespace kalvor::e2e;

namespace {

const QByteArray kInvalidFolder = "Le r\xE9pertoire n'est pas valide !";
const QDateTime kTime(QDate(2026, 12, 6), QTime(21, 5, 9), Qt::UTC);
const QByteArray kStamp = "06/12/2026 21:05:09";

void touch(const QString& path) {
    QDir().mkpath(QFileInfo(path).absolutePath());
    QFile file(path);
    ASSERT_TRUE(file.open(QIODevice::ReadWrite));
    file.write("x");
    file.flush();
    ASSERT_TRUE(file.setFileTime(kTime, QFileDevice::FileModificationTime));
}

// Separators as the program finds them: each search starts after the last.
int separators(const QByteArray& row) {
    int n = 0;
    for (qsizetype at = row.indexOf("@@@"); at >= 0; at = row.indexOf("@@@", at + 3)) {
        ++n;
    }
    return n;
}

// This version's end mark after `sent`.
QByteArray provedEnd(const QByteArray& answers, const QByteArray& sent) {
    return test::proved(answers, sent).mid(sent.size());
}

// A listing's lines, its mark checked.
QByteArray listed(const QByteArray& body, const QByteArray& answers) {
    const QByteArray lines = body.left(body.lastIndexOf("#fin:"));
    EXPECT_EQ(body.mid(lines.size()), provedEnd(answers, lines) + '\n') << body.data();
    return lines;
}

QList<QByteArray> sortedLines(QByteArray body) {
    QList<QByteArray> lines = body.split('\n');
    std::sort(lines.begin(), lines.end());
    return lines;
}

// recovery.php's name, in `folder`, for the client at `address` (IPv4, or
// none), under the site's secret.
QByteArray clientKey(const QString& folder, const QString& address) {
    const QByteArray secret = test::readAll(folder + QStringLiteral("/.htrecovery.sel.php"));
    EXPECT_TRUE(secret.startsWith("<?php // ")) << secret.data();
    QByteArray packed = secret.mid(9, 32) + ' ';
    if (!address.isEmpty()) {
        const quint32 ip = QHostAddress(address).toIPv4Address();
        for (int shift = 24; shift >= 0; shift -= 8) {
            packed += char((ip >> shift) & 0xff);
        }
    }
    return QCryptographicHash::hash(packed, QCryptographicHash::Md5).toHex().left(16);
}

// The clients at `addresses` held as while their password is checked, and
// no other: each in the first slot of its bucket (by its name's first byte)
// not yet taken.
void holdClients(const QString& folder, const QStringList& addresses) {
    QByteArray times;
    for (const QString& address : addresses) {
        const QByteArray key = clientKey(folder, address);
        qsizetype at = key.left(2).toInt(nullptr, 16) * 256;
        while (times.size() > at && times[at] != '\0') {
            at += 32;
        }
        times = times.leftJustified(at + 32, '\0');
        times.replace(at, 32,
                      key + ' ' +
                          QByteArray::number(QDateTime::currentSecsSinceEpoch() + 60.0, 'f', 3)
                              .rightJustified(14, ' ') +
                          '\n');
    }
    test::writeAll(folder + QStringLiteral("/.htrecovery.verrou"), times);
}

// One row of a site table: its SQL values, and the field the recovery sends
// for each (NULL as an empty field, quoted texts as stored).
struct Row {
    QStringList sql;
    QByteArray insert(const QString& table) const {
        return "INSERT INTO kv_" + table.toUtf8() + " VALUES (" + sql.join(u',').toUtf8() + ");\n";
    }
    QByteArray reply(int fields) const {
        QStringList sent;
        for (const QString& value : sql.first(fields)) {
            if (value == QStringLiteral("NULL")) {
                sent << QString();
            } else if (value.startsWith(u'\'')) {
                QString text = value.mid(1, value.size() - 2);
                text.replace(QStringLiteral("\\'"), QStringLiteral("'"));
                // As sent: escaped, "%" first.
                for (const auto& [from, to] : {std::pair{"%", "%25"},
                                               {"@", "%40"},
                                               {"#", "%23"},
                                               {"\\r", "%0D"},
                                               {"\\n", "%0A"}}) {
                    text.replace(QLatin1String(from), QLatin1String(to));
                }
                sent << text;
            } else {
                sent << value;
            }
        }
        return cp1252::encode(sent.join(QStringLiteral("@@@"))) + "#end#";
    }
};

Row row(std::initializer_list<const char*> values) {
    Row r;
    for (const char* v : values) {
        r.sql << QString::fromUtf8(v);
    }
    return r;
}

class Endpoints : public testing::Test {
  protected:
    static void SetUpTestSuite() {
        if (!serversAnnounced()) {
            return;
        }
        site_ = new SiteHarness(QStringLiteral("points"));
        Settings s = siteSettings();
        s.GV_Rep_Planches = QStringLiteral("planches/");
        s.GV_Rep_Versos = QStringLiteral("absent");
        built_ = site_->build(s);
    }
    static void TearDownTestSuite() {
        delete site_;
        site_ = nullptr;
    }
    void SetUp() override {
        KALVOR_REQUIRE_SERVERS();
        ASSERT_TRUE(built_.isEmpty()) << built_.toStdString();
    }

    static SiteHarness* site_;
    static QString built_;
};

SiteHarness* Endpoints::site_ = nullptr;
QString Endpoints::built_;

}  // namespace

TEST_F(Endpoints, ListingsGiveEveryPlainFileOfTheKindsFolderOneLineEachInPlainText) {
    const QString root = site_->folder();
    // A file named "0" once ended the loop as if the folder were done.
    touch(root + QStringLiteral("/dedicaces/0"));
    touch(root + QStringLiteral("/dedicaces/sous/cache.jpg"));
    touch(root + QStringLiteral("/planches/p1.jpg"));
    touch(root + QStringLiteral("/couvertures/a.jpg"));
    touch(root + QStringLiteral("/couvertures/Encours.jpg"));
    touch(root + QStringLiteral("/couvertures/b@@@c.jpg"));
    touch(root + QStringLiteral("/couvertures/zz\ncouverture_10086.JPG"));
    QDir().mkpath(root + QStringLiteral("/photos/vide/encore"));
    touch(root + QStringLiteral("/mini/couvertures/m_a.jpg"));

    const SitePage dedicaces = site_->get(QStringLiteral("check_files.php?current_rep=dedicaces"));
    EXPECT_EQ(dedicaces.status, 200);
    // The names are Latin-1, as the header says.
    EXPECT_EQ(dedicaces.contentType.toLower(), "text/plain; charset=iso-8859-1");
    EXPECT_EQ(site_->get(QStringLiteral("check_thumbs.php?current_rep=couvertures"))
                  .contentType.toLower(),
              "text/plain; charset=iso-8859-1");
    EXPECT_EQ(site_->get(QStringLiteral("kalvor.php")).contentType.toLower(),
              "text/css; charset=iso-8859-1");
    EXPECT_TRUE(dedicaces.endMarked);
    EXPECT_EQ(listed(dedicaces.body, "check_files:dedicaces"), "0@@@" + kStamp + "\n");

    // The folder setting ends with "/": the same listing as without it.
    touch(root + QStringLiteral("/planches/Encours.jpg"));
    EXPECT_EQ(
        sortedLines(listed(site_->get(QStringLiteral("check_files.php?current_rep=planches")).body,
                           "check_files:planches")),
        sortedLines("Encours.jpg@@@" + kStamp + "\np1.jpg@@@" + kStamp + "\n"));

    const SitePage couvertures =
        site_->get(QStringLiteral("check_files.php?current_rep=couvertures"));
    EXPECT_FALSE(couvertures.body.contains('\r'));
    // A name's "@" and line end come escaped: one line per name.
    EXPECT_EQ(
        sortedLines(listed(couvertures.body, "check_files:couvertures")),
        sortedLines("Encours.jpg@@@" + kStamp + "\na.jpg@@@" + kStamp + "\nb%40%40%40c.jpg@@@" +
                    kStamp + "\nzz%0Acouverture_10086.JPG@@@" + kStamp + "\n"));

    // Only sub-folders: no file, only the end mark and its count.
    EXPECT_EQ(site_->get(QStringLiteral("check_files.php?current_rep=photos")).body,
              provedEnd("check_files:photos", "") + '\n');

    const SitePage thumbs = site_->get(QStringLiteral("check_thumbs.php?current_rep=couvertures"));
    EXPECT_TRUE(thumbs.endMarked);
    EXPECT_EQ(listed(thumbs.body, "check_thumbs:couvertures"), "m_a.jpg@@@" + kStamp + "\n");
}

TEST_F(Endpoints, AFolderThatCannotBeListedGetsTheInvalidFolderTextAlone) {
    for (const QString& query :
         {QStringLiteral("check_files.php?current_rep=versos"),  // folder missing
          QStringLiteral("check_files.php?current_rep=inconnu"), QStringLiteral("check_files.php"),
          QStringLiteral("check_files.php?current_rep[]=photos"),
          QStringLiteral("check_thumbs.php?current_rep=kalvorhelper"),
          QStringLiteral("check_thumbs.php?current_rep=planches"),  // no thumbnails made yet
          QStringLiteral("check_thumbs.php")}) {
        const SitePage page = site_->get(query);
        EXPECT_EQ(page.status, 200) << query.toStdString();
        EXPECT_EQ(page.body, kInvalidFolder) << query.toStdString();
    }
    for (const QString& value : hostileValues()) {
        for (const QString& page :
             {QStringLiteral("check_files.php"), QStringLiteral("check_thumbs.php")}) {
            EXPECT_EQ(site_->getWith(page, {QStringLiteral("current_rep")}, value).body,
                      kInvalidFolder)
                << page.toStdString() << " " << value.left(40).toStdString();
        }
    }
}

TEST_F(Endpoints, TheHelperValueListsTheFifteenFolderSettingsThenTheMark) {
    const QByteArray settings(
        "PATH_couvertures : couvertures\n"
        "PATH_planches : planches/\n"
        "PATH_versos : absent\n"
        "PATH_photos : photos\n"
        "PATH_dedicaces : dedicaces\n"
        "PATH_parabd : parabd\n"
        "PATH_revues : revues\n"
        "PATH_images : images\n"
        "THUMB_couvertures : mini/couvertures\n"
        "THUMB_planches : mini/planches\n"
        "THUMB_versos : mini/versos\n"
        "THUMB_photos : mini/photos\n"
        "THUMB_dedicaces : mini/dedicaces\n"
        "THUMB_parabd : mini/parabd\n"
        "THUMB_revues : mini/revues\n");
    EXPECT_EQ(site_->get(QStringLiteral("check_files.php?current_rep=kalvorhelper")).body,
              settings + provedEnd("check_files:kalvorhelper", settings) + '\n');
}

TEST_F(Endpoints, RecoverySendsEveryRowOfEachTableInTheFieldsTheProgramCounts) {
    // Same values in series and series2: sent once. Differing in series3:
    // both rows, whichever first.
    const Row asterix = row({"1", "'Astérix'", "'Humour'", "'Un &lt;grand&gt; classique'",
                             "'p1.jpg'", "'http://a.fr'", "0"});
    const Row blake =
        row({"2", "'Blake'", "'Aventure'", "'ligne 1\\nligne 2'", "NULL", "NULL", "1"});
    // Texts shaped like the reply's own framing.
    const Row blake3 = row({"2", "'Blake et Mortimer @'", "'Aventure'",
                            "'@@@#end##fin##2#%40\\r\\n'", "NULL", "'@contact'", "1"});
    const Row sansAuteur = row({"1", "''", "''", "''", "'0000-00-00'", "'0000-00-00'", "''", "''",
                                "''", "0", "0", "0", "''", "''"});
    const Row goscinny =
        row({"5", "'Goscinny'", "'René'", "'goscinny.jpg'", "'1926-08-14'", "'1977-11-05'",
             "'France'", "''", "'l\\'auteur'", "1", "0", "0", "NULL", "'Goscinny, René'"});
    const Row morris =
        row({"7", "'Morris'", "''", "''", "'1923-12-01'", "'0000-00-00'", "'Belgique'", "'Morris'",
             "NULL", "0", "1", "0", "'http://m.be'", "'Morris'"});
    const Row album = row({"10",        "12",        "'Le &lt;Tour&gt;'",
                           "1",         "5",         "5",
                           "NULL",      "'Dargaud'", "0",
                           "'Pilote'",  "15",        "'2-205'",
                           "'03/1965'", "'c10.jpg'", "'¤¤l'",
                           "6",         "0",         "48",
                           "'a'",       "'v10.jpg'", "1",
                           "0",         "''",        "'Un album'",
                           "'p1'",      "'p2'",      "'p3'",
                           "1",         "0",         "0"});
    const Row album2 =
        row({"11",   "NULL", "'Sans numéro'", "2",    "1",    "1",    "'2024-05-01'", "NULL",
             "3",    "NULL", "NULL",          "NULL", "NULL", "NULL", "NULL",         "1",
             "1",    "NULL", "NULL",          "NULL", "0",    "1",    "NULL",         "NULL",
             "NULL", "NULL", "NULL",          "0",    "1",    "1"});
    const Row souhait =
        row({"20", "3",    "'Souhait'", "2",  "7",    "7",   "'2024-05-01'", "'Dupuis'",
             "2",  "''",   "NULL",      "''", "NULL", "''",  "''",           "7",
             "1",  "NULL", "''",        "''", "0",    "0",   "''",           "NULL",
             "''", "''",   "''",        "0",  "0",    "NULL"});
    const Row collab1 = row({"3", "5", "2"});
    const Row collab2 = row({"10", "5", "0"});
    const Row collab3 = row({"11", "7", "1"});
    const Row exlibris = row({"30",     "10",        "1",           "'Ex-libris &lt;signé&gt;'",
                              "7",      "'04/1990'", "2",           "100",
                              "'21.5'", "'29.7'",    "'Librairie'", "'Dargaud'",
                              "1",      "0",         "1",           "0",
                              "1001",   "1",         "'ex30.jpg'",  "'commentaire'",
                              "NULL",   "NULL",      "'2020-01-02'"});
    const Row spirou = row({"1", "'Spirou'", "'Revue'", "NULL", "NULL", "NULL", "NULL"});
    const Row numero =
        row({"40",      "1",    "1234", "'1961-05-04'", "'Dupuis'", "'Hebdomadaire'", "0",
             "NULL",    "NULL", "NULL", "'Gaston'",     "NULL",     "NULL",           "NULL",
             "'sujet'", "NULL", "NULL", "NULL",         "NULL",     "'r40.jpg'"});
    const Row orphelin = row({"41",   "9",    "1",    "'0000-00-00'", "''",   "''",   "0",
                              "NULL", "NULL", "NULL", "NULL",         "NULL", "NULL", "NULL",
                              "NULL", "NULL", "NULL", "NULL",         "NULL", "NULL"});

    QByteArray sql = "SET NAMES utf8;\nSET SESSION sql_mode = 'NO_ENGINE_SUBSTITUTION';\n";
    for (const char* table :
         {"series", "series2", "series3", "series4", "auteurs", "auteurs2", "auteurs3", "albums",
          "acheter", "collaborateurs", "parabd", "revues"}) {
        sql += QByteArray("DELETE FROM kv_") + table + ";\n";
    }
    sql += asterix.insert("series") + asterix.insert("series2") + blake.insert("series2") +
           blake3.insert("series3") + spirou.insert("series4");
    sql += sansAuteur.insert("auteurs") + goscinny.insert("auteurs") + goscinny.insert("auteurs2") +
           morris.insert("auteurs3");
    sql += album.insert("albums") + album2.insert("albums") + souhait.insert("acheter");
    sql += collab2.insert("collaborateurs") + collab3.insert("collaborateurs") +
           collab1.insert("collaborateurs");
    sql += exlibris.insert("parabd") + orphelin.insert("revues") + numero.insert("revues");
    const SqlResult loaded = runSql(site_->database(), sql);
    ASSERT_TRUE(loaded.ok && loaded.errors.isEmpty()) << loaded.errors.toStdString();

    const auto recovery = [&](const QString& password, const QString& table) {
        // Once: a copy of a request still checking its password would have the
        // next one refused unread.
        return site_->getOnce(
            QStringLiteral("recovery.php?pwd=%1&tablename=%2")
                .arg(QString::fromLatin1(QUrl::toPercentEncoding(password)), table));
    };
    const QString pwd = mysqlPassword();
    // The rows of a whole reply, before its end mark.
    const auto rowsOf = [&](const QString& table) {
        const SitePage page = recovery(pwd, table);
        EXPECT_TRUE(page.endMarked) << table.toStdString();
        const QByteArray rows = page.body.left(page.body.lastIndexOf("#fin:"));
        EXPECT_EQ(page.body.mid(rows.size()), provedEnd("recovery:" + table.toLatin1(), rows))
            << page.body.right(200).data();
        return rows;
    };

    const QByteArray series = rowsOf(QStringLiteral("series"));
    EXPECT_TRUE(series == asterix.reply(7) + blake.reply(7) + blake3.reply(7) ||
                series == asterix.reply(7) + blake3.reply(7) + blake.reply(7))
        << series.toStdString();
    EXPECT_EQ(rowsOf(QStringLiteral("auteurs")),
              sansAuteur.reply(13) + goscinny.reply(13) + morris.reply(13));
    EXPECT_EQ(rowsOf(QStringLiteral("albums")), album.reply(30) + album2.reply(30));
    EXPECT_EQ(rowsOf(QStringLiteral("acheter")), souhait.reply(30));
    EXPECT_EQ(rowsOf(QStringLiteral("collaborateurs")),
              collab1.reply(3) + collab2.reply(3) + collab3.reply(3));
    // No idscenariste nor idcoloriste: two empty fields before the row end.
    const QByteArray parabd = rowsOf(QStringLiteral("parabd"));
    EXPECT_EQ(parabd, exlibris.reply(22));
    EXPECT_TRUE(parabd.endsWith("ex30.jpg@@@commentaire@@@@@@#end#"));
    // The magazine without its series4 row is not sent; the title comes last.
    EXPECT_EQ(rowsOf(QStringLiteral("revues")), numero.reply(20).chopped(5) + "@@@Spirou#end#");

    // Counted the way the program splits them: n - 1 separators, one end.
    const struct {
        const char* table;
        int fields;
    } counts[] = {{"series", 7},         {"auteurs", 13}, {"albums", 30}, {"acheter", 30},
                  {"collaborateurs", 3}, {"parabd", 22},  {"revues", 21}};
    for (const auto& c : counts) {
        const QByteArray body = rowsOf(QString::fromLatin1(c.table));
        qsizetype start = 0;
        int n = 0;
        for (qsizetype end = body.indexOf("#end#"); end >= 0;
             start = end + 5, end = body.indexOf("#end#", start)) {
            const QByteArray one = body.mid(start, end - start);
            EXPECT_EQ(separators(one), c.fields - 1) << c.table << ": " << one.data();
            ++n;
        }
        EXPECT_GT(n, 0) << c.table;
        EXPECT_EQ(start, body.size()) << c.table;
    }

    // The program posts the password; the address of earlier versions still
    // works.
    EXPECT_EQ(site_->post(QStringLiteral("recovery.php?tablename=albums"), {{"pwd", pwd}}).body,
              rowsOf(QStringLiteral("albums")) +
                  provedEnd("recovery:albums", rowsOf(QStringLiteral("albums"))));

    // Refusals: the same 16 characters whatever the table, nothing more.
    // Each from a client of its own: a client's next password is read a
    // second after its last wrong one.
    int client = 0;
    const auto wrongly = [&](const QString& query) {
        return site_->getOnce(query, QStringLiteral("127.0.1.%1").arg(++client)).body;
    };
    for (const QString& wrong : {QStringLiteral("KALVOR"), QStringLiteral("mauvais"), QString(),
                                 pwd + u' ', QStringLiteral("' or '1'='1")}) {
        EXPECT_EQ(wrongly(QStringLiteral("recovery.php?pwd=%1&tablename=albums")
                              .arg(QString::fromLatin1(QUrl::toPercentEncoding(wrong)))),
                  "invalid password")
            << wrong.toStdString();
    }
    EXPECT_EQ(wrongly(QStringLiteral("recovery.php?pwd=x&tablename=inconnue")), "invalid password");
    EXPECT_EQ(wrongly(QStringLiteral("recovery.php?tablename=albums")), "invalid password");
    EXPECT_EQ(wrongly(QStringLiteral("recovery.php?pwd[]=x&tablename=albums")), "invalid password");

    // For a second after a wrong password, its client's posts are refused
    // unread, at once, and say so from their first bytes, which no proxy
    // takes off; another client's are read.
    const QByteArray posted = "pwd=" + QUrl::toPercentEncoding(pwd);
    const QByteArray unread = "Retry-After: 1";
    EXPECT_EQ(
        site_->post(QStringLiteral("recovery.php?tablename=albums"), {{"pwd", "KALVOR"}}).body,
        "invalid password");
    const SitePage next = site_->postOnce(QStringLiteral("recovery.php?tablename=series"), posted);
    EXPECT_EQ(next.body, unread);
    EXPECT_TRUE(next.headers.contains("\r\nRetry-After: 1")) << next.headers.data();
    EXPECT_TRUE(
        site_->postOnce(QStringLiteral("recovery.php?tablename=series"), posted, "127.0.0.3")
            .body.contains("#end##fin:recovery:series#"));
    QThread::msleep(1100);
    EXPECT_TRUE(site_->postOnce(QStringLiteral("recovery.php?tablename=series"), posted)
                    .body.contains("#end##fin:recovery:series#"));

    // Guesses of one client sent together, each by a worker of its own as a
    // host runs them: one is read, the others are refused at once, unread,
    // and told when to ask again.
    std::vector<CgiPage> guesses(6);
    QElapsedTimer all;
    all.start();
    {
        std::vector<std::thread> workers;
        for (CgiPage& guess : guesses) {
            workers.emplace_back([&] {
                guess = runCgi(site_->folder(), QStringLiteral("recovery.php"),
                               QStringLiteral("tablename=albums&pwd=KALVOR"));
            });
        }
        for (std::thread& worker : workers) {
            worker.join();
        }
    }
    int read = 0;
    for (const CgiPage& guess : guesses) {
        EXPECT_TRUE(guess.errorLog.isEmpty()) << guess.errorLog.toStdString();
        if (guess.header("Retry-After").isEmpty()) {
            ++read;
            EXPECT_EQ(guess.body, "invalid password") << guess.failure.toStdString();
        } else {
            EXPECT_EQ(guess.body, unread);
        }
    }
    EXPECT_GE(read, 1);
    EXPECT_LE(read, 1 + all.elapsed() / 1000);
    // While a client's password is being checked, even its right one is
    // refused unread; another client's is read at once.
    const auto withPassword = [&](const QString& client = QString()) {
        return runCgi(site_->folder(), QStringLiteral("recovery.php"),
                      QStringLiteral("tablename=collaborateurs&") + QString::fromLatin1(posted), {},
                      client);
    };
    holdClients(site_->folder(), {QStringLiteral("127.0.0.2")});
    const CgiPage held = withPassword(QStringLiteral("127.0.0.2"));
    EXPECT_EQ(held.body, unread);
    EXPECT_EQ(held.header("Retry-After"), "1");
    EXPECT_EQ(held.header("X-Kalvor-Recovery"), "post");
    const CgiPage beside = withPassword(QStringLiteral("127.0.0.1"));
    EXPECT_TRUE(beside.body.contains("#end##fin:recovery:collaborateurs#"))
        << beside.body.left(200).data();
    EXPECT_TRUE(beside.header("Retry-After").isEmpty());
    holdClients(site_->folder(), {});
    EXPECT_TRUE(withPassword(QStringLiteral("127.0.0.2"))
                    .body.contains("#end##fin:recovery:collaborateurs#"));
    // An IPv6 client counts by its /64 network; another network is another
    // client.
    const auto wrongFrom = [&](const QString& client) {
        return runCgi(site_->folder(), QStringLiteral("recovery.php"),
                      QStringLiteral("tablename=albums&pwd=KALVOR"), {}, client);
    };
    EXPECT_EQ(wrongFrom(QStringLiteral("2001:db8::1")).body, "invalid password");
    EXPECT_EQ(withPassword(QStringLiteral("2001:db8::2")).body, unread);
    EXPECT_TRUE(withPassword(QStringLiteral("2001:db8:0:1::1"))
                    .body.contains("#end##fin:recovery:collaborateurs#"));
    // A held client is refused from a read that takes no lock: while another
    // request holds the file's lock, at once.
    const QString lock = site_->folder() + QStringLiteral("/.htrecovery.verrou");
    holdClients(site_->folder(), {QStringLiteral("127.0.0.2")});
    {
        const int fd = ::open(QFile::encodeName(lock).constData(), O_RDWR);
        ASSERT_EQ(::flock(fd, LOCK_EX), 0);
        std::thread release([fd] {
            QThread::msleep(2000);
            ::flock(fd, LOCK_UN);
        });
        QElapsedTimer waited;
        waited.start();
        EXPECT_EQ(withPassword(QStringLiteral("127.0.0.2")).body, unread);
        EXPECT_LT(waited.elapsed(), 1500);
        release.join();
        ::close(fd);
    }
    holdClients(site_->folder(), {});
    // A file that cannot be written (a full disk, here a file that may not
    // grow) or read: each wrong password waits its second.
    test::writeAll(lock, QByteArray());
    rlimit size{};
    ::getrlimit(RLIMIT_FSIZE, &size);
    const rlimit none{0, size.rlim_max};
    ::signal(SIGXFSZ, SIG_IGN);
    for (const bool readable : {true, false}) {
        if (readable) {
            ::setrlimit(RLIMIT_FSIZE, &none);
        } else {
            ::setrlimit(RLIMIT_FSIZE, &size);
            ASSERT_TRUE(QFile::remove(lock));
            ASSERT_TRUE(QFile::link(QStringLiteral("/dev/full"), lock));
        }
        for (int i = 0; i < 2; ++i) {
            QElapsedTimer waited;
            waited.start();
            EXPECT_EQ(wrongFrom(QStringLiteral("127.0.0.9")).body, "invalid password");
            EXPECT_GE(waited.elapsed(), 1000) << readable;
        }
    }
    ::signal(SIGXFSZ, SIG_DFL);
    ASSERT_TRUE(QFile::remove(lock));
    // The same on the server, which takes the address from the connection:
    // guessers from 127.0.0.2 never hold back the owner at 127.0.0.1.
    {
        std::atomic<bool> guessing{true};
        std::atomic<int> guessesRead{0}, guessesUnread{0};
        std::vector<std::thread> guessers;
        for (int g = 0; g < 2; ++g) {
            guessers.emplace_back([&] {
                while (guessing) {
                    const SitePage guess =
                        site_->postOnce(QStringLiteral("recovery.php?tablename=albums"), "pwd=faux",
                                        QStringLiteral("127.0.0.2"));
                    ++(guess.headers.contains("Retry-After") ? guessesUnread : guessesRead);
                }
            });
        }
        QThread::msleep(300);
        for (int i = 0; i < 3; ++i) {
            const SitePage owner =
                site_->postOnce(QStringLiteral("recovery.php?tablename=collaborateurs"), posted);
            EXPECT_TRUE(owner.body.contains("#end##fin:recovery:collaborateurs#"))
                << owner.body.left(200).data();
            EXPECT_FALSE(owner.headers.contains("Retry-After"));
        }
        guessing = false;
        for (std::thread& guesser : guessers) {
            guesser.join();
        }
        EXPECT_GE(guessesRead, 1);
        EXPECT_GE(guessesUnread, 1);
    }
    // The file names no address, not even to a reader who knows the inodes
    // that earlier versions salted it with; the site's secret does.
    {
        const QByteArray times = test::readAll(lock);
        EXPECT_TRUE(times.contains(clientKey(site_->folder(), QStringLiteral("127.0.0.2"))));
        struct stat script {
        }, file{};
        ::stat(QFile::encodeName(site_->folder() + QStringLiteral("/recovery.php")).constData(),
               &script);
        ::stat(QFile::encodeName(lock).constData(), &file);
        for (const qulonglong inode : {qulonglong(script.st_ino), qulonglong(file.st_ino)}) {
            const QByteArray named =
                QCryptographicHash::hash(QByteArray::number(inode) + QByteArray(" \x7f\0\0\x02", 5),
                                         QCryptographicHash::Md5)
                    .toHex();
            EXPECT_FALSE(times.contains(named.left(16)));
        }
    }
    // After a byte-order mark no header can go: the refusals carry what
    // theirs would say, and the rows their end mark.
    {
        const QString script = site_->folder() + QStringLiteral("/recovery.php");
        const QByteArray published = test::readAll(script);
        test::writeAll(script, "\xEF\xBB\xBF" + published);
        const CgiPage wrong = runCgi(site_->folder(), QStringLiteral("recovery.php"),
                                     QStringLiteral("tablename=collaborateurs&pwd=KALVOR"));
        EXPECT_EQ(wrong.body, "\xEF\xBB\xBFinvalid password<!-- X-Kalvor-Recovery: post -->");
        EXPECT_TRUE(wrong.errorLog.isEmpty()) << wrong.errorLog.toStdString();
        holdClients(site_->folder(), {QString()});
        const CgiPage held = withPassword();
        EXPECT_EQ(held.body, "\xEF\xBB\xBF" + unread);
        EXPECT_TRUE(held.errorLog.isEmpty()) << held.errorLog.toStdString();
        holdClients(site_->folder(), {});
        EXPECT_TRUE(withPassword().body.contains("#end##fin:recovery:collaborateurs#"));
        test::writeAll(script, published);
    }
    // Two right passwords of one client at once, the first on a large table:
    // its rows never hold the second back.
    ASSERT_TRUE(
        runSql(site_->database(), "CREATE TEMPORARY TABLE kv_double SELECT * FROM kv_albums;\n" +
                                      QByteArray("DELETE FROM kv_double;\n"
                                                 "INSERT INTO kv_double SELECT * FROM kv_albums;\n"
                                                 "SELECT max(idalbum) INTO @m FROM kv_albums;\n"
                                                 "UPDATE kv_double SET idalbum = idalbum + @m;\n"
                                                 "INSERT INTO kv_albums SELECT * FROM kv_double;\n")
                                          .repeated(15))
            .ok);
    {
        // The first read slowly: its rows are still being sent, held back by
        // this reader, when the second comes.
        const QUrl url(site_->url());
        QTcpSocket first;
        first.setReadBufferSize(16384);
        first.setSocketOption(QAbstractSocket::ReceiveBufferSizeSocketOption, 16384);
        first.connectToHost(url.host(), static_cast<quint16>(url.port()));
        ASSERT_TRUE(first.waitForConnected(30000));
        first.write("POST " + url.path().toUtf8() +
                    "/recovery.php?tablename=albums HTTP/1.0\r\nHost: " + url.authority().toUtf8() +
                    "\r\nContent-Type: application/x-www-form-urlencoded\r\nContent-Length: " +
                    QByteArray::number(posted.size()) + "\r\n\r\n" + posted);
        QByteArray large;
        while (!large.contains("#end#") && first.waitForReadyRead(30000)) {
            large += first.readAll();
        }
        const SitePage second =
            site_->postOnce(QStringLiteral("recovery.php?tablename=series"), posted);
        EXPECT_TRUE(second.body.contains("#end##fin:recovery:series#"))
            << second.body.left(200).data();
        EXPECT_FALSE(second.headers.contains("Retry-After"));
        EXPECT_NE(first.state(), QAbstractSocket::UnconnectedState);
        while (first.state() == QAbstractSocket::ConnectedState && first.waitForReadyRead(30000)) {
            large += first.readAll();
        }
        large += first.readAll();
        EXPECT_FALSE(large.left(large.indexOf("\r\n\r\n")).contains("Retry-After"));
        EXPECT_EQ(large.count("#end#"), 1 << 16);
        EXPECT_TRUE(large.contains("#end##fin:recovery:albums#"));
    }

    // An unknown or missing table name: an empty reply, no engine message.
    for (const QString& table : hostileValues() + QStringList{QStringLiteral("Series")}) {
        const SitePage page = recovery(pwd, QString::fromLatin1(QUrl::toPercentEncoding(table)));
        EXPECT_EQ(page.status, 200);
        EXPECT_EQ(page.body, "") << table.left(40).toStdString();
    }
    EXPECT_EQ(site_->get(QStringLiteral("recovery.php?pwd=%1").arg(pwd)).body, "");

    // An empty table: no row, only the end mark.
    ASSERT_TRUE(runSql(site_->database(), "DELETE FROM kv_collaborateurs;").ok);
    EXPECT_EQ(rowsOf(QStringLiteral("collaborateurs")), "");

    // A table that cannot be read: a reply the recovery cannot take for rows,
    // and no engine message in it.
    ASSERT_TRUE(runSql(site_->database(), "DROP TABLE kv_revues;").ok);
    const SitePage broken = recovery(pwd, QStringLiteral("revues"));
    EXPECT_EQ(broken.problem(), QString());
    EXPECT_EQ(broken.body, "erreur de lecture de la table revues");
}
