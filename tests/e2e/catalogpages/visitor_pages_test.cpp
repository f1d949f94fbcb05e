// The pages a collector sees on every visit, served from the v6 fixture
// catalogue: the magazine page, the home page's latest-items blocks,
// hand-made thumbnails, the list frame without counts or colours, and the
// texts and orders of the selection pages.
#include <QRegularExpression>
#include <QTemporaryDir>
#include <functional>
#include <memory>

#include <gtest/gtest.h>

#include "e2e/catalogpages/catalogue_site.h"
#include "e2e/e2e_servers.h"
#include "platform/cp1252.h"
#include "platform/dao/database.h"
#include "platform/dao/db_engine.h"
#include "settings/settings.h"
#include "support/test_paths.h"

using namespace kalvor;
using namespace kalvor::e2e;

namespace {

QByteArray latin1(const QString& text) {
    return cp1252::encode(text);
}

// The fixture with what these pages need besides: an album with quotes in its
// title among the latest, the newest collectible without picture, a genre and
// a collection left empty, one object type shared by five collectibles.
struct Visited {
    QTemporaryDir scratch;
    std::unique_ptr<SiteHarness> site;
    QString failed;
};

Settings visitorSettings() {
    Settings s = siteSettings();
    s.GV_Version_Base = QStringLiteral("v6");
    s.format = Settings::FormatDonnees::Latin1;
    s.box_col_accueil = QStringLiteral("2");
    s.box_ligne_accueil = QStringLiteral("2");
    s.opt_miniatures = 0;
    const auto& tri = Settings::TriParaDefaults();
    s.GV_Tri_Para_1 = tri[0];
    s.GV_Tri_Para_2 = tri[1];
    s.GV_Tri_Para_3 = tri[2];
    s.GV_Tri_Para_4 = tri[3];
    s.GV_Tri_Para_5 = tri[4];
    s.GV_Tri_Para_6 = tri[5];
    s.GV_Tri_Para_7 = tri[6];
    return s;
}

Visited& visited() {
    static Visited v;
    if (!v.site) {
        const QString catalogue = mendedCatalogue(QStringLiteral("v6"), v.scratch.path());
        auto db = dao::DBEngine::OpenDatabase(catalogue);
        for (const char* sql : {"UPDATE ALBUMS SET DateAchat = #1/1/2027# WHERE IdAlbum = 56",
                                "UPDATE PARABD SET Image1 = NULL WHERE IdParabd = 12",
                                "UPDATE SERIES SET Style = '' WHERE IdSerie = 11",
                                "UPDATE ALBUMS SET Collection = NULL WHERE IdAlbum = 44",
                                "UPDATE PARABD SET TypeObjet = 1, CategorieObjet = 1 WHERE "
                                "IdParabd IN (2, 3, 11, 12)"}) {
            db->Execute(QString::fromLatin1(sql));
        }
        db->Close();
        v.site = std::make_unique<SiteHarness>(QStringLiteral("visite"));
        v.failed = v.site->build(visitorSettings(), siteStats(), fullExportData, catalogue);
    }
    return v;
}

class VisitorPages : public testing::Test {
  protected:
    void SetUp() override {
        KALVOR_REQUIRE_SERVERS();
        ASSERT_TRUE(visited().failed.isEmpty()) << visited().failed.toStdString();
    }
    // The page under other settings, beside the same pages and data; `edit`
    // may change the require.php written for them.
    SitePage page(const Settings& s, const QString& query,
                  const std::function<void(QByteArray&)>& edit = nullptr) {
        static int n = 0;
        const QString name = QStringLiteral("v%1").arg(++n);
        const QString url = variantSite(site(), name, s);
        if (edit) {
            const QString require = site().folder() + u'_' + name + QStringLiteral("/require.php");
            QByteArray text = test::readAll(require);
            edit(text);
            test::writeAll(require, text);
        }
        const Page fetched = fetch(url + u'/' + query);
        SitePage p;
        p.status = fetched.status;
        p.body = fetched.body;
        EXPECT_TRUE(p.problem().isEmpty()) << query.toStdString() << p.problem().toStdString();
        return p;
    }
    const SiteHarness& site() const { return *visited().site; }
    QString magazine(const char* like) const {
        return runSql(site().database(),
                      QByteArray("SELECT idserie FROM kv_series4 WHERE titre LIKE '") + like + "%'")
            .rows.value(0)
            .value(0);
    }
};

// The ids of the cards, in order.
QStringList cardIds(const QByteArray& body) {
    static const QRegularExpression card(
        QStringLiteral("<div class=\"Fiche(?:Large)?\" id=\"i(\\d+)\""));
    QStringList ids;
    auto it = card.globalMatch(QString::fromLatin1(body));
    while (it.hasNext()) {
        ids << it.next().captured(1);
    }
    return ids;
}

// One card, from its division to the end of its table.
QByteArray card(const QByteArray& body, const QString& id) {
    const qsizetype at = body.indexOf("id=\"i" + id.toLatin1() + "\"");
    if (at < 0) {
        return QByteArray();
    }
    return body.mid(at, body.indexOf("</table>", at) - at);
}

}  // namespace

