#pragma once

#include <QString>
#include <optional>

#include "recovery/recovery_base.h"
#include "recovery/table_import.h"

// The steps of a recovery around the imports, each on the base it is given.
namespace kalvor::recovery {

// True when the seven tables open with the columns the imports fill and hold
// no row. Otherwise False with Continue_Error "non vide" (a table holds
// rows) or "structure" (the base cannot be read or written as expected;
// `why` then says what is wrong).
bool Check_Base_Is_Empty(RecoveryState& state, const RecoveryBase& base, QString& why);

// Empties the seven tables. False when one cannot be emptied (`why` says
// why); those emptied before stay empty.
bool Cleanup_Tables_Recovery(const RecoveryBase& base, QString& why);

struct RecoveryCounts {
    qint64 albums = 0;
    qint64 acheter = 0;
    qint64 exlibris = 0;
    qint64 revues = 0;
    qint64 auteurs = 0;
    qint64 series = 0;
    qint64 collaborateurs = 0;
};

// The rows of each table; nothing when counting failed, which stops the run
// with "Problème lors du comptage" and the cause.
std::optional<RecoveryCounts> Recovery_Comptage(RecoveryState& state, const RecoveryBase& base);

}  // namespace kalvor::recovery
