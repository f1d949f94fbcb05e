#include "sitecheck/site_listing.h"

#include <gtest/gtest.h>

#include "canned_site.h"
#include "catalogue/sqlite_catalogue.h"
#include "platform/dao/db_engine.h"
#include "platform/error.h"
#include "platform/inet.h"
#include "platform/prompt.h"
#include "sitecheck/site_work_tables.h"
#include "support/proved_reply.h"
#include "support/test_paths.h"

using namespace kalvor;
using namespace kalvor::site;

namespace {

QDateTime at(int y, int mo, int d, int h, int mi, int s) {
    return QDateTime(QDate(y, mo, d), QTime(h, mi, s));
}

struct ParseCase {
    const char* name;
    QString reply;
    QStringList files;
    int malformed;
};

}  // namespace

TEST(ParseListing, ReadsNamesAndDatesAndCountsWhatItCannotRead) {
    const QString a = QStringLiteral("a.jpg@@@06/12/2026 21:05:09\n");
    const QString b = QStringLiteral("B.JPG@@@31/01/2024 00:00:00\n");
    const ParseCase cases[] = {
        {"two lines", a + b, {"a.jpg", "B.JPG"}, 0},
        {"empty folder", QString(), {}, 0},
        {"placeholder in any case, and names that begin with it",
         QStringLiteral("Encours.jpg@@@01/01/2020 00:00:00\nENCOURS.JPG.bak@@@x\n") + a +
             QStringLiteral("encours.jpg@@@01/01/2020 00:00:00\n"),
         {"a.jpg"},
         0},
        {"a lone carriage return", QStringLiteral("\r\n") + a, {"a.jpg"}, 0},
        {"line ends of a Windows server",
         QStringLiteral("c.jpg@@@01/02/2003 04:05:06\r\n"),
         {"c.jpg"},
         0},
        {"a line that is no listing line, then more files",
         QStringLiteral("<b>Warning</b>: something\n\n") + a + b,
         {"a.jpg", "B.JPG"},
         2},
        {"a last line without its line feed",
         a + QStringLiteral("z.jpg@@@02/02/2022 02:02:02"),
         {"a.jpg", "z.jpg"},
         0},
        {"one stray character at the end", a + QStringLiteral("x"), {"a.jpg"}, 1},
        {"month first is no date of the site",
         QStringLiteral("m.jpg@@@12/31/2024 10:00:00\n"),
         {},
         1},
        {"a date without its time", QStringLiteral("m.jpg@@@31/12/2024\n"), {}, 1},
        {"no name", QStringLiteral("@@@31/12/2024 10:00:00\n"), {}, 1},
        {"a name holding the separator",
         QStringLiteral("b@@@c.jpg@@@06/12/2026 21:05:09\n"),
         {"b@@@c.jpg"},
         0},
        {"a name that speaks of a missing page",
         QStringLiteral("404 NOT FOUND.jpg@@@06/12/2026 21:05:09\n"),
         {"404 NOT FOUND.jpg"},
         0},
    };
    for (const ParseCase& c : cases) {
        const Listing listing = Parse_Listing(c.reply);
        QStringList names;
        for (const ListedFile& f : listing.files) {
            names << f.file;
        }
        EXPECT_EQ(names, c.files) << c.name;
        EXPECT_EQ(listing.malformed, c.malformed) << c.name;
    }
    const Listing dated = Parse_Listing(a + b);
    EXPECT_EQ(dated.files[0].creation, at(2026, 12, 6, 21, 5, 9));
    EXPECT_EQ(dated.files[1].creation, at(2024, 1, 31, 0, 0, 0));
}

TEST(ParseListing, DatesDoNotDependOnTheLocale) {
    const QLocale before;
    QLocale::setDefault(QLocale(QLocale::English, QLocale::UnitedStates));
    const Listing listing = Parse_Listing(QStringLiteral("a.jpg@@@05/04/2023 13:14:15\n"));
    QLocale::setDefault(before);
    ASSERT_EQ(listing.files.size(), 1);
    EXPECT_EQ(listing.files[0].creation, at(2023, 4, 5, 13, 14, 15));
}

