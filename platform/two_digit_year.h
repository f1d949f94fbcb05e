#pragma once

namespace kalvor {

// A year written with two digits: 00 to 29 are 2000 to 2029, 30 to 99 are
// 1930 to 1999. Dates typed in the window and date literals in queries read
// alike.
constexpr int FullYear(int twoDigits) {
    return twoDigits < 30 ? 2000 + twoDigits : 1900 + twoDigits;
}

}  // namespace kalvor
