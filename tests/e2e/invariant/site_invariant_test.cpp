// Every owned album of a catalogue reaches the site and shows there, whatever
// its authors and its purchase date hold. A synthetic catalogue with albums
// whose writer, artist or colourist is Null, 0, an id without a row or the
// "no author" 1 (with its row and without), and albums without a purchase
// date, is published through the full export, then grown and brought up to
// date through the incremental export. After each step, on both pages' ways
// of finding an album's authors, every album the site should hold shows as
// exactly one card on its series page and on the page of each of its authors,
// and names only authors and series that the site holds.
#include <QDir>
#include <QMap>
#include <QRegularExpression>
#include <QSet>
#include <QTemporaryDir>

#include <gtest/gtest.h>

#include "catalogue/synthetic_catalogue.h"
#include "common/vb.h"
#include "e2e/catalogpages/catalogue_site.h"
#include "e2e/e2e_servers.h"
#include "e2e/site/site_harness.h"
#include "platform/dao/database.h"
#include "platform/dao/db_engine.h"
#include "platform/error.h"
#include "platform/prompt.h"
#include "settings/settings.h"
#include "sqlscripts/full_export.h"
#include "sqlscripts/incremental_export.h"
#include "sqlscripts/schema_scripts.h"
#include "support/test_paths.h"

using namespace kalvor;
using namespace kalvor::e2e;
using AuthorOne = catalogue::SyntheticOptions::AuthorOne;

