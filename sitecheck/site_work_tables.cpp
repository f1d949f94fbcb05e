#include "sitecheck/site_work_tables.h"

#include "platform/dao/dao_errors.h"
#include "platform/dao/db_engine.h"
#include "platform/prompt.h"
#include "settings/settings.h"

namespace kalvor::site {

bool Drop_Tables_Temp(const QString& GV_Chemin_Base, Prompt& prompt) {
    try {
        auto db = dao::DBEngine::OpenDatabase(GV_Chemin_Base);
        const dao::TableDefs tables = db->TableDefs();
        for (const QString& name : {kTableFiles, kTableThumbs}) {
            if (tables.Contains(name)) {
                db->Execute(QStringLiteral("DROP table ") + name);
            }
        }
        db->Close();
        return true;
    } catch (const Error& e) {
        if (e.Number() == dao::errors::TableLocked) {
            prompt.message(QStringLiteral("Veuillez fermer la base ") + GV_Chemin_Base +
                               QStringLiteral(" et relancer le traitement."),
                           kBanner, PromptIcon::Critical);
        }
        return false;
    } catch (const std::exception&) {
        return false;
    }
}

}  // namespace kalvor::site
