#include "platform/program_folder.h"

#include <QCoreApplication>
#include <QDir>

namespace kalvor {
namespace {
QString& storedFolder() {
    static QString folder;
    return folder;
}
}  // namespace

QString programFolder() {
    if (storedFolder().isEmpty() && QCoreApplication::instance() != nullptr) {
        return QCoreApplication::applicationDirPath();
    }
    return storedFolder();
}

void setProgramFolder(const QString& folder) {
    storedFolder() = folder;
}

QString stateFolder() {
    QString base = qEnvironmentVariable("XDG_STATE_HOME");
    if (base.isEmpty()) {
        base = QDir::homePath() + QStringLiteral("/.local/state");
    }
    return base + QStringLiteral("/kalvor");
}

}  // namespace kalvor
