#pragma once

#include <QString>
#include <QTemporaryDir>

namespace kalvor::test {

// The fixture catalogues: the Access files as they are, and SQLite files
// built once per test run from the scripts.
QString accessCatalogue(const QString& generation);  // "v6" or "v5"
QString sqliteCatalogue(const QString& generation);
// A private copy of a fixture file, for tests that change it.
QString copyOf(const QString& path, const QTemporaryDir& dir);

}  // namespace kalvor::test
