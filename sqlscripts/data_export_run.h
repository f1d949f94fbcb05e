#pragma once

#include <QString>
#include <functional>
#include <optional>

namespace kalvor {

class Prompt;
class Settings;

// The last-export marks a data export moves. They reach the settings only
// when the whole run succeeded: a failed run's rows are in no complete script.
struct ExportMarks {
    std::optional<QString> lastRun;
    std::optional<qint32> lastId, lastIdRevue, lastIdPara;
    std::optional<QString> collaborateurs;  // GV_LastCollaborateurs
    bool changed = false;

    void ApplyTo(Settings& settings) const;
};

// What both data exports do around their run: the hourglass; on success the
// marks and the summary (on one line in the command-line mode); on failure the
// message, the line in GV_Erreurs and the log under `logLabel`. `run` writes
// the scripts, fills the marks and returns the summary.
bool RunDataExport(Settings& settings, Prompt& prompt, const QString& logLabel,
                   const std::function<QString(ExportMarks&)>& run);

}  // namespace kalvor
