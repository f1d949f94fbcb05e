#include "common/export_folder.h"

#include <QFile>
#include <QFileInfo>

#include <sys/stat.h>

#include <cerrno>

#include "platform/error.h"
#include "platform/system_reason.h"

namespace kalvor {

void RequireExportFolder(const QString& GV_Export) {
    if (GV_Export.isEmpty()) {
        throw Error(err::PathNotFound, QStringLiteral("Aucun répertoire d'export n'est choisi."));
    }
}

void MakeFolder(const QString& path) {
    if (!QFileInfo(path).isDir() && ::mkdir(QFile::encodeName(path).constData(), 0777) != 0) {
        throw Error(err::DiskError, QStringLiteral("Impossible de créer le dossier %1 (%2).")
                                        .arg(path, SystemReason(errno)));
    }
}

}  // namespace kalvor
