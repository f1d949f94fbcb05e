#include <QDir>
#include <QRegularExpression>
#include <QTemporaryDir>
#include <QUrl>
#include <map>
#include <memory>

#include <gtest/gtest.h>

#include "catalogue/synthetic_catalogue.h"
#include "common/general.h"
#include "e2e/e2e_servers.h"
#include "e2e/site/site_harness.h"
#include "platform/cp1252.h"
#include "platform/error.h"
#include "platform/prompt.h"
#include "settings/stats_grid.h"
#include "sqlscripts/full_export.h"
#include "sqlscripts/schema_scripts.h"
#include "support/test_paths.h"

using namespace kalvor;
using namespace kalvor::e2e;

namespace {

// The site's data from a fixture catalogue through the full export, in the
// encoding of `utf8`.
SiteData catalogueData(const QString& generation, bool utf8) {
    return [generation, utf8](const SiteInputs& in) {
        test::IsolatedEnvironment env;
        Settings s = in.settings;
        s.GV_Chemin_Base = in.catalogue;
        s.GV_Version_Base = generation;
        s.GV_Export = in.exportFolder;
        s.GV_Prefixe_Table = s.box_prefixe_table;
        s.format = utf8 ? Settings::FormatDonnees::Utf8 : Settings::FormatDonnees::Latin1;
        s.split = Settings::Split::No;
        s.Mode_Commande = true;
        RecordingPrompt prompt;
        if (!btn_Donnees_SQL_Click(s, prompt)) {
            throw Error(0, QStringLiteral("export : ") + s.GV_Erreurs);
        }
        schema_scripts::Create_Tables_Sql({s.GV_Export, s.GV_Prefixe_Table, utf8});
        const QString scripts = schema_scripts::ScriptsFolder(s.GV_Export);
        return QList<SqlScript>{
            {QStringLiteral("tables.sql"), test::readAll(scripts + QStringLiteral("/tables.sql"))},
            {QStringLiteral("donnees.sql"),
             test::readAll(scripts + QStringLiteral("/donnees.sql"))}};
    };
}

using Fields = QList<std::pair<QString, QString>>;

QString fixture(const char* generation) {
    return test::fixturePath(
        QStringLiteral("catalogue/catalogue-%1.mdb").arg(QString::fromLatin1(generation)));
}

// The statistics grid as a user sets it: every chart shown; style by three
// values with a rest line, series by three counts with a rest line, the first
// custom field by two shares with a rest line; the last chart moved up.
QList<StatsEntry> gridEntries() {
    StatsGrid grid;
    for (int row = 1; row <= StatsGrid::kRows; ++row) {
        if (!grid.chart(row).used) {
            grid.click(row, StatsGrid::ColPicture);
        }
    }
    grid.setValue(1, QStringLiteral("3"));
    grid.setValue(4, QStringLiteral("3"));
    grid.click(4, StatsGrid::ColAutres);
    grid.setValue(6, QStringLiteral("2"));
    grid.click(6, StatsGrid::ColAutres);
    grid.moveUp(11);
    return grid.Entries();
}

// One site per catalogue generation, built once: the newer catalogue in
// UTF-8, the older one in Latin-1.
struct Site {
    std::unique_ptr<SiteHarness> harness;
    QString failed;
};

SiteHarness& site(const char* generation) {
    static std::map<std::string, Site> sites;
    Site& s = sites[generation];
    if (!s.harness) {
        const bool utf8 = QByteArray(generation) == "v6";
        s.harness = std::make_unique<SiteHarness>(QStringLiteral("service_") +
                                                  QString::fromLatin1(generation));
        s.failed = s.harness->build(siteSettings(), gridEntries(),
                                    catalogueData(QString::fromLatin1(generation), utf8),
                                    fixture(generation));
        // The pages' statements also pass where GROUP BY must name every
        // selected column, as on MySQL 8.
        for (const char* page : {"stats.php", "moteur.php", "search.php", "imprimer.php"}) {
            test::writeAll(s.harness->folder() + QStringLiteral("/strict_") + page,
                           QByteArray("<?php\nrequire_once 'coeur.php';\n"
                                      "mysql_query(\"SET SESSION sql_mode = "
                                      "CONCAT(@@sql_mode, ',ONLY_FULL_GROUP_BY')\");\n"
                                      "require '") +
                               page + "';\n");
        }
    }
    EXPECT_TRUE(s.failed.isEmpty()) << s.failed.toStdString();
    return *s.harness;
}

// The page's text, with the line ends of its literal lines as PHP ones.
QString text(const SitePage& page) {
    return cp1252::decode(page.body).remove(u'\r');
}

struct Bar {
    QString label;
    bool rest = false;
    int count = 0;
    QString shown;
};

// The charts of the statistics page by code, their heading first.
std::map<QString, std::pair<QString, QList<Bar>>> charts(const QString& page) {
    std::map<QString, std::pair<QString, QList<Bar>>> found;
    static const QRegularExpression table(
        QStringLiteral("<!-- (ST\\d\\d) -->\n<table class=\"Recap\"[^>]*>\n<tr><th "
                       "colspan=\"2\">(.*?)</th></tr>\n(.*?)</table>"),
        QRegularExpression::DotMatchesEverythingOption);
    static const QRegularExpression bar(
        QStringLiteral("<tr><td( class=\"reste\"| width=\"30%\")>(.*?)</td><td[^>]*><img "
                       "src=\"[^\"]*\" alt=\"(\\d+)\" width=\"[^\"]*\" height=\"10\">&nbsp;([^<]*)"
                       "</td></tr>"));
    auto tables = table.globalMatch(page);
    while (tables.hasNext()) {
        const auto t = tables.next();
        QList<Bar> bars;
        auto it = bar.globalMatch(t.captured(3));
        while (it.hasNext()) {
            const auto b = it.next();
            bars.append({b.captured(2), b.captured(1) == QStringLiteral(" class=\"reste\""),
                         b.captured(3).toInt(), b.captured(4)});
        }
        found[t.captured(1)] = {t.captured(2), bars};
    }
    return found;
}

long hundredths(const QList<Bar>& bars) {
    long sum = 0;
    for (const Bar& b : bars) {
        const QStringList parts = b.shown.chopped(1).split(u'.');
        sum += parts[0].toLong() * 100 +
               (parts.size() == 2 ? parts[1].leftJustified(2, u'0').toLong() : 0);
    }
    return sum;
}

QStringList labels(const QList<Bar>& bars) {
    QStringList all;
    for (const Bar& b : bars) {
        all << b.label + u'=' + QString::number(b.count) + u'=' + b.shown;
    }
    return all;
}

// What a search found: the count line, and the summary's anchors in order.
struct Found {
    int count = -1;
    QStringList anchors;
};

Found found(const SitePage& page) {
    Found f;
    static const QRegularExpression count(QStringLiteral(
        "<p>Nombre (?:d'albums|de para-bd|de revues) sélectionnés&nbsp;:&nbsp;(\\d+)</p>"));
    const QString body = text(page);
    const auto m = count.match(body);
    if (m.hasMatch()) {
        f.count = m.captured(1).toInt();
    }
    static const QRegularExpression row(
        QStringLiteral("<tr(?: class=\"Paire\")?><td><a href=\"#i(\\d+)\">"));
    auto it = row.globalMatch(body);
    while (it.hasNext()) {
        f.anchors << it.next().captured(1);
    }
    return f;
}

}  // namespace

