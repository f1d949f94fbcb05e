#include "platform/save_file.h"

#include <QFile>
#include <QFileInfo>
#include <QRegularExpression>
#include <QSaveFile>

#include <unistd.h>

#include <cerrno>

#include "platform/system_reason.h"

namespace kalvor {
namespace {

// A file system that cannot sync says so; that is no failure to write.
bool syncUnsupported(int errnum) {
    return errnum == EINVAL || errnum == ENOSYS || errnum == EOPNOTSUPP;
}

}  // namespace

QString OpenSaveFile(QSaveFile& file) {
    const bool exists = QFileInfo::exists(file.fileName());
    errno = 0;
    if ((exists && ::access(QFile::encodeName(file.fileName()).constData(), W_OK) != 0) ||
        !file.open(QIODevice::WriteOnly)) {
        return FileReason(file, errno);
    }
    return {};
}

QString FlushSaveFile(QSaveFile& file) {
    errno = 0;
    if (!file.flush() || file.error() != QFileDevice::NoError) {
        return FileReason(file, errno);
    }
    if (::fsync(file.handle()) != 0 && !syncUnsupported(errno)) {
        return FileReason(file, errno);
    }
    return {};
}

QString CommitSaveFile(QSaveFile& file) {
    errno = 0;
    const bool committed = file.commit();
    const int errnum = errno;
    if (!committed || file.error() != QFileDevice::NoError) {
        return FileReason(file, errnum);
    }
    return {};
}

bool IsSaveTemporary(const QString& target, const QString& name) {
    static const QRegularExpression random(QStringLiteral("^[A-Za-z0-9]{6}$"));
    static const QRegularExpression word(QStringLiteral("^[a-z]{6}$"));
    if (name.size() != target.size() + 7 || !name.startsWith(target + u'.')) {
        return false;
    }
    const QString tail = name.right(6);
    return random.match(tail).hasMatch() && !word.match(tail).hasMatch();
}

}  // namespace kalvor
