#include "catalogue/catalogue_counts.h"

#include "platform/dao/db_engine.h"
#include "platform/dao/table_defs.h"
#include "platform/error.h"

namespace kalvor::catalogue {

Counts ReadCounts(const QString& GV_Chemin_Base) {
    auto db = dao::DBEngine::OpenDatabase(GV_Chemin_Base);
    Counts counts;
    counts.generation = GenerationOfTables(db->TableDefs());
    auto series = db->OpenRecordset(QStringLiteral("SERIES"));
    auto albums = db->OpenRecordset(QStringLiteral("ALBUMS"));
    counts.albums = albums->RecordCount();
    counts.series = series->RecordCount();
    series->Close();
    albums->Close();
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

QString AlbumsPanelText(const Counts& counts) {
    return QString::number(counts.albums) + QStringLiteral(" albums");
}

QString SeriesPanelText(const Counts& counts) {
    return QString::number(counts.series) + QStringLiteral(" series");
}

}  // namespace kalvor::catalogue