TEST(ServicePages, StatisticsDrawEachChartOfTheGridInItsOrder) {
    KALVOR_REQUIRE_SERVERS();
    const SitePage page = site("v6").get(QStringLiteral("strict_stats.php"));
    ASSERT_TRUE(page.problem().isEmpty()) << page.problem().toStdString();
    const QString body = text(page);
    EXPECT_TRUE(
        body.contains(QStringLiteral("<title>Orme Lo' &amp; Kalvor - Mes statistiques</title>")));
    EXPECT_TRUE(body.contains(
        QStringLiteral("<div id=\"stats\" class=\"principal\">\n<h1>Mes Statistiques</h1>")));
    EXPECT_LT(body.indexOf(QStringLiteral("<!-- ST11 -->")),
              body.indexOf(QStringLiteral("<!-- ST10 -->")));

    const auto c = charts(body);
    ASSERT_EQ(c.size(), 11u);
    auto chart = [&](const char* code) { return c.at(QString::fromLatin1(code)); };

    // 70 albums in eight genres: three shares, and the rest of the 100.
    EXPECT_EQ(chart("ST01").first, QStringLiteral("R&eacute;partition par Style"));
    EXPECT_EQ(labels(chart("ST01").second), QStringList({"Jeunesse=16=22.86%", "Aventure=15=21.43%",
                                                         "Western=8=11.43%", "Autres=31=44.28%"}));
    EXPECT_TRUE(chart("ST01").second.last().rest);
    EXPECT_EQ(hundredths(chart("ST01").second), 10000);
    // Six publishers within twelve places: no rest line, and still 100.
    EXPECT_EQ(chart("ST02").second.size(), 6);
    EXPECT_EQ(chart("ST02").second.first().label, QStringLiteral("Éditions Mistral Gris"));
    EXPECT_EQ(hundredths(chart("ST02").second), 10000);
    EXPECT_EQ(chart("ST03").first,
              QStringLiteral("Nombre d'album achet&eacute;s par mois (6 derniers mois)"));
    EXPECT_EQ(labels(chart("ST03").second),
              QStringList({"2026-12=1=1", "2026-11=2=2", "2026-01=1=1", "2025-11=1=1",
                           "2025-06=1=1", "2025-04=1=1"}));
    EXPECT_EQ(chart("ST04").first,
              QStringLiteral("Nombre d'albums par série (3 séries avec le plus d'albums)"));
    EXPECT_EQ(labels(chart("ST04").second),
              QStringList({"Zéphyr & Colombine=10=10", "L'Ombre du phare=9=9",
                           "Crépuscule à Fort-Bâton=8=8", "Autres=43=43"}));
    // Authors by any of the three roles, without the authors 1, 2 and 3.
    const QList<Bar> authors = chart("ST05").second;
    ASSERT_EQ(authors.size(), 10);
    EXPECT_EQ(authors[0].label + u'=' + QString::number(authors[0].count),
              QStringLiteral("Aubertin, Céline=29"));
    for (const Bar& b : authors) {
        EXPECT_FALSE(b.label == "Aucun" || b.label == "Collectif" || b.label == "Anonyme");
    }
    EXPECT_EQ(chart("ST06").first,
              QStringLiteral("R&eacute;partition par Lieu&nbsp;de&nbsp;rangement"));
    EXPECT_EQ(labels(chart("ST06").second),
              QStringList({"Étagère B=23=32.86%", "Étagère A=19=27.14%", "Autres=28=40%"}));
    // Without a rest line the shares leave out the albums without a value.
    EXPECT_EQ(chart("ST07").second.size(), 5);
    EXPECT_EQ(hundredths(chart("ST07").second), 5 * 143);
    EXPECT_EQ(labels(chart("ST08").second), QStringList({"Jaquette &lt;abîmée&gt;=1=1.43%"}));
    EXPECT_EQ(labels(chart("ST09").second), QStringList({"Non=54=79.41%", "Oui=14=20.59%"}));
    EXPECT_EQ(
        chart("ST10").first,
        QStringLiteral("R&eacute;partition &eacute;ditions originales / r&eacute;&eacute;ditions"));
    EXPECT_EQ(labels(chart("ST10").second),
              QStringList({"Réédition=61=87.14%", "Édition originale=9=12.86%"}));
    EXPECT_EQ(chart("ST11").second.size(), 10);
    EXPECT_EQ(chart("ST11").second.first().label + u'=' + chart("ST11").second.first().shown,
              QStringLiteral("Divers=2"));
}

