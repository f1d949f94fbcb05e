#include <QFile>
#include <QRegularExpression>
#include <QSet>
#include <QUrl>
#include <algorithm>
#include <map>

#include <gtest/gtest.h>

#include "e2e/e2e_servers.h"
#include "e2e/listpages/list_site.h"
#include "platform/cp1252.h"

using namespace kalvor;
using namespace kalvor::e2e;
using namespace kalvor::e2e::listpages;

namespace {

const char* const kCollections[] = {"albums", "acheter", "dedicace", "parabd", "revue"};
const char* const kKinds[] = {"notes", "series", "auteurs",  "styles", "collections",
                              "types", "dl",     "dt-achat", "revue"};

// The pages of this list whose count line must agree with the list.
const QSet<QString> kCounted = {QStringLiteral("notes"),      QStringLiteral("style"),
                                QStringLiteral("collection"), QStringLiteral("dl"),
                                QStringLiteral("dt-achat"),   QStringLiteral("type"),
                                QStringLiteral("revue")};

QByteArray latin1(const QString& text) {
    return cp1252::encode(text);
}

QString encoded(const QString& value) {
    return QString::fromLatin1(QUrl::toPercentEncoding(value));
}

// One site per way of publishing, built once for all the tests that use it.
SiteHarness& siteFor(const Published& how) {
    static std::map<QString, std::unique_ptr<SiteHarness>> sites;
    const QString key = QString::fromLatin1(how.catalogue) + (how.utf8 ? u'u' : u'l') +
                        (how.withUpdate ? u'+' : u'-');
    auto& site = sites[key];
    if (!site) {
        site = std::make_unique<SiteHarness>(QStringLiteral("listes"));
        const QString failed = publish(*site, how);
        EXPECT_TRUE(failed.isEmpty()) << failed.toStdString();
    }
    return *site;
}

const Published kFull{"catalogue-v5.mdb", "v5", false, false};
const Published kUpdated{"catalogue-v6.mdb", "v6", true, true};

class ListPages : public testing::TestWithParam<Published> {
  protected:
    void SetUp() override {
        KALVOR_REQUIRE_SERVERS();
        site_ = &siteFor(GetParam());
    }
    SitePage get(const QString& query) const { return site_->get(query); }
    SiteHarness* site_ = nullptr;
};

std::string nameOf(const testing::TestParamInfo<Published>& info) {
    return std::string(info.param.version) + (info.param.utf8 ? "_utf8" : "_latin1") +
           (info.param.withUpdate ? "_mise_a_jour" : "");
}

}  // namespace

TEST_P(ListPages, EveryListAndEveryLinkServesAndAgreesOnItsCount) {
    // The kinds each collection's menu offers hold entries; the others may
    // stay empty but still serve.
    const std::map<QString, QStringList> filled = {
        {"albums", {"notes", "series", "auteurs", "styles", "collections", "dl", "dt-achat"}},
        {"acheter", {"notes", "series", "auteurs", "dl"}},
        {"dedicace", {"series", "auteurs"}},
        {"parabd", {"series", "auteurs", "types", "styles", "dl", "dt-achat"}},
        {"revue", {"revue", "series", "styles"}},
    };
    // The selection pages list albums only: a genre or a date of collectibles
    // or magazines has no page that counts it.
    const auto albumsOnly = [](const QString& coll, const QString& page) {
        return (coll == QStringLiteral("parabd") || coll == QStringLiteral("revue")) &&
               (page == QStringLiteral("style") || page == QStringLiteral("dl") ||
                page == QStringLiteral("dt-achat"));
    };
    const bool pagesOfOthers = QFile::exists(site_->folder() + QStringLiteral("/serie.php")) &&
                               QFile::exists(site_->folder() + QStringLiteral("/auteur.php"));
    QSet<QString> fetched;
    for (const char* coll : kCollections) {
        for (const char* kind : kKinds) {
            SCOPED_TRACE(std::string(coll) + "/" + kind);
            const SitePage list = get(QStringLiteral("liste.php?coll=%1&liste=%2").arg(coll, kind));
            ASSERT_TRUE(list.problem().isEmpty()) << list.problem().toStdString();
            EXPECT_TRUE(list.body.endsWith("</ul>\n</body>\n</html>\n"));
            const QList<ListLink> links = listLinks(list.body);
            if (filled.at(coll).contains(kind)) {
                EXPECT_FALSE(links.isEmpty());
            }
            for (const ListLink& link : links) {
                SCOPED_TRACE(link.href.toStdString());
                EXPECT_TRUE(link.href.contains(QStringLiteral("?coll=%1&").arg(coll)));
                EXPECT_TRUE(link.href.endsWith(QStringLiteral("&liste=") + kind));
                const bool counted = kCounted.contains(link.page) &&
                                     !albumsOnly(QString::fromLatin1(coll), link.page);
                if ((!counted && !pagesOfOthers) || fetched.contains(link.href)) {
                    continue;
                }
                fetched.insert(link.href);
                const SitePage page = get(link.href);
                ASSERT_TRUE(page.problem().isEmpty()) << page.problem().toStdString();
                if (counted) {
                    EXPECT_EQ(totalCount(page.body), link.count);
                    // The page frames the same list again.
                    EXPECT_TRUE(
                        page.body.contains(QStringLiteral("src=\"liste.php?coll=%1&amp;liste=%2")
                                               .arg(coll, kind)
                                               .toLatin1()));
                }
            }
        }
    }
}

