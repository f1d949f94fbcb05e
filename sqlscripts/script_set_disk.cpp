#include "sqlscripts/script_set_disk.h"

#include <fcntl.h>
#include <unistd.h>

#include <QFile>
#include <cerrno>
#include <cstdio>

namespace kalvor {
namespace {

QByteArray native(const QString& path) {
    return QFile::encodeName(path);
}

int result(int returned) {
    return returned == 0 ? 0 : errno;
}

}  // namespace

int ScriptSetDisk::Rename(const QString& from, const QString& to) const {
    return result(::rename(native(from).constData(), native(to).constData()));
}

int ScriptSetDisk::Sync(const QString& path) const {
    const int fd = ::open(native(path).constData(), O_RDONLY | O_CLOEXEC);
    if (fd < 0) {
        return errno;
    }
    const int synced = result(::fsync(fd));
    ::close(fd);
    return synced;
}

int ScriptSetDisk::Write(const QString& path, const QByteArray& bytes) const {
    const int fd = ::open(native(path).constData(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0666);
    if (fd < 0) {
        return errno;
    }
    qsizetype done = 0;
    int failed = 0;
    while (done < bytes.size() && failed == 0) {
        const ssize_t n = ::write(fd, bytes.constData() + done, size_t(bytes.size() - done));
        if (n < 0 && errno != EINTR) {
            failed = errno;
        } else if (n > 0) {
            done += n;
        }
    }
    if (failed == 0) {
        failed = result(::fsync(fd));
    }
    if (::close(fd) != 0 && failed == 0) {
        failed = errno;
    }
    return failed;
}

int ScriptSetDisk::Remove(const QString& path) const {
    return result(std::remove(native(path).constData()));
}

const ScriptSetDisk& ScriptSetDisk::System() {
    static const ScriptSetDisk disk;
    return disk;
}

}  // namespace kalvor
