#include "sqlscripts/export_lock.h"

#include <unistd.h>

#include <QCoreApplication>
#include <QDateTime>
#include <QFile>
#include <QThread>
#include <cerrno>

#include "platform/error.h"
#include "platform/file_lock.h"
#include "platform/system_reason.h"

namespace kalvor {
namespace {

QByteArray native(const QString& path) {
    return QFile::encodeName(path);
}

// What the holder wrote in the file: its export, its process and its start.
QString holderOf(int fd) {
    // The holder writes it right after taking the lock: give it a moment.
    for (int tries = 0; tries < 5; ++tries) {
        char buffer[512];
        const ssize_t n = ::pread(fd, buffer, sizeof buffer, 0);
        if (n > 0) {
            return QString::fromUtf8(buffer, n).trimmed();
        }
        QThread::msleep(20);
    }
    return QString();
}

QString now() {
    return QDateTime::currentDateTime().toString(QStringLiteral("dd/MM/yyyy 'à' HH:mm:ss"));
}

QString describe(ExportLock::Export what) {
    return QStringLiteral("exportation %1 du processus %2, commencée le %3")
        .arg(what == ExportLock::Export::Full ? QStringLiteral("complète (donnees)")
                                              : QStringLiteral("des dernières données "
                                                               "(dernieres_donnees)"))
        .arg(::getpid())
        .arg(now());
}

// A start that mends the folder holds it too: the file names it, not the
// export that died there.
const QString kStart = QStringLiteral("démarrage de Kalvor");

QString describeStart() {
    return kStart + QStringLiteral(" du processus %1, commencé le %2").arg(::getpid()).arg(now());
}

void writeHolder(int fd, const QString& holder) {
    const QByteArray text = holder.toUtf8() + '\n';
    if (::ftruncate(fd, 0) == 0) {
        [[maybe_unused]] const ssize_t written = ::pwrite(fd, text.constData(), text.size(), 0);
    }
}

}  // namespace

const QString ExportLock::kFileName = QStringLiteral(".donnees-verrou");

int ExportLock::take(const QString& path, QString* holder) {
    const FileLock lock = LockFile(path, true, [&](int fd) { *holder = holderOf(fd); });
    if (lock.busy()) {
        return -1;
    }
    if (lock.fd < 0) {
        throw Error(err::DiskError,
                    (lock.opened ? QStringLiteral("Impossible de verrouiller le fichier %1 (%2).")
                                 : QStringLiteral("Impossible de créer le fichier %1 (%2)."))
                        .arg(path, SystemReason(lock.error)));
    }
    return lock.fd;
}

ExportLock::ExportLock(const QString& folder, Export what) : path_(folder + u'/' + kFileName) {
    QString holder;
    fd_ = take(path_, &holder);
    if (fd_ < 0) {
        if (holder.startsWith(kStart)) {
            throw Error(err::PermissionDenied,
                        QStringLiteral("Le %1, remet en ordre le dossier %2, qu'une exportation "
                                       "interrompue a laissé : relancez celle-ci quand il aura "
                                       "fini.")
                            .arg(holder, folder));
        }
        const QString other = holder.isEmpty() ? QStringLiteral("Une autre exportation")
                                               : QStringLiteral("L'") + holder + u',';
        throw Error(err::PermissionDenied,
                    QStringLiteral("%1 écrit déjà dans le dossier %2 : relancez celle-ci quand "
                                   "elle sera finie.")
                        .arg(other, folder));
    }
    writeHolder(fd_, describe(what));
}

std::optional<ExportLock> ExportLock::TryHold(const QString& folder) {
    ExportLock lock;
    lock.path_ = folder + u'/' + kFileName;
    QString holder;
    lock.fd_ = take(lock.path_, &holder);
    if (lock.fd_ < 0) {
        return std::nullopt;
    }
    writeHolder(lock.fd_, describeStart());
    return lock;
}

ExportLock::ExportLock(ExportLock&& other) noexcept
    : path_(std::move(other.path_)), fd_(other.fd_) {
    other.fd_ = -1;
}

ExportLock::~ExportLock() {
    if (fd_ >= 0) {
        // Removed while held, so that no export takes the lock of a file
        // about to go (take() checks the name still leads to it).
        ::unlink(native(path_).constData());
        ::close(fd_);
    }
}

}  // namespace kalvor
