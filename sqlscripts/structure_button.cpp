#include "sqlscripts/structure_button.h"

#include "common/operation.h"
#include "platform/prompt.h"

namespace kalvor {
namespace {
const QString kTitle = QStringLiteral("Kalvor 1.8.3 - Structure SQL");
}

void btn_Create_Structure_Click(const SchemaScriptSettings& settings, Prompt& prompt,
                                QString& GV_Erreurs) {
    const OnFailure onFailure{
        .title = kTitle,
        .message = QStringLiteral("Erreur lors de la création de la structure des tables"),
        .settingShown = true,
        .erreurs = &GV_Erreurs,
        .logLabel = QStringLiteral("Kalvorform.btn_Create_structure_click")};
    RunOperation(prompt, onFailure, [&] {
        schema_scripts::Create_Tables_Sql(settings);
        prompt.message(QStringLiteral("Structure des tables terminée \n") +
                           schema_scripts::ScriptsFolder(settings.GV_Export) +
                           QStringLiteral("/tables.sql"),
                       kTitle, PromptIcon::Information);
    });
}

}  // namespace kalvor