TEST(ServicePages, EveryCollectionServesItsPagesInBothEncodingsWithoutAMessage) {
    KALVOR_REQUIRE_SERVERS();
    for (const char* generation : {"v6", "v5"}) {
        for (const char* coll : {"albums", "acheter", "dedicace", "parabd", "revue"}) {
            SCOPED_TRACE(std::string(generation) + " " + coll);
            const QString c = QString::fromLatin1(coll);
            for (const QString& address :
                 {"strict_stats.php?coll=" + c, "strict_moteur.php?coll=" + c,
                  "strict_search.php?coll=" + c,
                  "strict_imprimer.php?coll=" + c + "&liste=style"}) {
                const SitePage page = site(generation).get(address);
                EXPECT_TRUE(page.problem().isEmpty())
                    << address.toStdString() << ": " << page.problem().toStdString();
            }
        }
        // The accented texts arrive whole from either script encoding.
        const SitePage page =
            site(generation)
                .post(QStringLiteral("search.php?coll=albums"), {{"ftitre", "Marée d'équinoxe"}});
        EXPECT_EQ(found(page).anchors, QStringList({"6"}));
        EXPECT_TRUE(text(page).contains(QStringLiteral("<h2>6 - Marée d'équinoxe")));
    }
}

TEST(ServicePages, PrintableListsByCollectionAndKind) {
    KALVOR_REQUIRE_SERVERS();
    SiteHarness& s = site("v6");
    static const QRegularExpression heading(
        QStringLiteral("<tr><th width=\"325\">(.*?)</th><th width=\"200\">(.*?)</th>"));
    auto series = [](const QString& body) {
        QStringList all;
        auto it = heading.globalMatch(body);
        while (it.hasNext()) {
            const auto m = it.next();
            all << m.captured(1) + u' ' + m.captured(2);
        }
        return all;
    };
    const QString bySeries = text(s.get(QStringLiteral("imprimer.php?coll=albums&liste=serie")));
    EXPECT_TRUE(bySeries.contains(QStringLiteral(
        "<h1>Ma collection de Bandes Dessinées / Séries</h1>\n<table id=\"Recap\">")));
    // Series 10 has only wish-list albums: no line for it.
    const QStringList owned = series(bySeries);
    ASSERT_EQ(owned.size(), 11);
    EXPECT_EQ(owned.first(), QStringLiteral("Brumes sur Vénasque (Série finie)"));
    EXPECT_TRUE(owned.contains(QStringLiteral("Le Secret de PONTINTINAC (Album unique)")));
    EXPECT_TRUE(owned.contains(QStringLiteral("Cœur d'Acier (Série en cours)")));
    EXPECT_TRUE(bySeries.contains(
        QStringLiteral("<tr><td>&nbsp;Carnet d'enquête</td><td>Brumaire</td><td></td></tr>")));
    EXPECT_TRUE(bySeries.contains(
        QStringLiteral("<tr><td>6bis - &nbsp;Les Menhirs chantants (édition "
                       "spéciale)</td><td>L'Ancre & la Plume</td><td></td></tr>")));
    EXPECT_TRUE(bySeries.contains(QStringLiteral("window.print();")));
    EXPECT_TRUE(bySeries.endsWith(QStringLiteral("</body>\n</html>\n")));

    const QString byStyle = text(s.get(QStringLiteral("imprimer.php?coll=albums&liste=style")));
    EXPECT_TRUE(
        byStyle.contains(QStringLiteral("<h1>Ma collection de Bandes Dessinées / Style</h1>")));
    EXPECT_EQ(series(byStyle).mid(0, 2),
              QStringList(
                  {"L'Ombre du phare (Série finie)", "Les Naufragés de l'Île Pâle (Série finie)"}));
    EXPECT_EQ(series(byStyle).size(), 11);

    for (const char* liste : {"serie", "style"}) {
        const QString wish =
            text(s.get(QStringLiteral("imprimer.php?coll=acheter&liste=") + liste));
        EXPECT_TRUE(wish.contains(QStringLiteral("<h1>Mes albums à acheter / Séries</h1>")));
        EXPECT_EQ(series(wish).size(), 7);
        EXPECT_TRUE(wish.contains(QStringLiteral("<tr><td>1 - &nbsp;L'Horloge d'Orion</td>")));
        EXPECT_FALSE(wish.contains(QStringLiteral("Rouille")));
    }
    EXPECT_EQ(series(text(s.get(QStringLiteral("imprimer.php?coll=acheter&liste=style")))).first(),
              QStringLiteral("Les Naufragés de l'Île Pâle (Série finie)"));
}