TEST_F(VisitorPages, MagazinePageCardsHeadingsAndRules) {
    const QString planches = magazine("Planches");
    const QString hebdo = magazine("Phylact");
    ASSERT_FALSE(planches.isEmpty());
    const struct {
        int nbcol;
        QString query;
        const char* flow;  // nullptr: the pairs' rule only
    } layouts[] = {
        {1, QStringLiteral("revue.php?coll=revue&idserie=") + planches, "HL-L-L-"},
        {2, QStringLiteral("revue.php?coll=revue&idserie=") + planches, "HFF-F"},
        {0, QStringLiteral("revue.php?coll=revue&idserie=") + planches, "HFF-F"},
        {2, QStringLiteral("revue.php?coll=revue&idserie=all"), nullptr},
    };
    for (const auto& l : layouts) {
        SCOPED_TRACE(l.query.toStdString() + " nbcol " + std::to_string(l.nbcol));
        Settings s = visitorSettings();
        s.GV_Nb_Col = l.nbcol;
        const SitePage p = page(s, l.query);
        const QString f = cardFlow(p.body);
        if (l.flow) {
            EXPECT_EQ(f, QString::fromLatin1(l.flow));
        } else {
            // A title that ends on an odd card is ruled off before the next.
            EXPECT_FALSE(f.contains(QStringLiteral("FH"))) << f.toStdString();
            EXPECT_FALSE(f.contains(QStringLiteral("FFF"))) << f.toStdString();
            EXPECT_EQ(f.count(u'F'), 20);
        }
    }

    const SitePage all =
        page(visitorSettings(), QStringLiteral("revue.php?coll=revue&idserie=all"));
    // One heading per title, with its two links back to the top, in title order.
    static const QRegularExpression heading(QStringLiteral(
        "<h1><a href=\"#Entete\"><img class=\"G\" src=\"images/gotop.gif\" width=\"16\" "
        "height=\"17\" alt=\"\\^\"><img class=\"D\" src=\"images/gotop.gif\" width=\"16\" "
        "height=\"17\" alt=\"\\^\"></a>([^<]*)</h1>"));
    QStringList titles;
    for (auto it = heading.globalMatch(cp1252::decode(all.body)); it.hasNext();) {
        titles << it.next().captured(1);
    }
    EXPECT_EQ(titles.size(), all.body.count("<h1>"));
    QStringList sorted = titles;
    sorted.sort(Qt::CaseInsensitive);
    EXPECT_EQ(titles, sorted);
    EXPECT_GE(titles.size(), 3);
    EXPECT_EQ(titles.value(titles.size() - 1), QStringLiteral("Planches d'Aujourd'hui"));
    EXPECT_EQ(cardIds(all.body).mid(0, 3), QStringList({"9", "10", "11"}));

    const QString hebdoPage = QStringLiteral("revue.php?coll=revue&idserie=") + hebdo;
    const SitePage h = page(visitorSettings(), hebdoPage);
    const struct {
        const char* id;
        const char* rows;   // the card's five rows
        const char* illus;  // how its picture opens
    } cards[] = {
        {"3",
         "<tr><th>Numéro&nbsp;:&nbsp;</th><td>103</td></tr>\n"
         "<tr><th>Date&nbsp;:&nbsp;</th><td>20/01/2021</td></tr>\n"
         "<tr><th>Editeur&nbsp;:&nbsp;</th><td>Presse Bulle SA</td></tr>\n"
         "<tr><th>Periodicit&eacute;&nbsp;:&nbsp;</th><td>Hebdomadaire</td></tr>\n"
         "<tr><th>Commentaire&nbsp;:&nbsp;</th><td>Supplément poster détaché.</td></tr>\n",
         "<span class=\"Illus\"><a href=\"_image.php?image=revues%2FREVUE_PH103.JPG\""},
        // No date: an empty line on the card.
        {"7", "<tr><th>Date&nbsp;:&nbsp;</th><td></td></tr>\n", nullptr},
        {"2",
         "<tr><th>Periodicit&eacute;&nbsp;:&nbsp;</th><td>Hebdomadaire</td></tr>\n"
         "<tr><th></th><td></td></tr>\n",
         nullptr},
        // No cover: the placeholder of the magazines' folder, with no link.
        {"20", "<tr><th>Numéro&nbsp;:&nbsp;</th><td>1</td></tr>\n",
         "<span class=\"Illus\"><img src=\"revues/Encours.jpg\" height=\"145\" width=\"107\" "
         "alt=\"Image non disponible\"></span>"},
    };
    for (const auto& c : cards) {
        SCOPED_TRACE(c.id);
        const QByteArray text = card(h.body, QString::fromLatin1(c.id));
        EXPECT_TRUE(text.contains(latin1(QString::fromUtf8(c.rows)))) << text.toStdString();
        EXPECT_EQ(text.count("<tr>"), 5);
        if (c.illus) {
            EXPECT_TRUE(text.contains(c.illus)) << text.toStdString();
        }
    }
    // The summary reads the missing date as zeros.
    EXPECT_TRUE(h.body.contains("<td><a href=\"#i7\">00/00/0000</a></td>"));
}

