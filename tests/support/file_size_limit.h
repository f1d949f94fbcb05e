#pragma once

#include <sys/resource.h>
#include <QtGlobal>
#include <csignal>

namespace kalvor::test {

// A full disk without privilege: while the object lives, no file written by
// this process or by a program it starts grows past `bytes`. SIGXFSZ is
// ignored, so that the write fails with EFBIG instead of killing the writer.
class FileSizeLimit {
  public:
    explicit FileSizeLimit(qint64 bytes);
    ~FileSizeLimit();
    FileSizeLimit(const FileSizeLimit&) = delete;
    FileSizeLimit& operator=(const FileSizeLimit&) = delete;

  private:
    rlimit previous_{};
    struct sigaction previousAction_ {};
};

}  // namespace kalvor::test