TEST(ServicePages, SearchFormOfEachCollection) {
    KALVOR_REQUIRE_SERVERS();
    static const QRegularExpression field(QStringLiteral("name=\"(f[a-z]+)\""));
    const struct {
        const char* coll;
        const char* heading;
        QStringList fields;
    } cases[] = {
        {"albums",
         "albums",
         {"fserie", "ftitre", "fnom", "fprenom", "fediteur", "fcollection", "fisbn"}},
        {"acheter",
         "albums à acheter",
         {"fserie", "ftitre", "fnom", "fprenom", "fediteur", "fcollection", "fisbn"}},
        {"dedicace",
         "albums dédicacés",
         {"fserie", "ftitre", "fnom", "fprenom", "fediteur", "fcollection", "fisbn"}},
        {"parabd", "para-bd", {"ftype", "fserie", "fnom", "fprenom", "fediteur", "fdescription"}},
        {"revue", "revues", {"ftitre", "fnum", "fperiodicite", "fediteur"}},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.coll);
        const QString body = text(site("v6").get(QStringLiteral("moteur.php?coll=") + c.coll));
        EXPECT_TRUE(body.contains(
            QStringLiteral("<div id=\"accueil\" class=\"principal\">\n<h1>Rechercher dans les ") +
            QString::fromUtf8(c.heading) + QStringLiteral("</h1>")));
        EXPECT_TRUE(body.contains(
            QStringLiteral("<form name=\"question\" method=\"post\" action=\"search.php?coll=") +
            c.coll + u'"'));
        QStringList fields;
        auto it = field.globalMatch(body);
        while (it.hasNext()) {
            fields << it.next().captured(1);
        }
        EXPECT_EQ(fields, c.fields);
    }
    // Only the object types that occur, by their description.
    const QString objects = text(site("v6").get(QStringLiteral("moteur.php?coll=parabd")));
    EXPECT_TRUE(objects.contains(QStringLiteral(
        "<option value=\"\" selected>- Tous les types -</option>\n<option "
        "value=\"1004\">Affiche</option>"
        "<option value=\"4002\">Dessin / Croquis</option><option value=\"1000\">Divers</option>")));
    EXPECT_FALSE(objects.contains(QStringLiteral(">Timbre<")));
}

