#pragma once

#include <QString>

namespace kalvor {

// The program's name and version: title of every message box, caption of the
// window, and the banner of every generated file's comment box.
inline const QString kBanner = QStringLiteral("Kalvor 1.8.3");

}  // namespace kalvor