TEST(ListingUrl, JoinsTheAddressWithOneSlash) {
    EXPECT_EQ(Listing_Url(QStringLiteral("http://bd.example/site"), QStringLiteral("check_files"),
                          QStringLiteral("couvertures")),
              QStringLiteral("http://bd.example/site/check_files.php?current_rep=couvertures"));
    EXPECT_EQ(Listing_Url(QStringLiteral("http://bd.example/"), QStringLiteral("check_thumbs"),
                          QStringLiteral("revues")),
              QStringLiteral("http://bd.example/check_thumbs.php?current_rep=revues"));
}

class GetFichiersSite : public ::testing::Test {
  protected:
    void SetUp() override {
        base = env.path() + QStringLiteral("/catalogue.db");
        catalogue::BuildSqliteCatalogue(
            test::fixturePath(QStringLiteral("catalogue/catalogue-v6.sql")), base);
        ASSERT_TRUE(Create_Tables_Temp(base, prompt));
    }
    ListingOutcome fetch(const QString& rep, const QString& script = QStringLiteral("check_files"),
                         const QString& table = kTableFiles) {
        return Get_Fichiers_Site(inet, site.url(), base, script, table, rep, state);
    }
    QStringList rows(const QString& table = kTableFiles) {
        auto db = dao::DBEngine::OpenDatabase(base);
        auto rs = db->OpenRecordset(QStringLiteral("select key, type, file, ok from ") + table +
                                    QStringLiteral(" order by file"));
        QStringList list;
        for (; !rs->Eof(); rs->MoveNext()) {
            list << QStringLiteral("%1 %2 %3 %4")
                        .arg(rs->Fields(0).toString(), rs->Fields(1).toString(),
                             rs->Fields(2).toString())
                        .arg(rs->Fields(3).toInt());
        }
        return list;
    }

    test::IsolatedEnvironment env;
    RecordingPrompt prompt;
    test::CannedSite site;
    Inet inet{5000};
    SiteCheckState state;
    QString base;
};

TEST_F(GetFichiersSite, StoresOneListedRowPerFileAndCountsTheListing) {
    // Each line in its own encoding: UTF-8 when the whole line is valid
    // UTF-8, else Windows-1252.
    site.files(QStringLiteral("couvertures"),
               "Cl\xE9mence.JPG@@@06/12/2026 21:05:09\nEncours.jpg@@@06/12/2026 21:05:09\n"
               "it's.jpg@@@01/01/2020 10:00:00\nnot a line\n"
               "No\xC3\xABl.jpg@@@01/01/2020 10:00:00\nC\xC5\x93ur d'\xE9t\xE9.jpg"
               "@@@01/01/2020 10:00:00\n\x9Cuvre.jpg@@@01/01/2020 10:00:00\n");
    EXPECT_EQ(fetch(QStringLiteral("couvertures")), ListingOutcome::Read);
    EXPECT_EQ(rows(), (QStringList{"EX couvertures CÅ“ur d'été.jpg 0",
                                   "EX couvertures Clémence.JPG 0", "EX couvertures it's.jpg 0",
                                   "EX couvertures Noël.jpg 0", "EX couvertures œuvre.jpg 0"}));
    EXPECT_EQ(state.GV_Nb_Rep, 1);
    EXPECT_EQ(state.malformedLines, 1);
    EXPECT_TRUE(state.GV_Site_OK);

    auto db = dao::DBEngine::OpenDatabase(base);
    auto rs = db->OpenRecordset(
        QStringLiteral("select creation from TEMP_KALVOR_FILES where file = 'Clémence.JPG'"));
    EXPECT_EQ(rs->Fields(0).toDateTime(), at(2026, 12, 6, 21, 5, 9));
}

TEST_F(GetFichiersSite, AnEmptyFolderCountsAndStoresNothing) {
    site.thumbs(QStringLiteral("versos"), QByteArray());
    EXPECT_EQ(fetch(QStringLiteral("versos"), QStringLiteral("check_thumbs"), kTableThumbs),
              ListingOutcome::Read);
    EXPECT_EQ(state.GV_Nb_Rep, 1);
    EXPECT_TRUE(rows(kTableThumbs).isEmpty());
}

