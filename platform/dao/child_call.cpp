#include "platform/dao/child_call.h"

#include <fcntl.h>
#include <poll.h>
#include <sys/prctl.h>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cerrno>
#include <csignal>
#include <cstdio>
#include <cstring>
#include <new>

#include "platform/dao/dao_errors.h"

namespace kalvor::dao {
namespace {

constexpr qsizetype kDiagnosticsKept = 8192;
// A frame on the result pipe: a kind ('D' done, 'F' failed), an error number
// and the size of the bytes that follow.
constexpr qsizetype kHeaderSize = 1 + 4 + 8;

bool writeAll(int fd, const char* data, size_t size) {
    while (size > 0) {
        const ssize_t n = ::write(fd, data, size);
        if (n < 0 && errno == EINTR)
            continue;
        if (n <= 0)
            return false;
        data += n;
        size -= size_t(n);
    }
    return true;
}

bool putFrame(int fd, char kind, qint32 number, const QByteArray& bytes) {
    char header[kHeaderSize];
    const qint64 size = bytes.size();
    header[0] = kind;
    std::memcpy(header + 1, &number, 4);
    std::memcpy(header + 5, &size, 8);
    return writeAll(fd, header, sizeof header) && writeAll(fd, bytes.constData(), size_t(size));
}

void limitAddressSpace(qint64 memory) {
    if (memory <= 0)
        return;
    // statm counts pages; its first figure is the whole address space.
    unsigned long pages = 0;
    if (FILE* statm = std::fopen("/proc/self/statm", "r")) {
        if (std::fscanf(statm, "%lu", &pages) != 1)
            pages = 0;
        std::fclose(statm);
    }
    const rlim_t limit = rlim_t(pages) * rlim_t(sysconf(_SC_PAGESIZE)) + rlim_t(memory);
    const rlimit wanted{limit, limit};
    setrlimit(RLIMIT_AS, &wanted);
}

[[noreturn]] void childMain(const std::function<QByteArray()>& work, int out, int diagnostics,
                            qint64 memory) {
    // A crash must end the child, quietly and without a core file.
    for (int s : {SIGSEGV, SIGBUS, SIGFPE, SIGILL, SIGABRT, SIGPIPE, SIGTERM, SIGINT})
        std::signal(s, SIG_DFL);
    const rlimit noCore{0, 0};
    setrlimit(RLIMIT_CORE, &noCore);
    prctl(PR_SET_PDEATHSIG, SIGKILL);
    limitAddressSpace(memory);
    dup2(diagnostics, STDOUT_FILENO);
    dup2(diagnostics, STDERR_FILENO);
    ::close(diagnostics);

    bool sent = false;
    try {
        sent = putFrame(out, 'D', 0, work());
    } catch (const Error& e) {
        sent = putFrame(out, 'F', e.Number(), e.Description().toUtf8());
    } catch (const std::bad_alloc&) {
        sent = putFrame(out, 'F', errors::EngineError,
                        QStringLiteral("mémoire insuffisante").toUtf8());
    } catch (const std::exception& e) {
        sent = putFrame(out, 'F', errors::EngineError, QByteArray(e.what()));
    } catch (...) {
        sent = putFrame(out, 'F', errors::EngineError, QByteArray("?"));
    }
    std::fflush(stdout);
    _exit(sent ? 0 : 1);
}

struct Pipe {
    int read = -1;
    int write = -1;
    Pipe() {
        int fds[2];
        if (pipe2(fds, O_CLOEXEC) != 0)
            throw Error(errors::EngineError,
                        QStringLiteral("Impossible de créer un tube : %1.")
                            .arg(QString::fromLocal8Bit(std::strerror(errno))));
        read = fds[0];
        write = fds[1];
    }
    ~Pipe() {
        closeRead();
        closeWrite();
    }
    void closeRead() {
        if (read >= 0)
            ::close(read);
        read = -1;
    }
    void closeWrite() {
        if (write >= 0)
            ::close(write);
        write = -1;
    }
};

// The child is never left running nor unreaped, whatever this side throws.
class Child {
  public:
    explicit Child(pid_t pid) : pid_(pid) {}
    ~Child() {
        if (pid_ > 0) {
            stop();
            wait();
        }
    }
    void stop() const { kill(pid_, SIGKILL); }
    int wait() {
        int status = 0;
        while (waitpid(pid_, &status, 0) < 0 && errno == EINTR) {
        }
        pid_ = -1;
        return status;
    }