TEST(ServicePages, SearchFieldsAloneAndTogether) {
    KALVOR_REQUIRE_SERVERS();
    SiteHarness& s = site("v6");
    const struct {
        const char* coll;
        Fields fields;
        int count;
    } cases[] = {
        {"albums", {{"ftitre", "L'Ombre"}}, 2},
        {"albums", {{"fserie", "L'Ombre"}}, 9},
        {"albums", {{"fnom", "Aubrac"}}, 9},
        {"albums", {{"fnom", "Yak"}}, 6},     // a pen name
        {"albums", {{"fnom", "Léonie"}}, 0},  // first names are not names
        {"albums", {{"fprenom", "Léonie"}}, 9},
        {"albums", {{"fediteur", "Brumaire"}}, 14},
        {"albums", {{"fcollection", "Grand Large"}}, 14},
        {"albums", {{"fisbn", "97820000001"}}, 10},  // ids 10 to 19
        {"albums", {{"fisbn", "978-2-0000-001"}}, 10},
        {"albums", {{"fisbn", "0001"}}, 0},            // only from the start
        {"albums", {{"ftitre", "L_Ombre%phare"}}, 2},  // wildcards stay wildcards
        {"albums", {{"ftitre", "L'Ombre"}, {"fnom", "Aubrac"}, {"fediteur", "Pélican"}}, 2},
        {"albums", {{"fserie", "Ombre"}, {"fediteur", "Brumaire"}}, 0},
        {"acheter", {{"fserie", "Mécaniques"}}, 3},
        {"dedicace", {{"ftitre", "Carnet"}}, 1},
        {"dedicace", {{"ftitre", "Rouille"}}, 0},
        {"parabd", {{"ftype", "1001"}}, 1},
        {"parabd", {{"fdescription", "Statuette"}}, 1},
        {"parabd", {{"fnom", "Bellamy"}}, 3},  // the object without a series too
        {"parabd", {{"fdescription", "T-shirt"}}, 1},
        {"revue", {{"ftitre", "Planches d'Aujourd'hui"}}, 3},
        {"revue", {{"fperiodicite", "Hebdomadaire"}}, 8},
        {"revue", {{"fnum", "107"}}, 1},
        {"revue", {{"ftitre", "Crayonneur"}, {"fediteur", "Mine de Plomb"}, {"fnum", "3"}}, 1},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(std::string(c.coll) + " " + c.fields.first().first.toStdString() + "=" +
                     c.fields.first().second.toStdString());
        const SitePage page = s.post(QStringLiteral("strict_search.php?coll=") + c.coll, c.fields);
        ASSERT_TRUE(page.problem().isEmpty()) << page.problem().toStdString();
        const Found f = found(page);
        EXPECT_EQ(f.count, c.count);
        EXPECT_EQ(f.anchors.size(), c.count);
        // One card per row, each at the anchor its summary row points to.
        for (const QString& id : f.anchors) {
            EXPECT_TRUE(text(page).contains(QStringLiteral("id=\"i") + id + u'"'))
                << id.toStdString();
        }
    }
    // A magazine without a date: zeros in the summary, an empty card line.
    const QString undated =
        text(s.post(QStringLiteral("search.php?coll=revue"), {{"fnum", "107"}}));
    EXPECT_TRUE(undated.contains(QStringLiteral("<td><a href=\"#i7\">00/00/0000</a></td>")));
    EXPECT_TRUE(undated.contains(QStringLiteral("<tr><th>Date&nbsp;:&nbsp;</th><td></td></tr>")));
    EXPECT_TRUE(undated.contains(QStringLiteral("<div class=\"Fiche\" id=\"i7\"><br>")));
}

