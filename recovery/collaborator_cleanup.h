#pragma once

#include "recovery/recovery_base.h"
#include "recovery/table_import.h"

namespace kalvor::recovery {

// The site's collaborator table also holds every album's own writer (0),
// artist (1) and colourist (2); the catalogue keeps those in the album row
// only. Deletes, for every album of `albums` and `acheter`, the collaborator
// rows that repeat one of its three authors in the same role (an album
// without an author in a role has nothing repeated there). On failure
// Continue_Recovery turns False with "Erreur lors du traitement de la table
// collaborateur" and the cause; rows deleted so far stay deleted.
void Cleanup_Collaborateurs(RecoveryState& state, const RecoveryBase& base);

}  // namespace kalvor::recovery
