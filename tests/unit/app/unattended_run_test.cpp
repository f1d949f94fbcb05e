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