TEST(ServicePages, SearchFindsTextsAsTheExportStoresThemWithTheirWildcards) {
    KALVOR_REQUIRE_SERVERS();
    SiteHarness& s = site("v6");
    // Titles written the way the data export writes them.
    const auto append = [&](const QString& ids, QString text) {
        const SqlResult r = runSql(s.database(), "UPDATE kv_albums SET titre = CONCAT(titre, '" +
                                                     general::Escape_Texte(text).toUtf8() +
                                                     "') WHERE idalbum IN (" + ids.toUtf8() + ");");
        ASSERT_TRUE(r.ok && r.errors.isEmpty()) << r.errors.toStdString();
    };
    append(QStringLiteral("1, 2"), QStringLiteral(" a\\b"));
    append(QStringLiteral("4"), QStringLiteral(" <Retour>"));
    append(QStringLiteral("5"), QStringLiteral(" 100% a_b"));
    // Letters beyond the pages' character set, stored as references, found
    // whatever their letter case as typed.
    append(QStringLiteral("6"), QStringLiteral(" Łódź nocą"));
    append(QStringLiteral("7"), QStringLiteral(" Kovačević"));
    append(QStringLiteral("8"), QStringLiteral(" Жуков Ωμεγα Țara"));
    append(QStringLiteral("9"), QStringLiteral(" Αστερίξ Οδυσσέας Ґалаґан"));
    // Their other case a Windows-1252 byte, and one beyond the basic plane.
    append(QStringLiteral("10"), QStringLiteral(" ƒ 𐐨"));
    const struct {
        Fields fields;
        QStringList found;
    } cases[] = {
        {{{"ftitre", "a\\b"}}, {"1", "2"}},  // not the titles that hold "ab"
        {{{"ftitre", "<Retour>"}}, {"4"}},
        {{{"fnom", "Jo<G>"}}, {"45", "46", "47", "48", "49", "50"}},
        {{{"fediteur", "&"}}, {"27", "28", "29", "30", "31", "32", "33"}},
        {{{"ftitre", "1_0%a_b"}}, {"5"}},
        {{{"ftitre", "łódź"}}, {"6"}},
        {{{"ftitre", "ŁóDŹ nOcą"}}, {"6"}},
        {{{"ftitre", "ŁÓDŹ NOCĄ"}}, {"6"}},
        {{{"ftitre", "KOVAČEVIĆ"}}, {"7"}},
        {{{"ftitre", "жуков ΩΜΕΓΑ ţara"}}, {}},  // ţ is not ț
        {{{"ftitre", "жуков ΩΜΕΓΑ ța"}}, {"8"}},
        {{{"ftitre", "ńódź"}}, {}},  // a neighbour of ł is not its other case
        {{{"ftitre", "ΑΣΤΕΡΊΞ"}}, {"9"}},
        {{{"ftitre", "ΟΔΥΣΣΕΑΣ"}}, {"9"}},  // Σ is σ and ς
        {{{"ftitre", "ҐАЛАҐАН"}}, {"9"}},
        {{{"ftitre", "Ƒ 𐐀"}}, {"10"}},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.fields.first().second.toStdString());
        const SitePage page = s.post(QStringLiteral("strict_search.php?coll=albums"), c.fields);
        ASSERT_TRUE(page.problem().isEmpty()) << page.problem().toStdString();
        QStringList ids = found(page).anchors;
        ids.sort();
        EXPECT_EQ(ids.join(u' ').toStdString(), c.found.join(u' ').toStdString());
    }
}

