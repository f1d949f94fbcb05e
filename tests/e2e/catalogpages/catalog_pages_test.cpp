#include <QDir>
#include <QFile>
#include <QMap>
#include <QRegularExpression>
#include <QSet>
#include <QTemporaryDir>
#include <QUrl>
#include <algorithm>
#include <filesystem>
#include <memory>

#include <gtest/gtest.h>

#include "e2e/catalogpages/catalogue_site.h"
#include "e2e/e2e_servers.h"
#include "e2e/site/cgi_page.h"
#include "platform/cp1252.h"
#include "platform/dao/database.h"
#include "platform/dao/db_engine.h"
#include "platform/dao/recordset.h"
#include "support/next_second.h"
#include "support/test_paths.h"

using namespace kalvor;
using namespace kalvor::e2e;

namespace {

const QStringList kCollections = {"albums", "acheter", "dedicace", "parabd", "revue"};

QByteArray latin1(const QString& text) {
    return cp1252::encode(text);
}

SitePage fetchPage(const QString& url) {
    const Page fetched = fetch(url);
    SitePage page;
    page.status = fetched.status;
    page.body = fetched.body;
    return page;
}

// A published fixture catalogue: one generation, one encoding of its scripts.
struct PublishedCatalogue {
    QString version;
    std::unique_ptr<QTemporaryDir> scratch;
    QString catalogue;
    std::unique_ptr<SiteHarness> site;
    QString failed;

    QString prefix() const { return siteSettings().box_prefixe_table; }

    // Values of a query on the site's database.
    QList<QStringList> rows(const QString& sql) const {
        return runSql(site->database(), sql.toUtf8()).rows;
    }
    QStringList column(const QString& sql) const {
        QStringList values;
        for (const QStringList& row : rows(sql)) {
            values << row.value(0);
        }
        return values;
    }
    long catalogueCount(const QString& sql) const {
        auto db = dao::DBEngine::OpenDatabase(catalogue);
        auto rs = db->OpenRecordset(sql);
        return rs->Fields(0).toLongLong();
    }
};

Settings publishingSettings(const QString& version, Settings::FormatDonnees format) {
    Settings s = siteSettings();
    s.GV_Version_Base = version;
    s.format = format;
    return s;
}

const std::pair<int, const char*> kOddCovers[] = {
    {65, "Numero #2.jpg"}, {66, "100% pur.jpg"}, {86, "question?"}, {87, "a@b.jfif"}};

// What a browser fetches for an address of a page: resolved against the
// page's URL, without its fragment. A "%" that starts no escape is sent as
// it stands, which hosts refuse.
Page follow(const QString& from, QByteArray address) {
    address.replace("&amp;", "&");
    static const QRegularExpression strayPercent(QStringLiteral("%(?![0-9A-Fa-f]{2})"));
    if (QString::fromLatin1(address).contains(strayPercent)) {
        return {400, {}};
    }
    QUrl url = QUrl(from).resolved(QUrl(QString::fromLatin1(address)));
    url.setFragment(QString());
    return fetch(url.toString(QUrl::FullyEncoded));
}

// Built once per generation for the whole run.
PublishedCatalogue& published(const QString& version) {
    static QMap<QString, std::shared_ptr<PublishedCatalogue>> sites;
    if (!sites.contains(version)) {
        auto p = std::make_shared<PublishedCatalogue>();
        p->version = version;
        p->scratch = std::make_unique<QTemporaryDir>();
        p->catalogue = mendedCatalogue(version, p->scratch->path());
        // Two accented cover names, whose files a test puts on the host.
        auto db = dao::DBEngine::OpenDatabase(p->catalogue);
        db->Execute(
            QStringLiteral("UPDATE ALBUMS SET Couverture = 'Cœur d''été.JPG' WHERE IdAlbum = 89"));
        db->Execute(QStringLiteral("UPDATE ALBUMS SET Couverture = 'Noël.JPG' WHERE IdAlbum = 88"));
        // Names a browser would cut or refuse unless encoded; a JPEG by its content.
        for (const auto& [album, name] : kOddCovers) {
            db->Execute(QStringLiteral("UPDATE ALBUMS SET Couverture = '%1' WHERE IdAlbum = %2")
                            .arg(QString::fromUtf8(name))
                            .arg(album));
        }
        db->Close();
        p->site = std::make_unique<SiteHarness>(QStringLiteral("catalogue_") + version);
        // One generation in each encoding of the data scripts.
        const auto format = version == QStringLiteral("v6") ? Settings::FormatDonnees::Latin1
                                                            : Settings::FormatDonnees::Utf8;
        p->failed = p->site->build(publishingSettings(version, format), siteStats(), fullExportData,
                                   p->catalogue);
        sites.insert(version, p);
    }
    return *sites[version];
}

// Links to the series and author pages of one collection found in a page,
// with "&amp;" read back as "&".
QStringList pageLinks(const QByteArray& body, const QString& coll) {
    static const QRegularExpression link(
        QStringLiteral("href=\"((?:serie|auteur)\\.php\\?coll=([a-z]+)[^\"#]*)"));
    QStringList links;
    auto it = link.globalMatch(QString::fromLatin1(body));
    while (it.hasNext()) {
        const auto m = it.next();
        if (m.captured(2) == coll) {
            links << m.captured(1).replace(QStringLiteral("&amp;"), QStringLiteral("&"));
        }
    }
    return links;
}

// The same page whatever its sort: the crawl opens each author once.
QString withoutSort(QString link) {
    static const QRegularExpression sort(QStringLiteral("&(tri|sens)=[^&]*"));
    return link.remove(sort);
}

class CatalogPages : public testing::TestWithParam<const char*> {
  protected:
    void SetUp() override {
        KALVOR_REQUIRE_SERVERS();
        p_ = &published(QString::fromLatin1(GetParam()));
        ASSERT_TRUE(p_->failed.isEmpty()) << p_->failed.toStdString();
    }
    const SiteHarness& site() const { return *p_->site; }
    QString table(const QString& name) const { return p_->prefix() + name; }

