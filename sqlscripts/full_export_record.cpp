#include "sqlscripts/full_export_record.h"

#include <QStringList>

#include "common/vb.h"
#include "settings/settings.h"
#include "sqlscripts/data_export_run.h"

namespace kalvor {
namespace {

// Each entry bears the stored name of the mark it records.
const QString kCollection = Settings::MarkName(Settings::Mark::LastRun);
const QString kWishList = Settings::MarkName(Settings::Mark::LastId);
const QString kMagazines = Settings::MarkName(Settings::Mark::LastIdRevue);
const QString kCollectibles = Settings::MarkName(Settings::Mark::LastIdPara);
const QString kDay = QStringLiteral("dd/MM/yyyy");

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
            record.wishList = vb::WholeNumber(value);
        } else if (name == kMagazines) {
            record.magazines = vb::WholeNumber(value);
        } else if (name == kCollectibles) {
            record.collectibles = vb::WholeNumber(value);
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