TEST_F(GetFichiersSite, NotFoundIsTheStatusOrAHostsPageNotTheWordsOfAListing) {
    // A missing script, whatever the server's page says.
    site.page(QStringLiteral("/check_files.php?current_rep=versos"),
              "a.jpg@@@06/12/2026 21:05:09\n", 404);
    EXPECT_EQ(fetch(QStringLiteral("versos")), ListingOutcome::NotListed);
    EXPECT_FALSE(state.GV_Site_OK);
    EXPECT_EQ(state.GV_Nb_Rep, 0);
    EXPECT_TRUE(rows().isEmpty());

    // A listing that mentions a not-found page is a listing.
    state = SiteCheckState();
    site.files(QStringLiteral("photos"),
               "Erreur 404 NOT FOUND.jpg@@@06/12/2026 21:05:09\nb.jpg@@@06/12/2026 21:05:09\n");
    EXPECT_EQ(fetch(QStringLiteral("photos")), ListingOutcome::Read);
    EXPECT_TRUE(state.GV_Site_OK);
    EXPECT_EQ(rows(), (QStringList{"EX photos b.jpg 0", "EX photos Erreur 404 NOT FOUND.jpg 0"}));

    // A host's own page for a missing script, sent with status 200.
    state = SiteCheckState();
    site.files(QStringLiteral("planches"),
               "<html><head><title>404 Not Found</title></head>\n<body>Introuvable</body>\n");
    EXPECT_EQ(fetch(QStringLiteral("planches")), ListingOutcome::NotListed);
    EXPECT_FALSE(state.GV_Site_OK);
    EXPECT_EQ(state.GV_Nb_Rep, 0);
    EXPECT_EQ(state.malformedLines, 0);

    // The same words in a reply that the site's script marked as its own are
    // a listing, if a poor one.
    state = SiteCheckState();
    site.setEndMarked(true);
    site.files(QStringLiteral("dedicaces"), "404 not found\n");
    EXPECT_EQ(fetch(QStringLiteral("dedicaces")), ListingOutcome::Read);
    EXPECT_TRUE(state.GV_Site_OK);
    EXPECT_EQ(state.malformedLines, 1);
}

TEST_F(GetFichiersSite, TheInvalidFolderReplyIsNotCountedUnlessItIsMore) {
    site.page(QStringLiteral("/check_files.php?current_rep=planches"),
              "Le r\xE9pertoire n'est pas valide !");
    EXPECT_EQ(fetch(QStringLiteral("planches")), ListingOutcome::NotListed);
    EXPECT_EQ(state.GV_Nb_Rep, 0);
    EXPECT_TRUE(state.GV_Site_OK);

    // A line end around the words is no part of them, nor a host's banner
    // in plain text after them.
    site.page(QStringLiteral("/check_files.php?current_rep=versos"),
              "\r\nLe r\xE9pertoire n'est pas valide !\r\n");
    EXPECT_EQ(fetch(QStringLiteral("versos")), ListingOutcome::NotListed);
    site.page(QStringLiteral("/check_files.php?current_rep=photos"),
              "Le r\xE9pertoire n'est pas valide !\nH\xE9"
              "berg\xE9"
              " par Gratuit.example\n");
    EXPECT_EQ(fetch(QStringLiteral("photos")), ListingOutcome::NotListed);
    EXPECT_EQ(state.GV_Nb_Rep, 0);
    EXPECT_TRUE(state.unread.isEmpty());

    site.files(QStringLiteral("revues"), "Le r\xE9pertoire n'est pas valide ! (revues)\n");
    EXPECT_EQ(fetch(QStringLiteral("revues")), ListingOutcome::Read);
    EXPECT_EQ(state.GV_Nb_Rep, 1);
    EXPECT_EQ(state.malformedLines, 1);
}

TEST_F(GetFichiersSite, AFailedRequestOtherThanNotFoundIsAnError) {
    site.page(QStringLiteral("/check_files.php?current_rep=parabd"), "Internal error", 500);
    EXPECT_THROW(fetch(QStringLiteral("parabd")), Error);
    EXPECT_TRUE(state.GV_Site_OK);
    EXPECT_EQ(state.GV_Nb_Rep, 0);
}

TEST_F(GetFichiersSite, AListingIntoATableThatIsGoneFailsAndIsNamed) {
    site.files(QStringLiteral("couvertures"), "a.jpg@@@06/12/2026 21:05:09\n");
    ASSERT_TRUE(Drop_Tables_Temp(base, prompt));
    EXPECT_EQ(fetch(QStringLiteral("couvertures")), ListingOutcome::Failed);
    EXPECT_EQ(state.GV_Nb_Rep, 1);
    ASSERT_EQ(state.unread.size(), 1);
    EXPECT_EQ(state.unread[0].script, QStringLiteral("check_files"));
    EXPECT_EQ(state.unread[0].rep, QStringLiteral("couvertures"));
    EXPECT_TRUE(state.unread[0].reason.contains(kTableFiles))
        << state.unread[0].reason.toStdString();
}

