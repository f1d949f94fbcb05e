#include "sitecheck/site_comparison.h"

#include <QHash>

#include "catalogue/catalogue_schema.h"
#include "common/banner.h"
#include "common/vb.h"
#include "platform/dao/dao_errors.h"
#include "platform/dao/db_engine.h"
#include "platform/dao/jet_sql.h"
#include "platform/dao/jet_text.h"
#include "platform/error.h"
#include "platform/prompt.h"
#include "sitecheck/site_work_tables.h"
#include "sitecheck/work_batch.h"

namespace kalvor::site {
namespace {

const QString kEmpty = QStringLiteral("\"\"");

// The five statements of one set of albums: `table` with, in the newer
// layout, the AAcheter value that selects the set.
QList<CatalogueReference> albumReferences(const QString& table, const QString& aacheter,
                                          bool collaborateurs) {
    const auto only = [&](const QString& alias) {
        return aacheter.isEmpty()
                   ? QString()
                   : alias + QStringLiteral(".AAcheter = ") + aacheter + QStringLiteral(" and ");
    };
    const QString where = QStringLiteral(" where ") + only(table);
    QList<CatalogueReference> refs;
    for (const char* column : {"couverture", "dedicace", "exlibris"}) {
        const QString c = QString::fromLatin1(column);
        refs.append({c == u"couverture" ? QStringLiteral("couvertures")
                     : c == u"dedicace" ? QStringLiteral("dedicaces")
                                        : QStringLiteral("versos"),
                     QStringLiteral("select ") + c + QStringLiteral(" from ") + table + where + c +
                         QStringLiteral(" <> ") + kEmpty});
    }
    QStringList photos;
    for (const char* role : {"IdDessinateur", "IdScenariste", "IdColoriste"}) {
        photos << QStringLiteral("SELECT surnom from AUTEURS, ") + table +
                      QStringLiteral(" where ") + table + u'.' + QString::fromLatin1(role) +
                      QStringLiteral(" = AUTEURS.idauteur and ") + only(table) +
                      QStringLiteral("surnom <> ") + kEmpty + u' ';
    }
    if (collaborateurs) {
        photos << QStringLiteral("SELECT surnom from AUTEURS, ") + table +
                      QStringLiteral(
                          ", COLLABORATEURS where COLLABORATEURS.IdAuteur = "
                          "AUTEURS.idAuteur and ") +
                      only(table) + QStringLiteral("surnom <> ") + kEmpty +
                      QStringLiteral(" and ") + table +
                      QStringLiteral(".IdAlbum = COLLABORATEURS.IdAlbum ");
    }
    refs.append({QStringLiteral("photos"), photos.join(QStringLiteral("Union "))});
    refs.append({QStringLiteral("planches"),
                 QStringLiteral("select distinct planche from SERIES A, ") + table +
                     QStringLiteral(" B where A.idSERIE = B.idSERIE and ") +
                     only(QStringLiteral("B")) + QStringLiteral("planche <> ") + kEmpty});
    return refs;
}

// Case-insensitive key of a listed file of a kind, as the engine compares.
QString lookupKey(const QString& type, const QString& file) {
    return type + u'\n' + file.toCaseFolded();
}

// What one comparison works on, in the connection's temporary schema (which
// a cached copy of an Access file keeps from one comparison to the next):
// the statement's rows in its order; each distinct name once, numbered by its
// first row, with its count and whether a listed file or a missing row of the
// kind has it; the work table's rows of the kind that bear one of the names.
class ComparisonTables {
  public:
    explicit ComparisonTables(dao::Database& db) : db_(db) {
        drop();
        db_.ExecuteScript(QStringLiteral(
            "CREATE TEMP TABLE kalvor_site_rows (name TEXT COLLATE BINARY); "
            "CREATE TEMP TABLE kalvor_site_names (name TEXT COLLATE BINARY PRIMARY KEY, "
            "seq INTEGER, n INTEGER DEFAULT 1, listed INTEGER DEFAULT 0, "
            "known INTEGER DEFAULT 0) WITHOUT ROWID; "
            "CREATE TEMP TABLE kalvor_site_kind (id INTEGER, listed INTEGER, "
            "file TEXT COLLATE BINARY, ok INTEGER)"));
    }
    ~ComparisonTables() {
        try {
            drop();
        } catch (const Error&) {
            // The next comparison replaces them.
        }
    }
    ComparisonTables(const ComparisonTables&) = delete;
    ComparisonTables& operator=(const ComparisonTables&) = delete;

