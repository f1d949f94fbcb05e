#pragma once

#include <QString>
#include <optional>

#include "app/command_line.h"
#include "app/data_exports.h"
#include "catalogue/catalogue_schema.h"

namespace kalvor {

class Prompt;
class Settings;

// The load step of the main window that both modes share, and the
// unattended run of a command-line export.
namespace start_up {

// The catalogue's version and path from the catalogue application's keys
// (our store first, then its Wine prefix), and the catalogue's folder.
void Locate_Catalogue(Settings& s);
// The catalogue at `path` from now on, with its folder, and its version as
// its tables say.
void Use_Catalogue(Settings& s, const QString& path);
// The catalogue a window may show when none is named: the one
// $KALVOR_SAMPLE_CATALOGUE names (scripts/run names the sample's), never
// written into the settings.
std::optional<QString> Sample_Catalogue();
// Whether `path` is that sample, or the program's own samples/catalogue-v6.mdb,
// whatever path names it.
bool Is_Program_Sample(const QString& path);
// The version text of a catalogue of generation `g`: "v6", or for the older
// one `current` unless that is "v6", else "v5" or "v4" as the catalogue
// application's keys say.
QString Version_Of(catalogue::Generation g, const QString& current);
// What is said when no catalogue is named: where to name it.
QString noCatalogueNamed();
// The path up to and including its last separator; "" without one.
QString Rep_Base_Of(const QString& GV_Chemin_Base);

// Program folder, catalogue, every setting, then the command line's data
// format, then the mend of an export a kill cut (MendScriptsFolder). Never
// throws: a failure is noted in GV_Erreurs and logged.
void Form_Load(Settings& s, const CommandLine& line, Prompt& prompt);

// The start of an unattended run: Form_Load, whose messages no one would
// see go to the log with their titles, then what the store could not read or
// write, said through `console`.
void Form_Load_Unattended(Settings& s, const CommandLine& line, Prompt& console);

// The failure handler of the start-up: "erreur : " and the description in
// GV_Erreurs, then the log, and no message.
void Form_Load_Failed(Settings& s, const QString& description);

// Says through the prompt why the settings store could not be written, if
// it could not.
void Report_Store_Problem(Prompt& prompt);

// The marks an export moved, saved as it ends: a scheduled export may store
// newer ones while the window stays open. False when they could not be saved
// (said through the prompt).
bool Save_Marks(Settings& s, Prompt& prompt);

// The export the line names, then the last-export marks and nothing else.
// 0 when the export went through, 1 when no catalogue is named (or only the
// program's sample: the same line, also logged), the export
// failed, is not in this build, or its marks could not be saved (said through
// the prompt; the export's success only once its marks are saved).
int Run_Command_Export(Settings& s, const CommandLine& line, Prompt& prompt,
                       const DataExports& exports);

}  // namespace start_up
}  // namespace kalvor
