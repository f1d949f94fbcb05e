#include "platform/error.h"

namespace kalvor {

Error::Error(int number, const QString& description)
    : std::runtime_error(description.toStdString()), number_(number), description_(description) {}

}  // namespace kalvor