namespace {

struct Case {
    const char* name;
    catalogue::Generation generation;
    bool utf8;
    AuthorOne authorOne;
};

// Each generation and each encoding meets author 1 both with its row and
// without.
const Case kCases[] = {
    {"v6 latin1", catalogue::Generation::V6, false, AuthorOne::NoAuthor},
    {"v6 utf8", catalogue::Generation::V6, true, AuthorOne::Missing},
    {"v5 latin1", catalogue::Generation::Older, false, AuthorOne::Missing},
    {"v5 utf8", catalogue::Generation::Older, true, AuthorOne::NoAuthor},
};

const QDate kFullExport(2027, 1, 10);
const QDate kIncrementalExport(2027, 1, 20);

// An owned album as the catalogue holds it.
struct Album {
    int series = 0;
    QVariant roles[3];  // writer, artist, colourist
    bool dated = false;
};

struct Catalogue {
    QMap<int, Album> owned;
    QSet<int> authors, series;
};

Catalogue readCatalogue(const QString& path, bool v6) {
    Catalogue c;
    auto db = dao::DBEngine::OpenDatabase(path);
    auto rs = db->OpenRecordset(
        QStringLiteral("select IdAlbum, IdSerie, IdScenariste, IdDessinateur, idColoriste, "
                       "DateAchat from ALBUMS") +
        (v6 ? QStringLiteral(" where AAcheter = 0") : QString()));
    for (; !rs->Eof(); rs->MoveNext()) {
        Album& a = c.owned[rs->Fields(0).toInt()];
        a.series = rs->Fields(1).toInt();
        for (int r = 0; r < 3; ++r) {
            a.roles[r] = rs->Fields(2 + r);
        }
        a.dated = !rs->Fields(5).isNull();
    }
    rs->Close();
    rs = db->OpenRecordset(QStringLiteral("select IdAuteur from AUTEURS"));
    for (; !rs->Eof(); rs->MoveNext()) {
        c.authors.insert(rs->Fields(0).toInt());
    }
    rs->Close();
    rs = db->OpenRecordset(QStringLiteral("select IdSerie from SERIES"));
    for (; !rs->Eof(); rs->MoveNext()) {
        c.series.insert(rs->Fields(0).toInt());
    }
    rs->Close();
    db->Close();
    return c;
}

// The authors whose page should show the album: those with a row, but the
// "no author" 1, which the cards never link.
QList<int> realAuthors(const Album& a, const Catalogue& c) {
    QList<int> ids;
    for (const QVariant& role : a.roles) {
        const int id = role.toInt();
        if (!role.isNull() && id != 1 && c.authors.contains(id) && !ids.contains(id)) {
            ids << id;
        }
    }
    return ids;
}

QSet<int> column(const QString& database, const QString& query) {
    const SqlResult r = runSql(database, query.toUtf8());
    EXPECT_TRUE(r.ok) << r.errors.toStdString();
    QSet<int> ids;
    for (const QStringList& row : r.rows) {
        ids.insert(row.value(0).toInt());
    }
    return ids;
}

QString idList(QList<int> ids) {
    std::sort(ids.begin(), ids.end());
    QStringList texts;
    for (int id : ids) {
        texts << QString::number(id);
    }
    return texts.join(QStringLiteral(", "));
}

// What the site's tables get wrong: albums it should hold and does not, or
// holds and should not; an album naming an author or a series of the
// catalogue that the site does not hold.
QStringList dataFaults(const QString& database, const Catalogue& c, const QSet<int>& held) {
    QStringList faults;
    const QSet<int> site = column(database, QStringLiteral("SELECT idalbum FROM kv_albums;"));
    if (site != held) {
        faults << QStringLiteral("albums missing from the site: %1; albums it should not hold: %2")
                      .arg(idList((held - site).values()), idList((site - held).values()));
    }
    const QSet<int> authors = column(database, QStringLiteral("SELECT idauteur FROM kv_auteurs;"));
    const QSet<int> series = column(database, QStringLiteral("SELECT idserie FROM kv_series;"));
    const SqlResult rows =
        runSql(database,
               "SELECT idalbum, idscenariste, iddessinateur, idcoloriste, idserie FROM kv_albums;");
    EXPECT_TRUE(rows.ok) << rows.errors.toStdString();
    static const char* kRoles[] = {"writer", "artist", "colourist"};
    for (const QStringList& row : rows.rows) {
        for (int r = 0; r < 3; ++r) {
            const int id = row.value(1 + r).toInt();
            if (id != 0 && c.authors.contains(id) && !authors.contains(id)) {
                faults << QStringLiteral("album %1 names %2 %3, whom the site does not hold")
                              .arg(row.value(0), QLatin1String(kRoles[r]))
                              .arg(id);
            }
        }
        const int s = row.value(4).toInt();
        if (c.series.contains(s) && !series.contains(s)) {
            faults << QStringLiteral("album %1 is in series %2, which the site does not hold")
                          .arg(row.value(0))
                          .arg(s);
        }
    }
    return faults;
}

// Cards of a page, by album id: one div per card, its id the album's.
QMap<int, int> cards(const QByteArray& body) {
    static const QRegularExpression card(
        QStringLiteral("<div class=\"Fiche(?:Large)?\" id=\"i(\\d+)\">"));
    QMap<int, int> count;
    for (auto m = card.globalMatch(QString::fromLatin1(body)); m.hasNext();) {
        ++count[m.next().captured(1).toInt()];
    }
    return count;
}

// A page that fails, or albums of `expected` that it does not show as exactly
// one card.
QString pageFault(const QString& siteUrl, const QString& page, const QList<int>& expected) {
    const Page fetched = fetch(siteUrl + u'/' + page);
    SitePage p;
    p.status = fetched.status;
    p.body = fetched.body;
    if (const QString problem = p.problem(); !problem.isEmpty()) {
        return page + QStringLiteral(": ") + problem;
    }
    const QMap<int, int> shown = cards(p.body);
    QList<int> missing, repeated;
    for (int id : expected) {
        const int n = shown.value(id);
        if (n == 0) {
            missing << id;
        } else if (n > 1) {
            repeated << id;
        }
    }
    QStringList faults;
    if (!missing.isEmpty()) {
        faults << QStringLiteral("no card for %1").arg(idList(missing));
    }
    if (!repeated.isEmpty()) {
        faults << QStringLiteral("several cards for %1").arg(idList(repeated));
    }
    return faults.isEmpty() ? QString() : page + QStringLiteral(": ") + faults.join("; ");
}

// Every series page and author page that should show one of the `held`
// albums, checked.
QStringList pageFaults(const QString& siteUrl, const Catalogue& c, const QSet<int>& held) {
    QMap<QString, QList<int>> pages;
    for (int id : held) {
        const Album& a = c.owned[id];
        pages[QStringLiteral("serie.php?coll=albums&idserie=%1").arg(a.series)] << id;
        for (int author : realAuthors(a, c)) {
            pages[QStringLiteral("auteur.php?coll=albums&idauteur=%1").arg(author)] << id;
        }
    }
    QStringList faults;
    for (auto it = pages.cbegin(); it != pages.cend(); ++it) {
        if (const QString f = pageFault(siteUrl, it.key(), it.value()); !f.isEmpty()) {
            faults << f;
        }
    }
    return faults;
}

class SiteInvariant : public ::testing::Test {
  protected:
    void SetUp() override { KALVOR_REQUIRE_SERVERS(); }