TEST_P(ListPages, NameListsIndexTheirInitialsAndShowEmptyNames) {
    const SitePage series = get(QStringLiteral("liste.php?coll=albums&liste=series"));
    EXPECT_TRUE(series.body.contains("<a href=\"#Z\">Z</a>"));
    // "Le Secret", "Les Aventures"...: one anchor for the first L only.
    EXPECT_EQ(series.body.count(" id=\"L\""), 1);
    EXPECT_EQ(series.body.count(" id=\"C\""), 1);
    EXPECT_TRUE(series.body.contains(
        latin1(QStringLiteral(" href=\"serie.php?coll=albums&amp;idserie=9&amp;liste=series\" "
                              "target=\"_top\">Crépuscule à Fort-Bâton <span "
                              "class=\"nb_albums\">&nbsp;[8]</span></a></li>"))));

    const SitePage dedications = get(QStringLiteral("liste.php?coll=dedicace&liste=series"));
    EXPECT_TRUE(dedications.body.contains(latin1(QStringLiteral(
        "<li><a href=\"serie.php?coll=dedicace&amp;idserie=all&amp;liste=series\" "
        "target=\"_top\">(toutes les dédicaces)<span class=\"nb_albums\">&nbsp;["))));
    // Its number is the rows of the page it opens.
    const ListLink allDedications = listLinks(dedications.body).value(0);
    const QByteArray summary = get(allDedications.href).body;
    const qsizetype table = summary.indexOf("<table id=\"Recap\"");
    const QByteArray rows = summary.mid(table, summary.indexOf("</table>", table) - table);
    EXPECT_GT(allDedications.count, 0);
    EXPECT_EQ(allDedications.count, rows.count("<tr><td>") + rows.count("<tr class=\"Paire\">"));
    const SitePage magazines = get(QStringLiteral("liste.php?coll=revue"));
    EXPECT_TRUE(magazines.body.contains("<title>Orme Lo' &amp; Kalvor - liste par revue</title>"));
    EXPECT_TRUE(
        magazines.body.contains("href=\"revue.php?coll=revue&amp;idserie=all&amp;liste=revue\" "
                                "target=\"_top\">(toutes les revues)"));
    const ListLink all = listLinks(magazines.body).value(0);
    const SitePage every = get(all.href);
    EXPECT_TRUE(every.body.contains("<tr><th>Revues&nbsp;:</th><td>Toutes les Revues</td></tr>"));
    EXPECT_GT(totalCount(every.body), 0);
    // Every name list of the magazines opens with them all, on the magazine page.
    for (const char* kind : {"series", "styles", "auteurs", "notes"}) {
        SCOPED_TRACE(kind);
        const ListLink first =
            listLinks(get(QStringLiteral("liste.php?coll=revue&liste=") + kind).body).value(0);
        EXPECT_EQ(first.href, QStringLiteral("revue.php?coll=revue&idserie=all&liste=") + kind);
        EXPECT_EQ(first.count, all.count);
    }

    const SitePage ratings = get(QStringLiteral("liste.php?coll=albums&liste=notes"));
    EXPECT_TRUE(ratings.body.contains("target=\"_top\">(sans note) <span"));
    EXPECT_TRUE(ratings.body.contains("/note7.gif\" width=\"49\" height=\"11\" alt=\"7/10\">"));
    EXPECT_TRUE(ratings.body.contains(
        "href=\"notes.php?coll=albums&amp;notes=%A4%A4%A4l&amp;liste=notes\""));

    const SitePage authors = get(QStringLiteral("liste.php?coll=albums&liste=auteurs"));
    EXPECT_FALSE(authors.body.contains("idauteur=1&amp;"));
    EXPECT_TRUE(authors.body.contains(" class=\"special\""));
}