    PublishedCatalogue* p_ = nullptr;
};

TEST_P(CatalogPages, EveryHomeSeriesAndAuthorPageOfEveryCollectionServesCleanly) {
    const QMap<QString, QString> seriesTable = {{"albums", "series"},
                                                {"acheter", "series2"},
                                                {"dedicace", "series"},
                                                {"parabd", "series3"},
                                                {"revue", "series4"}};
    for (const QString& coll : kCollections) {
        SCOPED_TRACE(coll.toStdString());
        const SitePage home = site().get(QStringLiteral("index.php?coll=") + coll);
        ASSERT_TRUE(home.problem().isEmpty()) << home.problem().toStdString();

        QStringList queue = pageLinks(home.body, coll);
        for (const QString& id :
             p_->column(QStringLiteral("SELECT idserie FROM ") + table(seriesTable[coll]))) {
            queue << QStringLiteral("serie.php?coll=%1&idserie=%2&liste=series").arg(coll, id);
        }
        if (coll == QStringLiteral("dedicace")) {
            queue << QStringLiteral("serie.php?coll=dedicace&idserie=all&liste=series");
        }
        QSet<QString> seen;
        int series = 0, authors = 0;
        while (!queue.isEmpty()) {
            const QString link = queue.takeFirst();
            if (seen.contains(withoutSort(link))) {
                continue;
            }
            seen.insert(withoutSort(link));
            const SitePage page = site().get(link);
            EXPECT_TRUE(page.problem().isEmpty())
                << link.toStdString() << " : " << page.problem().toStdString();
            (link.startsWith(QStringLiteral("serie")) ? series : authors)++;
            queue << pageLinks(page.body, coll);
        }
        EXPECT_GT(series, 0);
        // Every author of the collection is reached, but the one that stands
        // for no author.
        const QMap<QString, QString> authorsTable = {
            {"albums", "auteurs"}, {"acheter", "auteurs2"}, {"parabd", "auteurs3"}};
        if (authorsTable.contains(coll)) {
            const int known =
                p_->column(QStringLiteral("SELECT count(*) FROM %1 WHERE idauteur <> 1")
                               .arg(table(authorsTable[coll])))
                    .value(0)
                    .toInt();
            EXPECT_GE(authors, known);
        }
    }
}

TEST_P(CatalogPages, HomeCountsAreTheCatalogues) {
    const bool v6 = p_->version == QStringLiteral("v6");
    const QString owned =
        v6 ? QStringLiteral("ALBUMS WHERE AAcheter = 0") : QStringLiteral("ALBUMS");
    const QString wished =
        v6 ? QStringLiteral("ALBUMS WHERE AAcheter = 1") : QStringLiteral("ACHETER");
    const QString objects = v6 ? QStringLiteral("PARABD") : QStringLiteral("EXLIBRIS");
    auto seriesOf = [&](const QString& items) {
        return p_->catalogueCount(
            QStringLiteral("SELECT count(*) FROM SERIES WHERE IdSerie IN (SELECT IdSerie FROM %1)")
                .arg(items));
    };
    auto authorsOf = [&](const QString& albums, const QString& where) {
        return p_->catalogueCount(
            QStringLiteral("SELECT count(*) FROM AUTEURS WHERE IdAuteur IN ("
                           "SELECT IdDessinateur FROM %1 %2 UNION SELECT IdScenariste FROM %1 %2 "
                           "UNION SELECT idColoriste FROM %1 %2 UNION SELECT C.IdAuteur FROM %1 "
                           "INNER JOIN COLLABORATEURS C ON %1.IdAlbum = C.IdAlbum %2)")
                .arg(albums, where));
    };
    const QString ownedTable = QStringLiteral("ALBUMS");
    const QString ownedWhere = v6 ? QStringLiteral("WHERE AAcheter = 0") : QString();
    const QString wishedTable = v6 ? QStringLiteral("ALBUMS") : QStringLiteral("ACHETER");
    const QString wishedWhere = v6 ? QStringLiteral("WHERE AAcheter = 1") : QString();

    const long nOwned = p_->catalogueCount(QStringLiteral("SELECT count(*) FROM ") + owned);
    const long nWished = p_->catalogueCount(QStringLiteral("SELECT count(*) FROM ") + wished);
    ASSERT_EQ(nOwned, 70);
    ASSERT_EQ(nWished, 15);
    const QMap<QString, QString> expected = {
        {"albums", QStringLiteral("%1 Séries, %2 Albums, %3 Auteurs")
                       .arg(seriesOf(owned))
                       .arg(nOwned)
                       .arg(authorsOf(ownedTable, ownedWhere))},
        {"acheter", QStringLiteral("%1 Séries, %2 Albums, %3 Auteurs")
                        .arg(seriesOf(wished))
                        .arg(nWished)
                        .arg(authorsOf(wishedTable, wishedWhere))},
        {"dedicace", QStringLiteral("%1 Albums")
                         .arg(p_->catalogueCount(
                             QStringLiteral("SELECT count(*) FROM ALBUMS WHERE HorsSerie <> 0 ") +
                             (v6 ? QStringLiteral("AND AAcheter = 0") : QString())))},
        {"parabd", QStringLiteral("%1 objets")
                       .arg(p_->catalogueCount(QStringLiteral("SELECT count(*) FROM ") + objects))},
        {"revue", QStringLiteral("%1 revues")
                      .arg(p_->catalogueCount(QStringLiteral("SELECT count(*) FROM REVUES")))},
    };
    for (const QString& coll : kCollections) {
        SCOPED_TRACE(coll.toStdString());
        const SitePage home = site().get(QStringLiteral("index.php?coll=") + coll);
        ASSERT_TRUE(home.problem().isEmpty()) << home.problem().toStdString();
        EXPECT_TRUE(
            home.body.contains(latin1(QStringLiteral("<div class=\"stats\">\r\n") + expected[coll] +
                                      QStringLiteral("<br>dernière mise à jour : "))))
            << expected[coll].toStdString();
    }
}

TEST_P(CatalogPages, CardsShowTheCataloguesTextsAndPictures) {
    // Album 1: apostrophe in the title, rating 7, cover in mixed case.
    const SitePage first = site().get(QStringLiteral("serie.php?coll=albums&idserie=1"));
    ASSERT_TRUE(first.problem().isEmpty()) << first.problem().toStdString();
    EXPECT_TRUE(first.body.contains(latin1(QStringLiteral(
        "<h2>1 - L'Ombre du phare&nbsp;<img src=\"images/note7.gif\" width=\"49\" height=\"11\" "
        "alt=\"7/10\">"))));
    EXPECT_TRUE(
        first.body.contains("<img src=\"couvertures/Couv_Album01.JPG\" height=\"145\" "
                            "width=\"107\" alt=\"recto\">"));
    EXPECT_TRUE(first.body.contains(latin1(QStringLiteral("<h1>L'Ombre du phare</h1>"))));
    EXPECT_TRUE(
        first.body.contains(latin1(QStringLiteral("<p class=\"Encours\">Série finie</p>"))));

    // Album 56: double quotes kept; its authors by their display names.
    const SitePage fort = site().get(QStringLiteral("serie.php?coll=albums&idserie=9"));
    ASSERT_TRUE(fort.problem().isEmpty()) << fort.problem().toStdString();
    EXPECT_TRUE(
        fort.body.contains(latin1(QStringLiteral("<h2>6 - Le \"Dernier\" Train pour Fort-Bâton"))));
    const QStringList authors =
        p_->rows(QStringLiteral(
                     "SELECT s.idauteur, s.display FROM %1 a, %2 s WHERE a.idalbum = 56 AND "
                     "s.idauteur = a.idscenariste")
                     .arg(table("albums"), table("auteurs")))
            .value(0);
    ASSERT_EQ(authors.size(), 2);
    EXPECT_TRUE(fort.body.contains(latin1(
        QStringLiteral("<a href=\"auteur.php?coll=albums&amp;idauteur=%1&amp;liste=series\">%2</a>")
            .arg(authors[0], authors[1]))));

    // Author 5: apostrophe in the name, on her page and on her cards.
    const SitePage aubrac = site().get(QStringLiteral("auteur.php?coll=albums&idauteur=5"));
    ASSERT_TRUE(aubrac.problem().isEmpty()) << aubrac.problem().toStdString();
    EXPECT_TRUE(aubrac.body.contains(latin1(QStringLiteral("<h1>D'Aubrac, Léonie</h1>"))));
    EXPECT_TRUE(
        aubrac.body.contains(latin1(QStringLiteral("<p class=\"Fonction\">Dessinateur</p>"))));
    EXPECT_TRUE(aubrac.body.contains(latin1(QStringLiteral("<p class=\"Ne\">Né le 14/07/1962"))));
    const QString series5 =
        p_->column(QStringLiteral("SELECT min(idserie) FROM %1 WHERE iddessinateur = 5")
                       .arg(table("albums")))
            .value(0);
    const SitePage drawn = site().get(QStringLiteral("serie.php?coll=albums&idserie=") + series5);
    EXPECT_TRUE(drawn.body.contains(latin1(QStringLiteral(">D'Aubrac, Léonie</a>"))));

    // The wish list shows its own albums; the collectibles their type.
    const SitePage wished = site().get(QStringLiteral("serie.php?coll=acheter&idserie=10"));
    ASSERT_TRUE(wished.problem().isEmpty()) << wished.problem().toStdString();
    EXPECT_TRUE(wished.body.contains(latin1(QStringLiteral("<h2>1 - L'Horloge d'Orion"))));
    const SitePage objects = site().get(QStringLiteral("serie.php?coll=parabd&idserie=1"));
    ASSERT_TRUE(objects.problem().isEmpty()) << objects.problem().toStdString();
    EXPECT_TRUE(
        objects.body.contains(latin1(QStringLiteral("<span class=\"typeobjet\">Ex-Libris"))));
    EXPECT_TRUE(objects.body.contains(latin1(QStringLiteral("Ex-libris « Le Gardien »"))));
    EXPECT_TRUE(objects.body.contains("id=\"i1\""));
}

TEST_P(CatalogPages, CoversOfAnyNameAreLinkedAsTheHostSpellsThem) {
    // Album 89's cover is on the host in UTF-8 only, album 88's as stored
    // (Windows-1252).
    const QString jpeg = siteImagesFolder() + QStringLiteral("/Encours.jpg");
    const QString covers = site().folder() + QStringLiteral("/couvertures/");
    QDir().mkpath(site().folder() + QStringLiteral("/mini/couvertures"));
    ASSERT_TRUE(QFile::copy(jpeg, covers + QStringLiteral("Cœur d'été.JPG")));
    std::filesystem::copy_file(
        QFile::encodeName(jpeg).toStdString(),
        (QFile::encodeName(covers) + latin1(QStringLiteral("Noël.JPG"))).toStdString());
    const auto cover = [](const QByteArray& body, const char* card) {
        const qsizetype alt = body.indexOf("alt=\"recto\"", body.indexOf(card));
        const qsizetype src = body.lastIndexOf("<img src=\"", alt) + 10;
        return body.mid(src, body.indexOf('"', src) - src).replace("&amp;", "&");
    };
    for (const auto& [album, name] : kOddCovers) {
        ASSERT_TRUE(QFile::copy(jpeg, covers + QString::fromUtf8(name)));
    }
    // A thumbnail made in the second its picture was put there is not kept.
    test::waitForNextSecond();
    const QString page = QStringLiteral("serie.php?coll=albums&idserie=12");

    // Thumbnails are made on demand, each under its image's spelling.
    const SitePage made = site().get(page);
    ASSERT_TRUE(made.problem().isEmpty()) << made.problem().toStdString();
    const QByteArray utf8 = "C%C5%93ur+d%27%C3%A9t%C3%A9.JPG";
    EXPECT_EQ(cover(made.body, "id=\"i89\""), "_retaille.php?image=couvertures/" + utf8 +
                                                  "&miniature=mini%2Fcouvertures%2Fm_" + utf8 +
                                                  "&width=107&height=145");
    EXPECT_EQ(cover(made.body, "id=\"i88\""),
              "_retaille.php?image=couvertures/No%EBl.JPG&miniature=mini%2Fcouvertures%2Fm_"
              "No%EBl.JPG&width=107&height=145");

    // Each name reaches its file: through the maker, as its thumbnail, in the
    // pop-up and, without thumbnails, as the picture itself.
    const QString pageUrl = site().url() + u'/' + page;
    Settings whole = publishingSettings(p_->version, Settings::FormatDonnees::Latin1);
    whole.opt_miniatures = 0;
    const QString wholePage = variantSite(site(), QStringLiteral("entiere"), whole) + u'/' + page;
    const QByteArray direct = fetchPage(wholePage).body;
    const QByteArray picture = test::readAll(jpeg);
    for (const char* card :
         {"id=\"i89\"", "id=\"i88\"", "id=\"i65\"", "id=\"i66\"", "id=\"i86\"", "id=\"i87\""}) {
        const QByteArray thumbnail = follow(pageUrl, cover(made.body, card)).body;
        EXPECT_TRUE(thumbnail.startsWith("\xFF\xD8\xFF")) << card;
        const QByteArray shown = site().get(page).body;
        EXPECT_EQ(follow(pageUrl, cover(shown, card)).body, thumbnail) << card;
        const qsizetype at = shown.indexOf("href=\"_image.php?", shown.indexOf(card)) + 6;
        const QByteArray popUp = follow(pageUrl, shown.mid(at, shown.indexOf('"', at) - at)).body;
        const qsizetype src = popUp.indexOf("src=\"") + 5;
        EXPECT_EQ(follow(pageUrl, popUp.mid(src, popUp.indexOf('"', src) - src)).body, picture)
            << card;
        EXPECT_EQ(follow(wholePage, cover(direct, card)).body, picture) << card;
    }
    const QByteArray shown = site().get(page).body;
    EXPECT_EQ(cover(shown, "id=\"i89\""), "mini/couvertures/m_C%C5%93ur%20d%27%C3%A9t%C3%A9.JPG");
    EXPECT_EQ(cover(shown, "id=\"i88\""), "mini/couvertures/m_No%EBl.JPG");
    EXPECT_EQ(cover(shown, "id=\"i65\""), "mini/couvertures/m_Numero%20%232.jpg");
    EXPECT_TRUE(shown.contains(
        "_image.php?image=couvertures%2FC%25C5%2593ur%2520d%2527%25C3%25A9t%25C3%25A9.JPG"));
}

TEST_P(CatalogPages, HostileParametersNeitherBreakNorWidenNorEcho) {
    const QString normalAuthor = QStringLiteral("auteur.php?coll=albums&idauteur=4");
    const SitePage normal = site().get(normalAuthor);
    ASSERT_TRUE(normal.problem().isEmpty());
    const int normalRows = normal.body.count("<tr");

    for (const QString& value : hostileValues()) {
        SCOPED_TRACE(value.left(40).toStdString());
        const QString v = QString::fromLatin1(QUrl::toPercentEncoding(value));
        for (const QString& page : {QStringLiteral("index.php"), QStringLiteral("serie.php"),
                                    QStringLiteral("auteur.php")}) {
            const SitePage all = site().getWith(
                page, {"coll", "idserie", "idauteur", "tri", "sens", "liste"}, value);
            EXPECT_TRUE(all.problem().isEmpty())
                << page.toStdString() << all.problem().toStdString();
            EXPECT_FALSE(all.echoesRaw(value)) << page.toStdString();
            EXPECT_EQ(all.body.count("class=\"Fiche"), 0) << page.toStdString();
        }
        // A hostile sort on a real author gives the same rows as the normal page.
        const SitePage sorted =
            site().get(normalAuthor + QStringLiteral("&tri=") + v + QStringLiteral("&sens=") + v);
        EXPECT_TRUE(sorted.problem().isEmpty()) << sorted.problem().toStdString();
        EXPECT_FALSE(sorted.echoesRaw(value));
        EXPECT_EQ(sorted.body.count("<tr"), normalRows);
        const SitePage dedicated =
            site().get(QStringLiteral("serie.php?coll=dedicace&idserie=") + v);
        EXPECT_TRUE(dedicated.problem().isEmpty()) << dedicated.problem().toStdString();
        EXPECT_EQ(dedicated.body.count("class=\"Fiche"), 0);
    }
    // A real sort: by title, then the other way, the author's table reversed.
    const auto rows = [&](const char* sort) {
        static const QRegularExpression first(
            QStringLiteral("<tr(?: class=\"Paire\")?><td><a href=\"[^\"]*#i(\\d+)\""));
        QStringList ids;
        const QString body = QString::fromLatin1(site().get(normalAuthor + sort).body);
        for (auto it = first.globalMatch(body); it.hasNext();) {
            ids << it.next().captured(1);
        }
        return ids;
    };
    QStringList up = rows("&tri=titre");
    ASSERT_GE(up.size(), 2);
    std::reverse(up.begin(), up.end());
    EXPECT_EQ(rows("&tri=titre&sens=desc").join(u' ').toStdString(), up.join(u' ').toStdString());
}

INSTANTIATE_TEST_SUITE_P(Generations, CatalogPages, testing::Values("v6", "v5"));

// Display settings on the v6 catalogue: other require.php files beside the
// same pages and data.
class CardSettings : public testing::Test {
  protected:
    void SetUp() override {
        KALVOR_REQUIRE_SERVERS();
        p_ = &published(QStringLiteral("v6"));
        ASSERT_TRUE(p_->failed.isEmpty()) << p_->failed.toStdString();
    }
    SitePage page(const QString& name, Settings s, const QString& query) {
        static int n = 0;
        const QString url = variantSite(*p_->site, name + QString::number(++n), s);
        folder_ = p_->site->folder() + u'_' + name + QString::number(n);
        return fetchPage(url + u'/' + query);
    }
    // The temporary tables on disk that the last variant's `page` made,
    // counted by its own connection once it has run (through PHP's CGI).
    int diskTables(const QString& page, const QString& query) const {
        const QTemporaryDir dir;
        const QString count = dir.filePath(QStringLiteral("compte.php"));
        test::writeAll(count,
                       "<?php\n$r = mysql_query(\"SHOW SESSION STATUS LIKE "
                       "'Created_tmp_disk_tables'\");\n$l = mysql_fetch_row($r);\n"
                       "echo '<!-- disque ' . $l[1] . ' -->';\n");
        const CgiPage cgi =
            runCgi(folder_, page, query, {QStringLiteral("auto_append_file=") + count});
        const qsizetype at = cgi.body.lastIndexOf("<!-- disque ");
        return at < 0 ? -1 : cgi.body.mid(at + 12).split(' ').value(0).toInt();
    }
    Settings base() const {
        return publishingSettings(QStringLiteral("v6"), Settings::FormatDonnees::Latin1);
    }
    PublishedCatalogue* p_ = nullptr;
    QString folder_;
};

TEST_F(CardSettings, LayoutsPairNarrowCardsAndRuleWideOnes) {
    // Series 4 has albums 21-26; 21 and 25 have back covers.
    Settings s = base();
    s.GV_Nb_Col = 1;
    EXPECT_EQ(cardFlow(page("une", s, "serie.php?coll=albums&idserie=4").body), "HL-L-L-L-L-L-");
    s.GV_Nb_Col = 2;
    EXPECT_EQ(cardFlow(page("deux", s, "serie.php?coll=albums&idserie=4").body), "HFF-FF-FF-");
    s.GV_Nb_Col = 0;
    s.GV_Verso = QStringLiteral("none");
    EXPECT_EQ(cardFlow(page("auto", s, "serie.php?coll=albums&idserie=4").body), "HFF-FF-FF-");
    s.GV_Verso = QStringLiteral("right");
    EXPECT_EQ(cardFlow(page("auto", s, "serie.php?coll=albums&idserie=4").body), "HL-L-L-L-L-L-");
    // Dedicated albums are always wide; headings break the pairs.
    s.GV_Nb_Col = 2;
    const QString all = cardFlow(page("dedi", s, "serie.php?coll=dedicace&idserie=all").body);
    EXPECT_FALSE(all.contains(u'F')) << all.toStdString();
    // On the author page the cards come by series: a heading after an odd
    // narrow card rules it off first.
    s.GV_Auteur = 2;
    const QString flow = cardFlow(page("deux", s, "auteur.php?coll=albums&idauteur=4").body);
    EXPECT_TRUE(flow.contains(QStringLiteral("-H"))) << flow.toStdString();
    EXPECT_FALSE(flow.contains(QStringLiteral("FH"))) << flow.toStdString();
}

TEST_F(CardSettings, BackCoverSideAndDedicationPlace) {
    Settings s = base();
    const auto order = [](const QByteArray& body, const char* card) {
        const qsizetype at = body.indexOf(QByteArray("id=\"") + card + "\"");
        const qsizetype end = body.indexOf("</div>", at);
        const QByteArray c = body.mid(at, end - at);
        const qsizetype recto = c.indexOf("alt=\"recto\"");
        const qsizetype verso = c.indexOf("alt=\"verso\"");
        return verso < 0       ? QStringLiteral("recto")
               : verso < recto ? QStringLiteral("verso recto")
                               : QStringLiteral("recto verso");
    };
    s.GV_Verso = QStringLiteral("left");
    EXPECT_EQ(order(page("gauche", s, "serie.php?coll=albums&idserie=4").body, "i21"),
              "verso recto");
    s.GV_Verso = QStringLiteral("right");
    EXPECT_EQ(order(page("droite", s, "serie.php?coll=albums&idserie=4").body, "i21"),
              "recto verso");
    s.GV_Verso = QStringLiteral("none");
    EXPECT_EQ(order(page("aucun", s, "serie.php?coll=albums&idserie=4").body, "i21"), "recto");
    // Dedicated albums never show their back cover but show the dedication.
    s.GV_Verso = QStringLiteral("left");
    const SitePage dedicated = page("dedi", s, "serie.php?coll=dedicace&idserie=4");
    EXPECT_TRUE(dedicated.body.contains("alt=\"dedicace\""));

    // Album 26, dedicated, with a dedication picture.
    s.GV_Dedi_Place = 1;
    const QByteArray title = page("titre", s, "serie.php?coll=albums&idserie=4").body;
    const qsizetype h2 = title.indexOf("id=\"i26\"");
    EXPECT_LT(title.indexOf("dedicace.gif", h2), title.indexOf("</h2>", h2));
    s.GV_Dedi_Place = 0;
    const QByteArray format = page("format", s, "serie.php?coll=albums&idserie=4").body;
    const qsizetype card = format.indexOf("id=\"i26\"");
    EXPECT_GT(format.indexOf("dedicace.gif", card), format.indexOf("Format&nbsp;:", card));
    s.opt_dedicace = 0;
    const QByteArray none = page("sans", s, "serie.php?coll=albums&idserie=4").body;
    EXPECT_FALSE(none.contains("dedicace.gif"));
}

}  // namespace

