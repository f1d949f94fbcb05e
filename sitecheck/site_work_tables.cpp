#include "sitecheck/site_work_tables.h"

#include "platform/dao/dao_errors.h"
#include "platform/dao/db_engine.h"
#include "platform/dao/jet_sql.h"
#include "platform/prompt.h"
#include "settings/settings.h"

namespace kalvor::site {
namespace {

void reportLocked(const Error& e, const QString& GV_Chemin_Base, Prompt& prompt, QString* cause) {
    if (e.Number() == dao::errors::TableLocked) {
        prompt.message(QStringLiteral("Veuillez fermer la base ") + GV_Chemin_Base +
                           QStringLiteral(" et relancer le traitement."),
                       kBanner, PromptIcon::Critical);
    }
    if (cause != nullptr) {
        *cause = e.Description();
    }
}

dao::TableDef workTable(const dao::Database& db, const QString& name, bool thumbnails) {
    dao::TableDef table = db.CreateTableDef(name);
    table.Append(table.CreateField(QStringLiteral("key"), dao::FieldType::Text, 2));
    table.Append(table.CreateField(QStringLiteral("type"), dao::FieldType::Text, 20));
    table.Append(table.CreateField(QStringLiteral("file"), dao::FieldType::Text, kFileNameSize));
    table.Append(table.CreateField(QStringLiteral("creation"), dao::FieldType::Date));
    table.Append(table.CreateField(QStringLiteral("ok"), dao::FieldType::Boolean));
    if (thumbnails) {
        table.Append(
            table.CreateField(QStringLiteral("probleme"), dao::FieldType::Text, kProblemSize));
    }
    return table;
}

}  // namespace

bool Drop_Tables_Temp(const QString& GV_Chemin_Base, Prompt& prompt, QString* cause) {
    try {
        auto db = dao::DBEngine::OpenDatabase(GV_Chemin_Base);
        const dao::TableDefs tables = db->TableDefs();
        // The names are matched exactly: a table of the same name in another
        // letter case is not ours.
        bool files = false;
        bool thumbs = false;
        for (int i = 0; i < tables.Count(); ++i) {
            files = files || tables.Item(i).Name() == kTableFiles;
            thumbs = thumbs || tables.Item(i).Name() == kTableThumbs;
        }
        if (files) {
            db->Execute(QStringLiteral("DROP table ") + kTableFiles);
        }
        if (thumbs) {
            db->Execute(QStringLiteral("DROP table ") + kTableThumbs);
        }
        db->Close();
        return true;
    } catch (const Error& e) {
        reportLocked(e, GV_Chemin_Base, prompt, cause);
        return false;
    } catch (const std::exception& e) {
        if (cause != nullptr) {
            *cause = QString::fromLocal8Bit(e.what());
        }
        return false;
    }
}

bool Create_Tables_Temp(const QString& GV_Chemin_Base, Prompt& prompt, QString* cause) {
    try {
        auto db = dao::DBEngine::OpenDatabase(GV_Chemin_Base);
        dao::TableDefs tables = db->TableDefs();
        tables.Append(workTable(*db, kTableFiles, false));
        tables.Append(workTable(*db, kTableThumbs, true));
        db->Close();
        return true;
    } catch (const Error& e) {
        reportLocked(e, GV_Chemin_Base, prompt, cause);
        return false;
    } catch (const std::exception& e) {
        if (cause != nullptr) {
            *cause = QString::fromLocal8Bit(e.what());
        }
        return false;
    }
}

void Forget_Unread_Listings(const QString& GV_Chemin_Base, const QList<UnreadListing>& unread) {
    if (unread.isEmpty()) {
        return;
    }
    auto db = dao::DBEngine::OpenDatabase(GV_Chemin_Base);
    QList<QVariantList> files;
    QList<QVariantList> thumbs;
    for (const UnreadListing& listing : unread) {
        if (listing.script == kScriptFiles) {
            files.append({listing.rep});
        }
        thumbs.append({listing.rep});
    }
    db->ExecuteBound(QStringLiteral("DELETE FROM ") + dao::jetsql::QuoteName(kTableFiles) +
                         QStringLiteral(" WHERE key = 'EX' AND type = ?"),
                     files);
    db->ExecuteBound(QStringLiteral("DELETE FROM ") + dao::jetsql::QuoteName(kTableThumbs) +
                         QStringLiteral(" WHERE type = ?"),
                     thumbs);
    db->Close();
}

}  // namespace kalvor::site
