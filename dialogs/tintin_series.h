#pragma once

#include <QList>
#include <QString>

namespace kalvor {

// A catalogue series that may carry the Tintin plug-in's animations.
struct TintinSeries {
    qint32 idserie = 0;
    QString titre;
};

// The series whose title holds "tintin" in any case and that own at least one
// collectible (PARABD for catalogue "v6", EXLIBRIS before), in the order of
// the query. Opens and closes the catalogue; a failure raises kalvor::Error.
QList<TintinSeries> Find_Tintin_Series(const QString& GV_Chemin_Base,
                                       const QString& GV_Version_Base);

// The query, for the catalogue's version.
QString Tintin_Series_Query(const QString& GV_Version_Base);

}  // namespace kalvor
