#include "app/data_exports.h"

#include "sqlscripts/full_export.h"
#include "sqlscripts/incremental_export.h"

namespace kalvor {

DataExports DataExports::Built() {
    DataExports exports;
    exports.btn_Donnees_SQL_Click = [](Settings& s, Prompt& p) {
        return kalvor::btn_Donnees_SQL_Click(s, p);
    };
    exports.btn_LastDonnees_SQL_Click = [](Settings& s, Prompt& p) {
        return kalvor::btn_LastDonnees_SQL_Click(s, p);
    };
    return exports;
}

}  // namespace kalvor
