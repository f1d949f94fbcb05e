#include "recovery/collaborator_cleanup.h"

#include "platform/dao/database.h"
#include "platform/error.h"

namespace kalvor::recovery {
namespace {

// One statement per table: each collaborator row is looked up by its album's
// key, where one delete per album and role would search by author.
void cleanupFrom(dao::Database& db, const QString& table) {
    db.Execute(QStringLiteral(
                   "delete from collaborateurs where exists (select 1 from %1 a where a.IdAlbum = "
                   "collaborateurs.IdAlbum and ((collaborateurs.TypeCollaboration = 0 and "
                   "collaborateurs.IdAuteur = a.IdScenariste) or (collaborateurs.TypeCollaboration "
                   "= 1 and collaborateurs.IdAuteur = a.IdDessinateur) or "
                   "(collaborateurs.TypeCollaboration = 2 and collaborateurs.IdAuteur = "
                   "a.IdColoriste)))")
                   .arg(table));
}

}  // namespace

void Cleanup_Collaborateurs(RecoveryState& state, const RecoveryBase& base) {
    try {
        auto db = base.Open();
        cleanupFrom(*db, QStringLiteral("albums"));
        cleanupFrom(*db, QStringLiteral("acheter"));
        db->Close();
    } catch (const Error& e) {
        state.Continue_Error =
            QStringLiteral("Erreur lors du traitement de la table collaborateur : ") +
            base.Described(e);
        state.Continue_Recovery = false;
    }
}

}  // namespace kalvor::recovery
