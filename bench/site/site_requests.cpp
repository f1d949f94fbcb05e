#include "bench/site/site_requests.h"

#include <arpa/inet.h>
#include <sys/socket.h>
#include <unistd.h>

#include <QDir>
#include <QDirIterator>
#include <QElapsedTimer>
#include <QFileInfo>
#include <QThread>
#include <algorithm>
#include <mutex>

namespace kalvor::sitebench {

namespace {

// `request` sent from `from`, the whole reply read.
QByteArray send(int port, const QByteArray& request, uint32_t from) {
    const int fd = ::socket(AF_INET, SOCK_STREAM, 0);
    sockaddr_in source{};
    source.sin_family = AF_INET;
    source.sin_addr.s_addr = htonl(from);
    if (::bind(fd, reinterpret_cast<sockaddr*>(&source), sizeof source) != 0) {
        ::close(fd);
        return {};
    }
    sockaddr_in addr{};
    addr.sin_family = AF_INET;
    addr.sin_port = htons(static_cast<uint16_t>(port));
    addr.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    if (::connect(fd, reinterpret_cast<sockaddr*>(&addr), sizeof addr) != 0) {
        ::close(fd);
        return {};
    }
    if (::write(fd, request.constData(), request.size()) != request.size()) {
        ::close(fd);
        return {};
    }
    QByteArray reply;
    char buffer[1 << 20];
    ssize_t n;
    while ((n = ::read(fd, buffer, sizeof buffer)) > 0) {
        reply.append(buffer, n);
    }
    ::close(fd);
    return reply;
}

}  // namespace

QByteArray get(int port, const QByteArray& path, const QByteArray& form, uint32_t from) {
    return send(port,
                form.isEmpty()
                    ? "GET " + path + " HTTP/1.0\r\nHost: 127.0.0.1\r\nConnection: close\r\n\r\n"
                    : "POST " + path +
                          " HTTP/1.0\r\nHost: 127.0.0.1\r\nConnection: close\r\n"
                          "Content-Type: application/x-www-form-urlencoded\r\nContent-Length: " +
                          QByteArray::number(form.size()) + "\r\n\r\n" + form,
                from);
}

QByteArray ask(int port, const QByteArray& method, const QByteArray& path) {
    return send(port,
                method + ' ' + path + " HTTP/1.1\r\nHost: 127.0.0.1\r\nConnection: close\r\n\r\n",
                INADDR_LOOPBACK);
}

bool good(const QByteArray& reply) {
    return (reply.startsWith("HTTP/1.0 200") || reply.startsWith("HTTP/1.1 200")) &&
           !reply.contains("Fatal error") && !reply.contains("Allowed memory size");
}

double percentile(std::vector<double> times, int p) {
    std::sort(times.begin(), times.end());
    return times[std::min(times.size() - 1, times.size() * p / 100)];
}

std::vector<double> askedFor(int port, const QByteArray& page, int clients, int seconds,
                             std::atomic<int>& failures) {
    std::vector<double> times;
    std::mutex lock;
    const auto end = std::chrono::steady_clock::now() + std::chrono::seconds(seconds);
    std::vector<std::thread> threads;
    for (int c = 0; c < clients; ++c) {
        threads.emplace_back([&] {
            std::vector<double> mine;
            while (std::chrono::steady_clock::now() < end) {
                const auto start = std::chrono::steady_clock::now();
                failures += good(get(port, page)) ? 0 : 1;
                mine.push_back(std::chrono::duration<double, std::milli>(
                                   std::chrono::steady_clock::now() - start)
                                   .count());
            }
            std::lock_guard<std::mutex> hold(lock);
            times.insert(times.end(), mine.begin(), mine.end());
        });
    }
    for (auto& t : threads) {
        t.join();
    }
    return times;
}

int cachedPages(const QString& folder) {
    int n = 0;
    QDirIterator it(folder, {QStringLiteral("*.html")}, QDir::Files, QDirIterator::Subdirectories);
    while (it.hasNext()) {
        n += QFileInfo(it.next()).path() != folder;  // not the folder's blank index
    }
    return n;
}

bool keep(int port, const QString& cache, const QByteArray& path) {
    const int before = cachedPages(cache);
    QElapsedTimer waited;
    waited.start();
    while (waited.elapsed() < 15000) {
        get(port, path);
        if (cachedPages(cache) > before) {
            return true;
        }
        QThread::msleep(300);
    }
    return false;
}

}  // namespace kalvor::sitebench
