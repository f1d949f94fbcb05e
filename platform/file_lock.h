#pragma once

#include <QString>
#include <cerrno>
#include <functional>

namespace kalvor {

// An exclusive lock, taken without waiting, on the file that `path` names
// when it is held: a file replaced or removed meanwhile is locked anew, as a
// lock on a file no longer there holds nothing. The kernel lets it go when
// the process ends, killed or not.
struct FileLock {
    int fd = -1;          // the locked file, when held: the caller closes it
    int error = 0;        // when not: the open's or the lock's errno
    bool opened = false;  // whether the error is the lock's
    bool busy() const { return error == EWOULDBLOCK; }
};

// `create` makes the file when missing (written by the holder), else it is
// opened for reading. On a lock another holds, `onBusy` reads the file
// before it is closed.
FileLock LockFile(const QString& path, bool create, const std::function<void(int fd)>& onBusy = {});

}  // namespace kalvor
