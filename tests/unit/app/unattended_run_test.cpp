#include <QDir>
#include <QDirIterator>
#include <QFileInfo>
#include <QProcess>

#include <gtest/gtest.h>

#include "support/test_paths.h"

namespace {

// The program as a scheduled job starts it: no display and no platform
// named, nothing on its standard input.
struct Job {
    int exitCode = -1;
    QString output;
};

Job runProgram(const kalvor::test::IsolatedEnvironment& env, const QStringList& arguments) {
    QProcessEnvironment e = QProcessEnvironment::systemEnvironment();
    for (const char* name : {"DISPLAY", "WAYLAND_DISPLAY", "QT_QPA_PLATFORM"}) {
        e.remove(QString::fromLatin1(name));
    }
    e.insert(QStringLiteral("KALVOR_REGISTRY"), env.registryPath());
    e.insert(QStringLiteral("WINEPREFIX"), env.path() + QStringLiteral("/wine"));
    e.insert(QStringLiteral("XDG_STATE_HOME"), env.path() + QStringLiteral("/state"));
    QProcess process;
    process.setProcessEnvironment(e);
    process.setStandardInputFile(QProcess::nullDevice());
    process.setProcessChannelMode(QProcess::MergedChannels);
    process.start(QStringLiteral(KALVOR_BINARY), arguments);
    Job job;
    if (!process.waitForFinished(60000)) {
        process.kill();
        process.waitForFinished();
        ADD_FAILURE() << "the program waited";
        return job;
    }
    job.exitCode = process.exitStatus() == QProcess::NormalExit ? process.exitCode() : -1;
    job.output = QString::fromUtf8(process.readAll());
    return job;
}

void writeStore(const kalvor::test::IsolatedEnvironment& env, const QString& exportFolder,
                const QString& catalogue =
                    kalvor::test::fixturePath(QStringLiteral("catalogue/catalogue-v6.mdb"))) {
    const QString store =
        QStringLiteral(
            "Windows Registry Editor Version 5.00\r\n\r\n"
            "[HKEY_CURRENT_USER\\Software\\Ormelo6]\r\n\"CheminBase\"=\"%1\"\r\n\r\n"
            "[HKEY_CURRENT_USER\\software\\Kalvor\\Repertoires]\r\n\"Export\"=\"%2\"\r\n")
            .arg(catalogue, exportFolder);
    kalvor::test::writeAll(env.registryPath(), store.toUtf8());
}

}  // namespace

TEST(UnattendedRun, FullExportRunsWithoutADisplay) {
    kalvor::test::IsolatedEnvironment env;
    const QString exportFolder = env.path() + QStringLiteral("/export");
    QDir().mkpath(exportFolder);
    writeStore(env, exportFolder);
    const Job job = runProgram(env, {QStringLiteral("donnees"), QStringLiteral("latin1")});
    EXPECT_EQ(job.exitCode, 0) << job.output.toStdString();
    EXPECT_TRUE(QFileInfo::exists(exportFolder + QStringLiteral("/scripts/donnees.sql")));
    const QString store = QString::fromUtf8(kalvor::test::readAll(env.registryPath()));
    EXPECT_TRUE(store.contains(QStringLiteral("\"lastrun\"="))) << store.toStdString();
    // Only the marks: the settings and the charts are not written.
    EXPECT_FALSE(store.contains(QStringLiteral("\"Titre\"")));
    EXPECT_FALSE(store.contains(QStringLiteral("_sequence")));
}

TEST(UnattendedRun, AFailedExportEndsWithAnErrorCode) {
    kalvor::test::IsolatedEnvironment env;
    writeStore(env, env.path() + QStringLiteral("/absent"));
    const Job job = runProgram(env, {QStringLiteral("donnees")});
    EXPECT_NE(job.exitCode, 0);
    EXPECT_TRUE(job.output.contains(QStringLiteral("Erreur lors de la création des donnees")))
        << job.output.toStdString();
}

TEST(UnattendedRun, IncrementalExportAfterAFullOne) {
    kalvor::test::IsolatedEnvironment env;
    const QString exportFolder = env.path() + QStringLiteral("/export");
    QDir().mkpath(exportFolder);
    writeStore(env, exportFolder);
    ASSERT_EQ(runProgram(env, {QStringLiteral("donnees")}).exitCode, 0);
    const Job job = runProgram(env, {QStringLiteral("donnees dernieres_donnees")});
    EXPECT_EQ(job.exitCode, 0) << job.output.toStdString();
    EXPECT_TRUE(QFileInfo::exists(exportFolder + QStringLiteral("/scripts/dernieres_donnees.sql")));
}

TEST(UnattendedRun, ADamagedCatalogueIsRefusedWithoutWritingOrMovingAMark) {
    QByteArray crashing = kalvor::test::readAll(
        kalvor::test::fixturePath(QStringLiteral("catalogue/catalogue-v6.mdb")));
    QByteArray cut = crashing.left(307200);
    crashing[0x18037] = char(0x9c);
    for (const QByteArray& damaged : {crashing, cut}) {
        kalvor::test::IsolatedEnvironment env;
        const QString exportFolder = env.path() + QStringLiteral("/export");
        const QString catalogue = env.path() + QStringLiteral("/catalogue.mdb");
        QDir().mkpath(exportFolder);
        kalvor::test::writeAll(catalogue, damaged);
        writeStore(env, exportFolder, catalogue);
        const Job job = runProgram(env, {QStringLiteral("donnees")});
        EXPECT_EQ(job.exitCode, 1) << job.output.toStdString();
        EXPECT_TRUE(job.output.contains(QStringLiteral("Erreur lors de la création des donnees")))
            << job.output.toStdString();
        // libmdb's own complaints stay off the console.
        EXPECT_FALSE(job.output.contains(QStringLiteral("EOF"))) << job.output.toStdString();
        QDirIterator written(exportFolder, QDir::Files | QDir::Hidden,
                             QDirIterator::Subdirectories);
        EXPECT_FALSE(written.hasNext()) << written.next().toStdString();
        const QString after = QString::fromUtf8(kalvor::test::readAll(env.registryPath()));
        EXPECT_FALSE(after.contains(QStringLiteral("\"lastrun\""), Qt::CaseInsensitive) ||
                     after.contains(QStringLiteral("\"lastid"), Qt::CaseInsensitive))
            << after.toStdString();
    }
}