TEST_F(CardSettings, AuthorLayoutsInEveryCollectionWithAndWithoutCollaborators) {
    for (const int collaborateurs : {0, 1}) {
        for (const int layout : {0, 1, 2}) {
            Settings s = base();
            s.Opt_Collaborateurs = collaborateurs;
            s.GV_Auteur = layout;
            const QString name = QStringLiteral("auteur%1%2").arg(collaborateurs).arg(layout);
            for (const QString& coll : kCollections) {
                SCOPED_TRACE((name + u' ' + coll).toStdString());
                // Author 5 draws albums and makes collectibles.
                const SitePage author =
                    page(name, s, QStringLiteral("auteur.php?coll=%1&idauteur=5").arg(coll));
                ASSERT_TRUE(author.problem().isEmpty()) << author.problem().toStdString();
                // Its lists sort no text in a temporary table on disk.
                EXPECT_EQ(diskTables(QStringLiteral("auteur.php"),
                                     QStringLiteral("coll=%1&idauteur=5&tri=titre").arg(coll)),
                          0);
                if (coll == QStringLiteral("revue")) {
                    continue;
                }
                const QByteArray& body = author.body;
                EXPECT_EQ(body.contains(latin1(QStringLiteral("<h2>Série(s) réalisée(s)</h2>"))),
                          layout == 0);
                EXPECT_EQ(body.contains("<table id=\"Recap\""), layout != 0);
                if (coll == QStringLiteral("albums") || coll == QStringLiteral("parabd")) {
                    EXPECT_EQ(body.contains("<td><a href=\"serie.php?"), layout == 1);
                    EXPECT_EQ(body.contains("<td><a href=\"#i"), layout == 2);
                    EXPECT_EQ(body.contains("class=\"Fiche"), layout == 2);
                }
            }
        }
    }
}

