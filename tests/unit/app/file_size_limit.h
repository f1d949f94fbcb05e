#pragma once

#include <sys/resource.h>
#include <csignal>

// Files cannot grow past a few bytes while it lives, as on a full disk, even
// for root: writes fail with EFBIG instead of raising SIGXFSZ.
class FileSizeLimit {
  public:
    FileSizeLimit() {
        std::signal(SIGXFSZ, SIG_IGN);
        getrlimit(RLIMIT_FSIZE, &saved_);
        rlimit low = saved_;
        low.rlim_cur = 16;
        setrlimit(RLIMIT_FSIZE, &low);
    }
    ~FileSizeLimit() { setrlimit(RLIMIT_FSIZE, &saved_); }
    FileSizeLimit(const FileSizeLimit&) = delete;
    FileSizeLimit& operator=(const FileSizeLimit&) = delete;

  private:
    rlimit saved_{};
};
