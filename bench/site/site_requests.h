#pragma once

// Requests to the site under bench, as clients on loopback send them, and
// the figures taken of them.
#include <QByteArray>
#include <QString>
#include <atomic>
#include <chrono>
#include <cstdint>
#include <thread>
#include <vector>

#include <netinet/in.h>

namespace kalvor::sitebench {

// One request over a fresh loopback connection, as a browser without
// keep-alive: a GET, or a form POST when there is a body; the whole reply
// read. Sent from the loopback address `from`: the site sees each as a
// client of its own.
QByteArray get(int port, const QByteArray& path, const QByteArray& form = QByteArray(),
               uint32_t from = INADDR_LOOPBACK);
// The same with any method and no body.
QByteArray ask(int port, const QByteArray& method, const QByteArray& path);

// A 200 whose page PHP finished: a fatal error (the memory limit) still
// comes as a 200.
bool good(const QByteArray& reply);

struct Figures {
    double p50 = 0, p95 = 0;
    int failures = 0;
    qint64 bytes = 0;
};

// The time below which p percent of `times` fall; `times` holds one at least.
double percentile(std::vector<double> times, int p);

// `requests` requests shared by `clients` threads; the i-th asks for
// path(i).
template <class Path>
Figures load(int port, const Path& path, const QByteArray& form, int clients, int requests) {
    std::vector<double> times(static_cast<size_t>(requests));
    std::atomic<int> next{0};
    std::atomic<int> failures{0};
    std::atomic<qint64> bytes{0};
    std::vector<std::thread> threads;
    for (int c = 0; c < clients; ++c) {
        threads.emplace_back([&] {
            for (int i = next++; i < requests; i = next++) {
                const auto start = std::chrono::steady_clock::now();
                const QByteArray reply = get(port, path(i), form);
                times[static_cast<size_t>(i)] = std::chrono::duration<double, std::milli>(
                                                    std::chrono::steady_clock::now() - start)
                                                    .count();
                failures += good(reply) ? 0 : 1;
                bytes = reply.size() - reply.indexOf("\r\n\r\n") - 4;
            }
        });
    }
    for (auto& t : threads) {
        t.join();
    }
    Figures f;
    f.p50 = percentile(times, 50);
    f.p95 = percentile(times, 95);
    f.failures = failures;
    f.bytes = bytes;
    return f;
}

// `n` threads, each running `run(c, on)` for its number c, which loops
// while `on` holds; stopped at the latest when destroyed.
class UntilStopped {
  public:
    template <class Run>
    UntilStopped(int n, Run run) {
        for (int c = 0; c < n; ++c) {
            threads_.emplace_back([this, run, c] { run(c, on_); });
        }
    }
    ~UntilStopped() { stop(); }
    // True the first time: its threads have all ended.
    bool stop() {
        if (!on_) {
            return false;
        }
        on_ = false;
        for (auto& t : threads_) {
            t.join();
        }
        return true;
    }

  private:
    std::atomic<bool> on_{true};
    std::vector<std::thread> threads_;
};

// `clients` visitors asking for `page` during `seconds`: their times, and
// the replies that were not good pages counted in `failures`.
std::vector<double> askedFor(int port, const QByteArray& page, int clients, int seconds,
                             std::atomic<int>& failures);

// The pages kept in the cache folder.
int cachedPages(const QString& folder);

// The page asked for until the cache holds one page more.
bool keep(int port, const QString& cache, const QByteArray& path);

}  // namespace kalvor::sitebench
