#include "bench/site/method_load.h"

#include <QFile>
#include <QList>
#include <QThread>
#include <atomic>
#include <cstdio>
#include <functional>
#include <thread>
#include <vector>

#include "bench/site/site_requests.h"

namespace kalvor::sitebench {

namespace {

using Request = std::function<QByteArray(int)>;

// `others` clients sending `request(i)` as fast as they are answered, each
// request an i of its own, until stopped; the replies counted by status.
class Others {
  public:
    Others(int others, const Request& request)
        : clients_(others, [this, request](int, const std::atomic<bool>& on) {
              while (on) {
                  const QByteArray reply = request(next_++);
                  ++(reply.startsWith("HTTP/1.1 405") || reply.startsWith("HTTP/1.0 405") ? refused
                     : good(reply)                                                        ? served
                                                                                          : other);
              }
          }) {}
    void stop() { clients_.stop(); }
    std::atomic<int> served{0}, refused{0}, other{0};

  private:
    std::atomic<int> next_{0};
    // Last: its threads use the counters, and end before them.
    UntilStopped clients_;
};

}  // namespace

void besideOtherRequests(int port, const QString& cache, const QByteArray& prefix,
                         const QByteArray& serie, const QByteArray& auteur, int clients,
                         int others) {
    const QByteArray page = prefix + "stats.php?coll=albums";
    const auto n = [](int i) { return QByteArray::number(i); };
    // Junk values of the parameters the pages key on, each page kept once.
    const QList<std::function<QByteArray(int)>> junk = {
        [&](int i) { return prefix + "stats.php?coll=albums&liste=z" + n(i); },
        [&](int i) { return prefix + "index.php?coll=z" + n(i); },
        [&](int i) { return prefix + "serie.php?coll=albums&idserie=" + serie + "x" + n(i); },
        [&](int i) {
            return prefix + "auteur.php?coll=albums&idauteur=" + auteur + "&tri=z" + n(i) +
                   "&sens=z" + n(i);
        },
        [&](int i) { return prefix + "liste.php?coll=albums&liste=z" + n(i); },
        [&](int i) { return prefix + "type.php?coll=parabd&typeobjet=z" + n(i); },
    };
    if (!cache.isEmpty()) {
        if (!keep(port, cache, page)) {
            std::printf("autres requêtes : page pas gardée\n");
        }
        for (const auto& visit : junk) {
            keep(port, cache, visit(0));
        }
    }
    // What the kept page itself costs them: the floor of the junk values.
    const std::pair<const char*, Request> loads[] = {
        {"gardée", [&](int) { return get(port, page); }},
        {"OPTIONS", [&](int) { return ask(port, "OPTIONS", page); }},
        {"PUT", [&](int) { return ask(port, "PUT", page); }},
        {"DELETE", [&](int) { return ask(port, "DELETE", page); }},
        {"PATCH", [&](int) { return ask(port, "PATCH", page); }},
        {"PROPFIND", [&](int) { return ask(port, "PROPFIND", page); }},
        {"FOO", [&](int) { return ask(port, "FOO", page); }},
        {"liste=zN", [&](int i) { return get(port, junk[0](i + 1)); }},
        {"valeurs", [&](int i) { return get(port, junk[i % junk.size()](i + 1)); }},
    };
    QFile machine(QStringLiteral("/proc/loadavg"));
    machine.open(QIODevice::ReadOnly);
    std::printf("charge de la machine : %s", machine.readLine().constData());
    std::printf(
        "visiteurs (%d clients, stats.php gardée) seuls puis à côté de %d clients, "
        "3 x 4 s chacun ; p50 / p95 en ms\n",
        clients, others);
    std::printf("%-10s | %15s | %15s | %7s | autres : servies / 405 / autres\n", "requêtes",
                "seuls", "à côté", "p95 x");
    for (const auto& [label, request] : loads) {
        std::vector<double> alone, beside;
        std::atomic<int> failures{0};
        int served = 0, refused = 0, other = 0;
        for (int round = 0; round < 3; ++round) {
            const std::vector<double> a = askedFor(port, page, clients, 4, failures);
            alone.insert(alone.end(), a.begin(), a.end());
            Others load(others, request);
            QThread::msleep(300);
            const std::vector<double> b = askedFor(port, page, clients, 4, failures);
            beside.insert(beside.end(), b.begin(), b.end());
            load.stop();
            served += load.served;
            refused += load.refused;
            other += load.other;
        }
        const double ratio = percentile(beside, 95) / percentile(alone, 95);
        std::printf("%-10s | %6.1f / %6.1f | %6.1f / %6.1f | %5.2f %s | %d / %d / %d%s\n", label,
                    percentile(alone, 50), percentile(alone, 95), percentile(beside, 50),
                    percentile(beside, 95), ratio, ratio < 2 ? "ok" : "NON", served, refused, other,
                    failures ? qPrintable(QStringLiteral(" | %1 échecs").arg(int(failures))) : "");
        std::fflush(stdout);
    }
}

}  // namespace kalvor::sitebench
