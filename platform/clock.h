#pragma once

#include <QDateTime>
#include <functional>

namespace kalvor::vb {

// The clock of the whole program; tests replace it.
QDateTime Now();
class ScopedClock {
  public:
    explicit ScopedClock(const QDateTime& fixed);
    // A clock that moves: each reading is the next call's result.
    explicit ScopedClock(std::function<QDateTime()> moving);
    ~ScopedClock();
    ScopedClock(const ScopedClock&) = delete;
    ScopedClock& operator=(const ScopedClock&) = delete;

  private:
    std::function<QDateTime()> previous_;
};

}  // namespace kalvor::vb
