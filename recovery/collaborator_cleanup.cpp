#include "recovery/collaborator_cleanup.h"

#include "platform/dao/database.h"
#include "platform/dao/db_engine.h"
#include "platform/error.h"

namespace kalvor::recovery {
namespace {

void cleanupFrom(dao::Database& db, const QString& table) {
    auto albums = db.OpenRecordset(
        QStringLiteral("select IdAlbum, IdDessinateur, IdScenariste, IdColoriste from ") + table);
    const struct {
        const char* author;
        int role;
    } roles[] = {{"IdScenariste", 0}, {"IdDessinateur", 1}, {"IdColoriste", 2}};
    for (; !albums->Eof(); albums->MoveNext()) {
        const QVariant album = albums->Fields(QStringLiteral("IdAlbum"));
        for (const auto& r : roles) {
            const QVariant author = albums->Fields(QString::fromLatin1(r.author));
            // No author in that role: no row can repeat it.
            if (author.isNull()) {
                continue;
            }
            db.Execute(QStringLiteral("delete from collaborateurs where IdAlbum = %1 and "
                                      "IdAuteur = %2 and TypeCollaboration = %3")
                           .arg(album.toLongLong())
                           .arg(author.toLongLong())
                           .arg(r.role));
        }
    }
    albums->Close();
}

}  // namespace

void Cleanup_Collaborateurs(RecoveryState& state) {
    try {
        auto db = dao::DBEngine::OpenDatabase(state.GV_Recovery_DB);
        cleanupFrom(*db, QStringLiteral("albums"));
        cleanupFrom(*db, QStringLiteral("acheter"));
        db->Close();
    } catch (const Error& e) {
        state.Continue_Error =
            QStringLiteral("Erreur lors du traitement de la table collaborateur : ") +
            e.Description();
        state.Continue_Recovery = false;
    }
}

}  // namespace kalvor::recovery
