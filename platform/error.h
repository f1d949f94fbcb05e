#pragma once

#include <QString>
#include <stdexcept>

namespace kalvor {

// A failure as the program reports it: a number and a French description,
// caught by the single handler of the operation that raised it.
class Error : public std::runtime_error {
  public:
    Error(int number, const QString& description);

    int Number() const { return number_; }
    const QString& Description() const { return description_; }

  private:
    int number_;
    QString description_;
};

// Numbers the handlers test for; the others only travel with their text.
namespace err {
constexpr int TypeMismatch = 13;
constexpr int Overflow = 6;
constexpr int InvalidArgument = 5;
constexpr int InvalidSetting = 380;  // a setting the writers refuse
constexpr int FileNotFound = 53;
constexpr int PathNotFound = 76;
constexpr int PermissionDenied = 70;
constexpr int DiskError = 75;
constexpr int NoCurrentRecord = 3021;
constexpr int TableLocked = 3262;
constexpr int ItemNotFound = 3265;
constexpr int DatabaseError = 3000;
constexpr int ReadOnlyDatabase = 3027;
constexpr int HttpError = 35761;
// A reply whose count after its end mark differs from what it holds.
constexpr int ReplyMiscounted = 35762;
}  // namespace err

}  // namespace kalvor