  private:
    pid_t pid_;
};

}  // namespace

ChildOutcome CallInChild(const std::function<QByteArray()>& work, std::chrono::milliseconds limit,
                         qint64 memory) {
    Pipe result;
    Pipe diagnostics;
    // Fewer turns between the two processes for a large result.
    fcntl(result.write, F_SETPIPE_SZ, 1 << 20);
    // What this process has buffered must not be written a second time by the child.
    std::fflush(nullptr);
    const pid_t pid = fork();
    if (pid < 0)
        throw Error(errors::EngineError, QStringLiteral("Impossible de créer un processus : %1.")
                                             .arg(QString::fromLocal8Bit(std::strerror(errno))));
    if (pid == 0) {
        ::close(result.read);
        ::close(diagnostics.read);
        childMain(work, result.write, diagnostics.write, memory);
    }
    Child child(pid);
    result.closeWrite();
    diagnostics.closeWrite();

    ChildOutcome outcome;
    char header[kHeaderSize];
    qsizetype headerRead = 0;
    QByteArray body;
    qsizetype bodyRead = 0;
    bool overrun = false;
    const auto deadline = std::chrono::steady_clock::now() + limit;
    char chunk[65536];
    while (result.read >= 0 || diagnostics.read >= 0) {
        const auto left = std::chrono::duration_cast<std::chrono::milliseconds>(
            deadline - std::chrono::steady_clock::now());
        if (left.count() <= 0) {
            child.stop();
            child.wait();
            outcome.end = ChildOutcome::End::TimedOut;
            return outcome;
        }
        pollfd fds[2] = {{result.read, POLLIN, 0}, {diagnostics.read, POLLIN, 0}};
        const int ready = poll(fds, 2, int(std::min<qint64>(left.count(), 1000)));
        if (ready < 0 && errno != EINTR) {
            child.stop();
            break;
        }
        if (ready <= 0)
            continue;
        if (fds[0].revents) {
            // The header first, then the bytes it announces, read in place.
            ssize_t n;
            if (headerRead < kHeaderSize) {
                n = ::read(result.read, header + headerRead, size_t(kHeaderSize - headerRead));
                if (n > 0 && (headerRead += n) == kHeaderSize) {
                    qint64 size = 0;
                    std::memcpy(&size, header + 5, 8);
                    if (size < 0) {
                        overrun = true;
                        child.stop();
                    } else {
                        body.resize(size);
                    }
                }
            } else if (bodyRead < body.size()) {
                n = ::read(result.read, body.data() + bodyRead, size_t(body.size() - bodyRead));
                if (n > 0)
                    bodyRead += n;
            } else {
                n = ::read(result.read, chunk, sizeof chunk);
                overrun = overrun || n > 0;
            }
            if (n == 0 || (n < 0 && errno != EINTR))
                result.closeRead();
        }
        if (fds[1].revents) {
            const ssize_t n = ::read(diagnostics.read, chunk, sizeof chunk);
            if (n > 0 && outcome.diagnostics.size() < kDiagnosticsKept)
                outcome.diagnostics.append(
                    chunk, std::min<qsizetype>(n, kDiagnosticsKept - outcome.diagnostics.size()));
            if (n == 0 || (n < 0 && errno != EINTR))
                diagnostics.closeRead();
        }
    }
    const int status = child.wait();
    if (WIFSIGNALED(status) && !overrun) {
        outcome.end = ChildOutcome::End::Crashed;
        outcome.signal = WTERMSIG(status);
        return outcome;
    }
    if (!WIFEXITED(status) || WEXITSTATUS(status) != 0 || overrun || headerRead < kHeaderSize ||
        bodyRead < body.size()) {
        outcome.end = ChildOutcome::End::Crashed;
        return outcome;
    }
    if (header[0] == 'F') {
        outcome.end = ChildOutcome::End::Failed;
        std::memcpy(&outcome.errorNumber, header + 1, 4);
        outcome.description = QString::fromUtf8(body);
        return outcome;
    }
    outcome.end = ChildOutcome::End::Done;
    outcome.result = std::move(body);
    return outcome;
}

}  // namespace kalvor::dao
