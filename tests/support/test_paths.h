#pragma once

#include <QByteArray>
#include <QString>
#include <QTemporaryDir>

namespace kalvor::test {

// Root of the source tree, where tests/fixtures lives.
QString sourceDir();

// A file of tests/fixtures, e.g. fixturePath("catalogue/catalogue-v6.mdb").
QString fixturePath(const QString& relative);

QByteArray readAll(const QString& path);
void writeAll(const QString& path, const QByteArray& bytes);

// Points the registry, the program folder and the log at a fresh temporary
// folder for the lifetime of the object, so that no test touches the user's.
class IsolatedEnvironment {
  public:
    IsolatedEnvironment();
    ~IsolatedEnvironment();
    QString path() const { return dir_.path(); }
    QString registryPath() const;
    QString programFolder() const;

  private:
    QTemporaryDir dir_;
};

}  // namespace kalvor::test