// A search that every album matches, on a catalogue whose rows held twice,
// as the page once held them, pass a small memory limit: the page stays
// within it and shows every album.
TEST(ServicePages, ABroadSearchCompletesWithinASmallMemoryLimit) {
    KALVOR_REQUIRE_SERVERS();
    QTemporaryDir dir;
    const QString catalogue = dir.filePath(QStringLiteral("grand.db"));
    catalogue::WriteSyntheticCatalogue(catalogue, catalogue::Generation::V6, 3000);
    SiteHarness s(QStringLiteral("service_grand"));
    const QString failed =
        s.build(siteSettings(), siteStats(), catalogueData(QStringLiteral("v6"), true), catalogue);
    ASSERT_TRUE(failed.isEmpty()) << failed.toStdString();
    test::writeAll(s.folder() + QStringLiteral("/limited_search.php"),
                   "<?php\nini_set('memory_limit', '8M');\nrequire 'search.php';\n");

    const SitePage page =
        s.post(QStringLiteral("limited_search.php?coll=albums"), {{"ftitre", "e"}});
    ASSERT_TRUE(page.problem().isEmpty()) << page.problem().toStdString();
    const Found f = found(page);
    EXPECT_EQ(f.count, 2500);
    EXPECT_EQ(f.anchors.size(), 2500);
    const QString body = text(page);
    EXPECT_EQ(body.count(QStringLiteral("<div class=\"Fiche")), 2500);
    EXPECT_TRUE(body.endsWith(QStringLiteral("</body>\n</html>\n")));
}

TEST(ServicePages, IncludeFilesFetchedByThemselvesAnswerNothing) {
    KALVOR_REQUIRE_SERVERS();
    for (const char* name : {"menu.php", "_bas.php", "_detail_stats.php", "_nouv_couv.php",
                             "_nouv_parabd.php", "_nouv_revue.php", "_serie.php", "coeur.php"}) {
        const SitePage page = site("v6").get(QString::fromLatin1(name));
        EXPECT_EQ(page.status, 200) << name;
        EXPECT_EQ(page.body.left(300).toStdString(), "") << name;
    }
}

TEST(ServicePages, EmptySearchShowsTheMessageAndHostileFieldsFindNothing) {
    KALVOR_REQUIRE_SERVERS();
    SiteHarness& s = site("v6");
    const QStringList all = {"fserie",       "ftitre",      "fnom",        "fprenom",
                             "fediteur",     "fcollection", "fisbn",       "ftype",
                             "fdescription", "fnum",        "fperiodicite"};
    for (const char* coll : {"albums", "acheter", "dedicace", "parabd", "revue"}) {
        SCOPED_TRACE(coll);
        Fields empty;
        for (const QString& name : all) {
            empty.append({name, QString()});
        }
        for (const SitePage& page : {s.post(QStringLiteral("search.php?coll=") + coll, empty),
                                     s.get(QStringLiteral("search.php?coll=") + coll)}) {
            ASSERT_TRUE(page.problem().isEmpty()) << page.problem().toStdString();
            const QString body = text(page);
            EXPECT_TRUE(body.contains(QStringLiteral("<h2 align=\"center\">Veuillez renseigner au "
                                                     "moins une zone</h2>\n<p align=\"center\">"
                                                     "<a href=\"moteur.php?coll=") +
                                      coll + u'"'));
            EXPECT_FALSE(body.contains(QStringLiteral("Nombre ")));
            EXPECT_FALSE(body.contains(QStringLiteral("id=\"Recap\"")));
        }
        for (const QString& value : hostileValues()) {
            SCOPED_TRACE(value.left(30).toStdString());
            Fields hostile;
            for (const QString& name : all) {
                hostile.append({name, value});
            }
            const SitePage page = s.post(QStringLiteral("search.php?coll=") + coll, hostile);
            ASSERT_TRUE(page.problem().isEmpty()) << page.problem().toStdString();
            EXPECT_EQ(found(page).count, 0);
            EXPECT_FALSE(page.echoesRaw(value));
        }
    }
}

