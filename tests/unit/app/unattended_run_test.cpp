#include <QDir>
#include <QFileInfo>

#include <gtest/gtest.h>

#include "program_job.h"

using kalvor::test::Job;
using kalvor::test::runProgram;
using kalvor::test::writeStore;

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

TEST(UnattendedRun, ARefusedStoredTablePrefixStopsBothExportsUntilCorrected) {
    kalvor::test::IsolatedEnvironment env;
    const QString exportFolder = env.path() + QStringLiteral("/export");
    QDir().mkpath(exportFolder);
    writeStore(env, exportFolder,
               QStringLiteral("\"prefixe_table\"=\"kv x\"\r\n\"Lastrun\"=\"01/01/2000\"\r\n"));
    const QByteArray store = kalvor::test::readAll(env.registryPath());
    const QString refusal = QStringLiteral(
        "Le champ « préfixe pour les tables » ne peut contenir que des lettres, des chiffres et "
        "les caractères _ et $");
    for (const QString& word : {QStringLiteral("donnees"), QStringLiteral("dernieres_donnees")}) {
        const Job job = runProgram(env, {word});
        EXPECT_EQ(job.exitCode, 1) << job.output.toStdString();
        // Once from the load, once from the export.
        EXPECT_EQ(job.output.count(refusal), 2) << job.output.toStdString();
        EXPECT_FALSE(QDir(exportFolder + QStringLiteral("/scripts")).exists());
        EXPECT_EQ(kalvor::test::readAll(env.registryPath()), store);
    }

    writeStore(env, exportFolder, QStringLiteral("\"prefixe_table\"=\"kv$\"\r\n"));
    EXPECT_EQ(runProgram(env, {QStringLiteral("donnees")}).exitCode, 0);
    const QByteArray script =
        kalvor::test::readAll(exportFolder + QStringLiteral("/scripts/donnees.sql"));
    EXPECT_TRUE(script.contains("DELETE FROM kv$albums;"));
    EXPECT_FALSE(script.contains("INTO albums"));
}