TEST_P(ListPages, EveryAuthorEntryCountsWhatItsPageShows) {
    // Links of kinds other than writer, artist and colourist, as catalogues
    // hold them (in both collections), and the collectibles' T-shirt without
    // a series, which the fixtures hold.
    const KeptTables kept(site_->database(), {QStringLiteral("kv_collaborateurs")});
    const SqlResult added =
        runSql(site_->database(),
               "INSERT IGNORE INTO kv_collaborateurs VALUES (1, 24, 3), (2, 16, 4), (3, 13, 5), "
               "(4, 24, 4), (73, 5, 3), (80, 16, 5), (73, 9, 4), (88, 3, 5);\n");
    ASSERT_TRUE(added.ok) << added.errors.toStdString();
    for (const char* coll : {"albums", "acheter", "dedicace", "parabd"}) {
        const QList<ListLink> authors =
            listLinks(get(QStringLiteral("liste.php?coll=%1&liste=auteurs").arg(coll)).body);
        EXPECT_FALSE(authors.isEmpty()) << coll;
        for (const ListLink& author : authors) {
            if (author.page != QStringLiteral("auteur")) {
                continue;  // the dedications' total
            }
            SCOPED_TRACE(author.href.toStdString());
            const SitePage page = get(author.href);
            ASSERT_TRUE(page.problem().isEmpty()) << page.problem().toStdString();
            EXPECT_EQ(totalCount(page.body), author.count);
        }
    }

    // The T-shirt is on its author's page; its row leads to its card on its
    // type's page, counted there as in the list of types.
    const SitePage artist = get(QStringLiteral("auteur.php?coll=parabd&idauteur=25"));
    static const QRegularExpression row(
        QStringLiteral(R"(<tr[^>]*><td><a href="(type\.php\?[^"#]*)#i9"></a></td><td>)"
                       R"(<a href="[^"]*">T-shirt du festival</a>)"));
    const auto found = row.match(QString::fromLatin1(artist.body));
    ASSERT_TRUE(found.hasMatch()) << artist.body.toStdString();
    const QString typePage =
        found.captured(1).replace(QStringLiteral("&amp;"), QStringLiteral("&"));
    EXPECT_TRUE(get(typePage).body.contains("id=\"i9\""));
    bool listed = false;
    for (const ListLink& type :
         listLinks(get(QStringLiteral("liste.php?coll=parabd&liste=types")).body)) {
        if (typePage.startsWith(type.href.left(type.href.indexOf(QStringLiteral("&liste="))) +
                                u'&')) {
            listed = true;
            EXPECT_EQ(type.count, totalCount(get(type.href).body));
        }
    }
    EXPECT_TRUE(listed);
}

TEST_P(ListPages, GenresAndCollectionsShowAsTheListFrameShowsThem) {
    // The data scripts write "<" and ">" as HTML text, "&" as it is.
    const KeptTables kept(site_->database(),
                          {QStringLiteral("kv_series"), QStringLiteral("kv_albums")});
    const SqlResult changed =
        runSql(site_->database(), QStringLiteral("SET NAMES utf8;\n"
                                                 "UPDATE kv_series SET style = 'SF &lt;rétro&gt;' "
                                                 "WHERE idserie = 9;\n"
                                                 "UPDATE kv_albums SET collection = 'Noir & "
                                                 "&lt;Blanc&gt;' WHERE idserie = 9;\n")
                                      .toUtf8());
    ASSERT_TRUE(changed.ok) << changed.errors.toStdString();
    const struct {
        const char* list;
        const char* entry;
        const char* title;
        const char* box;
    } cases[] = {
        {"styles", "SF &lt;rétro&gt;", "Détails pour SF &lt;rétro&gt;",
         "<tr><th>Genre&nbsp;:</th><td>SF &lt;rétro&gt;</td></tr>"},
        {"collections", " - Noir & &lt;Blanc&gt;", " - Noir &amp; &lt;Blanc&gt;</title>",
         "<tr><th>Collection&nbsp;:</th><td>Noir &amp; &lt;Blanc&gt;</td></tr>"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.list);
        const QString entry = QString::fromUtf8(c.entry);
        ListLink link;
        for (const ListLink& l :
             listLinks(get(QStringLiteral("liste.php?coll=albums&liste=") + c.list).body)) {
            if (l.text.contains(entry)) {
                link = l;
            }
        }
        ASSERT_FALSE(link.href.isEmpty());
        const SitePage page = get(link.href);
        ASSERT_TRUE(page.problem().isEmpty()) << page.problem().toStdString();
        EXPECT_TRUE(page.body.contains(latin1(QString::fromUtf8(c.title))))
            << page.body.left(600).toStdString();
        EXPECT_TRUE(page.body.contains(latin1(QString::fromUtf8(c.box))));
        EXPECT_EQ(totalCount(page.body), link.count);
    }

    // Names alike in their first 255 characters stay apart and whole, in the
    // list and in the statistics, which group them in memory: one character
    // more, and five.
    for (const int length : {255, 259}) {
        const QString alike = QString(length, u'x');
        const SqlResult longer =
            runSql(site_->database(),
                   QStringLiteral(
                       "UPDATE kv_series SET style = '%1A' WHERE idserie = 9;"
                       "UPDATE kv_series SET style = '%1B' WHERE idserie = (SELECT min(idserie) "
                       "FROM kv_albums WHERE idserie <> 9);"
                       "UPDATE kv_albums SET perso1 = CONCAT('%1', IF(MOD(idalbum, 2), 'A', 'B'));")
                       .arg(alike)
                       .toLatin1());
        ASSERT_TRUE(longer.ok) << longer.errors.toStdString();
        const QByteArray genres = get(QStringLiteral("liste.php?coll=albums&liste=styles")).body;
        const QByteArray stats = get(QStringLiteral("stats.php?coll=albums")).body;
        for (const char* last : {"A", "B"}) {
            const QByteArray name = alike.toLatin1() + last;
            EXPECT_TRUE(genres.contains("target=\"_top\">" + name + " <span")) << length << last;
            EXPECT_TRUE(stats.contains("<td width=\"30%\">" + name + "</td>")) << length << last;
        }
    }
}

TEST_P(ListPages, DateListsNestMonthsUnderTheirYearAndMarkTheSelection) {
    const SitePage dl = get(QStringLiteral("liste.php?coll=albums&liste=dl&date=2004/05"));
    ASSERT_TRUE(dl.problem().isEmpty()) << dl.problem().toStdString();
    const QByteArray body = dl.body;
    EXPECT_TRUE(body.contains("<body class=\"date\">"));
    EXPECT_TRUE(
        body.contains(latin1(QStringLiteral("<div id=\"titre-lst\">Tri par dépôt légal</div>"))));
    EXPECT_TRUE(body.contains(latin1(QStringLiteral(
        "<li><a href=\"dl.php?coll=albums&amp;date=%2F&amp;liste=dl\" target=\"_top\" "
        "title=\"2 albums qui n'ont pas de DL\">(albums sans DL)&nbsp;<span "
        "class=\"nb_albums\">[2]</span></a></li>"))));
    EXPECT_TRUE(body.contains(latin1(QStringLiteral(
        "<li class=\"actif\"><a href=\"dl.php?coll=albums&amp;date=2004%2F&amp;liste=dl\" "
        "target=\"_top\" title=\"1 albums publiés en 2004\">2004&nbsp;<span "
        "class=\"nb_albums\">[1]</span></a>\n"
        "<ul>\n"
        "<li class=\"actif\"><a href=\"dl.php?coll=albums&amp;date=2004%2F05&amp;liste=dl\" "
        "target=\"_top\" title=\"1 albums publiés en Mai 2004\">Mai 2004&nbsp;<span "
        "class=\"nb_albums\">[1]</span></a></li>\n"
        "</ul></li>\n"))));
    EXPECT_EQ(body.count("<ul>"), body.count("</ul></li>"));

    const SitePage none = get(QStringLiteral("liste.php?coll=albums&liste=dt-achat&date=/"));
    EXPECT_TRUE(none.body.contains(
        latin1(QStringLiteral("<div id=\"titre-lst\">Tri par date d'achat</div>"))));
    EXPECT_TRUE(none.body.contains(latin1(
        QStringLiteral(
            "<li class=\"actif\"><a "
            "href=\"dt-achat.php?coll=albums&amp;date=%2F&amp;liste=dt-achat\" target=\"_top\" "
            "title=\"%1 albums qui n'ont pas de date d'achat\">(albums sans date d'achat)&nbsp;")
            .arg(GetParam().withUpdate ? 4 : 3))));
    // The update script's zero date is no year of its own.
    EXPECT_FALSE(none.body.contains("0000"));
    EXPECT_EQ(none.body.count(" class=\"actif\""), 1);
}

TEST_P(ListPages, DatePagesSelectAYearAMonthNoDateAndNothingForAMalformedDate) {
    const int undated = GetParam().withUpdate ? 4 : 3;
    const struct {
        const char* query;
        const char* title;
        const char* box;
        int count;
    } cases[] = {
        {"dl.php?date=2004", "Albums publiés pendant  toute l'année 2004", "toute l'année 2004", 1},
        {"dl.php?date=2004/", "Albums publiés pendant  toute l'année 2004", "toute l'année 2004",
         1},
        {"dl.php?date=2004/05", "Albums publiés en  Mai 2004", "Mai 2004", 1},
        {"dl.php?date=2004/5", "Albums publiés en  Mai 2004", "Mai 2004", 0},
        {"dl.php?date=2004/13", "Albums publiés en  13 2004", "13 2004", 0},
        {"dl.php?date=/", "Albums  sans dépot légal", "sans dépot légal", 2},
        {"dl.php", "Albums  sans dépot légal", "sans dépot légal", 2},
        {"dl.php?date=20x4/05", "Albums publiés en  Mai 20x4", "Mai 20x4", 0},
        {"dt-achat.php?date=2019", "Albums achetés pendant  toute l'année 2019",
         "toute l'année 2019", 14},
        {"dt-achat.php?date=2019/01", "Albums achetés en  Janvier 2019", "Janvier 2019", 2},
        {"dt-achat.php?date=/", "Albums  sans date d'achat", "sans date d'achat", undated},
        {"dt-achat.php?date=2019/1x", "Albums achetés en  1x 2019", "1x 2019", 0},
        {"dt-achat.php?date=0000", "Albums achetés pendant  toute l'année 0000",
         "toute l'année 0000", -3},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.query);
        const SitePage page = get(QString::fromLatin1(c.query));
        ASSERT_TRUE(page.problem().isEmpty()) << page.problem().toStdString();
        EXPECT_TRUE(
            page.body.contains(latin1(QStringLiteral("<title>Orme Lo' &amp; Kalvor - %1</title>")
                                          .arg(QString::fromUtf8(c.title).toHtmlEscaped().replace(
                                              u'\'', QStringLiteral("&#039;"))))))
            << page.body.left(400).toStdString();
        EXPECT_TRUE(page.body.contains(
            latin1(QString::fromUtf8(c.box).replace(u'\'', QStringLiteral("&#039;")))));
        if (c.count != -3) {
            EXPECT_EQ(totalCount(page.body), c.count);
            EXPECT_EQ(page.body.count("<div class=\"Fiche"), c.count);
        }
    }
    // The dedications collection lists every album of a date, dedicated or
    // not, as its date list counts them.
    EXPECT_EQ(totalCount(get(QStringLiteral("dt-achat.php?coll=dedicace&date=2019")).body), 14);
    EXPECT_TRUE(get(QStringLiteral("liste.php?coll=dedicace&liste=dt-achat"))
                    .body.contains(latin1(QStringLiteral("title=\"14 albums achetés en 2019\""))));
    const SitePage undatedPage = get(QStringLiteral("dt-achat.php?date=/"));
    EXPECT_EQ(undatedPage.body.contains(latin1(QString::fromUtf8(kUpdatedTitle))),
              GetParam().withUpdate);
    // The sort headers keep the date as it was asked.
    EXPECT_TRUE(undatedPage.body.contains(
        "href=\"dt-achat.php?coll=albums&amp;date=%2F&amp;tri=titre&amp;liste=series\""));
}

TEST_P(ListPages, SelectionPagesSortTheSummaryButNotTheCards) {
    const SitePage byTitle = get(QStringLiteral("dt-achat.php?date=2019&tri=titre&sens=desc"));
    ASSERT_TRUE(byTitle.problem().isEmpty()) << byTitle.problem().toStdString();
    EXPECT_TRUE(
        byTitle.body.contains("<a class=\"desc\" "
                              "href=\"dt-achat.php?coll=albums&amp;date=2019&amp;tri=titre&amp;"
                              "liste=series\">Titre</a>"));
    const SitePage unknown = get(QStringLiteral("dt-achat.php?date=2019&tri=nimporte"));
    EXPECT_TRUE(unknown.body.contains(
        latin1(QStringLiteral("<a class=\"asc\" "
                              "href=\"dt-achat.php?coll=albums&amp;date=2019&amp;tri=serie&amp;"
                              "sens=desc&amp;liste=series\">Série</a>"))));
    // Same cards in the same order, whatever the summary's order.
    auto cards = [](const QByteArray& body) { return body.mid(body.indexOf("</table>\n<h1>")); };
    EXPECT_EQ(cards(byTitle.body), cards(unknown.body));
    EXPECT_NE(byTitle.body.left(byTitle.body.indexOf("</table>\n<h1>")),
              unknown.body.left(unknown.body.indexOf("</table>\n<h1>")));

    // Twins alike in every sort key, stored in the other order, come in the
    // order of their ids: albums in the summary and the cards, series (named
    // alike) in the list.
    {
        const KeptTables kept(site_->database(),
                              {QStringLiteral("kv_albums"), QStringLiteral("kv_series")});
        const SqlResult twins =
            runSql(site_->database(),
                   "CREATE TEMPORARY TABLE j SELECT * FROM kv_albums WHERE year(dateachat) = 2019 "
                   "ORDER BY idalbum LIMIT 1; CREATE TEMPORARY TABLE k SELECT s.* FROM kv_series s "
                   "INNER JOIN j ON s.idserie = j.idserie; UPDATE j SET idalbum = 90002, titre = "
                   "'Jumeau', idserie = 90004; UPDATE k SET idserie = 90004, titre = 'Jumelle';"
                   "INSERT INTO kv_albums SELECT * FROM j; INSERT INTO kv_series SELECT * FROM k;"
                   "UPDATE j SET idalbum = 90001, idserie = 90003; UPDATE k SET idserie = 90003;"
                   "INSERT INTO kv_albums SELECT * FROM j; INSERT INTO kv_series SELECT * FROM k;");
        ASSERT_TRUE(twins.ok) << twins.errors.toStdString();
        const auto before = [](const QByteArray& body, const char* one, const char* other) {
            const qsizetype at = body.indexOf(one);
            return at >= 0 && at < body.indexOf(other);
        };
        for (const char* sens : {"", "&sens=desc"}) {
            const QByteArray body =
                get(QStringLiteral("dt-achat.php?date=2019&tri=titre") + sens).body;
            EXPECT_TRUE(before(body, "\"#i90001\"", "\"#i90002\"")) << sens;
            EXPECT_TRUE(before(body, "id=\"i90001\"", "id=\"i90002\"")) << sens;
        }
        EXPECT_TRUE(before(get(QStringLiteral("liste.php?liste=series")).body, "idserie=90003&",
                           "idserie=90004&"));
    }

    const SitePage publisher = get(QStringLiteral("liste.php?coll=albums&liste=collections"));
    const QList<ListLink> collections = listLinks(publisher.body);
    ASSERT_FALSE(collections.isEmpty());
    // The publisher as the list encoded it.
    static const QRegularExpression editKey(QStringLiteral("[?&]edit=([^&]*)"));
    const QString edit = editKey.match(collections.first().href).captured(1);
    const SitePage all = get(QStringLiteral("collection.php?edit=%1&collec=AllVolumes").arg(edit));
    EXPECT_TRUE(all.body.contains("<tr><th>Collection&nbsp;:</th><td>(tous les albums)</td></tr>"));
    EXPECT_GE(totalCount(all.body), collections.first().count);
    const SitePage older = get(QStringLiteral("collection.php?cle1=%1&cle2=AllVolumes").arg(edit));
    EXPECT_EQ(totalCount(older.body), totalCount(all.body));
}

TEST_P(ListPages, EverySortedListOrdersTwinsByTheirIds) {
    // Twins alike in every other sort key (names differing in case only, as
    // the tables' collation takes them), stored highest id first: two series
    // of 40 albums each, two authors of them all, two collectibles, two
    // magazine issues.
    const KeptTables kept(site_->database(),
                          {QStringLiteral("kv_series"), QStringLiteral("kv_auteurs"),
                           QStringLiteral("kv_albums"), QStringLiteral("kv_collaborateurs"),
                           QStringLiteral("kv_parabd"), QStringLiteral("kv_revues")});
    QByteArray sql =
        "CREATE TEMPORARY TABLE s SELECT * FROM kv_series ORDER BY idserie LIMIT 1;"
        "UPDATE s SET idserie = 90004, titre = 'JUMELLE'; INSERT INTO kv_series SELECT * FROM s;"
        "UPDATE s SET idserie = 90003, titre = 'Jumelle'; INSERT INTO kv_series SELECT * FROM s;"
        "CREATE TEMPORARY TABLE w SELECT * FROM kv_auteurs ORDER BY idauteur LIMIT 1;"
        "UPDATE w SET idauteur = 90006, display = 'JUMEAU'; INSERT INTO kv_auteurs SELECT * FROM w;"
        "UPDATE w SET idauteur = 90005, display = 'Jumeau'; INSERT INTO kv_auteurs SELECT * FROM w;"
        "CREATE TEMPORARY TABLE j SELECT * FROM kv_albums ORDER BY idalbum LIMIT 1;"
        "UPDATE j SET titre = 'Jumeau', num = 1, numa = '', dl = '01/2099', dateachat = "
        "'2099-12-31', iddessinateur = 90005, idcoloriste = 90005, idscenariste = 90006;\n";
    for (int id = 90140; id > 90000; --id) {
        if (id <= 90100 && id > 90040) {
            continue;
        }
        sql += QStringLiteral(
                   "UPDATE j SET idalbum = %1, idserie = %2; INSERT INTO kv_albums "
                   "SELECT * FROM j; INSERT INTO kv_collaborateurs VALUES (%1, 90006, "
                   "0), (%1, 90005, 0);\n")
                   .arg(id)
                   .arg(id > 90100 ? 90004 : 90003)
                   .toLatin1();
    }
    sql +=
        "CREATE TEMPORARY TABLE p SELECT * FROM kv_parabd ORDER BY idparabd LIMIT 1;"
        "UPDATE p SET description = 'Jumeau', dateachat = '2099-12-31';"
        "UPDATE p SET idparabd = 90022; INSERT INTO kv_parabd SELECT * FROM p;"
        "UPDATE p SET idparabd = 90021; INSERT INTO kv_parabd SELECT * FROM p;"
        "CREATE TEMPORARY TABLE r SELECT * FROM kv_revues ORDER BY idrevue LIMIT 1;"
        "UPDATE r SET num = 9999, date = '2099-12-31';"
        "UPDATE r SET idrevue = 90032; INSERT INTO kv_revues SELECT * FROM r;"
        "UPDATE r SET idrevue = 90031; INSERT INTO kv_revues SELECT * FROM r;"
        "SELECT idserie FROM kv_parabd WHERE idparabd = 90021;";
    const SqlResult twins = runSql(site_->database(), sql);
    ASSERT_TRUE(twins.ok) << twins.errors.toStdString();
    const QString objectSeries = twins.rows.value(0).value(0);

    // The twins' ids in the order a part of a page shows them.
    const auto ids = [](const QByteArray& part, const char* pattern) {
        QList<int> found;
        auto it =
            QRegularExpression(QString::fromLatin1(pattern)).globalMatch(QString::fromLatin1(part));
        while (it.hasNext()) {
            found << it.next().captured(1).toInt();
        }
        return found;
    };
    const auto ascending = [](const QList<int>& found) {
        return found.size() >= 2 && std::is_sorted(found.begin(), found.end());
    };
    const auto between = [](const QByteArray& body, const char* from, const char* to) {
        const qsizetype at = body.indexOf(from);
        return at < 0 ? QByteArray() : body.mid(at, body.indexOf(to, at) - at);
    };

    const QByteArray home = get(QStringLiteral("index.php?coll=albums")).body;
    EXPECT_EQ(ids(between(home, "<ul id=\"derseries\">", "</ul>"), "idserie=(900\\d\\d)"),
              QList<int>({90003, 90004}));
    EXPECT_TRUE(ascending(
        ids(between(home, "<span class=\"Thumb\">", "</span>\n<"), "#i(9\\d\\d\\d\\d)\"")));
    for (const char* coll : {"parabd", "revue"}) {
        SCOPED_TRACE(coll);
        EXPECT_TRUE(
            ascending(ids(get(QStringLiteral("index.php?coll=") + coll).body, "#i(900[23]\\d)\"")));
    }

    // The series' cards, each naming the two authors of a role by id.
    const QByteArray series = get(QStringLiteral("serie.php?coll=albums&idserie=90003")).body;
    EXPECT_TRUE(ascending(ids(series, "id=\"i(9\\d\\d\\d\\d)\"")));
    QList<int> pairs;
    for (int card = 0; card < 40; ++card) {
        pairs << 90005 << 90006;
    }
    EXPECT_EQ(ids(series, "idauteur=(9000[56])"), pairs);
    EXPECT_TRUE(
        ascending(ids(get(QStringLiteral("serie.php?coll=parabd&idserie=") + objectSeries).body,
                      "id=\"i(9002\\d)\"")));
    // The author's table, its albums in both series.
    EXPECT_TRUE(ascending(ids(get(QStringLiteral("auteur.php?coll=albums&idauteur=90005")).body,
                              "#i(9\\d\\d\\d\\d)\"")));

    const struct {
        const char* coll;
        const char* field;
        const char* value;
    } searches[] = {{"albums", "ftitre", "Jumeau"},
                    {"parabd", "fdescription", "Jumeau"},
                    {"revue", "fnum", "9999"}};
    for (const auto& s : searches) {
        SCOPED_TRACE(s.coll);
        const QByteArray found =
            site_
                ->post(QStringLiteral("search.php?coll=") + s.coll,
                       {{QString::fromLatin1(s.field), QString::fromLatin1(s.value)}})
                .body;
        EXPECT_TRUE(ascending(ids(found, "#i(900\\d\\d|90[01]\\d\\d)\"")));
    }

    // Statistics show names: the one of the lower id first.
    const QByteArray stats = get(QStringLiteral("stats.php?coll=albums")).body;
    const auto before = [&](const char* one, const char* other) {
        const qsizetype at = stats.indexOf(one);
        return at >= 0 && at < stats.indexOf(other);
    };
    EXPECT_TRUE(before(">Jumelle</td>", ">JUMELLE</td>"));
    EXPECT_TRUE(before(">Jumeau</td>", ">JUMEAU</td>"));
}

TEST_P(ListPages, HostileValuesInEveryParameterSelectNothingMoreAndEchoNothingRaw) {
    const struct {
        const char* base;
        QStringList parameters;
    } pages[] = {
        {"liste.php?coll=albums&liste=dl&date=2019", {"coll", "liste", "date"}},
        {"collection.php?coll=albums&edit=x&collec=AllVolumes&tri=titre&sens=desc",
         {"coll", "liste", "edit", "collec", "cle1", "cle2", "tri", "sens"}},
        {"style.php?coll=albums&style=Aventure&tri=dl",
         {"coll", "liste", "style", "cle1", "tri", "sens"}},
        {"dl.php?coll=albums&date=2004&tri=isbn", {"coll", "liste", "date", "tri", "sens"}},
        {"dt-achat.php?coll=albums&date=2019/01", {"coll", "liste", "date", "tri", "sens"}},
        {"notes.php?coll=albums&notes=%A4%A4%A4l", {"coll", "liste", "notes", "tri", "sens"}},
        {"type.php?coll=parabd&typeobjet=1001", {"coll", "liste", "typeobjet", "tri", "sens"}},
        {"revue.php?coll=revue&idserie=all", {"coll", "liste", "idserie"}},
        {"revue.php?coll=revue&idserie=1", {"coll", "liste", "idserie"}},
    };
    for (const auto& p : pages) {
        const QString base = QString::fromLatin1(p.base);
        const SitePage reference = get(base);
        ASSERT_TRUE(reference.problem().isEmpty()) << p.base << reference.problem().toStdString();
        const int rows = totalCount(reference.body);
        const qsizetype links = listLinks(reference.body).size();
        for (const QString& parameter : p.parameters) {
            for (const QString& value : hostileValues()) {
                SCOPED_TRACE(
                    QStringLiteral("%1 %2=%3").arg(base, parameter, value.left(30)).toStdString());
                const SitePage page = get(base + u'&' + parameter + u'=' + encoded(value));
                ASSERT_TRUE(page.problem().isEmpty()) << page.problem().toStdString();
                EXPECT_FALSE(page.echoesRaw(value));
                const int shown = totalCount(page.body);
                EXPECT_TRUE(shown == rows || shown == 0 || shown == -2) << shown << " / " << rows;
                if (base.startsWith(QStringLiteral("liste.php"))) {
                    EXPECT_LE(listLinks(page.body).size(), qMax<qsizetype>(links, 40));
                }
            }
        }
    }
}

INSTANTIATE_TEST_SUITE_P(Fixtures, ListPages, testing::Values(kFull, kUpdated), nameOf);
