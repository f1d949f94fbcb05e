#include "catalogue/catalogue_counts.h"

#include "platform/dao/dao_errors.h"
#include "platform/dao/db_engine.h"
#include "platform/dao/table_defs.h"
#include "platform/error.h"

namespace kalvor::catalogue {

namespace {

// The engine counts the rows: the table itself is not read.
long CountRows(dao::Database& db, const dao::TableDefs& tables, const QString& table) {
    if (!tables.Contains(table)) {
        throw Error(dao::errors::TableNotFound,
                    QStringLiteral("Table ou requête « %1 » introuvable.").arg(table));
    }
    auto rows = db.OpenCursor(QStringLiteral("SELECT count(*) FROM ") + table);
    return rows->Next() ? long(rows->Int(0)) : 0;
}

}  // namespace

Counts ReadCounts(const QString& GV_Chemin_Base) {
    auto db = dao::DBEngine::OpenDatabase(GV_Chemin_Base);
    Counts counts;
    const dao::TableDefs tables = db->TableDefs();
    counts.generation = GenerationOfTables(tables);
    counts.series = CountRows(*db, tables, QStringLiteral("SERIES"));
    counts.albums = CountRows(*db, tables, QStringLiteral("ALBUMS"));
    db->Close();
    return counts;
}

Counts ReadCatalogueCounts(const QString& GV_Chemin_Base) {
    Counts counts = ReadCounts(GV_Chemin_Base);
    if (!counts.generation) {
        throw Error(0, QStringLiteral("Le fichier « %1 » n'est pas une base Ormelo' : il n'a ni "
                                      "les tables d'une base v6 (ALBUMS avec la colonne AAcheter) "
                                      "ni celles d'une base v5 ou v4 (ACHETER, EXLIBRIS).")
                           .arg(GV_Chemin_Base));
    }
    return counts;
}

std::optional<Generation> ReadGeneration(const QString& GV_Chemin_Base) {
    auto db = dao::DBEngine::OpenDatabase(GV_Chemin_Base);
    const std::optional<Generation> generation = GenerationOfTables(db->TableDefs());
    db->Close();
    return generation;
}

QString AlbumsPanelText(const Counts& counts) {
    return QString::number(counts.albums) + QStringLiteral(" albums");
}

QString SeriesPanelText(const Counts& counts) {
    return QString::number(counts.series) + QStringLiteral(" series");
}

}  // namespace kalvor::catalogue
