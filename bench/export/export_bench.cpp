// Times the full data export against the floor of merely reading the same
// tables, and shows how it grows with the catalogue.
//   export_bench [file.mdb] [--albums N,M,...]
//   export_bench --make file.db N     (a synthetic catalogue, for profiling)
//   export_bench --one catalogue version exportFolder
// Each export runs in a child process of its own, so that the Access import
// is timed with it and its peak memory is its own.
#include <sys/resource.h>

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QProcess>
#include <QTemporaryDir>
#include <cstdio>

#include "catalogue/synthetic_catalogue.h"
#include "platform/error.h"
#include "platform/prompt.h"
#include "settings/settings.h"
#include "sqlscripts/full_export.h"

using namespace kalvor;

namespace {

long peakKb() {
    rusage usage{};
    getrusage(RUSAGE_SELF, &usage);
    return usage.ru_maxrss;
}

// Child: one export, printed as "<ms> <peak kB>".
int exportOnce(const QString& catalogue, const QString& version, const QString& out) {
    Settings s;
    s.GV_Chemin_Base = catalogue;
    s.GV_Version_Base = version;
    s.GV_Export = out;
    s.opt_albums = s.opt_acheter = s.opt_revues = s.opt_parabd = 1;
    s.Opt_Collaborateurs = 1;
    s.Mode_Commande = true;
    s.box_SplitGroup = QStringLiteral("500");
    ConsolePrompt prompt;
    QElapsedTimer timer;
    timer.start();
    const bool ok = btn_Donnees_SQL_Click(s, prompt);
    std::printf("%lld %ld\n", timer.elapsed(), peakKb());
    return ok ? 0 : 1;
}

struct Child {
    qint64 ms = -1;
    long kb = 0;
};

Child runOnce(const QString& catalogue, const QString& version, const QString& out) {
    QProcess p;
    p.start(QCoreApplication::applicationFilePath(),
            {QStringLiteral("--one"), catalogue, version, out});
    p.waitForFinished(-1);
    const QStringList parts = QString::fromLatin1(p.readAllStandardOutput()).split(u' ');
    if (p.exitCode() != 0 || parts.size() < 2) {
        std::fprintf(stderr, "export failed: %s\n", p.readAllStandardError().constData());
        return {};
    }
    return {parts[0].toLongLong(), parts[1].trimmed().toLong()};
}

// The machine is shared: the best of a few runs, for the export and its floor alike.
constexpr int kRuns = 3;

Child runChild(const QString& catalogue, const QString& version, const QString& out) {
    Child best;
    for (int i = 0; i < kRuns; ++i) {
        const Child c = runOnce(catalogue, version, out);
        if (c.ms < 0) {
            return c;
        }
        if (best.ms < 0 || c.ms < best.ms) {
            best = c;
        }
    }
    return best;
}

qint64 timeOnce(const QString& shell) {
    QElapsedTimer timer;
    timer.start();
    QProcess p;
    p.start(QStringLiteral("/bin/sh"), {QStringLiteral("-c"), shell});
    p.waitForFinished(-1);
    if (p.exitCode() != 0) {
        std::fprintf(stderr, "floor command failed: %s\n", qPrintable(shell));
    }
    return timer.elapsed();
}

qint64 timeCommand(const QString& shell) {
    qint64 best = -1;
    for (int i = 0; i < kRuns; ++i) {
        const qint64 ms = timeOnce(shell);
        if (best < 0 || ms < best) {
            best = ms;
        }
    }
    return best;
}

void report(const char* what, const Child& c, qint64 floorMs, const char* floorName) {
    std::printf("%-34s export %6lld ms  peak %7ld kB | floor (%s) %6lld ms | ratio %.2f\n", what,
                c.ms, c.kb, floorName, floorMs, floorMs > 0 ? double(c.ms) / double(floorMs) : 0.0);
}

}  // namespace

int main(int argc, char** argv) {
    QCoreApplication app(argc, argv);
    QStringList args = app.arguments().mid(1);
    if (args.value(0) == QStringLiteral("--one")) {
        return exportOnce(args.value(1), args.value(2), args.value(3));
    }
    if (args.value(0) == QStringLiteral("--make")) {
        catalogue::WriteSyntheticCatalogue(args.value(1), catalogue::Generation::V6,
                                           args.value(2).toInt());
        return 0;
    }
    QList<int> sizes{50000, 100000};
    const int flag = int(args.indexOf(QStringLiteral("--albums")));
    if (flag >= 0 && flag + 1 < args.size()) {
        sizes.clear();
        for (const QString& n : args[flag + 1].split(u','))
            sizes << n.toInt();
        args.remove(flag, 2);
    }
    const QString mdb =
        args.value(0, QStringLiteral("/work/shared/fixtures/large/catalogue-20k-v6.mdb"));
    QTemporaryDir dir;
    try {
        const Child access = runChild(mdb, QStringLiteral("v6"), dir.path());
        const qint64 accessFloor =
            timeCommand(QStringLiteral("for t in $(mdb-tables -1 '%1'); do mdb-export '%1' \"$t\" "
                                       ">/dev/null || exit 1; done")
                            .arg(mdb));
        report("Access 20k (import included)", access, accessFloor, "mdb-export");

        qint64 firstMs = 0;
        int firstSize = 0;
        for (int albums : sizes) {
            const QString db = dir.filePath(QStringLiteral("synthetic-%1.db").arg(albums));
            catalogue::WriteSyntheticCatalogue(db, catalogue::Generation::V6, albums);
            const Child c = runChild(db, QStringLiteral("v6"), dir.path());
            const qint64 floor =
                timeCommand(QStringLiteral("sqlite3 '%1' .dump >/dev/null").arg(db));
            const QByteArray label = QStringLiteral("SQLite synthetic %1").arg(albums).toUtf8();
            report(label.constData(), c, floor, "sqlite3 .dump");
            if (firstSize == 0) {
                firstSize = albums;
                firstMs = c.ms;
            } else if (firstMs > 0) {
                std::printf("  %d albums take %.2f times the time of %d\n", albums,
                            double(c.ms) / double(firstMs), firstSize);
            }
        }
    } catch (const Error& e) {
        std::fprintf(stderr, "%d %s\n", e.Number(), qPrintable(e.Description()));
        return 1;
    }
    return 0;
}
