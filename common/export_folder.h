#pragma once

#include <QString>

namespace kalvor {

// Raises the French error of an export folder never chosen: an empty folder
// would otherwise put the files at the root of the file system.
void RequireExportFolder(const QString& GV_Export);

// Makes the folder's last level when it is missing; its parent must be
// there. Raises the French error of a folder that cannot be made.
void MakeFolder(const QString& path);

}  // namespace kalvor
