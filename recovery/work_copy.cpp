#include "recovery/work_copy.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <QFile>
#include <QFileInfo>
#include <cerrno>

#include "platform/dao/database.h"
#include "platform/dao/db_engine.h"
#include "platform/error.h"
#include "platform/file_lock.h"
#include "platform/system_reason.h"

namespace kalvor::recovery {

namespace {

// A base chosen through a link is the file it names: replacing the link
// would leave that file as it was.
QString linkedFile(const QString& base) {
    const QString target = QFileInfo(base).canonicalFilePath();
    return target.isEmpty() ? base : target;
}

QByteArray native(const QString& path) {
    return QFile::encodeName(path);
}

// A file system that cannot sync says so; that is no failure to write.
bool syncUnsupported(int errnum) {
    return errnum == EINVAL || errnum == ENOSYS || errnum == EOPNOTSUPP;
}

// Held on the base file itself. A run that replaced the base leaves its lock
// on the file it replaced: the lock is taken again on the file now there.
int lockBase(const QString& base) {
    const FileLock lock = LockFile(base, false);
    if (!lock.opened) {
        throw Error(err::PermissionDenied,
                    QStringLiteral("La base Recovery « %1 » ne peut pas être ouverte (%2).")
                        .arg(base, SystemReason(lock.error)));
    }
    if (lock.busy()) {
        throw Error(err::PermissionDenied,
                    QStringLiteral("La base Recovery « %1 » est en cours de récupération dans "
                                   "une autre fenêtre : attendez la fin de cette récupération.")
                        .arg(base));
    }
    return lock.fd;  // -1 on a file system without locks: the run goes on without
}

// The copy with what the engine keeps beside it while it writes: a write
// cut short, by a full disk for one, leaves its journal there.
void removeCopy(const QString& path) {
    QFile::remove(path);
    for (const char* beside : {"-journal", "-wal", "-shm"}) {
        QFile::remove(path + QLatin1String(beside));
    }
}

}  // namespace

WorkCopy::WorkCopy(const QString& base, const WorkCopyDisk& disk)
    : disk_(disk), base_(linkedFile(base)), path_(base_ + QStringLiteral(".recuperation")) {
    // The copy takes the base's place: both the base and its folder must
    // take writes.
    if (const int errnum = disk_.Writable(base_); errnum != 0) {
        throw Error(err::PermissionDenied,
                    QStringLiteral("La base Recovery « %1 » est en lecture seule (%2).")
                        .arg(base_, SystemReason(errnum)));
    }
    if (const int errnum = disk_.Writable(QFileInfo(base_).absolutePath()); errnum != 0) {
        throw Error(err::PermissionDenied,
                    QStringLiteral("La base Recovery « %1 » ne peut pas être remplacée : son "
                                   "dossier est en lecture seule (%2).")
                        .arg(base_, SystemReason(errnum)));
    }
    lock_ = lockBase(base_);
}

WorkCopy::~WorkCopy() {
    if (made_ && !placed_) {
        removeCopy(path_);
    }
    if (lock_ >= 0) {
        ::close(lock_);
    }
}

void WorkCopy::Make() {
    removeCopy(path_);  // left by a run the system stopped: no run holds the base
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
    made_ = true;
    try {
        // Through the engine, which reads a base whose last write was cut
        // short as it was before that write.
        auto db = dao::DBEngine::OpenDatabase(base_);
        db->CopyTo(path_);
        db->Close();
    } catch (const Error& e) {
        throw Error(e.Number(), QStringLiteral("Impossible de copier la base Recovery « %1 » : %2")
                                    .arg(base_, e.Description()));
    }
    struct stat st {};
    if (::stat(native(base_).constData(), &st) != 0 ||
        ::chmod(native(path_).constData(), st.st_mode & 07777) != 0) {
        throw Error(err::PermissionDenied,
                    QStringLiteral("Impossible de donner à la copie de travail « %1 » les "
                                   "permissions de la base Recovery (%2).")
                        .arg(path_, SystemReason(errno)));
    }
}

bool WorkCopy::Replace(const std::function<bool()>& goOn) {
    // On disk before it takes the base's name, and the folder after: a power
    // cut leaves the old base or the new one, never a base half written.
    if (const int errnum = disk_.Sync(path_); errnum != 0 && !syncUnsupported(errnum)) {
        throw Error(err::DiskError,
                    QStringLiteral("Impossible d'écrire sur le disque la copie de travail « %1 » "
                                   "de la base Recovery (%2).")
                        .arg(path_, SystemReason(errnum)));
    }
    if (!goOn()) {
        return false;
    }
    // A rename puts the copy in place in one step: the base is whole until then.
    if (const int errnum = disk_.Rename(path_, base_); errnum != 0) {
        throw Error(err::PermissionDenied,
                    QStringLiteral("Impossible de remplacer la base « %1 » (%2).")
                        .arg(base_, SystemReason(errnum)));
    }
    placed_ = true;
    // The base is replaced whatever this gives: the sync only hastens it.
    disk_.Sync(QFileInfo(base_).absolutePath());
    return true;
}

}  // namespace kalvor::recovery
