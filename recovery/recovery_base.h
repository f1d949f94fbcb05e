#pragma once

#include <QString>
#include <memory>

namespace kalvor {
class Error;
namespace dao {
class Database;
}

namespace recovery {

// The base a step of a run works on: the file it opens, and the base the user
// chose, which its messages name. A run fills a copy of the chosen base.
class RecoveryBase {
  public:
    explicit RecoveryBase(const QString& chosen) : file_(chosen), chosen_(chosen) {}
    RecoveryBase(const QString& file, const QString& chosen) : file_(file), chosen_(chosen) {}

    std::unique_ptr<dao::Database> Open() const;
    // The error's text, with the chosen base where it names the file.
    QString Described(const Error& e) const;

  private:
    QString file_;
    QString chosen_;
};

}  // namespace recovery
}  // namespace kalvor
