#include "recovery/recovery_base.h"

#include "platform/dao/database.h"
#include "platform/dao/db_engine.h"
#include "platform/error.h"

namespace kalvor::recovery {

std::unique_ptr<dao::Database> RecoveryBase::Open() const {
    return dao::DBEngine::OpenDatabase(file_);
}

QString RecoveryBase::Described(const Error& e) const {
    QString text = e.Description();
    if (file_ != chosen_) {
        text.replace(file_, chosen_);
    }
    return text;
}

}  // namespace kalvor::recovery
