#include "catalogue/catalogue_schema.h"

#include "platform/dao/table_defs.h"

namespace kalvor::catalogue {

Generation GenerationOf(const QString& GV_Version_Base) {
    return IsV6(GV_Version_Base) ? Generation::V6 : Generation::Older;
}

std::optional<Generation> GenerationOfTables(const dao::TableDefs& tables) {
    const QString albums = QStringLiteral("ALBUMS");
    if (!tables.Contains(albums) || !tables.Contains(QStringLiteral("SERIES"))) {
        return std::nullopt;
    }
    if (tables.Contains(QStringLiteral("ACHETER")) || tables.Contains(QStringLiteral("EXLIBRIS"))) {
        return Generation::Older;
    }
    for (const dao::Field& field : tables.Item(albums).Fields()) {
        if (field.Name.compare(QLatin1String("AAcheter"), Qt::CaseInsensitive) == 0) {
            return Generation::V6;
        }
    }
    return std::nullopt;
}

QString WishListTable(Generation g) {
    return g == Generation::V6 ? QStringLiteral("ALBUMS") : QStringLiteral("ACHETER");
}

QString CollectiblesTable(Generation g) {
    return g == Generation::V6 ? QStringLiteral("PARABD") : QStringLiteral("EXLIBRIS");
}

}  // namespace kalvor::catalogue
