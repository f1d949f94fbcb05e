#include "sitecheck/check_result.h"

#include <functional>

#include "platform/dao/db_engine.h"
#include "sitecheck/site_work_tables.h"

namespace kalvor::site {
namespace {

// The not-checked nodes come first, each under its kind's root.
QList<TreeNode> nodes(const QList<CheckEntry>& entries, const QString& prefix, bool problem,
                      const std::function<QString(const QString&)>& unchecked) {
    QList<TreeNode> list;
    int checked = 1;
    for (const TreeRoot& root : Tree_Roots()) {
        const QString script = unchecked(root.type);
        if (!script.isEmpty()) {
            list.append({root.key, QStringLiteral("NV") + QString::number(checked++),
                         Unchecked_Text(script)});
        }
    }
    int counter = 1;
    for (const CheckEntry& e : entries) {
        list.append({e.type.left(2).toUpper(), prefix + QString::number(counter++),
                     problem ? e.file + QStringLiteral(" : ") + e.probleme : e.file});
    }
    return list;
}

// Only the columns shown: a date column would be read for nothing.
void readRows(dao::Database& db, const QString& sql, QList<CheckEntry>& into) {
    auto rows = db.OpenRecordset(sql);
    const bool problem = rows->FieldCount() > 2;
    for (; !rows->Eof(); rows->MoveNext()) {
        into.append({rows->Fields(0).toString(), rows->Fields(1).toString(),
                     problem ? rows->Fields(2).toString() : QString()});
    }
    rows->Close();
}

}  // namespace

const QList<TreeRoot>& Tree_Roots() {
    static const QList<TreeRoot> roots = {
        {QStringLiteral("CO"), QStringLiteral("Couvertures"), QStringLiteral("couvertures")},
        {QStringLiteral("VE"), QStringLiteral("Versos"), QStringLiteral("versos")},
        {QStringLiteral("DE"), QStringLiteral("Dédicaces"), QStringLiteral("dedicaces")},
        {QStringLiteral("PL"), QStringLiteral("Planches"), QStringLiteral("planches")},
        {QStringLiteral("PA"), QStringLiteral("Para-BD"), QStringLiteral("parabd")},
        {QStringLiteral("PH"), QStringLiteral("Photos"), QStringLiteral("photos")},
        {QStringLiteral("RE"), QStringLiteral("Revues"), QStringLiteral("revues")},
    };
    return roots;
}

QStringList CheckResult::Missing_Files(const QString& type) const {
    QStringList files;
    for (const CheckEntry& e : missing) {
        if (e.type == type) {
            files << e.file;
        }
    }
    return files;
}

QStringList CheckResult::Unreferenced_Files(const QString& type) const {
    QStringList files;
    for (const CheckEntry& e : unreferenced) {
        if (e.type == type) {
            files << e.file;
        }
    }
    return files;
}

QList<CheckEntry> CheckResult::Thumbnail_Problems(const QString& type) const {
    QList<CheckEntry> list;
    for (const CheckEntry& e : thumbnails) {
        if (e.type == type) {
            list << e;
        }
    }
    return list;
}

QString Unchecked_Files(const QList<UnreadListing>& unchecked, const QString& type) {
    for (const UnreadListing& listing : unchecked) {
        if (listing.rep == type && listing.script == kScriptFiles) {
            return listing.script;
        }
    }
    return QString();
}

QString Unchecked_Thumbnails(const QList<UnreadListing>& unchecked, const QString& type) {
    const QString files = Unchecked_Files(unchecked, type);
    if (!files.isEmpty()) {
        return files;
    }
    for (const UnreadListing& listing : unchecked) {
        if (listing.rep == type) {
            return listing.script;
        }
    }
    return QString();
}

QString Unchecked_Text(const QString& script) {
    return QStringLiteral("Non vérifié : liste de ") + script + QStringLiteral(".php non lue");
}

QList<TreeNode> CheckResult::Missing_Nodes() const {
    return nodes(missing, QStringLiteral("MI"), false,
                 [this](const QString& type) { return Unchecked_Files(unchecked, type); });
}

QList<TreeNode> CheckResult::Unreferenced_Nodes() const {
    return nodes(unreferenced, QStringLiteral("EX"), false,
                 [this](const QString& type) { return Unchecked_Files(unchecked, type); });
}

QList<TreeNode> CheckResult::Thumbnail_Nodes() const {
    return nodes(thumbnails, QStringLiteral("TH"), true,
                 [this](const QString& type) { return Unchecked_Thumbnails(unchecked, type); });
}

void Read_Check_Result(const QString& GV_Chemin_Base, CheckResult& result) {
    result = CheckResult();
    auto db = dao::DBEngine::OpenDatabase(GV_Chemin_Base);
    // Every missing name once, whatever its `ok`; of the listed files those
    // nothing references; every thumbnail the check kept.
    readRows(*db,
             QStringLiteral("select type, file from ") + kTableFiles +
                 QStringLiteral(" where key = 'MI' order by 1, 2"),
             result.missing);
    readRows(*db,
             QStringLiteral("select type, file from ") + kTableFiles +
                 QStringLiteral(" where key = 'EX' and OK = false order by 1, 2"),
             result.unreferenced);
    readRows(*db,
             QStringLiteral("select type, file, probleme from ") + kTableThumbs +
                 QStringLiteral(" order by 1, 2"),
             result.thumbnails);
    db->Close();
}

}  // namespace kalvor::site
