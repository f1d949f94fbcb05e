#pragma once

#include <QString>

namespace kalvor {

class Prompt;

// Module `site`: the work tables that the site file check keeps in the
// catalogue between its steps.
namespace site {

inline const QString kTableFiles = QStringLiteral("TEMP_KALVOR_FILES");
inline const QString kTableThumbs = QStringLiteral("TEMP_KALVOR_THUMBS");

// Removes both work tables from the catalogue when they are there. A
// catalogue held by another user is reported; any other failure is silent.
// False after a failure.
bool Drop_Tables_Temp(const QString& GV_Chemin_Base, Prompt& prompt);

}  // namespace site
}  // namespace kalvor
