#include "platform/file_lock.h"

#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

#include <QFile>
#include <cerrno>

namespace kalvor {

FileLock LockFile(const QString& path, bool create, const std::function<void(int fd)>& onBusy) {
    const QByteArray name = QFile::encodeName(path);
    for (;;) {
        const int fd = create ? ::open(name.constData(), O_RDWR | O_CREAT | O_CLOEXEC, 0666)
                              : ::open(name.constData(), O_RDONLY | O_CLOEXEC);
        if (fd < 0) {
            return {-1, errno, false};
        }
        if (::flock(fd, LOCK_EX | LOCK_NB) != 0) {
            const int reason = errno;
            if (reason == EWOULDBLOCK && onBusy) {
                onBusy(fd);
            }
            ::close(fd);
            return {-1, reason, true};
        }
        struct stat held {};
        struct stat named {};
        if (::fstat(fd, &held) == 0 && ::stat(name.constData(), &named) == 0 &&
            held.st_dev == named.st_dev && held.st_ino == named.st_ino) {
            return {fd, 0, true};
        }
        ::close(fd);
    }
}

}  // namespace kalvor
