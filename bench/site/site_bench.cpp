// Latency of the generated site's pages under load. Each catalogue is
// published as the program publishes it, through the end-to-end site
// harness; then 8 clients on loopback ask for each page below, cold (every
// request finds the cache without its page, so the page is made) and warm
// (the page kept in the cache), and p50 and p95 are printed beside the goal.
// A page made beside 3,000 kept pages, and the first page after a data
// change beside 30,000, are compared with the same beside none. Then, with
// a real picture behind every cover, one visitor opens pages whose
// thumbnails are still to make, and asks for each of them as a browser
// does, while the 8 clients ask for two kept pages. Last, the 8 clients ask
// for a kept page alone, then while 32 others guess the recovery's password
// from addresses of their own, and the owner recovers the site alone and
// beside them.
// With --only load, visitors ask for a kept page while the data are loaded;
// with --only methods, beside clients of other methods and of junk values;
// with --avant, the cold author list and page are compared with those of the
// site files in FOLDER (an earlier tree's), and nothing else is run.
//   site_bench [catalogue.mdb | number of albums ...] [--requests N] [--cold N]
//              [--clients C] [--only guesses|change|load|methods] [--avant FOLDER]
// A number stands for an invented catalogue of that many albums, a sixth of
// them on the wish list. By default: the fixture of 20,000 albums owned and an
// invented catalogue of 50,000 owned.
// Run through bench/site/run, which starts the servers and sets
// KALVOR_TEST_* and KALVOR_BENCH_URL.
#include <arpa/inet.h>
#include <fcntl.h>
#include <netinet/in.h>
#include <sys/resource.h>
#include <sys/socket.h>
#include <unistd.h>

#include <QCoreApplication>
#include <QDir>
#include <QDirIterator>
#include <QElapsedTimer>
#include <QFile>
#include <QFileInfo>
#include <QProcess>
#include <QRegularExpression>
#include <QTemporaryDir>
#include <QThread>
#include <QUrl>
#include <algorithm>
#include <atomic>
#include <chrono>
#include <cstdio>
#include <map>
#include <memory>
#include <mutex>
#include <thread>
#include <vector>

#include "bench/site/method_load.h"
#include "bench/site/site_requests.h"
#include "catalogue/synthetic_catalogue.h"
#include "e2e/e2e_servers.h"
#include "e2e/site/site_harness.h"
#include "platform/cp1252.h"
#include "platform/error.h"
#include "platform/inet.h"
#include "recovery/recovery_database.h"
#include "recovery/recovery_driver.h"
#include "recovery/table_import.h"

using namespace kalvor;
using namespace kalvor::sitebench;

namespace {

QString env(const char* name) {
    return QString::fromLocal8Bit(qgetenv(name));
}

// The heaviest layouts: back covers, the author table with its cards,
// collaborators, thumbnails made on demand, the latest items on the home
// page, every chart.
Settings benchSettings() {
    Settings s = e2e::siteSettings();
    s.format = Settings::FormatDonnees::Latin1;
    s.GV_Auteur = 2;
    s.box_col_accueil = QStringLiteral("4");
    s.box_ligne_accueil = QStringLiteral("3");
    return s;
}

QString first(const e2e::SiteHarness& site, const QString& query) {
    return e2e::runSql(site.database(), query.toUtf8()).rows.value(0).value(0);
}

// The thumbnail addresses of a page, as a browser asks for them.
QList<QByteArray> thumbnails(const QByteArray& prefix, const QByteArray& reply) {
    QList<QByteArray> found;
    static const QRegularExpression src(QStringLiteral("src=\"(_retaille\\.php\\?[^\"]*)\""));
    for (auto it = src.globalMatch(QString::fromLatin1(reply)); it.hasNext();) {
        found << prefix + it.next().captured(1).toLatin1().replace("&amp;", "&");
    }
    return found;
}

struct Visit {
    int pages = 0;
    int thumbnails = 0;
    int failures = 0;
    qint64 ms = 0;
};

// A visitor's pages, each followed by its thumbnails still to make.
Visit visit(int port, const QByteArray& prefix, const QList<QByteArray>& paths) {
    Visit v;
    QElapsedTimer timer;
    timer.start();
    for (const QByteArray& path : paths) {
        const QByteArray reply = get(port, path);
        ++v.pages;
        v.failures += good(reply) ? 0 : 1;
        for (const QByteArray& thumbnail : thumbnails(prefix, reply)) {
            const QByteArray image = get(port, thumbnail);
            ++v.thumbnails;
            v.failures +=
                image.startsWith("HTTP/1.0 200") || image.startsWith("HTTP/1.1 200") ? 0 : 1;
        }
    }
    v.ms = timer.elapsed();
    return v;
}

// Every cover the catalogue names, a real picture of a cover's size (one
// file under every name).
void realCovers(const e2e::SiteHarness& site) {
    const QString covers = site.folder() + QStringLiteral("/couvertures");
    const QString model = site.folder() + QStringLiteral("/modele.jpg");
    QProcess php;
    php.start(QStringLiteral("php"),
              {QStringLiteral("-r"),
               QStringLiteral("$i = imagecreatetruecolor(600, 800);"
                              "for ($y = 0; $y < 800; $y += 4) { imagefilledrectangle($i, 0, $y, "
                              "599, $y + 3, imagecolorallocate($i, $y % 256, (3 * $y) % 256, "
                              "(7 * $y) % 256)); }"
                              "imagejpeg($i, '%1', 85);")
                   .arg(model)});
    php.waitForFinished(60000);
    for (const QStringList& row :
         e2e::runSql(site.database(), "SELECT DISTINCT couverture FROM kv_albums").rows) {
        const QString cover = row.value(0);
        if (cover.isEmpty() || cover == QStringLiteral("NULL") || cover.contains(u'/')) {
            continue;
        }
        const QByteArray path = QFile::encodeName(covers + u'/' + cover);
        ::unlink(path.constData());
        if (::link(QFile::encodeName(model).constData(), path.constData()) != 0) {
            QFile::copy(model, covers + u'/' + cover);
        }
    }
}

// Clients that post wrong passwords to the recovery as fast as they are
// answered, each from a loopback address of its own, none the visitors' nor
// the owner's (127.0.0.1); with `cycling`, from a new address at each guess
// (127.g.x.y), as one who holds many networks. A guess refused unread says
// "Retry-After:" first.
constexpr int kGuessers = 32;

class Guessers {
  public:
    Guessers(int port, const QByteArray& recovery, bool cycling = false)
        : clients_(kGuessers, [this, port, recovery, cycling](int g, const std::atomic<bool>& on) {
              // The guessers' own work is done on their machines, not the
              // host's: here it yields to the server and the visitors.
              setpriority(PRIO_PROCESS, static_cast<id_t>(gettid()), 19);
              for (int i = 0; on; ++i) {
                  const uint32_t from =
                      cycling ? (127u << 24) | (uint32_t(g + 1) << 16) | uint32_t(i % 65000 + 2)
                              : (127u << 24) | uint32_t(2 + g);
                  const QByteArray reply =
                      get(port, recovery, "pwd=faux-" + QByteArray::number(g * 100000 + i), from);
                  const QByteArray head = reply.left(reply.indexOf("\r\n\r\n"));
                  const QByteArray body = reply.mid(head.size() + 4);
                  if (body.startsWith("Retry-After:")) {
                      ++unread;
                  } else if (!body.startsWith("invalid password")) {
                      ++other;
                  } else {
                      ++read;
                  }
              }
          }) {
        clock_.start();
    }
    // The time they guessed.
    qint64 stop() {
        if (clients_.stop()) {
            ms_ = clock_.elapsed();
        }
        return ms_;
    }
    std::atomic<int> read{0}, unread{0}, other{0};

