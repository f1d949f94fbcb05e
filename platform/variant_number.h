#pragma once

#include <QVariant>
#include <optional>

namespace kalvor {

// The number a value holds: a number as it is, True as -1 and False as 0, a
// text that reads as a finite number with a point or a comma before its
// decimals (" 2,5"); none for anything else, an empty or null value included.
std::optional<double> NumberOf(const QVariant& value);

}  // namespace kalvor
