#pragma once

#include <QString>

namespace kalvor {

// Raises the French error of an export folder never chosen: an empty folder
// would otherwise put the files at the root of the file system.
void RequireExportFolder(const QString& GV_Export);

}  // namespace kalvor
