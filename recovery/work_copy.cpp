#include "recovery/work_copy.h"

#include <unistd.h>

#include <QFile>
#include <QFileInfo>
#include <cerrno>
#include <cstdio>

#include "platform/dao/database.h"
#include "platform/dao/db_engine.h"
#include "platform/error.h"
#include "platform/system_reason.h"

namespace kalvor::recovery {

namespace {

// A base chosen through a link is the file it names: replacing the link
// would leave that file as it was.
QString linkedFile(const QString& base) {
    const QString target = QFileInfo(base).canonicalFilePath();
    return target.isEmpty() ? base : target;
}

}  // namespace

WorkCopy::WorkCopy(const QString& base)
    : base_(linkedFile(base)), path_(base_ + QStringLiteral(".recuperation")) {
    // The copy takes the base's permissions: a base that cannot be written
    // would fail at the copy's first write, under the copy's name.
    if (::access(QFile::encodeName(base_).constData(), W_OK) != 0) {
        throw Error(err::PermissionDenied,
                    QStringLiteral("La base Recovery « %1 » est en lecture seule (%2).")
                        .arg(base_, SystemReason(errno)));
    }
    QFile::remove(path_);  // left by a run the system stopped
    {
        // Made empty first, so that a folder that takes no new file is told
        // by its own reason rather than as the base's.
        QFile empty(path_);
        errno = 0;
        if (!empty.open(QIODevice::WriteOnly | QIODevice::NewOnly)) {
            throw Error(err::PermissionDenied,
                        QStringLiteral("Impossible de créer la copie de travail « %1 » de la base "
                                       "Recovery (%2).")
                            .arg(path_, FileReason(empty, errno)));
        }
    }
    try {
        // Through the engine, which reads a base whose last write was cut
        // short as it was before that write.
        auto db = dao::DBEngine::OpenDatabase(base_);
        QString quoted = path_;
        quoted.replace(u'\'', QStringLiteral("''"));
        db->ExecuteScript(QStringLiteral("VACUUM INTO '") + quoted + QStringLiteral("'"));
        db->Close();
    } catch (const Error& e) {
        QFile::remove(path_);
        throw Error(e.Number(),
                    QStringLiteral("Impossible de copier la base Recovery dans « %1 » : %2")
                        .arg(path_, e.Description()));
    }
    QFile::setPermissions(path_, QFile::permissions(base_));
}

WorkCopy::~WorkCopy() {
    if (!placed_) {
        QFile::remove(path_);
    }
}

void WorkCopy::Replace() {
    // rename() puts the copy in place in one step: the base is whole until then.
    if (::rename(QFile::encodeName(path_).constData(), QFile::encodeName(base_).constData()) != 0) {
        throw Error(err::PermissionDenied,
                    QStringLiteral("Impossible de remplacer la base « %1 » (%2).")
                        .arg(base_, SystemReason(errno)));
    }
    placed_ = true;
}

}  // namespace kalvor::recovery