TEST_F(VisitorPages, HomePageBlocksShowTheLatestItemsNewestFirst) {
    const QString planches = magazine("Planches");
    const QString hebdo = magazine("Phylact");
    const struct {
        const char* coll;
        const char* heading;
        // Per thumbnail: link, picture, text.
        QList<QStringList> thumbs;
    } blocks[] = {
        {"albums",
         "<h2>Les 4 derniers albums&nbsp;:</h2>",
         {{"serie.php?coll=albums&amp;idserie=9&amp;liste=series#i56", "",
           "Crépuscule à Fort-Bâton - 6. Le &quot;Dernier&quot; Train pour Fort-Bâton"},
          {"serie.php?coll=albums&amp;idserie=12&amp;liste=series#i89", "", ""},
          {"serie.php?coll=albums&amp;idserie=12&amp;liste=series#i87", "", ""},
          {"serie.php?coll=albums&amp;idserie=12&amp;liste=series#i88", "", ""}}},
        {"parabd",
         "<h2>Les 4 derniers objets&nbsp;:</h2>",
         {{"serie.php?coll=parabd&amp;idserie=2&amp;liste=series#i12", "parabd/Encours.jpg",
           "Les Grelots de Tintinnabule - Magnet Tintinnabule. "},
          {"serie.php?coll=parabd&amp;idserie=12&amp;liste=series#i10", "parabd/croquis_belier.JPG",
           "Sous le Signe du B&eacute;lier - Croquis pr&eacute;paratoire &laquo; B&eacute;lier "
           "&raquo;. "},
          // Collectible 9 belongs to no series: its card is on its type's page.
          {"type.php?coll=parabd&amp;typeobjet=2003&amp;liste=series#i9", "",
           "T-shirt du festival. "},
          {"serie.php?coll=parabd&amp;idserie=9&amp;liste=series#i7", "", ""}}},
        {"revue",
         "<h2>Les 4 derni&egrave;res revues&nbsp;:</h2>",
         {{"revue.php?coll=revue&amp;idserie=" + hebdo + "&amp;liste=revue#i20",
           "revues/Encours.jpg", "Phylact&egrave;re Hebdo - 1. "},
          {"revue.php?coll=revue&amp;idserie=" + planches + "&amp;liste=revue#i19",
           "revues/PLANCHES_AUJOURDHUI_03.JPG", "Planches d&#039;Aujourd&#039;hui - 3. "},
          {"revue.php?coll=revue&amp;idserie=" + planches + "&amp;liste=revue#i18", "", ""},
          {"revue.php?coll=revue&amp;idserie=" + planches + "&amp;liste=revue#i17", "", ""}}},
    };
    static const QRegularExpression thumb(
        QStringLiteral("<a href=\"([^\"]*)\"><img src=\"([^\"]*)\" height=\"145\" width=\"107\" "
                       "alt=\"([^\"]*)\" title=\"([^\"]*)\"></a>"));
    for (const auto& b : blocks) {
        SCOPED_TRACE(b.coll);
        const SitePage home = page(visitorSettings(), QStringLiteral("index.php?coll=") + b.coll);
        const qsizetype at = home.body.indexOf(b.heading);
        ASSERT_GE(at, 0) << home.body.toStdString();
        const QByteArray block = home.body.mid(at, home.body.indexOf("</span>", at) - at);
        QList<QStringList> shown;
        for (auto it = thumb.globalMatch(cp1252::decode(block)); it.hasNext();) {
            const auto m = it.next();
            EXPECT_EQ(m.captured(3), m.captured(4));
            shown << QStringList{m.captured(1), m.captured(2), m.captured(3)};
        }
        ASSERT_EQ(shown.size(), b.thumbs.size()) << block.toStdString();
        for (qsizetype i = 0; i < shown.size(); ++i) {
            SCOPED_TRACE(i);
            for (qsizetype k = 0; k < 3; ++k) {
                // An empty expectation leaves the value to the other tests.
                if (!b.thumbs[i][k].isEmpty()) {
                    EXPECT_EQ(shown[i][k], b.thumbs[i][k]);
                }
            }
        }
        // Two columns: each full row ends with a break.
        EXPECT_EQ(block.count("<br />"), 2);
    }
}