TEST_F(GetFichiersSite, AListingOfANewerSiteCountsOnlyWithItsEndMark) {
    site.setEndMarked(true);
    site.files(QStringLiteral("couvertures"), "a.jpg@@@06/12/2026 21:05:09\n");
    EXPECT_EQ(fetch(QStringLiteral("couvertures")), ListingOutcome::Read);
    EXPECT_EQ(rows(), QStringList{"EX couvertures a.jpg 0"});
    EXPECT_EQ(state.malformedLines, 0);

    // Cut after a whole line: the files it lacks would be reported missing.
    site.page(QStringLiteral("/check_files.php?current_rep=versos"),
              "b.jpg@@@06/12/2026 21:05:09\n");
    EXPECT_THROW(fetch(QStringLiteral("versos")), Error);
    EXPECT_EQ(rows().size(), 1);
    EXPECT_EQ(state.GV_Nb_Rep, 1);
    // A line left out on the way, the mark and its count kept.
    site.page(QStringLiteral("/check_files.php?current_rep=photos"),
              "b.jpg@@@06/12/2026 21:05:09\n#fin#\n#2#\n");
    EXPECT_THROW(fetch(QStringLiteral("photos")), Error);
    site.page(QStringLiteral("/check_files.php?current_rep=planches"),
              "b.jpg@@@06/12/2026 21:05:09\nc.jpg@@@06/12/2026 21:05:09\n#fin#\n#2#\n");
    EXPECT_EQ(fetch(QStringLiteral("planches")), ListingOutcome::Read);
    EXPECT_EQ(rows().size(), 3);

    // This version's: a name's line end and "@" come escaped, the mark
    // names the folder and proves the bytes.
    const QByteArray lines =
        "zz%0Acouverture_10086.JPG@@@06/12/2026 21:05:09\nb%40%40%40c.jpg@@@06/12/2026 21:05:09\n";
    site.page(QStringLiteral("/check_files.php?current_rep=revues"),
              test::proved("check_files:revues", lines) + '\n');
    EXPECT_EQ(fetch(QStringLiteral("revues")), ListingOutcome::Read);
    const QStringList listed = rows();
    EXPECT_EQ(listed.size(), 5);
    EXPECT_TRUE(listed.contains(QStringLiteral("EX revues b@@@c.jpg 0")));
    EXPECT_TRUE(listed.contains(QStringLiteral("EX revues zz\ncouverture_10086.JPG 0")));
    EXPECT_EQ(state.malformedLines, 0);
    // Kept for another folder, or after a banner.
    site.page(QStringLiteral("/check_files.php?current_rep=parabd"),
              test::proved("check_files:revues", lines) + '\n');
    EXPECT_THROW(fetch(QStringLiteral("parabd")), Error);
    site.page(QStringLiteral("/check_thumbs.php?current_rep=revues"),
              "Pub " + test::proved("check_thumbs:revues", lines) + '\n');
    EXPECT_THROW(fetch(QStringLiteral("revues"), kScriptThumbs, kTableThumbs), Error);
    EXPECT_EQ(rows(kTableThumbs).size(), 0);
}

