#include "recovery/stored_together.h"

#include "platform/dao/database.h"
#include "platform/error.h"

namespace kalvor::recovery {

StoredTogether::StoredTogether(dao::Database& db) : db_(db) {
    db_.ExecuteScript(QStringLiteral("BEGIN;"));
}

StoredTogether::~StoredTogether() {
    if (done_) {
        return;
    }
    try {
        db_.ExecuteScript(QStringLiteral("COMMIT;"));
    } catch (const Error&) {
        // The step's own failure is the one reported.
    }
}

void StoredTogether::Commit() {
    done_ = true;
    db_.ExecuteScript(QStringLiteral("COMMIT;"));
}

}  // namespace kalvor::recovery