TEST_F(CardSettings, HomePageFollowsItsSettings) {
    Settings s = base();
    s.box_col_accueil = QStringLiteral("3");
    s.box_ligne_accueil = QStringLiteral("2");
    const SitePage rows = page("accueil", s, "index.php?coll=albums");
    ASSERT_TRUE(rows.problem().isEmpty()) << rows.problem().toStdString();
    const qsizetype thumbs = rows.body.indexOf("<span class=\"Thumb\">");
    const QByteArray block = rows.body.mid(thumbs, rows.body.indexOf("</span>", thumbs) - thumbs);
    EXPECT_EQ(block.count("<img "), 6);
    EXPECT_EQ(block.count("<br />"), 2);
    // The latest purchases first: album 89 (2026-12-24), then 87 and 88 the
    // same day, by number.
    EXPECT_LT(block.indexOf("#i89\""), block.indexOf("#i87\""));
    EXPECT_LT(block.indexOf("#i87\""), block.indexOf("#i88\""));
    EXPECT_TRUE(rows.body.contains(latin1(QStringLiteral(
        "<a href=\"serie.php?coll=albums&amp;idserie=12&amp;liste=series\">Sous le Signe du "
        "Bélier</a>&nbsp;<span class=\"date\">le 24/12/2026</span>"))));

    s.opt_image_accueil = 0;
    s.opt_listenotes = s.opt_listedl = 0;
    s.opt_eo = s.opt_int = s.opt_dedicace = s.opt_reliure = s.opt_tt = 0;
    const SitePage plain = page("accueil", s, "index.php?coll=albums");
    EXPECT_FALSE(plain.body.contains("class=\"col1\""));
    EXPECT_FALSE(plain.body.contains("Thumb"));
    EXPECT_TRUE(plain.body.contains("<ul id=\"derseries\">"));
    EXPECT_FALSE(plain.body.contains(latin1(QStringLiteral("Légende"))));
    const SitePage wished = page("accueil", s, "index.php?coll=acheter");
    ASSERT_TRUE(wished.problem().isEmpty()) << wished.problem().toStdString();
    EXPECT_TRUE(wished.body.contains(latin1(QStringLiteral("selon 2 méthodes&nbsp;:"))));
    EXPECT_TRUE(wished.body.contains("href=\"index.php?coll=acheter&amp;liste=auteurs\">"));
    const SitePage objects = page("accueil", s, "index.php?coll=parabd");
    EXPECT_TRUE(objects.body.contains(latin1(QStringLiteral("<dd>Tiré à Part.</dd>"))));
    EXPECT_FALSE(objects.body.contains("methodes"));

    // "all" names every dedicated album, and nothing elsewhere.
    const SitePage all = page("tout", s, "serie.php?coll=albums&idserie=all");
    ASSERT_TRUE(all.problem().isEmpty()) << all.problem().toStdString();
    EXPECT_TRUE(all.body.contains("<table id=\"Recap\""));
    EXPECT_FALSE(all.body.contains("class=\"Fiche"));
}

