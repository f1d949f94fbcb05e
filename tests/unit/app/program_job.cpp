#include "program_job.h"

#include <QProcess>

#include <gtest/gtest.h>

namespace kalvor::test {

Job runProgram(const IsolatedEnvironment& env, const QStringList& arguments) {
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

void writeStore(const IsolatedEnvironment& env, const QString& exportFolder, const QString& config,
                const QString& catalogue) {
    const QString store =
        QStringLiteral(
            "Windows Registry Editor Version 5.00\r\n\r\n"
            "[HKEY_CURRENT_USER\\Software\\Ormelo6]\r\n\"CheminBase\"=\"%1\"\r\n\r\n"
            "[HKEY_CURRENT_USER\\software\\Kalvor\\Repertoires]\r\n\"Export\"=\"%2\"\r\n")
            .arg(catalogue.isEmpty() ? fixturePath(QStringLiteral("catalogue/catalogue-v6.mdb"))
                                     : catalogue,
                 exportFolder) +
        (config.isEmpty()
             ? QString()
             : QStringLiteral("\r\n[HKEY_CURRENT_USER\\software\\Kalvor\\Config]\r\n") + config);
    writeAll(env.registryPath(), store.toUtf8());
}

}  // namespace kalvor::test
