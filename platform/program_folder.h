#pragma once

#include <QString>

namespace kalvor {

// The folder the executable runs from (help file, report logo, log), and the
// folder the log falls back to when that one is not writable.
QString programFolder();
void setProgramFolder(const QString& folder);
QString stateFolder();

}  // namespace kalvor
