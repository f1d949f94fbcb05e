// Times the data exports against their floor, measured in the same run:
// mdb-export of the Access catalogue's tables, sqlite3 .dump of a SQLite
// one; the incremental export of a window holding every item against the
// full export of the same catalogue. Each export is a whole process (the
// Access import included) whose peak memory is its own; the two commands of
// a pair run in turn and the medians are compared.
//   export_bench [file.mdb] [--albums N,M,...] [--runs R]
//   export_bench --make file.db N [v5]   (a synthetic catalogue, for profiling)
//   export_bench --one catalogue version exportFolder [utf8|latin] [split] [incremental]
#include <QCoreApplication>
#include <QElapsedTimer>
#include <QFile>
#include <QProcess>
#include <QTemporaryDir>
#include <algorithm>
#include <cstdio>

#include "catalogue/synthetic_catalogue.h"
#include "platform/error.h"
#include "platform/prompt.h"
#include "settings/settings.h"
#include "sqlscripts/full_export.h"
#include "sqlscripts/incremental_export.h"

using namespace kalvor;

namespace {

// The process's own peak: getrusage would count the parent's memory that
// the fork copied before the program started.
long peakKb() {
    QFile status(QStringLiteral("/proc/self/status"));
    if (!status.open(QIODevice::ReadOnly)) {
        return 0;
    }
    for (const QByteArray& line : status.readAll().split('\n')) {
        if (line.startsWith("VmHWM:")) {
            return line.mid(6).trimmed().split(' ').value(0).toLong();
        }
    }
    return 0;
}

// Child: one export, every group ticked; prints its peak memory in kB.
int exportOnce(const QStringList& args) {
    Settings s;
    s.GV_Chemin_Base = args.value(0);
    s.GV_Version_Base = args.value(1);
    s.GV_Export = args.value(2);
    s.format = args.contains(QStringLiteral("latin")) ? Settings::FormatDonnees::Latin1
                                                      : Settings::FormatDonnees::Utf8;
    s.split = args.contains(QStringLiteral("split")) ? Settings::Split::Yes : Settings::Split::No;
    s.opt_albums = s.opt_acheter = s.opt_revues = s.opt_parabd = 1;
    s.Opt_Collaborateurs = 1;
    s.Mode_Commande = true;
    s.box_SplitGroup = QStringLiteral("500");
    // The window of the incremental export holds every dated album and every item.
    s.box_LastRun = QStringLiteral("01/01/1900");
    s.GV_LastId = s.GV_LastIdRevue = s.GV_LastIdPara = 0;
    ConsolePrompt prompt;
    const bool ok = args.contains(QStringLiteral("incremental"))
                        ? btn_LastDonnees_SQL_Click(s, prompt)
                        : btn_Donnees_SQL_Click(s, prompt);
    std::printf("%ld\n", peakKb());
    return ok ? 0 : 1;
}

struct Run {
    qint64 ms = -1;
    long kb = 0;
};

Run runProgram(const QString& program, const QStringList& args) {
    QElapsedTimer timer;
    timer.start();
    QProcess p;
    p.start(program, args);
    p.waitForFinished(-1);
    Run run{timer.elapsed(), p.readAllStandardOutput().trimmed().toLong()};
    if (p.exitStatus() != QProcess::NormalExit || p.exitCode() != 0) {
        std::fprintf(stderr, "failed: %s %s\n%s\n", qPrintable(program),
                     qPrintable(args.join(u' ')), p.readAllStandardError().constData());
        run.ms = -1;
    }
    return run;
}

Run exportRun(const QStringList& args) {
    return runProgram(QCoreApplication::applicationFilePath(), QStringList{"--one"} + args);
}

Run shellRun(const QString& shell) {
    Run run = runProgram(QStringLiteral("/bin/sh"), {QStringLiteral("-c"), shell});
    run.kb = 0;
    return run;
}

qint64 median(QList<qint64> values) {
    std::sort(values.begin(), values.end());
    return values.isEmpty() ? -1 : values[values.size() / 2];
}

int runs = 5;

// The export and its floor in turn; medians, and the export's largest peak.
void pair(const char* what, const std::function<Run()>& work, const char* floorName,
          const std::function<Run()>& floor) {
    QList<qint64> workMs, floorMs;
    long kb = 0;
    work();  // warm-up: caches, and the first run's surprises
    for (int i = 0; i < runs; ++i) {
        const Run w = work();
        const Run f = floor();
        if (w.ms < 0 || f.ms < 0) {
            std::printf("%-34s failed\n", what);
            return;
        }
        workMs << w.ms;
        floorMs << f.ms;
        kb = std::max(kb, w.kb);
    }
    const qint64 w = median(workMs), f = median(floorMs);
    std::printf("%-34s %6lld ms  peak %6.1f MiB | %-18s %6lld ms | ratio %.2f\n", what, w,
                double(kb) / 1024.0, floorName, f, f > 0 ? double(w) / double(f) : 0.0);
    std::fflush(stdout);
}

}  // namespace

