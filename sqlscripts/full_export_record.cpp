#include "sqlscripts/full_export_record.h"

#include <QStringList>

#include "common/vb.h"
#include "sqlscripts/data_export_run.h"

namespace kalvor {
namespace {

const QString kCollection = QStringLiteral("lastrun");
const QString kWishList = QStringLiteral("lastid");
const QString kMagazines = QStringLiteral("lastidrevue");
const QString kCollectibles = QStringLiteral("lastidpara");
const QString kDay = QStringLiteral("dd/MM/yyyy");

std::optional<qint32> id(const QString& text) {
    return vb::WholeNumber(text);
}

}  // namespace

FullExportRecord FullExportRecord::Read(const QString& text) {
    FullExportRecord record;
    for (const QString& entry : text.split(u';', Qt::SkipEmptyParts)) {
        const qsizetype equals = entry.indexOf(u'=');
        const QString name = entry.left(equals).trimmed();
        const QString value = entry.mid(equals + 1).trimmed();
        if (equals < 0) {
            continue;
        }
        if (name == kCollection) {
            if (const QDate day = QDate::fromString(value, kDay); day.isValid()) {
                record.collection = day;
            }
        } else if (name == kWishList) {
            record.wishList = id(value);
        } else if (name == kMagazines) {
            record.magazines = id(value);
        } else if (name == kCollectibles) {
            record.collectibles = id(value);
        }
    }
    return record;
}

QString FullExportRecord::Text() const {
    QStringList entries;
    if (collection) {
        entries << kCollection + u'=' + collection->toString(kDay);
    }
    const auto add = [&](const QString& name, const std::optional<qint32>& mark) {
        if (mark) {
            entries << name + u'=' + QString::number(*mark);
        }
    };
    add(kWishList, wishList);
    add(kMagazines, magazines);
    add(kCollectibles, collectibles);
    return entries.join(u';');
}

void FullExportRecord::Take(const ExportMarks& marks) {
    if (marks.lastRun) {
        collection = QDate::fromString(*marks.lastRun, kDay);
    }
    if (marks.lastId) {
        wishList = marks.lastId;
    }
    if (marks.lastIdRevue) {
        magazines = marks.lastIdRevue;
    }
    if (marks.lastIdPara) {
        collectibles = marks.lastIdPara;
    }
}

}  // namespace kalvor
