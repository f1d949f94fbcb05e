#include "catalogue/catalogue_schema.h"

namespace kalvor::catalogue {

Generation GenerationOf(const QString& GV_Version_Base) {
    return IsV6(GV_Version_Base) ? Generation::V6 : Generation::Older;
}

QString WishListTable(Generation g) {
    return g == Generation::V6 ? QStringLiteral("ALBUMS") : QStringLiteral("ACHETER");
}

QString CollectiblesTable(Generation g) {
    return g == Generation::V6 ? QStringLiteral("PARABD") : QStringLiteral("EXLIBRIS");
}

}  // namespace kalvor::catalogue
