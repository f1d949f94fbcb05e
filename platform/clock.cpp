#include "platform/clock.h"

namespace kalvor::vb {
namespace {

std::function<QDateTime()>& clock() {
    static std::function<QDateTime()> fn = [] { return QDateTime::currentDateTime(); };
    return fn;
}

}  // namespace

QDateTime Now() {
    return clock()();
}

ScopedClock::ScopedClock(const QDateTime& fixed) : previous_(clock()) {
    clock() = [fixed] { return fixed; };
}

ScopedClock::ScopedClock(std::function<QDateTime()> moving) : previous_(clock()) {
    clock() = std::move(moving);
}

ScopedClock::~ScopedClock() {
    clock() = previous_;
}

}  // namespace kalvor::vb
