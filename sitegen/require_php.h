#pragma once

#include <QDateTime>
#include <QList>
#include <QString>
#include <QStringList>

#include "platform/prompt.h"
#include "settings/settings.h"
#include "settings/stats_grid.h"

namespace kalvor::sitegen {

// The lines of require.php for the settings as they stand and the
// statistics charts in display order, stamped with `when`.
QStringList requirePhpLines(const Settings& s, const QList<StatsEntry>& stats,
                            const QDateTime& when);

// A refusal of the configuration command: its message and title.
struct ConfigRefusal {
    QString text;
    QString title;
    PromptIcon icon = PromptIcon::Critical;
    bool isEmpty() const { return text.isEmpty(); }
};

// A value that require.php or the pages hold byte for byte (a connection
// value, a folder) refused when it has a character that Windows-1252 lacks,
// with its box named (the character too, unless the value is secret).
ConfigRefusal checkHostValue(const QString& value, const QString& box, bool secret);
ConfigRefusal checkHostValues(const Settings& s);

// The five checks of the command in their order (the table prefix checked
// after the database settings, then the values taken byte for byte), then the
// texts that are written as bare numbers; the first that fails, or an empty
// refusal.
ConfigRefusal checkConfig(const Settings& s);

// Kalvorform.btn_Create_Config_Click: checks, writes GV_Export/require.php
// whole (stamped with vb::Now()) and reports through the prompt. A failure is
// shown, added to GV_Erreurs and logged. True when the file was written.
bool btn_Create_Config_Click(Settings& settings, const QList<StatsEntry>& stats, Prompt& prompt);

}  // namespace kalvor::sitegen
