// Times the data exports against their floor, measured in the same run:
// mdb-export of the Access catalogue's tables, sqlite3 .dump of a SQLite
// one; the incremental export of a window holding every item against the
// full export of the same catalogue. Each export is a whole process (the
// Access import included) whose peak memory is its own; the two commands of
// a pair run in turn and the medians are compared. The program itself runs
// as a scheduled job runs it, `kalvor donnees` with its registry file, start-
// up included; the export functions alone show what the start-up costs.
//   export_bench [file.mdb] [--albums N,M,...] [--runs R] [--kalvor path]
//                [--against path]
// With --against, the program is timed against another build of it (the
// one before a change) instead of the floors: both exports, the incremental
// one with every album new and with the last half-year's (about 2% of a
// synthetic catalogue's albums).
//   export_bench --instructions [--albums N,M,...] [--kalvor path] [--against path]
// counts with callgrind, in one run, the instructions of `kalvor
// dernieres_donnees` with 1,000 new albums (nothing new elsewhere) and of
// `kalvor donnees`, on synthetic catalogues of each size (default 10,000,
// 50,000 and 100,000 albums), for the program and the one --against.
//   export_bench --make file.db N [v5]   (a synthetic catalogue, for profiling)
//   export_bench --one catalogue version exportFolder [utf8|latin] [split] [incremental]
#include <QCoreApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QFileInfo>
#include <QProcess>
#include <QTemporaryDir>
#include <algorithm>
#include <cstdio>

#include "catalogue/synthetic_catalogue.h"
#include "platform/dao/database.h"
#include "platform/dao/db_engine.h"
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
    // The marks an export reads and writes: a settings file of its own, and
    // no earlier script to carry.
    const QString folder = args.value(2);
    QFile::remove(folder + QStringLiteral("/registry.reg"));
    QFile::remove(folder + QStringLiteral("/scripts/dernieres_donnees.sql"));
    qputenv("KALVOR_REGISTRY", QFile::encodeName(folder + QStringLiteral("/registry.reg")));
    Settings::Write_Marks({{Settings::Mark::LastRun, QStringLiteral("01/01/1900")},
                           {Settings::Mark::LastId, QStringLiteral("0")},
                           {Settings::Mark::LastIdPara, QStringLiteral("0")},
                           {Settings::Mark::LastIdRevue, QStringLiteral("0")}});
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
    qint64 instructions = -1;  // under callgrind
};

// The ids above which the incremental export takes wish-list albums,
// collectibles and magazine issues.
struct IdMarks {
    qint64 album = 0, para = 0, revue = 0;
};

// The instructions counted in a callgrind output file.
qint64 instructionsIn(const QString& path) {
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly)) {
        return -1;
    }
    for (const QByteArray& line : file.readAll().split('\n')) {
        if (line.startsWith("totals:") || line.startsWith("summary:")) {
            return line.mid(line.indexOf(':') + 1).trimmed().split(' ').value(0).toLongLong();
        }
    }
    return -1;
}

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

// The program as a scheduled job runs it: its own registry file, written
// afresh for each run (the run moves its marks), no display. GNU time reports
// the program's peak alone.
struct Program {
    QString binary;
    QString folder;  // registry, state and export folder