// Albums whose writer, artist or colourist is absent (0, as the exports write
// a Null id, or Null) or names no author row: each still shows on every page
// that lists it, the absent name empty and linked nowhere, and the list frame
// counts it as the pages do. Collectible 201 has no artist.
TEST(AbsentAuthors, AlbumsShowOnEveryPageWhateverTheirAuthorIdsHold) {
    KALVOR_REQUIRE_SERVERS();
    const QByteArray rows =
        "SET NAMES utf8;\nSET SESSION sql_mode = 'NO_ENGINE_SUBSTITUTION';\n"
        "INSERT INTO kv_auteurs VALUES (4,'Varenne','Claire','','0000-00-00','0000-00-00','','',"
        "'',1,1,1,'','Varenne, Claire'),(5,'Aubrac','Léon','','0000-00-00','0000-00-00','','','',"
        "1,1,1,'','Aubrac, Léon');\n"
        "INSERT INTO kv_albums VALUES "
        "(101,1,'Sans coloriste',1,5,4,'2020-03-01','Phare',0,'Poche',NULL,'111','03/2020','',"
        "'¤¤',0,0,48,'0','',0,0,'','','','','',0,1,0),"
        "(102,2,'Scénariste inconnu',1,5,999,'2020-03-02','Phare',0,'Poche',NULL,'112','03/2020',"
        "'','¤¤',4,0,48,'b','',0,0,'','','','','',0,1,0),"
        "(103,NULL,'Sans scénariste',1,4,NULL,'2020-03-03','Phare',0,'Poche',NULL,'113',"
        "'03/2020','','¤¤',5,0,48,'c','',0,0,'','','','','',0,1,0);\n"
        "INSERT INTO kv_collaborateurs VALUES (101,4,0),(101,5,1),(102,999,0),(102,5,1),(102,4,2),"
        "(103,4,1),(103,5,2);\n"
        "INSERT INTO kv_series3 VALUES (1,'Ex-libris','Aventure','','','',0);\n"
        "INSERT INTO kv_parabd VALUES (201,NULL,1,'Sans artiste',NULL,'05/2020',1,100,NULL,NULL,"
        "'','Phare',0,0,0,0,1001,1,'','',NULL,NULL,'2020-05-01');\n";
    SiteHarness site(QStringLiteral("absents"));
    const QString failed = site.build(siteSettings(), siteStats(), [&](const SiteInputs& in) {
        return sampleData(in) << SqlScript{QStringLiteral("absents.sql"), rows};
    });
    ASSERT_TRUE(failed.isEmpty()) << failed.toStdString();

    const auto shows = [](const SitePage& page, const QList<int>& ids, int total) {
        EXPECT_TRUE(page.problem().isEmpty()) << page.problem().toStdString();
        for (const int id : ids) {
            EXPECT_TRUE(page.body.contains("i" + QByteArray::number(id) + '"')) << id;
        }
        if (total >= 0) {
            EXPECT_TRUE(page.body.contains("&nbsp;: " + QByteArray::number(total) + "</p>") ||
                        page.body.contains("&nbsp;:&nbsp;" + QByteArray::number(total) + "</p>"))
                << total;
        }
        // No link to an author page for an absent author.
        for (const char* link : {"idauteur=0&", "idauteur=999&", "idauteur=&"}) {
            EXPECT_FALSE(page.body.contains(link)) << link;
        }
    };
    const QList<int> all = {101, 102, 103};
    // With collaborators (the harness's setting), then with the album's own
    // author ids, cards on the author pages.
    Settings own = siteSettings();
    own.Opt_Collaborateurs = 0;
    own.GV_Auteur = 2;
    const QString ownUrl = variantSite(site, QStringLiteral("ids"), own);
    for (const QString& base : {QString(), ownUrl + u'/'}) {
        SCOPED_TRACE(base.isEmpty() ? "collaborateurs" : "identifiants");
        const auto get = [&](const QString& query) {
            return base.isEmpty() ? site.get(query) : fetchPage(base + query);
        };
        shows(get(QStringLiteral("serie.php?coll=albums&idserie=1")), all, -1);
        shows(get(QStringLiteral("serie.php?coll=dedicace&idserie=all")), all, -1);
        shows(get(QStringLiteral("auteur.php?coll=albums&idauteur=4")), all, 3);
        shows(get(QStringLiteral("auteur.php?coll=albums&idauteur=5")), all, 3);
        // Both authors are counted in the list frame as their pages count them.
        const QByteArray authors = get(QStringLiteral("liste.php?coll=albums&liste=auteurs")).body;
        EXPECT_EQ(authors.count("&nbsp;[3]</span>"), 2);
        shows(get(QStringLiteral("serie.php?coll=parabd&idserie=1")), {201}, -1);
    }
    const SitePage card = fetchPage(ownUrl + QStringLiteral("/serie.php?coll=albums&idserie=1"));
    EXPECT_TRUE(card.body.contains("<tr><th>Couleurs&nbsp;:</th><td></td></tr>"));
    EXPECT_TRUE(
        card.body.contains(latin1(QStringLiteral("<tr><th>Scénario&nbsp;:</th><td></td></tr>"))));

    // The selection pages, the ratings page and the search: each album once in
    // the summary, its number as the card shows it ("1", not "1(0)"; "(c)"
    // without a number), and once as a card.
    const SitePage search =
        site.post(QStringLiteral("search.php?coll=albums"), {{"fserie", "Aventures"}});
    for (const SitePage& page :
         {site.get(QStringLiteral("collection.php?coll=albums&edit=Phare&collec=AllVolumes")),
          site.get(QStringLiteral("style.php?coll=albums&style=Aventure")),
          site.get(QStringLiteral("dl.php?coll=albums&date=2020/03")),
          site.get(QStringLiteral("dt-achat.php?coll=albums&date=2020")),
          site.get(QStringLiteral("notes.php?coll=albums&notes=%A4%A4")), search}) {
        shows(page, all, 3);
        EXPECT_EQ(page.body.count("<div class=\"Fiche"), 3);
        EXPECT_TRUE(page.body.contains("<td><a href=\"#i101\">1</a></td>"));
        EXPECT_TRUE(page.body.contains("<td><a href=\"#i102\">2(b)</a></td>"));
        EXPECT_TRUE(page.body.contains("<td><a href=\"#i103\">(c)</a></td>"));
    }
    const QByteArray styles = site.get(QStringLiteral("liste.php?coll=albums&liste=styles")).body;
    EXPECT_TRUE(styles.contains(">Aventure <span class=\"nb_albums\">&nbsp;[3]</span>"));
    shows(site.get(QStringLiteral("type.php?coll=parabd&typeobjet=1001")), {201}, 1);
    EXPECT_TRUE(site.get(QStringLiteral("liste.php?coll=parabd&liste=types"))
                    .body.contains("&nbsp;[1]</span>"));
    const QByteArray printed =
        site.get(QStringLiteral("imprimer.php?coll=albums&liste=serie")).body;
    for (const char* title : {"Sans coloriste", "Scénariste inconnu", "Sans scénariste"}) {
        EXPECT_TRUE(printed.contains(latin1(QString::fromUtf8(title)))) << title;
    }
}