    // The site of one case after a step: its tables, then its pages as the
    // site finds authors through the collaborators' table and without it.
    void check(const Case& c, const char* step, const SiteHarness& site,
               const QString& withoutLinks, const Catalogue& catalogue, const QSet<int>& held) {
        const QString where = QStringLiteral("%1, after the %2").arg(c.name, step);
        const QStringList data = dataFaults(site.database(), catalogue, held);
        EXPECT_TRUE(data.isEmpty()) << where.toStdString() << ", tables:\n"
                                    << data.join("\n").toStdString();
        const QStringList linked = pageFaults(site.url(), catalogue, held);
        EXPECT_TRUE(linked.isEmpty()) << where.toStdString() << ", pages through collaborators:\n"
                                      << linked.join("\n").toStdString();
        const QStringList own = pageFaults(withoutLinks, catalogue, held);
        EXPECT_TRUE(own.isEmpty()) << where.toStdString() << ", pages through album authors:\n"
                                   << own.join("\n").toStdString();
    }

    void run(const Case& c) {
        const bool v6 = c.generation == catalogue::Generation::V6;
        catalogue::SyntheticOptions options;
        options.albums = 64;
        options.absentAuthors = options.danglingAuthors = options.undatedAlbums = true;
        options.authorOne = c.authorOne;
        const QString path =
            dir.filePath(QStringLiteral("catalogue-%1.db").arg(c.name).replace(u' ', u'-'));
        catalogue::WriteSyntheticCatalogue(path, c.generation, options);

        Settings settings = siteSettings();
        settings.format = c.utf8 ? Settings::FormatDonnees::Utf8 : Settings::FormatDonnees::Latin1;
        settings.GV_Version_Base = v6 ? QStringLiteral("v6") : QStringLiteral("v5");
        settings.GV_Auteur = 2;  // the author page shows the cards
        settings.Opt_Collaborateurs = 1;

        // The full export, keeping the marks it leaves for the next run.
        Settings exported;
        const SiteData fullExport = [&](const SiteInputs& in) {
            Settings s = in.settings;
            s.GV_Export = in.exportFolder;
            s.GV_Chemin_Base = in.catalogue;
            s.GV_Prefixe_Table = s.box_prefixe_table;
            s.Mode_Commande = true;
            schema_scripts::Create_Tables_Sql({in.exportFolder, s.GV_Prefixe_Table, s.opt_utf8()});
            if (!btn_Donnees_SQL_Click(s, prompt)) {
                throw Error(0, QStringLiteral("full export: ") + s.GV_Erreurs);
            }
            exported = s;
            const QString scripts = schema_scripts::ScriptsFolder(in.exportFolder);
            return QList<SqlScript>{
                {QStringLiteral("tables.sql"), test::readAll(scripts + "/tables.sql")},
                {QStringLiteral("donnees.sql"), test::readAll(scripts + "/donnees.sql")}};
        };
        SiteHarness site(QStringLiteral("invariant"));
        QString withoutLinks;
        {
            vb::ScopedClock clock(kFullExport.startOfDay().addSecs(12 * 3600));
            const QString built = site.build(settings, siteStats(), fullExport, path);
            ASSERT_TRUE(built.isEmpty()) << c.name << ": " << built.toStdString();
            Settings own = settings;
            own.Opt_Collaborateurs = 0;
            withoutLinks = variantSite(site, QStringLiteral("sans_collaborateurs"), own);
        }
        const Catalogue before = readCatalogue(path, v6);
        const QSet<int> published(before.owned.keyBegin(), before.owned.keyEnd());
        check(c, "full export", site, withoutLinks, before, published);

        catalogue::GrowSyntheticCatalogue(path, c.generation, options, kFullExport);
        Settings later = exported;
        later.box_LastRun = exported.GV_LastRun;
        vb::ScopedClock clock(kIncrementalExport.startOfDay().addSecs(9 * 3600));
        ASSERT_TRUE(btn_LastDonnees_SQL_Click(later, prompt))
            << c.name << ": " << later.GV_Erreurs.toStdString();
        const LoadResult loaded = loadScriptFile(
            site.database(), site.folder() + QStringLiteral("/scripts/dernieres_donnees.sql"));
        ASSERT_TRUE(loaded.ok) << c.name << ": " << loaded.errors.toStdString();
        EXPECT_TRUE(loaded.diagnostics.isEmpty())
            << c.name << ": " << loaded.diagnostics.join("\n").toStdString();

        // Albums added without a purchase date stay off the site until the
        // next full export.
        const Catalogue grown = readCatalogue(path, v6);
        QSet<int> held = published;
        for (auto it = grown.owned.cbegin(); it != grown.owned.cend(); ++it) {
            if (it->dated) {
                held.insert(it.key());
            }
        }
        check(c, "incremental export", site, withoutLinks, grown, held);
    }

    test::IsolatedEnvironment env;
    QTemporaryDir dir;
    RecordingPrompt prompt;
};

TEST_F(SiteInvariant, EveryAlbumShowsOnItsSeriesAndAuthorPagesAfterEachExport) {
    for (const Case& c : kCases) {
        SCOPED_TRACE(c.name);
        run(c);
    }
}

}  // namespace
