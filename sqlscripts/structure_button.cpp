#include "sqlscripts/structure_button.h"

#include <exception>

#include "common/general.h"
#include "platform/error.h"
#include "platform/prompt.h"

namespace kalvor {
namespace {
const QString kTitle = QStringLiteral("Kalvor 1.8.3 - Structure SQL");
}

void btn_Create_Structure_Click(const SchemaScriptSettings& settings, Prompt& prompt,
                                QString& GV_Erreurs) {
    QString description,
        shown = QStringLiteral("Erreur lors de la création de la structure des tables");
    try {
        schema_scripts::Create_Tables_Sql(settings);
        prompt.message(QStringLiteral("Structure des tables terminée \n") +
                           schema_scripts::ScriptsFolder(settings.GV_Export) +
                           QStringLiteral("/tables.sql"),
                       kTitle, PromptIcon::Information);
        return;
    } catch (const Error& e) {
        description = e.Description();
        if (e.Number() == err::InvalidSetting) {
            shown = description;  // the user must correct it: say which
        }
    } catch (const std::exception& e) {
        description = QString::fromLocal8Bit(e.what());
    }
    prompt.message(shown, kTitle, PromptIcon::Critical);
    GV_Erreurs += QStringLiteral("\nerreur : ") + description;
    general::Write_Log(QStringLiteral("Kalvorform.btn_Create_structure_click"), GV_Erreurs);
}

}  // namespace kalvor