    // `lastRun`: the day after which the incremental export takes albums.
    // Under callgrind when `callgrind` names its output file.
    Run run(const QString& catalogue, const QString& word,
            const QString& lastRun = QStringLiteral("01/01/1900"), const IdMarks& marks = {},
            const QString& callgrind = {}) const {
        const QString store =
            QStringLiteral(
                "Windows Registry Editor Version 5.00\r\n\r\n"
                "[HKEY_CURRENT_USER\\Software\\Ormelo6]\r\n\"CheminBase\"=\"%1\"\r\n\r\n"
                "[HKEY_CURRENT_USER\\software\\Kalvor\\Repertoires]\r\n\"Export\"=\"%2\"\r\n\r\n"
                "[HKEY_CURRENT_USER\\software\\Kalvor\\Config]\r\n\"collection\"=\"31\"\r\n"
                "\"lastrun\"=\"%3\"\r\n\"lastid\"=\"%4\"\r\n\"lastidpara\"=\"%5\"\r\n"
                "\"lastidrevue\"=\"%6\"\r\n"
                // As the last full export records what it sent.
                "\"lastfull\"=\"lastrun=%3;lastid=%4;lastidpara=%5;lastidrevue=%6\"\r\n")
                .arg(catalogue, folder + QStringLiteral("/export"), lastRun)
                .arg(marks.album)
                .arg(marks.para)
                .arg(marks.revue);
        QDir().mkpath(folder + QStringLiteral("/export"));
        // Loaded, then deleted: a build that carried it carries nothing.
        QFile::remove(folder + QStringLiteral("/export/scripts/dernieres_donnees.sql"));
        QFile file(folder + QStringLiteral("/registry.reg"));
        if (!file.open(QIODevice::WriteOnly) || file.write(store.toUtf8()) < 0) {
            return Run{};
        }
        file.close();
        QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
        for (const char* name : {"DISPLAY", "WAYLAND_DISPLAY", "QT_QPA_PLATFORM"}) {
            env.remove(QString::fromLatin1(name));
        }
        env.insert(QStringLiteral("KALVOR_REGISTRY"), file.fileName());
        env.insert(QStringLiteral("WINEPREFIX"), folder + QStringLiteral("/wine"));
        env.insert(QStringLiteral("XDG_STATE_HOME"), folder + QStringLiteral("/state"));
        QElapsedTimer timer;
        timer.start();
        QProcess p;
        p.setProcessEnvironment(env);
        p.setStandardOutputFile(QProcess::nullDevice());
        if (callgrind.isEmpty()) {
            p.start(QStringLiteral("/usr/bin/time"), {QStringLiteral("-f"), QStringLiteral("%M"),
                                                      binary, word, QStringLiteral("utf8")});
        } else {
            QFile::remove(callgrind);  // a failed run counts nothing
            p.start(QStringLiteral("valgrind"),
                    {QStringLiteral("--tool=callgrind"),
                     QStringLiteral("--callgrind-out-file=") + callgrind, binary, word,
                     QStringLiteral("utf8")});
        }
        p.waitForFinished(-1);
        Run run{timer.elapsed(), 0};
        const QList<QByteArray> lines = p.readAllStandardError().trimmed().split('\n');
        run.kb = callgrind.isEmpty() ? lines.last().toLong() : 0;
        if (!callgrind.isEmpty()) {
            run.instructions = instructionsIn(callgrind);
        }
        if (p.exitStatus() != QProcess::NormalExit || p.exitCode() != 0) {
            std::fprintf(stderr, "failed: %s %s\n", qPrintable(binary), qPrintable(word));
            run.ms = -1;
            run.instructions = -1;
        }
        return run;
    }
};

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
// The ratio is the median of each pair's own: the machine's speed drifts
// less within a pair than over the whole run.
void pair(const char* what, const std::function<Run()>& work, const char* floorName,
          const std::function<Run()>& floor) {
    QList<qint64> workMs, floorMs;
    QList<double> ratios;
    long kb = 0;
    work();  // warm-up: caches, and the first run's surprises
    for (int i = 0; i < runs; ++i) {
        const Run w = work();
        const Run f = floor();
        if (w.ms < 0 || f.ms <= 0) {
            std::printf("%-40s failed\n", what);
            return;
        }
        workMs << w.ms;
        floorMs << f.ms;
        ratios << double(w.ms) / double(f.ms);
        kb = std::max(kb, w.kb);
    }
    std::sort(ratios.begin(), ratios.end());
    std::printf("%-40s %6lld ms  peak %6.1f MiB | %-18s %6lld ms | ratio %.2f (%.2f-%.2f)\n", what,
                median(workMs), double(kb) / 1024.0, floorName, median(floorMs),
                ratios[ratios.size() / 2], ratios.first(), ratios.last());
    std::fflush(stdout);
}

