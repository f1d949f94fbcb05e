#include "common/export_folder.h"

#include "platform/error.h"

namespace kalvor {

void RequireExportFolder(const QString& GV_Export) {
    if (GV_Export.isEmpty()) {
        throw Error(err::PathNotFound, QStringLiteral("Aucun répertoire d'export n'est choisi."));
    }
}

}  // namespace kalvor
