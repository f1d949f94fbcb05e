#include "app/data_exports.h"

namespace kalvor {

DataExports DataExports::Built() {
    return {};
}

}  // namespace kalvor
