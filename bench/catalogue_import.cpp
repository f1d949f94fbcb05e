// Times the reading of an Access catalogue into memory, and the writing of
// synthetic SQLite catalogues.
//   catalogue_import [file.mdb] [--synthetic N]
#include <QCoreApplication>
#include <QDateTime>
#include <QElapsedTimer>
#include <QFile>
#include <QTemporaryDir>
#include <cstdio>

#include "catalogue/synthetic_catalogue.h"
#include "platform/dao/db_engine.h"
#include "platform/error.h"

using namespace kalvor;

int main(int argc, char** argv) {
    QCoreApplication app(argc, argv);
    QStringList args = app.arguments().mid(1);
    int synthetic = 20000;
    const int flag = int(args.indexOf(QStringLiteral("--synthetic")));
    if (flag >= 0 && flag + 1 < args.size()) {
        synthetic = args[flag + 1].toInt();
        args.remove(flag, 2);
    }
    const QString file =
        args.value(0, QStringLiteral("/work/shared/fixtures/large/catalogue-20k-v6.mdb"));
    try {
        QElapsedTimer timer;
        timer.start();
        auto db = dao::DBEngine::OpenDatabase(file);
        const qint64 importMs = timer.elapsed();
        long rows = 0;
        auto defs = db->TableDefs();
        for (int i = 0; i < defs.Count(); ++i)
            rows += db->OpenRecordset(defs[i].Name())->RecordCount();
        std::printf("import %s: %lld ms, %d tables, %ld rows\n", qPrintable(file), importMs,
                    defs.Count(), rows);
        timer.restart();
        auto again = dao::DBEngine::OpenDatabase(file);
        std::printf("second open (cached copy): %lld ms\n", timer.elapsed());

        // A new read once the file's time changed, with and without the
        // site check's work tables (one row per image reference of the
        // 20,000-album catalogue) to carry into the new copy.
        QTemporaryDir copyDir;
        const QString copy = copyDir.filePath(QStringLiteral("catalogue.mdb"));
        QFile::copy(file, copy);
        QFile::setPermissions(copy, QFile::ReadOwner | QFile::WriteOwner);
        const auto reread = [&copy, &timer](int second) {
            QFile f(copy);
            f.open(QIODevice::ReadWrite);
            f.setFileTime(QDateTime::currentDateTime().addSecs(second),
                          QFileDevice::FileModificationTime);
            f.close();
            timer.restart();
            dao::DBEngine::OpenDatabase(copy);
            return timer.elapsed();
        };
        {
            auto work = dao::DBEngine::OpenDatabase(copy);
            work->Execute(QStringLiteral(
                "CREATE TABLE TEMP_KALVOR_FILES (key TEXT(2), type TEXT(20), file TEXT(255), "
                "creation DATETIME, ok YESNO)"));
            QList<QVariantList> rows;
            for (int i = 0; i < 66217; ++i)
                rows.append({QStringLiteral("EX"), QStringLiteral("couvertures"),
                             QStringLiteral("couv_album%1.jpg").arg(i),
                             QDateTime(QDate(2024, 6, 1), QTime(10, 0)), false});
            work->ExecuteBound(QStringLiteral("INSERT INTO TEMP_KALVOR_FILES (key, type, file, "
                                              "creation, ok) VALUES (?, ?, ?, ?, ?)"),
                               rows);
        }
        const qint64 carried = reread(60);
        dao::DBEngine::OpenDatabase(copy)->Execute(QStringLiteral("DROP TABLE TEMP_KALVOR_FILES"));
        const qint64 bare = reread(120);
        std::printf(
            "read again after a change: %lld ms with 66,217 work rows carried, %lld ms "
            "without\n",
            carried, bare);

        QTemporaryDir dir;
        for (auto g : {catalogue::Generation::V6, catalogue::Generation::Older}) {
            timer.restart();
            const long written = catalogue::WriteSyntheticCatalogue(
                dir.filePath(g == catalogue::Generation::V6 ? "v6.db" : "v5.db"), g, synthetic);
            const double seconds = timer.nsecsElapsed() / 1e9;
            std::printf("synthetic %s, %d albums: %ld rows in %.2f s, %.0f rows/s\n",
                        g == catalogue::Generation::V6 ? "v6" : "v5", synthetic, written, seconds,
                        written / seconds);
        }
    } catch (const Error& e) {
        std::fprintf(stderr, "%d %s\n", e.Number(), qPrintable(e.Description()));
        return 1;
    }
    return 0;
}