int main(int argc, char** argv) {
    QCoreApplication app(argc, argv);
    QStringList args = app.arguments().mid(1);
    if (args.value(0) == QStringLiteral("--one")) {
        return exportOnce(args.mid(1));
    }
    if (args.value(0) == QStringLiteral("--make")) {
        catalogue::WriteSyntheticCatalogue(args.value(1),
                                           args.value(3) == QStringLiteral("v5")
                                               ? catalogue::Generation::Older
                                               : catalogue::Generation::V6,
                                           args.value(2).toInt());
        return 0;
    }
    QList<int> sizes{20000, 100000};
    const int flag = int(args.indexOf(QStringLiteral("--albums")));
    if (flag >= 0 && flag + 1 < args.size()) {
        sizes.clear();
        for (const QString& n : args[flag + 1].split(u','))
            sizes << n.toInt();
        args.remove(flag, 2);
    }
    const int runsFlag = int(args.indexOf(QStringLiteral("--runs")));
    if (runsFlag >= 0 && runsFlag + 1 < args.size()) {
        runs = std::max(1, args[runsFlag + 1].toInt());
        args.remove(runsFlag, 2);
    }
    const QString mdb =
        args.value(0, QStringLiteral("/work/shared/fixtures/large/catalogue-20k-v6.mdb"));
    QTemporaryDir dir;
    const QString out = dir.path();
    const QString v6 = QStringLiteral("v6");
    try {
        std::printf("medians of %d runs, each export a whole process\n", runs);
        const auto full = [&](const QString& db) {
            return [=] { return exportRun({db, v6, out}); };
        };
        const auto incremental = [&](const QString& db) {
            return [=] { return exportRun({db, v6, out, QStringLiteral("incremental")}); };
        };
        pair("Access 20k, full (import included)", full(mdb), "mdb-export", [&] {
            return shellRun(QStringLiteral("for t in $(mdb-tables -1 '%1'); do mdb-export '%1' "
                                           "\"$t\" >/dev/null || exit 1; done")
                                .arg(mdb));
        });
        pair("Access 20k, incremental", incremental(mdb), "full export", full(mdb));
        for (int albums : sizes) {
            const QString db = dir.filePath(QStringLiteral("synthetic-%1.db").arg(albums));
            catalogue::WriteSyntheticCatalogue(db, catalogue::Generation::V6, albums);
            const QByteArray label = QStringLiteral("SQLite %1, full").arg(albums).toUtf8();
            pair(label.constData(), full(db), "sqlite3 .dump",
                 [&] { return shellRun(QStringLiteral("sqlite3 '%1' .dump >/dev/null").arg(db)); });
            const QByteArray incLabel =
                QStringLiteral("SQLite %1, incremental").arg(albums).toUtf8();
            pair(incLabel.constData(), incremental(db), "full export", full(db));
        }
    } catch (const Error& e) {
        std::fprintf(stderr, "%d %s\n", e.Number(), qPrintable(e.Description()));
        return 1;
    }
    return 0;
}