TEST_F(VisitorPages, HandMadeThumbnailsAreTakenFromTheThumbnailFolders) {
    Settings s = visitorSettings();
    s.opt_miniatures = 1;
    s.opt_manual = 1;
    const QString hebdo = magazine("Phylact");
    const struct {
        QString query;
        const char* near;  // what the picture follows: its pop-up or link
        const char* src;
    } pictures[] = {
        {"serie.php?coll=albums&idserie=1", "image=couvertures%2FCouv_Album01.JPG",
         "mini/couvertures/m_Couv_Album01.JPG"},
        {"serie.php?coll=parabd&idserie=2", "image=parabd%2Fmarquepage_tintinnabule.jpg",
         "mini/parabd/m_marquepage_tintinnabule.jpg"},
        {"index.php?coll=parabd", "#i10\"", "mini/parabd/m_croquis_belier.JPG"},
        {"index.php?coll=revue", "#i19\"", "mini/revues/m_PLANCHES_AUJOURDHUI_03.JPG"},
        {"revue.php?coll=revue&idserie=" + hebdo, "image=revues%2FREVUE_PH103.JPG",
         "mini/revues/m_REVUE_PH103.JPG"},
        // A missing picture stays the placeholder of the pictures' folder.
        {"index.php?coll=revue", "#i20\"", "revues/Encours.jpg"},
        {"auteur.php?coll=albums&idauteur=9", "class=\"Photo\"",
         "mini/photos/m_berangier_noel.jpg"},
    };
    for (const auto& p : pictures) {
        SCOPED_TRACE(p.query.toStdString() + " " + p.near);
        const QByteArray body = page(s, p.query).body;
        const qsizetype at = body.indexOf(p.near);
        ASSERT_GE(at, 0) << body.toStdString();
        const qsizetype src = body.indexOf("<img src=\"", at) + 10;
        EXPECT_EQ(body.mid(src, body.indexOf('"', src) - src).toStdString(), p.src);
    }
}