  private:
    QElapsedTimer clock_;
    qint64 ms_ = 0;
    // Last: its threads use the counters, and end before them.
    UntilStopped clients_;
};

// Visitors' pages while the recovery's password is guessed: `clients`
// visitors ask for a kept page, five seconds alone, then five seconds beside
// the guessers, three times in turn, so that what else the machine does
// weighs on both alike (its load is printed).
void guessing(int port, const QString& cache, const QByteArray& page, const QByteArray& recovery,
              int clients, bool cycling) {
    // Kept already when another server asked for it first.
    if (cachedPages(cache) == 0 && !keep(port, cache, page)) {
        std::printf("devinettes : page pas gardée\n");
    }
    std::vector<double> alone, beside;
    std::atomic<int> failures{0};
    const auto visitors = [&](std::vector<double>& times) {
        const std::vector<double> mine = askedFor(port, page, clients, 5, failures);
        times.insert(times.end(), mine.begin(), mine.end());
    };
    int read = 0, unread = 0, other = 0;
    qint64 guessedMs = 0;
    for (int round = 0; round < 3; ++round) {
        visitors(alone);
        Guessers guessers(port, recovery, cycling);
        QThread::msleep(500);
        visitors(beside);
        guessedMs += guessers.stop();
        read += guessers.read;
        unread += guessers.unread;
        other += guessers.other;
    }
    const double p95Alone = percentile(alone, 95);
    const double p95Beside = percentile(beside, 95);
    QFile load(QStringLiteral("/proc/loadavg"));
    load.open(QIODevice::ReadOnly);
    std::printf("charge de la machine : %s", load.readLine().constData());
    std::printf(
        "visiteurs, %d clients, 3 x 5 s : seuls %zu pages, p50 / p95 %.1f / %.1f ms ; "
        "pendant que %d clients devinent %zu pages, p50 / p95 %.1f / %.1f ms | %d échecs\n",
        clients, alone.size(), percentile(alone, 50), p95Alone, kGuessers, beside.size(),
        percentile(beside, 50), p95Beside, int(failures));
    std::printf(
        "essais lus %.1f par seconde, %.2f par client (%d en %.1f s), %d refusés sans lecture, "
        "%d autres\n",
        read * 1000.0 / guessedMs, read * 1000.0 / guessedMs / kGuessers, read, guessedMs / 1000.0,
        unread, other);
    std::printf("rapport p95 pendant / seul : %.2f (< 1,5) %s\n", p95Beside / p95Alone,
                p95Beside < 1.5 * p95Alone ? "ok" : "NON");
    std::fflush(stdout);
}

// CPU time, in ms, spent so far by the processes `roots` and all that
// descend from them (a server's master and its workers).
double serverCpuMs(const QList<int>& roots) {
    std::map<int, std::vector<int>> children;
    std::map<int, double> cpu;
    for (const QString& entry : QDir(QStringLiteral("/proc")).entryList(QDir::Dirs)) {
        bool number = false;
        const int pid = entry.toInt(&number);
        QFile stat(QStringLiteral("/proc/%1/stat").arg(entry));
        if (!number || !stat.open(QIODevice::ReadOnly)) {
            continue;
        }
        const QByteArray line = stat.readAll();
        // After the command's closing parenthesis: state, ppid, ... utime, stime.
        const QList<QByteArray> fields = line.mid(line.lastIndexOf(')') + 2).split(' ');
        if (fields.size() > 12) {
            children[fields[1].toInt()].push_back(pid);
            cpu[pid] = (fields[11].toDouble() + fields[12].toDouble()) * 1000.0 /
                       double(sysconf(_SC_CLK_TCK));
        }
    }
    double total = 0;
    std::vector<int> todo(roots.begin(), roots.end());
    while (!todo.empty()) {
        const int pid = todo.back();
        todo.pop_back();
        total += cpu[pid];
        todo.insert(todo.end(), children[pid].begin(), children[pid].end());
    }
    return total;
}

// What one request costs the server, in its processes' CPU time, each kind
// alone for five seconds: a visitor's kept page, a guess refused unread, a
// guess read (each from a new address). In one run, whatever else the
// machine does.
void serverCost(int port, const QList<int>& servers, const QByteArray& page,
                const QByteArray& recovery, int clients) {
    const auto visitors = [&] {
        std::atomic<int> pages{0};
        const auto end = std::chrono::steady_clock::now() + std::chrono::seconds(5);
        std::vector<std::thread> threads;
        for (int c = 0; c < clients; ++c) {
            threads.emplace_back([&] {
                while (std::chrono::steady_clock::now() < end) {
                    get(port, page);
                    ++pages;
                }
            });
        }
        for (auto& t : threads) {
            t.join();
        }
        return int(pages);
    };
    double before = serverCpuMs(servers);
    const int pages = visitors();
    const double perPage = (serverCpuMs(servers) - before) * 1000.0 / pages;
    double perGuess[2];
    int counts[2][2];
    for (const bool cycling : {false, true}) {
        before = serverCpuMs(servers);
        Guessers guessers(port, recovery, cycling);
        QThread::msleep(5000);
        guessers.stop();
        counts[cycling][0] = guessers.unread;
        counts[cycling][1] = guessers.read;
        perGuess[cycling] = (serverCpuMs(servers) - before) * 1000.0 /
                            std::max(1, int(guessers.unread + guessers.read));
    }
    std::printf(
        "CPU du serveur par requête : page gardée %.0f µs (%d) ; essai d'une même adresse %.0f µs "
        "(%d refusés sans lecture, %d lus) ; essai d'une adresse nouvelle %.0f µs (%d lus) ; "
        "refus / page %.2f\n",
        perPage, pages, perGuess[0], counts[0][0], counts[0][1], perGuess[1], counts[1][1],
        perGuess[0] / perPage);
    std::fflush(stdout);
}

// The owner's recovery of the whole site, from 127.0.0.1, as the program
// runs it (the dialog aside), alone and beside the guessers, rounds in
// turn; the medians are compared.
void ownerRecovery(const QString& site, int port, const QByteArray& recovery) {
    QTemporaryDir dir;
    std::vector<double> times[2];
    for (int round = 0; round < 6; ++round) {
        const int beside = round % 2;
        std::unique_ptr<Guessers> guessers;
        if (beside) {
            guessers = std::make_unique<Guessers>(port, recovery);
            QThread::msleep(500);
        }
        const QString base = dir.filePath(QStringLiteral("recuperation%1.db").arg(round));
        recovery::CreateRecoveryDatabase(QStringLiteral(KALVOR_RECOVERY_LAYOUT), base);
        recovery::RecoveryState state;
        Inet inet;
        QElapsedTimer timer;
        timer.start();
        for (const recovery::ImportStep& step : recovery::ImportSteps()) {
            recovery::Import_MYSQL_Tables(state, recovery::RecoveryBase(base),
                                          recovery::SiteAccess{site, e2e::mysqlPassword(), inet},
                                          step.tablename, step.dimension);
            if (!state.Continue_Recovery) {
                std::printf("récupération : %s\n", qPrintable(state.Continue_Error));
                break;
            }
        }
        times[beside].push_back(timer.elapsed());
        if (guessers) {
            guessers->stop();
            std::printf("  pendant : %d essais lus, %d refusés sans lecture\n", int(guessers->read),
                        int(guessers->unread));
        }
    }
    const double alone = percentile(times[0], 50);
    const double beside = percentile(times[1], 50);
    std::printf(
        "récupération du site par son propriétaire : médiane de 3, seule %.0f ms, pendant que "
        "%d clients devinent %.0f ms, rapport %.2f (< 1,5) %s\n",
        alone, kGuessers, beside, beside / alone, beside < 1.5 * alone ? "ok" : "NON");
    for (int b = 0; b < 2; ++b) {
        std::printf("  %s :", b ? "pendant" : "seule");
        for (const double ms : times[b]) {
            std::printf(" %.0f", ms);
        }
        std::printf(" ms\n");
    }
    std::fflush(stdout);
}

// The first page after a data change, beside 30,000 kept pages of the
// earlier data and beside one: the earlier pages go by later visits, a batch
// each. Rounds alternate, each with the cache filled anew; the medians of
// the first pages are compared, and the next 20 pages are shown.
void firstAfterChange(const e2e::SiteHarness& site, int port, const QString& cache,
                      const QByteArray& made, int clients) {
    const int many = 30000;
    const int rounds = 5;
    // Room for them all: the bound is not what is measured here.
    const QString require = site.folder() + QStringLiteral("/require.php");
    QFile file(require);
    file.open(QIODevice::ReadOnly);
    const QByteArray settings = file.readAll();
    file.close();
    const auto bound = [&](const QByteArray& size) {
        QFile out(require);
        out.open(QIODevice::WriteOnly);
        out.write(QByteArray(settings).replace("$GV_cache_taille   = 256;",
                                               "$GV_cache_taille   = " + size + ';'));
    };
    bound("4096");
    std::vector<double> first[2], next[2];
    int kept[2] = {0, 0};
    int key = 1000000;
    for (int round = 0; round < 2 * rounds; ++round) {
        const int full = round % 2;
        QDir(cache).removeRecursively();
        keep(port, cache, made + QByteArray::number(key++));
        if (full) {
            load(
                port, [&](int i) { return made + QByteArray::number(key + i); }, {}, clients, many);
            key += many;
        }
        // The pages on disk, not still being written out.
        ::sync();
        kept[full] = cachedPages(cache);
        e2e::runSql(site.database(),
                    QStringLiteral("UPDATE kv_kalvor SET last_update = DATE_ADD('2000-01-01', "
                                   "INTERVAL %1 DAY);")
                        .arg(key)
                        .toUtf8());
        // A page made within seconds of a change is not kept, nor the
        // cache's folders made.
        QThread::msleep(2500);
        first[full].push_back(
            load(
                port, [&](int) { return made + QByteArray::number(key); }, {}, 1, 1)
                .p50);
        ++key;
        next[full].push_back(
            load(
                port, [&](int i) { return made + QByteArray::number(key + i); }, {}, 1, 20)
                .p50);
        key += 20;
    }
    const auto median = [](const std::vector<double>& v) { return percentile(v, 50); };
    std::printf(
        "1re page après un changement des données, à côté de %d / %d pages gardées : "
        "médiane de %d, %.1f / %.1f ms, rapport %.2f (< 1,5) ; 20 suivantes p50 %.1f / %.1f ms\n",
        kept[0], kept[1], rounds, median(first[0]), median(first[1]),
        median(first[1]) / median(first[0]), median(next[0]), median(next[1]));
    for (int full = 0; full < 2; ++full) {
        std::printf("  1res pages à côté de %d :", kept[full]);
        for (const double ms : first[full]) {
            std::printf(" %.1f", ms);
        }
        std::printf(" ms\n");
    }
    std::fflush(stdout);
    bound("256");
    QDir(cache).removeRecursively();
}

// Visitors' pages while the data script of a full export is loaded again:
// `clients` visitors ask for a kept page five seconds alone, then for as long
// as the load runs. Meanwhile the server's list of statements is read every
// 100 ms: what the visitors' statements were doing, most seen first.
void duringLoad(const e2e::SiteHarness& site, int port, const QString& cache,
                const QByteArray& page, int clients) {
    if (!keep(port, cache, page)) {
        std::printf("chargement : page pas gardée\n");
    }
    std::atomic<bool> loading{false};
    std::atomic<bool> done{false};
    std::mutex lock;
    // The threads outlive this call: what they share is named by pointers.
    const auto visitors = [&](std::vector<double>* times, const std::atomic<bool>* until) {
        std::vector<std::thread> threads;
        for (int c = 0; c < clients; ++c) {
            threads.emplace_back([&, times, until] {
                std::vector<double> mine;
                while (*until) {
                    const auto start = std::chrono::steady_clock::now();
                    get(port, page);
                    mine.push_back(std::chrono::duration<double, std::milli>(
                                       std::chrono::steady_clock::now() - start)
                                       .count());
                }
                std::lock_guard<std::mutex> hold(lock);
                times->insert(times->end(), mine.begin(), mine.end());
            });
        }
        return threads;
    };
    std::vector<double> alone, beside;
    std::atomic<bool> alonePhase{true};
    auto threads = visitors(&alone, &alonePhase);
    QThread::sleep(5);
    alonePhase = false;
    for (auto& t : threads) {
        t.join();
    }
    QElapsedTimer loaded;
    loaded.start();
    loading = true;
    std::thread loader([&] {
        e2e::runSqlFile(site.database(), site.folder() + QStringLiteral("/scripts/donnees.sql"));
        loading = false;
        done = true;
    });
    threads = visitors(&beside, &loading);
    std::map<QString, int> seen;
    while (!done) {
        QThread::msleep(100);
        for (const QStringList& row :
             e2e::runSql(QString(),
                         "SELECT state, left(info, 40) FROM information_schema.PROCESSLIST "
                         "WHERE command = 'Query' AND info NOT LIKE '%PROCESSLIST%' "
                         "AND info NOT LIKE 'INSERT%' AND info NOT LIKE 'DELETE%'")
                 .rows) {
            ++seen[row.join(QStringLiteral(" | "))];
        }
    }
    loader.join();
    const qint64 ms = loaded.elapsed();
    for (auto& t : threads) {
        t.join();
    }
    std::printf(
        "chargement de donnees.sql en %lld ms ; visiteurs, %d clients : seuls %zu pages, "
        "p50 / p95 %.1f / %.1f ms ; pendant le chargement %zu pages, p50 / p95 / max "
        "%.1f / %.1f / %.1f ms\n",
        ms, clients, alone.size(), percentile(alone, 50), percentile(alone, 95), beside.size(),
        beside.empty() ? 0.0 : percentile(beside, 50),
        beside.empty() ? 0.0 : percentile(beside, 95),
        beside.empty() ? 0.0 : percentile(beside, 100));
    std::vector<std::pair<int, QString>> states;
    for (const auto& [state, n] : seen) {
        states.emplace_back(n, state);
    }
    std::sort(states.rbegin(), states.rend());
    for (size_t i = 0; i < std::min<size_t>(8, states.size()); ++i) {
        std::printf("  %5d fois : %s\n", states[i].first, qPrintable(states[i].second));
    }
    std::fflush(stdout);
}

// Cold pages beside the same pages of an earlier tree's site files (the
// folder `earlier` holds them), on the same data and servers: a twin of the
// site with those files, then bursts of cold requests alternating between
// the two sites, each round's ratio of p50 (this tree / the earlier one).
void besideEarlier(const e2e::SiteHarness& site, int port, const QByteArray& prefix,
                   const QString& earlier, const QList<std::pair<const char*, QByteArray>>& pages,
                   int clients, int cold) {
    const QString twin = site.folder() + QStringLiteral("-avant");
    QDir().mkpath(twin);
    for (const QFileInfo& entry :
         QDir(site.folder())
             .entryInfoList(QDir::Files | QDir::Dirs | QDir::NoDotAndDotDot | QDir::Hidden)) {
        const QString to = twin + u'/' + entry.fileName();
        if (!entry.isDir()) {
            QFile::copy(entry.filePath(), to);
        } else if (entry.fileName() != QStringLiteral("cache")) {
            QFile::link(entry.filePath(), to);
        }
    }
    for (const QFileInfo& entry :
         QDir(earlier).entryInfoList({QStringLiteral("*.php")}, QDir::Files)) {
        if (entry.fileName() != QStringLiteral("require.php")) {
            QFile::remove(twin + u'/' + entry.fileName());
            QFile::copy(entry.filePath(), twin + u'/' + entry.fileName());
        }
    }
    const QByteArray twinPrefix = prefix.chopped(1) + "-avant/";
    const int rounds = 12;
    int key = 0;
    for (const auto& [label, path] : pages) {
        std::vector<double> ratios, times[2];
        int failures = 0;
        for (int round = 0; round < rounds; ++round) {
            double p50[2] = {0, 0};
            for (int turn = 0; turn < 2; ++turn) {
                const int side = (round + turn) % 2;  // each goes first in turn
                const QByteArray base = (side ? twinPrefix : prefix) + path;
                QDir((side ? twin : site.folder()) + QStringLiteral("/cache")).removeRecursively();
                const Figures f = load(
                    port,
                    [&](int i) { return base + "&current_coll=y" + QByteArray::number(key + i); },
                    {}, clients, cold);
                key += cold;
                p50[side] = f.p50;
                times[side].push_back(f.p50);
                failures += f.failures;
            }
            ratios.push_back(p50[0] / p50[1]);
        }
        std::printf(
            "%-10s à froid, %d x %d requêtes : p50 médian %.1f ms, arbre antérieur %.1f ms ; "
            "rapport médian %.2f (%.2f à %.2f) | %d échecs\n",
            label, rounds, cold, percentile(times[0], 50), percentile(times[1], 50),
            percentile(ratios, 50), percentile(ratios, 0), percentile(ratios, 100), failures);
        std::fflush(stdout);
    }
    QDir(twin).removeRecursively();
}

struct Page {
    const char* label;
    QByteArray path;
    QByteArray form;
    double coldGoal;  // p95 in ms; 0: none
    const char* coldText;
};

void bench(const QString& catalogue, const QString& label, int requests, int coldRequests,
           int clients, const QString& only, const QString& earlier) {
    const QUrl base(env("KALVOR_BENCH_URL"));
    e2e::SiteHarness site(QStringLiteral("bench"), e2e::phpRoot(), base.toString());
    QElapsedTimer timer;
    timer.start();
    const QString failed =
        site.build(benchSettings(), e2e::siteStats(), e2e::publishedData, catalogue, false);
    if (!failed.isEmpty()) {
        throw Error(0, failed);
    }
    std::printf("\n== %s : publié et chargé en %lld ms\n", qPrintable(label), timer.elapsed());

    const QString serie =
        first(site, QStringLiteral("SELECT idserie FROM kv_albums GROUP BY idserie ORDER BY "
                                   "count(*) DESC, idserie LIMIT 1"));
    // Authors 1 to 3 stand for "no author" in many catalogues.
    const QString auteur = first(
        site, QStringLiteral("SELECT idauteur FROM kv_collaborateurs WHERE idauteur > 3 GROUP BY "
                             "idauteur ORDER BY count(distinct idalbum) DESC, idauteur LIMIT 1"));
    // The heaviest selections.
    const QString anneeDl = first(
        site, QStringLiteral("SELECT right(dl, 4) y FROM kv_albums WHERE dl IS NOT NULL GROUP BY y "
                             "ORDER BY count(*) DESC, y LIMIT 1"));
    const QString anneeAchat = first(
        site, QStringLiteral(
                  "SELECT year(dateachat) y FROM kv_albums WHERE dateachat IS NOT NULL GROUP BY y "
                  "ORDER BY count(*) DESC, y LIMIT 1"));
    const QString genre = first(
        site, QStringLiteral(
                  "SELECT s.style g FROM kv_albums a JOIN kv_series s ON a.idserie = s.idserie "
                  "GROUP BY g ORDER BY count(*) DESC, g LIMIT 1"));
    const QString note = first(
        site,
        QStringLiteral("SELECT notealbum n FROM kv_albums WHERE notealbum IS NOT NULL GROUP BY n "
                       "ORDER BY count(*) DESC, n LIMIT 1"));
    const auto shown = [](const QString& v) { return v.isEmpty() ? QStringLiteral("(vide)") : v; };
    std::printf("albums %s ; série %s, auteur %s, DL %s, achat %s, genre %s, note %s\n",
                qPrintable(first(site, QStringLiteral("SELECT count(*) FROM kv_albums"))),
                qPrintable(serie), qPrintable(auteur), qPrintable(anneeDl), qPrintable(anneeAchat),
                qPrintable(shown(genre)), qPrintable(shown(note)));

    // The endpoints the program calls: the listing of a cover folder that
    // holds every cover of the catalogue, the recovery of the largest tables.
    QDir().mkpath(site.folder() + QStringLiteral("/couvertures"));
    for (const QStringList& row :
         e2e::runSql(site.database(), "SELECT DISTINCT couverture FROM kv_albums").rows) {
        const QString cover = row.value(0);
        QFile file(site.folder() + QStringLiteral("/couvertures/") + cover);
        if (!cover.isEmpty() && cover != QStringLiteral("NULL") && !cover.contains(u'/')) {
            file.open(QIODevice::WriteOnly);
        }
    }

    const QByteArray prefix = QUrl(site.url()).path().toUtf8() + '/';
    const auto value = [](const QString& v) { return QUrl::toPercentEncoding(cp1252::encode(v)); };
    const Page pages[] = {
        {"stats", prefix + "stats.php?coll=albums", {}, 1000, "< 1 s"},
        {"genre", prefix + "style.php?coll=albums&style=" + value(genre), {}, 2000, "< 2 s"},
        {"DL année", prefix + "dl.php?coll=albums&date=" + value(anneeDl), {}, 2000, "< 2 s"},
        {"achat an",
         prefix + "dt-achat.php?coll=albums&date=" + value(anneeAchat),
         {},
         2000,
         "< 2 s"},
        {"notes", prefix + "notes.php?coll=albums&notes=" + value(note), {}, 2000, "< 2 s"},
        {"l. auteurs", prefix + "liste.php?coll=albums&liste=auteurs", {}, 2000, "< 2 s"},
        {"l. coll.", prefix + "liste.php?coll=albums&liste=collections", {}, 2000, "< 2 s"},
        {"l. genres", prefix + "liste.php?coll=albums&liste=styles", {}, 2000, "< 2 s"},
        // A broad search: every title holding an "e". Posted, so never kept:
        // warm is cold again.
        {"cherche e", prefix + "search.php?coll=albums", "ftitre=e", 0, "128 Mo"},
        {"accueil", prefix + "index.php?coll=albums", {}, 0, "garder"},
        {"série", prefix + "serie.php?coll=albums&idserie=" + serie.toUtf8(), {}, 0, "garder"},
        {"auteur", prefix + "auteur.php?coll=albums&idauteur=" + auteur.toUtf8(), {}, 0, "garder"},
    };
    const QString cache = site.folder() + QStringLiteral("/cache");
    const QByteArray recovery = prefix + "recovery.php?tablename=series";
    if (!earlier.isEmpty() || only == QStringLiteral("guesses") ||
        only == QStringLiteral("change") || only == QStringLiteral("load") ||
        only == QStringLiteral("methods")) {
        if (!earlier.isEmpty()) {
            besideEarlier(site, base.port(), prefix, earlier,
                          {{"l. auteurs", pages[5].path.mid(prefix.size())},
                           {"auteur", pages[11].path.mid(prefix.size())}},
                          clients, coldRequests);
        } else if (only == QStringLiteral("guesses") || only == QStringLiteral("methods")) {
            // PHP's own server, then each host's stack the script started.
            // Each as "name=port=pid+pid": its servers' processes.
            QStringList named{QStringLiteral("php -S=%1=%2")
                                  .arg(base.port())
                                  .arg(qEnvironmentVariable("KALVOR_BENCH_PHP_PID"))};
            named += qEnvironmentVariable("KALVOR_BENCH_STACKS").split(u',', Qt::SkipEmptyParts);
            for (const QString& stack : named) {
                const int port = stack.section(u'=', 1, 1).toInt();
                QList<int> servers;
                for (const QString& pid : stack.section(u'=', 2).split(u'+', Qt::SkipEmptyParts)) {
                    servers << pid.toInt();
                }
                std::printf("-- %s\n", qPrintable(stack.section(u'=', 0, 0)));
                QUrl url(site.url());
                url.setPort(port);
                if (only == QStringLiteral("methods")) {
                    // The pages are kept by the first server, read by the others.
                    besideOtherRequests(port, port == base.port() ? cache : QString(), prefix,
                                        serie.toUtf8(), auteur.toUtf8(), clients, 16);
                    continue;
                }
                if (cachedPages(cache) == 0) {
                    keep(port, cache, pages[0].path);
                }
                serverCost(port, servers, pages[0].path, recovery, clients);
                guessing(port, cache, pages[0].path, recovery, clients, false);
                std::printf("   chaque essai d'une adresse nouvelle :\n");
                guessing(port, cache, pages[0].path, recovery, clients, true);
                ownerRecovery(url.toString(), port, recovery);
            }
        } else if (only == QStringLiteral("load")) {
            duringLoad(site, base.port(), cache, pages[0].path, clients);
        } else {
            firstAfterChange(site, base.port(), cache, prefix + "serie.php?coll=albums&idserie=-",
                             clients);
        }
        e2e::runSql(QString(), QStringLiteral("DROP DATABASE `%1`;").arg(site.database()).toUtf8());
        QDir(site.folder()).removeRecursively();
        return;
    }
    std::printf("%d clients ; à froid %d requêtes par page, à chaud %d\n", clients, coldRequests,
                requests);
    std::printf("%-10s %9s | %20s %7s | %20s %7s | échecs\n", "page", "octets", "froid p50 / p95",
                "but", "chaud p50 / p95", "but");
    for (const Page& page : pages) {
        // Cold: every request under an address of its own, so that the cache
        // never holds its page: the collection of an older link, which every
        // page reads beside the default one, and which names none here.
        QDir(cache).removeRecursively();
        const Figures cold = load(
            base.port(),
            [&](int i) {
                return page.form.isEmpty() ? page.path + "&current_coll=x" + QByteArray::number(i)
                                           : page.path;
            },
            page.form, clients, coldRequests);
        QDir(cache).removeRecursively();
        // Warm: once kept (not within seconds of a change), then sent from the
        // cache. A page that fails is never kept: warm is cold again.
        if (page.form.isEmpty()) {
            QElapsedTimer waited;
            waited.start();
            while (cachedPages(cache) == 0 && waited.elapsed() < 10000) {
                get(base.port(), page.path);
                if (cachedPages(cache) == 0) {
                    QThread::msleep(300);
                }
            }
        }
        const bool kept = cachedPages(cache) > 0;
        const Figures warm = load(
            base.port(), [&](int) { return page.path; }, page.form, clients,
            kept ? requests : coldRequests);
        const auto verdict = [](double p95, double goal) {
            return goal <= 0 ? "" : (p95 < goal ? "ok" : "NON");
        };
        // A posted page is never kept: it has no warm goal.
        const double warmGoal = page.form.isEmpty() ? 100 : 0;
        std::printf("%-10s %9lld | %9.1f / %8.1f %7s %-3s | %9.1f / %8.1f %7s %-3s | %d + %d%s\n",
                    page.label, static_cast<long long>(warm.bytes), cold.p50, cold.p95,
                    page.coldText, verdict(cold.p95, page.coldGoal), warm.p50, warm.p95,
                    warmGoal > 0 ? "< 100" : "", verdict(warm.p95, warmGoal), cold.failures,
                    warm.failures, kept ? "" : " (pas gardée)");
        std::fflush(stdout);
    }

    // A page made beside a cache of 3,000 kept pages costs what it costs
    // beside an empty one: one client, a page for a series that is not
    // there, each request under a key of its own.
    const QByteArray made = prefix + "serie.php?coll=albums&idserie=-";
    {
        const auto misses = [&](int from, int clients, int count) {
            return load(
                base.port(), [&](int i) { return made + QByteArray::number(from + i); }, {},
                clients, count);
        };
        QDir(cache).removeRecursively();
        keep(base.port(), cache, made + "0");
        const Figures empty = misses(1, 1, 200);
        misses(1000, clients, 3000);
        const int kept = cachedPages(cache);
        const Figures full = misses(10000, 1, 200);
        std::printf(
            "page faite à côté de 1 à 200 / %d pages gardées : p50 %.1f / %.1f ms, "
            "rapport %.2f (< 1,5)\n",
            kept, empty.p50, full.p50, full.p50 / empty.p50);
        std::fflush(stdout);
        QDir(cache).removeRecursively();
    }
    firstAfterChange(site, base.port(), cache, made, clients);

    // Thumbnails made by a visitor while 8 clients ask for two kept pages:
    // the visitor's pages are kept only once their thumbnails are all made,
    // and its thumbnails leave the pages kept meanwhile be.
    realCovers(site);
    // A thumbnail made in the second its picture was put there is not kept.
    QThread::sleep(1);
    const QByteArray stats = pages[0].path;
    const QByteArray achat = pages[3].path;
    const Visit first = visit(base.port(), prefix, {achat});
    const bool keptStats = keep(base.port(), cache, stats);
    const bool keptAchat = keep(base.port(), cache, achat);
    std::printf("miniatures de « achat an » : %d faites en %lld ms%s%s\n", first.thumbnails,
                first.ms, keptStats ? "" : " ; stats pas gardée",
                keptAchat ? "" : " ; achat an pas gardée");
    std::atomic<bool> visiting{true};
    Visit visited;
    std::thread visitor([&] {
        visited = visit(base.port(), prefix, {pages[2].path});
        visiting = false;
    });
    std::vector<std::vector<double>> times(2);
    std::vector<std::thread> threads;
    std::mutex lock;
    std::atomic<int> failures{0};
    for (int c = 0; c < clients; ++c) {
        threads.emplace_back([&, c] {
            std::vector<std::vector<double>> mine(2);
            for (int i = c; visiting; ++i) {
                const int which = i % 2;
                const auto start = std::chrono::steady_clock::now();
                const QByteArray reply = get(base.port(), which == 0 ? stats : achat);
                mine[which].push_back(std::chrono::duration<double, std::milli>(
                                          std::chrono::steady_clock::now() - start)
                                          .count());
                failures += good(reply) ? 0 : 1;
            }
            std::lock_guard<std::mutex> hold(lock);
            for (int w = 0; w < 2; ++w) {
                times[w].insert(times[w].end(), mine[w].begin(), mine[w].end());
            }
        });
    }
    visitor.join();
    for (auto& t : threads) {
        t.join();
    }
    std::printf("visite : %d pages, %d miniatures faites en %lld ms, %d échecs\n", visited.pages,
                visited.thumbnails, visited.ms, visited.failures + failures);
    const char* names[] = {"stats", "achat an"};
    for (int w = 0; w < 2; ++w) {
        if (times[w].empty()) {
            continue;
        }
        const double p50 = percentile(times[w], 50);
        const double p95 = percentile(times[w], 95);
        std::printf(
            "%-10s pendant la visite, %zu requêtes : chaud p50 / p95 %7.1f / %7.1f  < 100 %s\n",
            names[w], times[w].size(), p50, p95, p95 < 100 ? "ok" : "NON");
    }
    // The same kept page once no thumbnail is being made any more.
    QThread::sleep(3);
    const Figures settled = load(
        base.port(), [&](int) { return achat; }, {}, clients, requests);
    std::printf("achat an   miniatures faites, %d requêtes : chaud p50 / p95 %7.1f / %7.1f | %d\n",
                requests, settled.p50, settled.p95, settled.failures);
    std::fflush(stdout);

    guessing(base.port(), cache, stats, recovery, clients, false);
    ownerRecovery(site.url(), base.port(), recovery);

    // The endpoints are never kept: one run each.
    const Page endpoints[] = {
        {"listing", prefix + "check_files.php?current_rep=couvertures", {}, 0, ""},
        {"récup alb", prefix + "recovery.php?tablename=albums", "pwd=kalvor", 0, ""},
        {"récup aut", prefix + "recovery.php?tablename=auteurs", "pwd=kalvor", 0, ""},
    };
    for (const Page& page : endpoints) {
        const Figures f = load(
            base.port(), [&](int) { return page.path; }, page.form, clients, coldRequests);
        std::printf("%-10s %9lld | %9.1f / %8.1f (jamais gardé)                        | %d\n",
                    page.label, static_cast<long long>(f.bytes), f.p50, f.p95, f.failures);
    }
    e2e::runSql(QString(), QStringLiteral("DROP DATABASE `%1`;").arg(site.database()).toUtf8());
    QDir(site.folder()).removeRecursively();
}

}  // namespace