TEST(ServicePages, HostileAddressValuesFallBackOrAreEscaped) {
    KALVOR_REQUIRE_SERVERS();
    SiteHarness& s = site("v6");
    for (const QString& value : hostileValues()) {
        SCOPED_TRACE(value.left(30).toStdString());
        for (const char* page : {"stats.php", "moteur.php", "search.php", "imprimer.php"}) {
            const SitePage p = s.getWith(QString::fromLatin1(page),
                                         {QStringLiteral("coll"), QStringLiteral("liste")}, value);
            ASSERT_TRUE(p.problem().isEmpty()) << page << ": " << p.problem().toStdString();
            EXPECT_FALSE(p.echoesRaw(value)) << page;
        }
        // An unknown list kind prints by series.
        const QString printed = text(s.get(QStringLiteral("imprimer.php?coll=albums&liste=") +
                                           QString::fromLatin1(QUrl::toPercentEncoding(value))));
        EXPECT_TRUE(printed.contains(QStringLiteral(" / Séries</h1>")));
        const SitePage posted = s.post(QStringLiteral("search.php?coll=") +
                                           QString::fromLatin1(QUrl::toPercentEncoding(value)),
                                       {{"ftitre", "L'Ombre"}});
        EXPECT_EQ(found(posted).count, 2);
    }
}

// The owner types the window's texts as they like, and names the images as
// they like: a quote, a tag or an "&" in one of them neither ends the
// attribute it stands in, nor opens a tag or an entity.
TEST(ServicePages, SettingsAndImageNamesHoldingQuotesOrTagsStayWhereTheyStand) {
    KALVOR_REQUIRE_SERVERS();
    Settings s = siteSettings();
    s.box_email = QStringLiteral("a\"b'@c.fr");
    s.box_siteprincipal = QStringLiteral("http://exemple.fr/?p=\"x\"&q=<b>");
    s.box_titre = QStringLiteral("Mes \"BD\" <à moi>");
    s.GV_Rep_Couvertures = QStringLiteral("cou\"vertures");
    s.GV_Perso1 = QStringLiteral("Rangé \"ici\" <b>");
    SiteHarness site(QStringLiteral("service_reglages"));
    const QString failed =
        site.build(s, siteStats(), catalogueData(QStringLiteral("v6"), false), fixture("v6"));
    ASSERT_TRUE(failed.isEmpty()) << failed.toStdString();
    const SqlResult named = runSql(
        site.database(), "UPDATE kv_albums SET couverture = 'Tom&copy.jpg' WHERE idserie = 12;");
    ASSERT_TRUE(named.ok && named.errors.isEmpty()) << named.errors.toStdString();

    const struct {
        const char* page;
        QStringList shown;
    } pages[] = {
        {"index.php?coll=albums",
         {QStringLiteral("<a href=\"mailto:a&quot;b&#039;@c.fr?subject=A propos de ton site\">"),
          QStringLiteral("<a href=\"http://exemple.fr/?p=&quot;x&quot;&amp;q=&lt;b&gt;\">"),
          QStringLiteral("<h1>Mes &quot;BD&quot; &lt;à moi&gt;</h1>"),
          QStringLiteral("<img src=\"cou&quot;vertures/")}},
        {"serie.php?coll=albums&idserie=12",
         {QStringLiteral("<tr><th>Rangé&nbsp;&quot;ici&quot;&nbsp;&lt;b&gt;&nbsp;:</th>"),
          QStringLiteral("<img src=\"cou&quot;vertures/Tom%26copy.jpg\"")}},
        {"imprimer.php?coll=albums", {QStringLiteral("Mes &quot;BD&quot; &lt;à moi&gt; / Séries")}},
    };
    for (const auto& p : pages) {
        SCOPED_TRACE(p.page);
        const SitePage page = site.get(QString::fromLatin1(p.page));
        ASSERT_TRUE(page.problem().isEmpty()) << page.problem().toStdString();
        for (const QString& shown : p.shown) {
            EXPECT_TRUE(page.body.contains(cp1252::encode(shown))) << shown.toStdString();
        }
        for (const char* raw :
             {"a\"b", "b'@", "=\"x\"", "\"BD\"", "cou\"v", "\"ici\"", "<à moi>", "Tom&copy"}) {
            EXPECT_FALSE(page.body.contains(cp1252::encode(QString::fromUtf8(raw)))) << raw;
        }
    }
}