TEST_F(VisitorPages, ListFrameCountsTotalsAndColours) {
    Settings plain = visitorSettings();
    plain.opt_nb_liste = 0;
    plain.opt_colorauteur = 0;
    const struct {
        bool counts;  // $GV_nb_liste and $GV_colorauteur at 1
        const char* query;
        QStringList shown;
        QStringList absent;
    } lists[] = {
        // Collectibles count themselves, whether they belong to an album or not.
        {true,
         "liste.php?coll=parabd&liste=auteurs",
         {"Bérangier, Noël <span class=\"nb_albums\">&nbsp;[2]</span>",
          "Anonyme <span class=\"nb_albums\">&nbsp;[1]</span>", " class=\"special\""},
         {}},
        {true,
         "liste.php?coll=dedicace&liste=auteurs",
         {"<li><a href=\"serie.php?coll=dedicace&amp;idserie=all&amp;liste=auteurs\" "
          "target=\"_top\">(toutes les dédicaces)<span class=\"nb_albums\">&nbsp;["},
         {"idauteur=all"}},
        {false, "liste.php?coll=albums&liste=series", {"<a href=\"#A\">A</a>"}, {"nb_albums"}},
        {false,
         "liste.php?coll=albums&liste=auteurs",
         {"auteur.php?"},
         {"nb_albums", " class=\"special\""}},
        {false,
         "liste.php?coll=albums&liste=collections",
         {"Atelier Cyan - </a>",
          "collection.php?coll=albums&amp;edit=Atelier+Cyan&amp;collec=&amp;"},
         {"nb_albums"}},
        // The totals and the date lists keep their counts.
        {false,
         "liste.php?coll=dedicace&liste=series",
         {"(toutes les dédicaces)<span class=\"nb_albums\">&nbsp;["},
         {" <span"}},
        {false,
         "liste.php?coll=revue&liste=revue",
         {"(toutes les revues)<span class=\"nb_albums\">&nbsp;[20]</span>"},
         {" <span"}},
        {false, "liste.php?coll=albums&liste=dl", {"&nbsp;<span class=\"nb_albums\">["}, {}},
    };
    for (const auto& l : lists) {
        SCOPED_TRACE(l.query);
        const QByteArray body =
            page(l.counts ? visitorSettings() : plain, QString::fromLatin1(l.query)).body;
        for (const QString& text : l.shown) {
            EXPECT_TRUE(body.contains(latin1(text))) << text.toStdString();
        }
        for (const QString& text : l.absent) {
            EXPECT_FALSE(body.contains(latin1(text))) << text.toStdString();
        }
    }
}

TEST_F(VisitorPages, SelectionPagesNameTheirSelectionAndOrderTheirCards) {
    const struct {
        const char* query;
        const char* box;
        int count;
    } selections[] = {
        {"style.php?coll=albums&style=", "<tr><th>Genre&nbsp;:</th><td>Non précisé</td></tr>", 6},
        {"style.php?coll=albums&style=Western", "<tr><th>Genre&nbsp;:</th><td>Western</td></tr>",
         8},
        {"collection.php?coll=albums&edit=Atelier+Cyan&collec=",
         "<tr><th>Collection&nbsp;:</th><td>(sans collection)</td></tr>", 1},
        {"collection.php?coll=albums&edit=Atelier+Cyan&collec=AllVolumes",
         "<tr><th>Collection&nbsp;:</th><td>(tous les albums)</td></tr>", 7},
        {"dt-achat.php?coll=albums&date=2019/01",
         "<tr><th>Achetés en&nbsp;:</th><td>Janvier 2019</td></tr>", 2},
        {"dl.php?coll=albums&date=",
         "<tr><th>Dépot légal&nbsp;:</th><td>sans dépot légal</td></tr>", 2},
    };
    static const QRegularExpression total(
        QStringLiteral("<p>Nombre total d'albums&nbsp;: (\\d+)</p>"));
    for (const auto& sel : selections) {
        SCOPED_TRACE(sel.query);
        const QByteArray body = page(visitorSettings(), QString::fromLatin1(sel.query)).body;
        EXPECT_TRUE(body.contains(latin1(QString::fromUtf8(sel.box))));
        EXPECT_EQ(total.match(QString::fromLatin1(body)).captured(1).toInt(), sel.count);
        EXPECT_EQ(cardIds(body).size(), sel.count);
    }

    // Type 1001: collectibles 1 and 11 of "L'Ombre du phare", 3 (no album),
    // 2 (album 1) and 12 (album 4) of "Les Grelots de Tintinnabule".
    const struct {
        const char* triPara;
        QStringList cards;
    } orders[] = {
        {"", {"1", "11", "3", "2", "12"}},
        {"description", {"11", "1", "12", "2", "3"}},
    };
    for (const auto& o : orders) {
        SCOPED_TRACE(o.triPara);
        const SitePage p = page(
            visitorSettings(), QStringLiteral("type.php?coll=parabd&typeobjet=1001"),
            [&](QByteArray& require) {
                static const QRegularExpression line(
                    QStringLiteral("\\$GV_Tri_Para *= \"[^\"]*\""));
                QString text = QString::fromLatin1(require);
                ASSERT_TRUE(text.contains(line));
                text.replace(
                    line,
                    QStringLiteral("$GV_Tri_Para = \"%1\"").arg(QString::fromLatin1(o.triPara)));
                require = text.toLatin1();
            });
        EXPECT_EQ(cardIds(p.body), o.cards);
    }
}
