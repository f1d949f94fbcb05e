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
    // One line for the job's log: what was written, where.
    EXPECT_EQ(job.output, QStringLiteral("[Kalvor 1.8.3 - Génération SQL] Génération des donnees "
                                         "terminée : ") +
                              exportFolder + QStringLiteral("/scripts/donnees.sql\n"));
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
    EXPECT_EQ(job.output, QStringLiteral("[Kalvor 1.8.3 - Génération SQL] Erreur lors de la "
                                         "création des donnees\nerreur : Chemin d'accès "
                                         "introuvable : ") +
                              env.path() + QStringLiteral("/absent/scripts\n"));
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
    EXPECT_EQ(job.output, QStringLiteral("[Kalvor 1.8.3 - Génération SQL] fichier ") +
                              exportFolder +
                              QStringLiteral("/scripts/dernieres_donnees.sql généré ; Pas de "
                                             "nouvelles données\n"));
}

TEST(UnattendedRun, ASplitExportNamesEachFileOnOneLine) {
    kalvor::test::IsolatedEnvironment env;
    const QString exportFolder = env.path() + QStringLiteral("/export");
    QDir().mkpath(exportFolder);
    writeStore(env, exportFolder, QStringLiteral("\"split\"=\"true\"\r\n"));
    const Job job = runProgram(env, {QStringLiteral("donnees")});
    EXPECT_EQ(job.exitCode, 0) << job.output.toStdString();
    EXPECT_EQ(job.output.count(u'\n'), 1) << job.output.toStdString();
    EXPECT_TRUE(job.output.endsWith(exportFolder + QStringLiteral("/scripts/donnees_ALBUMS.sql\n")))
        << job.output.toStdString();
}
