#pragma once

#include <QString>
#include <functional>
#include <optional>

#include "settings/settings.h"

namespace kalvor {

class Prompt;

// The last-export marks a data export moves. They reach the settings file
// only when the whole run succeeded: a failed run's rows are in no complete
// script.
struct ExportMarks {
    std::optional<QString> lastRun;
    std::optional<qint32> lastId, lastIdRevue, lastIdPara;
    std::optional<QString> collaborateurs;  // GV_LastCollaborateurs
    std::optional<QString> lastFull;        // GV_LastFull, a full export's
    bool changed = false;

    // The marks set, as the settings file stores them.
    Settings::MarkTexts texts() const;
    // Writes them into the settings file, as the export that moved them
    // ends, still holding its folder. Throws when the file cannot take them.
    void Write() const;
    // Once written: the settings show the file's marks.
    void ApplyTo(Settings& settings) const;
};

// What both data exports do around their run: the hourglass; on success the
// marks and the summary (on one line in the command-line mode); on failure the
// message, the line in GV_Erreurs and the log under `logLabel`. `run` writes
// the scripts, fills the marks and returns the summary.
bool RunDataExport(Settings& settings, Prompt& prompt, const QString& logLabel,
                   const std::function<QString(ExportMarks&)>& run);

}  // namespace kalvor