  private:
    void drop() {
        db_.ExecuteScript(
            QStringLiteral("DROP TABLE IF EXISTS temp.kalvor_site_rows; "
                           "DROP TABLE IF EXISTS temp.kalvor_site_names; "
                           "DROP TABLE IF EXISTS temp.kalvor_site_kind"));
    }
    dao::Database& db_;
};

struct ListedImage {
    QString file;
    QDateTime creation;
};

}  // namespace

QList<CatalogueReference> Catalogue_References(const QString& GV_Chemin_Base,
                                               const CompareOptions& options) {
    auto db = dao::DBEngine::OpenDatabase(GV_Chemin_Base);
    const bool older =
        catalogue::GenerationOfTables(db->TableDefs()) == catalogue::Generation::Older;
    db->Close();

    QList<CatalogueReference> refs;
    if (options.albums) {
        refs += albumReferences(QStringLiteral("ALBUMS"), older ? QString() : QStringLiteral("0"),
                                options.collaborateurs);
    }
    if (options.acheter) {
        refs += older
                    ? albumReferences(QStringLiteral("ACHETER"), QString(), options.collaborateurs)
                    : albumReferences(QStringLiteral("ALBUMS"), QStringLiteral("1"),
                                      options.collaborateurs);
    }
    if (options.parabd) {
        // The image that the exports publish for a collectible.
        refs.append({QStringLiteral("parabd"),
                     older
                         ? QStringLiteral("select imageEx from EXLIBRIS where imageEx <> ") + kEmpty
                         : QStringLiteral("select Image1 from PARABD where Image1 <> ") + kEmpty});
    }
    if (options.revues) {
        refs.append(
            {QStringLiteral("revues"),
             QStringLiteral("select couverture from REVUES where Couverture <> ") + kEmpty});
    }
    return refs;
}

bool Compare_Fichiers(const QString& GV_Chemin_Base, const QString& rep, const QString& sql,
                      Prompt& prompt) {
    try {
        auto db = dao::DBEngine::OpenDatabase(GV_Chemin_Base);
        const WorkBatch batch(*db);
        const ComparisonTables tables(*db);
        const auto run = [&](const char* statement, const QVariantList& values = {}) {
            QString text = QString::fromLatin1(statement);
            db->ExecuteBound(
                text.replace(QStringLiteral("%1"), dao::jetsql::QuoteName(kTableFiles)), {values});
        };
        if (db->InsertSelect(QStringLiteral("INSERT INTO temp.kalvor_site_rows (name)"), sql) ==
            0) {
            return true;
        }
        // A Null is read as an empty name.
        run("INSERT INTO temp.kalvor_site_names (name, seq) SELECT coalesce(name, ''), _rowid_ "
            "FROM temp.kalvor_site_rows WHERE true ORDER BY _rowid_ "
            "ON CONFLICT (name) DO UPDATE SET n = n + 1");
        // Names compare exactly, letter case included. A name that listed
        // files of the kind bear marks them all; else the first row that has
        // it missing already; else it is added as missing, `ok` already when
        // referenced more than once.
        run("INSERT INTO temp.kalvor_site_kind (id, listed, file, ok) "
            "SELECT _rowid_, key IS ?2 COLLATE BINARY, file, coalesce(ok, 0) <> 0 FROM %1 "
            "WHERE type = ?1 COLLATE BINARY "
            "AND file COLLATE BINARY IN (SELECT name FROM temp.kalvor_site_names)",
            {rep, kKeyListed});
        run("UPDATE temp.kalvor_site_names SET listed = 1 "
            "WHERE name IN (SELECT file FROM temp.kalvor_site_kind WHERE listed)");
        run("UPDATE temp.kalvor_site_names SET known = 1 WHERE NOT listed "
            "AND name IN (SELECT file FROM temp.kalvor_site_kind WHERE NOT listed)");
        run("UPDATE %1 SET ok = -1 WHERE _rowid_ IN "
            "(SELECT id FROM temp.kalvor_site_kind WHERE listed AND NOT ok)");
        run("UPDATE %1 SET ok = -1 WHERE _rowid_ IN (SELECT id FROM temp.kalvor_site_kind "
            "WHERE NOT ok AND id IN (SELECT min(id) FROM temp.kalvor_site_kind "
            "WHERE NOT listed AND file IN (SELECT name FROM temp.kalvor_site_names "
            "WHERE known) GROUP BY file))");

        // The first name to add that is longer than the work table's column
        // cannot be added: the names before it are, then the comparison fails.
        // Only a name of more UTF-8 bytes than that can be one.
        qsizetype limit = -1;
        {
            auto longNames = db->OpenRecordset(
                QStringLiteral(
                    "select seq, name from temp.kalvor_site_names where not listed and not known "
                    "and length(cast(name as blob)) > ") +
                QString::number(kFileNameSize) + QStringLiteral(" order by seq"));
            for (; !longNames->Eof() && limit < 0; longNames->MoveNext()) {
                if (longNames->Fields(1).toString().size() > kFileNameSize) {
                    limit = longNames->Fields(0).toLongLong();
                }
            }
        }
        run("INSERT INTO %1 (key, type, file, creation, ok) "
            "SELECT ?4, ?1, name, ?2, CASE WHEN n > 1 THEN -1 ELSE 0 END "
            "FROM temp.kalvor_site_names WHERE NOT listed AND NOT known AND (?3 < 0 OR seq < ?3) "
            "ORDER BY seq",
            {rep, vb::Now(), limit, kKeyMissing});
        if (limit >= 0) {
            throw Error(dao::errors::FieldTooSmall, QStringLiteral("file"));
        }
        return true;
    } catch (const Error&) {
        prompt.message(QStringLiteral("Problème lors de la comparaison des fichiers."), kBanner,
                       PromptIcon::Critical);
        return false;
    }
}

void Compare_Miniatures(const QString& GV_Chemin_Base, const QString& prefix, Prompt& prompt) {
    try {
        auto db = dao::DBEngine::OpenDatabase(GV_Chemin_Base);
        // Only files the site listed: a name known as missing has no date.
        QHash<QString, QList<ListedImage>> images;
        {
            auto listed = db->OpenRecordset(QStringLiteral("select type, file, creation from ") +
                                            kTableFiles + QStringLiteral(" where key = '") +
                                            kKeyListed + u'\'');
            for (; !listed->Eof(); listed->MoveNext()) {
                const QString file = listed->Fields(1).toString();
                images[lookupKey(listed->Fields(0).toString(), file)].append(
                    {file, listed->Fields(2).toDateTime()});
            }
        }

        // The verdicts are written once all are known, in stored order: a
        // problem text longer than its column stops there, the thumbnails
        // after it stay unjudged.
        QList<QVariantList> deleted;
        QList<QVariantList> problems;
        bool tooLong = false;
        auto thumbs =
            db->OpenRecordset(QStringLiteral("select _rowid_, type, file, creation from ") +
                              kTableThumbs + QStringLiteral(" order by _rowid_"));
        for (; !thumbs->Eof() && !tooLong; thumbs->MoveNext()) {
            const QVariant row = thumbs->Fields(0);
            const QString type = thumbs->Fields(1).toString();
            const QString file = thumbs->Fields(2).toString();
            QString problem;
            if (file.startsWith(prefix)) {
                const QString image = file.mid(prefix.size());
                const QList<ListedImage> candidates = images.value(lookupKey(type, image));
                const ListedImage* match = nullptr;
                for (const ListedImage& candidate : candidates) {
                    if (dao::jet::Compare(candidate.file, image) != 0) {
                        continue;
                    }
                    // The image of the same spelling first, else the first listed.
                    if (match == nullptr || candidate.file == image) {
                        match = &candidate;
                        if (candidate.file == image) {
                            break;
                        }
                    }
                }
                if (match == nullptr) {
                    problem = QStringLiteral("Pas d'image correspondante");
                } else {
                    const QDateTime thumbTime = thumbs->Fields(3).toDateTime();
                    if (match->creation > thumbTime) {
                        const QString pattern = QStringLiteral("dd/MM/yyyy hh:mm:ss");
                        problem = QStringLiteral("Dates incohérentes : fichier (") +
                                  match->creation.toString(pattern) +
                                  QStringLiteral(") - miniature (") + thumbTime.toString(pattern) +
                                  u')';
                    }
                }
            } else {
                problem = QStringLiteral("format du fichier non conforme (") + prefix + u')';
            }
            if (problem.isEmpty()) {
                deleted.append({row});
            } else if (problem.size() > kProblemSize) {
                tooLong = true;
            } else {
                problems.append({problem, row});
            }
        }
        thumbs->Close();

        const WorkBatch batch(*db);
        const QString table = dao::jetsql::QuoteName(kTableThumbs);
        db->ExecuteBound(
            QStringLiteral("DELETE FROM ") + table + QStringLiteral(" WHERE _rowid_ = ?"), deleted);
        db->ExecuteBound(QStringLiteral("UPDATE ") + table +
                             QStringLiteral(" SET probleme = ?, ok = 0 WHERE _rowid_ = ?"),
                         problems);
        if (tooLong) {
            throw Error(dao::errors::FieldTooSmall, QStringLiteral("probleme"));
        }
    } catch (const Error&) {
        prompt.message(QStringLiteral("erreur pendant la comparaison des miniatures"), kBanner,
                       PromptIcon::Critical);
    }
}

}  // namespace kalvor::site
