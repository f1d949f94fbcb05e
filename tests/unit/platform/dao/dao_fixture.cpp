#include "dao_fixture.h"

#include <QFile>
#include <QFileInfo>
#include <QHash>

#include "catalogue/sqlite_catalogue.h"
#include "support/test_paths.h"

namespace kalvor::test {

QString accessCatalogue(const QString& generation) {
    return fixturePath(QStringLiteral("catalogue/catalogue-%1.mdb").arg(generation));
}

QString sqliteCatalogue(const QString& generation) {
    static QTemporaryDir dir;
    static QHash<QString, QString> built;
    if (!built.contains(generation)) {
        const QString path = dir.filePath(QStringLiteral("catalogue-%1.db").arg(generation));
        catalogue::BuildSqliteCatalogue(
            fixturePath(QStringLiteral("catalogue/catalogue-%1.sql").arg(generation)), path);
        built.insert(generation, path);
    }
    return built.value(generation);
}

QString copyOf(const QString& path, const QTemporaryDir& dir) {
    const QString target = dir.filePath(QFileInfo(path).fileName());
    QFile::remove(target);
    QFile::copy(path, target);
    QFile(target).setPermissions(QFile::ReadOwner | QFile::WriteOwner);
    return target;
}

}  // namespace kalvor::test
