#pragma once

#include <QString>

#include "sqlscripts/schema_scripts.h"

namespace kalvor {

class Prompt;

// The main window's button "Génération du script pour la création des
// tables": writes the three schema scripts and says so, or shows the failure,
// adds it to GV_Erreurs and writes the log.
void btn_Create_Structure_Click(const SchemaScriptSettings& settings, Prompt& prompt,
                                QString& GV_Erreurs);

}  // namespace kalvor
