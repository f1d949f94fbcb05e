#include "platform/registry/wine_registry.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>

#include <gtest/gtest.h>

#include "support/test_paths.h"

using namespace kalvor;

TEST(WineRegistry, CataloguePathIsMappedThroughDosDevicesWithoutRegardToCase) {
    QTemporaryDir dir;
    const QString prefix = dir.path() + QStringLiteral("/prefix");
    QDir().mkpath(prefix + QStringLiteral("/drive_c/Program Files/Ormelo"));
    QDir().mkpath(prefix + QStringLiteral("/dosdevices"));
    test::writeAll(prefix + QStringLiteral("/drive_c/Program Files/Ormelo/Base.mdb"), "x");
    QFile::link(QStringLiteral("../drive_c"), prefix + QStringLiteral("/dosdevices/c:"));
    test::writeAll(prefix + QStringLiteral("/user.reg"),
                   "WINE REGISTRY Version 2\r\n\r\n[Software\\\\Ormelo6] 1700000000\r\n"
                   "\"CheminBase\"=\"C:\\\\PROGRAM FILES\\\\ormelo\\\\base.MDB\"\r\n");
    WineRegistry wine(prefix);
    const QString expected =
        QDir(prefix).canonicalPath() + QStringLiteral("/drive_c/Program Files/Ormelo/Base.mdb");
    EXPECT_EQ(wine.value(QStringLiteral("Software\\Ormelo6"), QStringLiteral("CheminBase")),
              expected);
}

TEST(WineRegistry, AMissingPrefixHasNoKeys) {
    WineRegistry wine(QStringLiteral("/nonexistent/prefix"));
    EXPECT_FALSE(wine.keyExists(QStringLiteral("Software\\Ormelo6")));
    EXPECT_FALSE(wine.value(QStringLiteral("Software\\Ormelo6"), QStringLiteral("CheminBase")));
}
