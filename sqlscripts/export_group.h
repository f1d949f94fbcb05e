#pragma once

#include <QString>

namespace kalvor {

// The four groups of site tables a data export writes, each gated by its
// collection check box.
enum class ExportGroup {
    Albums,   // owned albums: auteurs, series, albums, collaborateurs
    Acheter,  // wish list: auteurs2, series2, acheter (and its collaborateurs)
    Revues,   // magazines: series4, revues
    Parabd,   // collectibles: auteurs3, series3, parabd
};

inline QString AuthorsTable(ExportGroup group) {
    switch (group) {
        case ExportGroup::Acheter:
            return QStringLiteral("auteurs2");
        case ExportGroup::Parabd:
            return QStringLiteral("auteurs3");
        default:
            return QStringLiteral("auteurs");
    }
}

inline QString SeriesTable(ExportGroup group) {
    switch (group) {
        case ExportGroup::Acheter:
            return QStringLiteral("series2");
        case ExportGroup::Parabd:
            return QStringLiteral("series3");
        case ExportGroup::Revues:
            return QStringLiteral("series4");
        default:
            return QStringLiteral("series");
    }
}

inline QString AlbumsTable(ExportGroup group) {
    return group == ExportGroup::Acheter ? QStringLiteral("acheter") : QStringLiteral("albums");
}

}  // namespace kalvor
