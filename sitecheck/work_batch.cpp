#include "sitecheck/work_batch.h"

#include "platform/dao/database.h"
#include "platform/error.h"

namespace kalvor::site {

WorkBatch::WorkBatch(dao::Database& db) : db_(db) {
    try {
        db_.ExecuteScript(QStringLiteral("BEGIN"));
        begun_ = true;
    } catch (const Error&) {
        // Written row by row then.
    }
}

WorkBatch::~WorkBatch() {
    if (!begun_) {
        return;
    }
    try {
        db_.ExecuteScript(QStringLiteral("COMMIT"));
    } catch (const Error&) {
        // The engine keeps the rows or has reported the failure already.
    }
}

}  // namespace kalvor::site
