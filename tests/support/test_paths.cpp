#include "support/test_paths.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>

#include <gtest/gtest.h>

#include "platform/program_folder.h"
#include "platform/registry/registry.h"

namespace kalvor::test {

QString sourceDir() {
    const QString env = qEnvironmentVariable("KALVOR_SOURCE_DIR");
    return env.isEmpty() ? QStringLiteral(KALVOR_SOURCE_DIR_DEFAULT) : env;
}

QString fixturePath(const QString& relative) {
    return sourceDir() + QStringLiteral("/tests/fixtures/") + relative;
}

QByteArray readAll(const QString& path) {
    QFile f(path);
    if (!f.open(QIODevice::ReadOnly)) {
        ADD_FAILURE() << "cannot read " << path.toStdString();
        return {};
    }
    return f.readAll();
}

void writeAll(const QString& path, const QByteArray& bytes) {
    QDir().mkpath(QFileInfo(path).absolutePath());
    QFile f(path);
    ASSERT_TRUE(f.open(QIODevice::WriteOnly)) << path.toStdString();
    f.write(bytes);
}

IsolatedEnvironment::IsolatedEnvironment() {
    QDir(dir_.path()).mkpath(QStringLiteral("program"));
    QDir(dir_.path()).mkpath(QStringLiteral("wine"));
    qputenv("KALVOR_REGISTRY", registryPath().toUtf8());
    qputenv("WINEPREFIX", (dir_.path() + QStringLiteral("/wine")).toUtf8());
    qputenv("XDG_STATE_HOME", (dir_.path() + QStringLiteral("/state")).toUtf8());
    setProgramFolder(programFolder());
    Registry::reopenCurrentUser();
}

IsolatedEnvironment::~IsolatedEnvironment() {
    setProgramFolder({});
}

QString IsolatedEnvironment::registryPath() const {
    return dir_.path() + QStringLiteral("/registry.reg");
}

QString IsolatedEnvironment::programFolder() const {
    return dir_.path() + QStringLiteral("/program");
}

}  // namespace kalvor::test