int main(int argc, char** argv) {
    QCoreApplication app(argc, argv);
    QStringList catalogues;
    int requests = 400;
    int coldRequests = 8;
    int clients = 8;
    QString only;
    QString earlier;
    const QStringList args = app.arguments().mid(1);
    for (int i = 0; i < args.size(); ++i) {
        if (args[i] == QStringLiteral("--requests") && i + 1 < args.size()) {
            requests = args[++i].toInt();
        } else if (args[i] == QStringLiteral("--cold") && i + 1 < args.size()) {
            coldRequests = args[++i].toInt();
        } else if (args[i] == QStringLiteral("--clients") && i + 1 < args.size()) {
            clients = args[++i].toInt();
        } else if (args[i] == QStringLiteral("--only") && i + 1 < args.size()) {
            only = args[++i];
        } else if (args[i] == QStringLiteral("--avant") && i + 1 < args.size()) {
            earlier = args[++i];
        } else {
            catalogues << args[i];
        }
    }
    if (catalogues.isEmpty()) {
        catalogues = {QStringLiteral("/work/shared/fixtures/large/catalogue-20k-v6.mdb"),
                      QStringLiteral("60000")};
    }
    if (!e2e::serversAnnounced() || !QUrl(env("KALVOR_BENCH_URL")).isValid()) {
        std::fprintf(stderr, "Serveurs absents : lancer bench/site/run\n");
        return 1;
    }
    QTemporaryDir made;
    try {
        for (const QString& catalogue : catalogues) {
            bool number = false;
            const int albums = catalogue.toInt(&number);
            if (number) {
                const QString db = made.filePath(QStringLiteral("invente-%1.db").arg(albums));
                catalogue::WriteSyntheticCatalogue(db, catalogue::Generation::V6, albums);
                bench(db, QStringLiteral("catalogue inventé de %1 albums").arg(albums), requests,
                      coldRequests, clients, only, earlier);
            } else {
                bench(catalogue, catalogue, requests, coldRequests, clients, only, earlier);
            }
        }
    } catch (const Error& e) {
        std::fprintf(stderr, "Échec : %s\n", qPrintable(e.Description()));
        return 1;
    }
    return 0;
}
