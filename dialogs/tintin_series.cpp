#include "dialogs/tintin_series.h"

#include "common/vb.h"
#include "platform/dao/db_engine.h"

namespace kalvor {

QString Tintin_Series_Query(const QString& GV_Version_Base) {
    const QString table =
        GV_Version_Base == u"v6" ? QStringLiteral("parabd") : QStringLiteral("exlibris");
    return QStringLiteral("SELECT distinct  s.idserie, s.titre FROM SERIES s, ") + table +
           QStringLiteral(" p  where p.idserie = s.idserie and lcase(titre) like '*tintin*' ");
}

QList<TintinSeries> Find_Tintin_Series(const QString& GV_Chemin_Base,
                                       const QString& GV_Version_Base) {
    QList<TintinSeries> found;
    const std::unique_ptr<dao::Database> db = dao::DBEngine::OpenDatabase(GV_Chemin_Base);
    const std::unique_ptr<dao::Recordset> rs =
        db->OpenRecordset(Tintin_Series_Query(GV_Version_Base));
    found.reserve(rs->RecordCount());
    while (!rs->Eof()) {
        found.append(TintinSeries{vb::CLng(rs->Fields(0)), rs->Fields(1).toString()});
        rs->MoveNext();
    }
    rs->Close();
    db->Close();
    return found;
}

}  // namespace kalvor
