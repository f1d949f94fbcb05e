#include "recovery/work_copy_disk.h"

#include <fcntl.h>
#include <unistd.h>

#include <QFile>
#include <cerrno>
#include <cstdio>

namespace kalvor::recovery {

int WorkCopyDisk::Writable(const QString& path) const {
    return ::access(QFile::encodeName(path).constData(), W_OK) == 0 ? 0 : errno;
}

int WorkCopyDisk::Sync(const QString& path) const {
    const int fd = ::open(QFile::encodeName(path).constData(), O_RDONLY | O_CLOEXEC);
    if (fd < 0) {
        return errno;
    }
    const int result = ::fsync(fd) == 0 ? 0 : errno;
    ::close(fd);
    return result;
}

int WorkCopyDisk::Rename(const QString& from, const QString& to) const {
    return ::rename(QFile::encodeName(from).constData(), QFile::encodeName(to).constData()) == 0
               ? 0
               : errno;
}

const WorkCopyDisk& WorkCopyDisk::System() {
    static const WorkCopyDisk disk;
    return disk;
}

}  // namespace kalvor::recovery
