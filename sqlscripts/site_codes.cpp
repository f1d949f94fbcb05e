#include "sqlscripts/site_codes.h"

#include "common/vb.h"

namespace kalvor::site_codes {

QString GetNote(const QString& wValue) {
    const qint32 n = vb::CLng(wValue);
    if (n < 0) {
        return QString();
    }
    const qint32 h = n / 2;
    return QString(h, QChar(0x00A4)) + QString(n - 2 * h, u'l');
}

int GetTypeObjet(int wType, int wCategorie) {
    if (wCategorie == 999) {
        switch (wType) {
            case 0:
                return 1001;
            case 1:
                return 1009;
            case 2:
                return 2001;
            case 3:
                return 1004;
            case 5:
                return 1002;
            default:
                return 1000;
        }
    }
    struct Family {
        int base;
        int lastItem;
    };
    // Item 0 of families 2-4 has no code of its own and falls back to 1000.
    static constexpr Family kFamilies[] = {{1000, 15}, {2000, 5}, {3000, 3}, {4000, 7}};
    if (wType < 1 || wType > 4) {
        return 1000;
    }
    const Family& family = kFamilies[wType - 1];
    if (wCategorie < 1 || wCategorie > family.lastItem) {
        return 1000;
    }
    return family.base + wCategorie;
}

}  // namespace kalvor::site_codes