TEST_F(GetFichiersSite, AListingWithoutMarkOrHeaderIsReadOnlyInTheFormOfTheEarlierScripts) {
    const QString probe = QStringLiteral("/check_files.php?current_rep=kalvorhelper");
    const struct {
        const char* name;
        QByteArray reply;
        bool alive;  // check_files.php answers its settings
        ListingOutcome outcome;
        qsizetype rows;
        bool empty;                    // named as listed empty
        const char* reason = nullptr;  // why it is not read, in part
        bool today = false;            // the settings end with the mark
        QByteArray banner = {};        // after the settings, as after every reply
    } cases[] = {
        {"lines", "a.jpg@@@06/12/2026 21:05:09\nb.jpg@@@06/12/2026 21:05:09\n\r\n", true,
         ListingOutcome::Read, 2, false},
        {"lines, the settings cut or emptied on the way", "a.jpg@@@06/12/2026 21:05:09\n", false,
         ListingOutcome::Failed, 0, false, "n'a pas pu être vérifiée"},
        {"lines, then the host's text",
         "a.jpg@@@06/12/2026 21:05:09\nPage h\xE9"
         "berg\xE9"
         "e "
         "gratuitement par Free\n",
         true, ListingOutcome::Read, 1, false, nullptr, false,
         "Page h\xE9"
         "berg\xE9"
         "e gratuitement par Free\n"},
        {"a line cut short before the host's text",
         "a.jpg@@@06/12/2026 21:05:09\nb.jpg\nPage h\xE9"
         "berg\xE9"
         "e gratuitement\n",
         true, ListingOutcome::Failed, 0, false, nullptr, false,
         "Page h\xE9"
         "berg\xE9"
         "e gratuitement\n"},
        {"the host's text alone",
         "Page h\xE9"
         "berg\xE9"
         "e gratuitement\n",
         true, ListingOutcome::Read, 0, true, nullptr, false,
         "Page h\xE9"
         "berg\xE9"
         "e gratuitement\n"},
        {"cut in a line", "a.jpg@@@06/12/2026 21:05:09\nb.jpg@@@06/1", true, ListingOutcome::Failed,
         0, false},
        {"cut before the last line feed", "a.jpg@@@06/12/2026 21:05:09", true,
         ListingOutcome::Failed, 0, false},
        {"a host's page", "<p>Bienvenue</p>\n", true, ListingOutcome::Failed, 0, false},
        {"empty, the script alive", "", true, ListingOutcome::Read, 0, true},
        {"a line end, the script alive", "\r\n", true, ListingOutcome::Read, 0, true},
        {"empty, the script emptied", "", false, ListingOutcome::Failed, 0, false},
        {"PHP's warning, errors shown",
         "<br />\n<b>Warning</b>:  opendir(v): Permission denied in <b>/s/check_files.php</b> on "
         "line <b>3</b><br />\n",
         true, ListingOutcome::Failed, 0, false,
         "(« Warning: opendir(v): Permission denied in /s/check_files.php on line 3 »)"},
        // This version's script, its headers lost (a byte-order mark before
        // it, a proxy), cut between two lines by an error PHP did not show.
        {"lines of this version's script", "a.jpg@@@06/12/2026 21:05:09\n", true,
         ListingOutcome::Failed, 0, false, "marque de fin", true},
        {"nothing from this version's script", "", true, ListingOutcome::Failed, 0, false, "vide",
         true},
    };
    for (const auto& c : cases) {
        Drop_Tables_Temp(base, prompt);
        Create_Tables_Temp(base, prompt);
        state = SiteCheckState();
        site.page(QStringLiteral("/check_files.php?current_rep=versos"), c.reply);
        site.page(probe, c.alive ? "PATH_couvertures : couvertures\nPATH_planches : planches\n"
                                   "PATH_versos : v\nPATH_photos : p\nPATH_dedicaces : d\n"
                                   "PATH_parabd : p\nPATH_revues : r\nPATH_images : i\n"
                                   "THUMB_couvertures : c\nTHUMB_planches : p\nTHUMB_versos : "
                                   "v\nTHUMB_photos : p\nTHUMB_dedicaces : d\nTHUMB_parabd : "
                                   "p\nTHUMB_revues : r\n" +
                                       QByteArray(c.today ? "#fin#\n" : "") + c.banner
                                 : QByteArray());
        EXPECT_EQ(fetch(QStringLiteral("versos")), c.outcome) << c.name;
        EXPECT_EQ(rows().size(), c.rows) << c.name;
        EXPECT_EQ(state.GV_Nb_Rep, c.outcome == ListingOutcome::Read ? 1 : 0) << c.name;
        EXPECT_EQ(state.emptyFromOlder.size(), c.empty ? 1 : 0) << c.name;
        EXPECT_EQ(state.olderScripts.size(), c.outcome == ListingOutcome::Read ? 1 : 0) << c.name;
        if (c.reason != nullptr) {
            EXPECT_TRUE(state.unread.value(0).reason.contains(QString::fromUtf8(c.reason)))
                << c.name << ": " << state.unread.value(0).reason.toStdString();
        }
    }
}

