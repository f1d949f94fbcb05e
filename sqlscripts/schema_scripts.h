#pragma once

#include <QString>

namespace kalvor {

// What the schema scripts need of the settings.
struct SchemaScriptSettings {
    QString GV_Export;         // export folder; the scripts go into its folder "scripts"
    QString GV_Prefixe_Table;  // written straight before every table name
    bool opt_utf8 = false;     // UTF-8 scripts rather than Latin-1
};

namespace schema_scripts {

// Writes, in this order, "tables.sql" (the 15 site tables and their code
// lists), "delete_tables.sql" and "evolution_version173_a_version181.sql" in
// GV_Export/scripts, making that last folder when missing. Any failure is
// raised at once as kalvor::Error; scripts already closed stay written.
void Create_Tables_Sql(const SchemaScriptSettings& settings);

// The folder the scripts go into.
QString ScriptsFolder(const QString& GV_Export);
// The incremental export's script in that folder.
inline const QString kIncrementalScript = QStringLiteral("dernieres_donnees.sql");
// The scripts folder, made when missing; raises the French error when the
// export folder is not chosen or does not exist.
QString MakeScriptsFolder(const QString& GV_Export);

}  // namespace schema_scripts
}  // namespace kalvor
