#include "platform/dao/child_call.h"

#include <fcntl.h>
#include <poll.h>
#include <spawn.h>
#include <sys/prctl.h>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cerrno>
#include <csignal>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <new>
#include <vector>

#include <QFile>

#include "platform/dao/dao_errors.h"
#include "platform/error.h"
#include "platform/system_reason.h"

namespace kalvor::dao {
namespace {

constexpr qsizetype kDiagnosticsKept = 8192;
// A frame on the result pipe: a kind ('D' done, 'F' failed), an error number
// and the size of the bytes that follow.
constexpr qsizetype kHeaderSize = 1 + 4 + 8;
// Where the child writes its frame.
constexpr int kResultFd = 3;

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

struct Pipe {
    int read = -1;
    int write = -1;
    Pipe() {
        int fds[2];
        if (pipe2(fds, O_CLOEXEC) != 0)
            throw Error(errors::EngineError,
                        QStringLiteral("Impossible de créer un tube : %1.")
                            .arg(QString::fromLocal8Bit(std::strerror(errno))));
        // Above the descriptors the child is given, so that giving one never
        // closes another.
        read = above(fds[0]);
        write = above(fds[1]);
    }
    static int above(int fd) {
        if (fd > kResultFd)
            return fd;
        const int moved = fcntl(fd, F_DUPFD_CLOEXEC, kResultFd + 1);
        ::close(fd);
        return moved;
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

// The child's start runs no code of this process: posix_spawn execs at once,
// its descriptors and signals set by the library.
pid_t spawn(const QString& program, const QStringList& arguments, qint64 memory, int result,
            int diagnostics) {
    std::vector<QByteArray> words{QFile::encodeName(program), QByteArray::number(memory),
                                  QByteArray::number(qint64(getpid()))};
    for (const QString& argument : arguments)
        words.push_back(QFile::encodeName(argument));
    std::vector<char*> argv;
    argv.reserve(words.size() + 1);
    for (QByteArray& word : words)
        argv.push_back(word.data());
    argv.push_back(nullptr);

    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_addopen(&actions, STDIN_FILENO, "/dev/null", O_RDONLY, 0);
    posix_spawn_file_actions_adddup2(&actions, diagnostics, STDOUT_FILENO);
    posix_spawn_file_actions_adddup2(&actions, diagnostics, STDERR_FILENO);
    posix_spawn_file_actions_adddup2(&actions, result, kResultFd);
    posix_spawnattr_t attributes;
    posix_spawnattr_init(&attributes);
    sigset_t none;
    sigemptyset(&none);
    posix_spawnattr_setsigmask(&attributes, &none);
    sigset_t all;
    sigfillset(&all);
    posix_spawnattr_setsigdefault(&attributes, &all);
    posix_spawnattr_setflags(&attributes, POSIX_SPAWN_SETSIGMASK | POSIX_SPAWN_SETSIGDEF);
    pid_t pid = -1;
    const int failed = posix_spawn(&pid, argv[0], &actions, &attributes, argv.data(), environ);
    posix_spawnattr_destroy(&attributes);
    posix_spawn_file_actions_destroy(&actions);
    if (failed != 0)
        throw Error(
            errors::EngineError,
            QStringLiteral("Impossible de lancer %1 : %2.").arg(program, SystemReason(failed)));
    return pid;
}

}  // namespace

ChildOutcome CallInChild(const QString& program, const QStringList& arguments,
                         std::chrono::milliseconds limit, qint64 memory) {
    Pipe result;
    Pipe diagnostics;
    // Fewer turns between the two processes for a large result.
    fcntl(result.write, F_SETPIPE_SZ, 1 << 20);
    const pid_t pid = spawn(program, arguments, memory, result.write, diagnostics.write);
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

int AnswerCaller(int argc, char** argv,
                 const std::function<QByteArray(const QStringList&, qint64)>& work) {
    if (argc < 3)
        return 2;
    // Ends with its caller, even one that went before this line.
    prctl(PR_SET_PDEATHSIG, SIGKILL);
    if (getppid() != pid_t(std::atoll(argv[2])))
        return 1;
    const rlimit noCore{0, 0};
    setrlimit(RLIMIT_CORE, &noCore);
    const qint64 memory = std::atoll(argv[1]);
    limitAddressSpace(memory);
    QStringList arguments;
    for (int i = 3; i < argc; ++i)
        arguments << QFile::decodeName(argv[i]);

    bool sent = false;
    try {
        sent = putFrame(kResultFd, 'D', 0, work(arguments, memory));
    } catch (const Error& e) {
        sent = putFrame(kResultFd, 'F', e.Number(), e.Description().toUtf8());
    } catch (const std::bad_alloc&) {
        sent = putFrame(kResultFd, 'F', errors::EngineError,
                        QStringLiteral("mémoire insuffisante").toUtf8());
    } catch (const std::exception& e) {
        sent = putFrame(kResultFd, 'F', errors::EngineError, QByteArray(e.what()));
    } catch (...) {
        sent = putFrame(kResultFd, 'F', errors::EngineError, QByteArray("?"));
    }
    std::fflush(stdout);
    return sent ? 0 : 1;
}

}  // namespace kalvor::dao