TEST_F(GetFichiersSite, AMessageOfPhpAmidAWholeListingRefusesItNamed) {
    site.setEndMarked(true);
    const QByteArray line = "a.jpg@@@06/12/2026 21:05:09\n";
    const QByteArray forms[] = {
        "<br />\n<b>Warning</b>:  filemtime(): stat failed in <b>/s/check_files.php</b> on line "
        "<b>40</b><br />\n",
        "\nWarning: filemtime(): stat failed in /s/check_files.php on line 40\n"};
    // At the start of a line, in the name, after the separator, in the date
    // and before the line end.
    for (const qsizetype at : {0, 3, 8, 14, 27}) {
        for (const QByteArray& form : forms) {
            Drop_Tables_Temp(base, prompt);
            Create_Tables_Temp(base, prompt);
            state = SiteCheckState();
            site.files(QStringLiteral("photos"),
                       "b.jpg@@@06/12/2026 21:05:09\n" + QByteArray(line).insert(at, form));
            EXPECT_EQ(fetch(QStringLiteral("photos")), ListingOutcome::Failed) << at << form.data();
            EXPECT_TRUE(rows().isEmpty()) << at;
            EXPECT_TRUE(state.unread.value(0).reason.contains(QStringLiteral(
                "Warning: filemtime(): stat failed in /s/check_files.php on line 40")))
                << at << " " << state.unread.value(0).reason.toStdString();
        }
    }
    // A name in PHP's words is a name.
    state = SiteCheckState();
    site.files(QStringLiteral("versos"),
               "Warning: tear in the cover on line 3@@@06/12/2026 "
               "21:05:09\nWarning: x in Unknown on line 3.jpg@@@06/12/2026 21:05:09\n");
    EXPECT_EQ(fetch(QStringLiteral("versos")), ListingOutcome::Read);
    EXPECT_TRUE(rows().contains(QStringLiteral("EX versos Warning: x in Unknown on line 3.jpg 0")));
}

TEST_F(GetFichiersSite, AProbeThatFailedDecidesNothingAndIsAskedAgain) {
    const QString probe = QStringLiteral("/check_files.php?current_rep=kalvorhelper");
    const QByteArray settings =
        "PATH_couvertures : c\nPATH_planches : p\nPATH_versos : v\nPATH_photos : p\n"
        "PATH_dedicaces : d\nPATH_parabd : p\nPATH_revues : r\nPATH_images : i\n"
        "THUMB_couvertures : c\nTHUMB_planches : p\nTHUMB_versos : v\nTHUMB_photos : p\n"
        "THUMB_dedicaces : d\nTHUMB_parabd : p\nTHUMB_revues : r\n";
    // This version's listings, headers stripped, cut after a whole line.
    const QByteArray cut = "a.jpg@@@06/12/2026 21:05:09\n";
    site.page(QStringLiteral("/check_files.php?current_rep=versos"), cut);
    site.page(QStringLiteral("/check_files.php?current_rep=photos"), cut);
    site.page(probe, "Bad Gateway", 502);
    EXPECT_EQ(fetch(QStringLiteral("versos")), ListingOutcome::Failed);
    EXPECT_EQ(site.requests(), 3);
    EXPECT_TRUE(state.unread.value(0).reason.contains(QStringLiteral("502")))
        << state.unread.value(0).reason.toStdString();
    EXPECT_TRUE(state.olderScripts.isEmpty());
    // Cut inside its mark, or the mark's line altered on the way, it proves
    // nothing either: asked again, never read as an earlier version's.
    for (const QByteArray after : {"#", "#f", "#fi", "#fin", "#fin#", "#fin#\r", " #fin#\n",
                                   "#fiPage h\xE9"
                                   "berg\xE9"
                                   "e\n"}) {
        state = SiteCheckState();
        site.page(probe, settings + after);
        const int before = site.requests();
        EXPECT_EQ(fetch(QStringLiteral("versos")), ListingOutcome::Failed) << after.data();
        EXPECT_EQ(site.requests() - before, 3) << after.data();
        EXPECT_TRUE(state.olderScripts.isEmpty()) << after.data();
        EXPECT_TRUE(state.unread.value(0).reason.contains(QStringLiteral("marque de fin coup")))
            << after.data() << ": " << state.unread.value(0).reason.toStdString();
    }
    // Once it answers, its mark tells this version.
    state = SiteCheckState();
    site.page(probe, settings + "#fin#\n");
    EXPECT_EQ(fetch(QStringLiteral("photos")), ListingOutcome::Failed);
    EXPECT_TRUE(state.unread.value(0).reason.contains(QStringLiteral("marque de fin")));
    EXPECT_EQ(state.GV_Nb_Rep, 0);
    EXPECT_TRUE(rows().isEmpty());
}