// A synthetic catalogue of `albums` albums whose last 1,000 owned albums
// were bought after 01/06/2026, the day of the last export; the marks of
// the other groups stand at their highest ids.
IdMarks withThousandNew(const QString& path, int albums) {
    catalogue::WriteSyntheticCatalogue(path, catalogue::Generation::V6, albums);
    auto db = dao::DBEngine::OpenDatabase(path);
    db->ExecuteScript(QStringLiteral(
        "UPDATE ALBUMS SET DateAchat = '2026-06-15 00:00:00' WHERE IdAlbum IN (SELECT IdAlbum "
        "FROM ALBUMS WHERE AAcheter = 0 ORDER BY IdAlbum DESC LIMIT 1000);"));
    const auto highest = [&](const QString& sql) {
        auto rs = db->OpenRecordset(sql);
        return rs->Fields(0).toLongLong();
    };
    IdMarks marks{highest(QStringLiteral("select max(IdAlbum) from ALBUMS where AAcheter=1")),
                  highest(QStringLiteral("select max(IdParabd) from PARABD")),
                  highest(QStringLiteral("select max(IdRevue) from REVUES"))};
    db->Close();
    return marks;
}

int countInstructions(const QList<int>& sizes, const QString& kalvor, const QString& against) {
    QTemporaryDir dir;
    QList<std::pair<QString, Program>> programs{
        {QStringLiteral("kalvor"), Program{kalvor, dir.filePath(QStringLiteral("program"))}}};
    if (!against.isEmpty()) {
        programs.append(
            {QStringLiteral("before"), Program{against, dir.filePath(QStringLiteral("before"))}});
    }
    const QString out = dir.filePath(QStringLiteral("callgrind.out"));
    std::printf("instructions (callgrind), whole process\n");
    QHash<QString, QList<qint64>> incremental;
    for (int albums : sizes) {
        const QString db = dir.filePath(QStringLiteral("synthetic-%1.db").arg(albums));
        const IdMarks marks = withThousandNew(db, albums);
        for (const auto& [name, program] : programs) {
            const Run inc = program.run(db, QStringLiteral("dernieres_donnees"),
                                        QStringLiteral("01/06/2026"), marks, out);
            const Run full = program.run(db, QStringLiteral("donnees"),
                                         QStringLiteral("01/06/2026"), marks, out);
            incremental[name] << inc.instructions;
            std::printf("%-7s %7d albums: dernieres_donnees (1,000 new) %14lld | donnees %14lld\n",
                        qPrintable(name), albums, inc.instructions, full.instructions);
            std::fflush(stdout);
        }
    }
    for (auto it = incremental.cbegin(); it != incremental.cend(); ++it) {
        if (it->size() > 1 && it->first() > 0) {
            std::printf("%-7s dernieres_donnees, largest / smallest catalogue: %.2f\n",
                        qPrintable(it.key()), double(it->last()) / double(it->first()));
        }
    }
    return 0;
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
    QString kalvorBinary =
        QCoreApplication::applicationDirPath() + QStringLiteral("/../app/kalvor");
    const int kalvorFlag = int(args.indexOf(QStringLiteral("--kalvor")));
    if (kalvorFlag >= 0 && kalvorFlag + 1 < args.size()) {
        kalvorBinary = args[kalvorFlag + 1];
        args.remove(kalvorFlag, 2);
    }
    QString againstBinary;
    const int againstFlag = int(args.indexOf(QStringLiteral("--against")));
    if (againstFlag >= 0 && againstFlag + 1 < args.size()) {
        againstBinary = args[againstFlag + 1];
        args.remove(againstFlag, 2);
    }
    const int instructionsFlag = int(args.indexOf(QStringLiteral("--instructions")));
    if (instructionsFlag >= 0) {
        args.remove(instructionsFlag);
        if (flag < 0) {
            sizes = {10000, 50000, 100000};
        }
        return countInstructions(sizes, kalvorBinary, againstBinary);
    }
    const QString mdb =
        args.value(0, QStringLiteral("/work/shared/fixtures/large/catalogue-20k-v6.mdb"));
    QTemporaryDir dir;
    const QString out = dir.path();
    const Program program{kalvorBinary, dir.filePath(QStringLiteral("program"))};
    const QString v6 = QStringLiteral("v6");
    try {
        std::printf("medians of %d runs, each export a whole process\n", runs);
        const auto full = [&](const QString& db) {
            return [=] { return exportRun({db, v6, out}); };
        };
        const auto incremental = [&](const QString& db) {
            return [=] { return exportRun({db, v6, out, QStringLiteral("incremental")}); };
        };
        const auto donnees = [&](const QString& db) {
            return [=, &program] { return program.run(db, QStringLiteral("donnees")); };
        };
        const auto dernieres = [&](const QString& db) {
            return [=, &program] { return program.run(db, QStringLiteral("dernieres_donnees")); };
        };
        const auto mdbExport = [&] {
            return shellRun(QStringLiteral("for t in $(mdb-tables -1 '%1'); do mdb-export '%1' "
                                           "\"$t\" >/dev/null || exit 1; done")
                                .arg(mdb));
        };
        if (!againstBinary.isEmpty()) {
            const Program before{againstBinary, dir.filePath(QStringLiteral("before"))};
            const QString recent = QStringLiteral("01/07/2025");
            QStringList catalogues{mdb};
            for (int albums : sizes) {
                catalogues << dir.filePath(QStringLiteral("synthetic-%1.db").arg(albums));
                catalogue::WriteSyntheticCatalogue(catalogues.last(), catalogue::Generation::V6,
                                                   albums);
            }
            for (const QString& db : catalogues) {
                const QString name = QFileInfo(db).fileName();
                for (const auto& [word, lastRun] :
                     {std::pair{QStringLiteral("donnees"), QStringLiteral("01/01/1900")},
                      std::pair{QStringLiteral("dernieres_donnees"), QStringLiteral("01/01/1900")},
                      std::pair{QStringLiteral("dernieres_donnees"), recent}}) {
                    const QByteArray label =
                        QStringLiteral("%1 %2 %3").arg(name, word, lastRun).toUtf8();
                    pair(
                        label.constData(),
                        [&, word = word, lastRun = lastRun] {
                            return program.run(db, word, lastRun);
                        },
                        "before",
                        [&, word = word, lastRun = lastRun] {
                            return before.run(db, word, lastRun);
                        });
                }
            }
            return 0;
        }
        pair("Access 20k, kalvor donnees", donnees(mdb), "mdb-export", mdbExport);
        pair("Access 20k, kalvor dernieres_donnees", dernieres(mdb), "kalvor donnees",
             donnees(mdb));
        pair("Access 20k, full (import included)", full(mdb), "mdb-export", mdbExport);
        pair("Access 20k, incremental", incremental(mdb), "full export", full(mdb));
        for (int albums : sizes) {
            const QString db = dir.filePath(QStringLiteral("synthetic-%1.db").arg(albums));
            catalogue::WriteSyntheticCatalogue(db, catalogue::Generation::V6, albums);
            const auto dump = [&] {
                return shellRun(QStringLiteral("sqlite3 '%1' .dump >/dev/null").arg(db));
            };
            const QByteArray programLabel =
                QStringLiteral("SQLite %1, kalvor donnees").arg(albums).toUtf8();
            pair(programLabel.constData(), donnees(db), "sqlite3 .dump", dump);
            const QByteArray programInc =
                QStringLiteral("SQLite %1, kalvor dernieres_donnees").arg(albums).toUtf8();
            pair(programInc.constData(), dernieres(db), "kalvor donnees", donnees(db));
            const QByteArray label = QStringLiteral("SQLite %1, full").arg(albums).toUtf8();
            pair(label.constData(), full(db), "sqlite3 .dump", dump);
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
