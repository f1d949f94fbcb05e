#include "recovery/recovery_steps.h"

#include <QStringList>

#include "platform/dao/database.h"
#include "platform/error.h"

namespace kalvor::recovery {
namespace {

struct RecoveryTable {
    const char* name;
    const char* site;  // the site table whose rows it receives
};

const RecoveryTable kTables[] = {{"albums", "albums"},   {"acheter", "acheter"},
                                 {"auteurs", "auteurs"}, {"collaborateurs", "collaborateurs"},
                                 {"series", "series"},   {"exlibris", "parabd"},
                                 {"revues", "revues"}};

}  // namespace

bool Check_Base_Is_Empty(RecoveryState& state, const RecoveryBase& base, QString& why) {
    why.clear();
    try {
        auto db = base.Open();
        if (db->IsAccessCopy()) {
            why = QStringLiteral(
                "le programme ne peut pas écrire dans une base Access : choisissez une base "
                "recovery.db.");
            state.Continue_Error = QStringLiteral("structure");
            return false;
        }
        for (const RecoveryTable& t : kTables) {
            auto rs =
                db->OpenRecordset(QStringLiteral("select * from ") + QString::fromLatin1(t.name));
            QStringList present;
            for (int i = 0; i < rs->FieldCount(); ++i) {
                present << rs->FieldName(i);
            }
            for (const QString& column : ImportedColumns(QString::fromLatin1(t.site))) {
                if (!present.contains(column, Qt::CaseInsensitive)) {
                    why = QStringLiteral("la table %1 n'a pas de colonne %2.")
                              .arg(QString::fromLatin1(t.name), column);
                    state.Continue_Error = QStringLiteral("structure");
                    return false;
                }
            }
            if (rs->RecordCount() != 0) {
                state.Continue_Error = QStringLiteral("non vide");
                return false;
            }
            rs->Close();
        }
        db->Close();
        return true;
    } catch (const Error& e) {
        why = base.Described(e);
        state.Continue_Error = QStringLiteral("structure");
        return false;
    }
}

bool Cleanup_Tables_Recovery(const RecoveryBase& base, QString& why) {
    why.clear();
    try {
        auto db = base.Open();
        for (const char* table :
             {"Auteurs", "Albums", "Acheter", "Series", "ExLibris", "Collaborateurs", "Revues"}) {
            db->Execute(QStringLiteral("delete from ") + QString::fromLatin1(table));
        }
        db->Close();
        return true;
    } catch (const Error& e) {
        why = base.Described(e);
        return false;
    }
}

std::optional<RecoveryCounts> Recovery_Comptage(RecoveryState& state, const RecoveryBase& base) {
    try {
        auto db = base.Open();
        const auto count = [&](const char* table) -> qint64 {
            auto rs = db->OpenRecordset(QStringLiteral("select count(*) as Nb from ") +
                                        QString::fromLatin1(table));
            const qint64 n = rs->Fields(QStringLiteral("Nb")).toLongLong();
            rs->Close();
            return n;
        };
        RecoveryCounts counts;
        counts.albums = count("albums");
        counts.acheter = count("acheter");
        counts.exlibris = count("exlibris");
        counts.revues = count("revues");
        counts.auteurs = count("auteurs");
        counts.series = count("series");
        counts.collaborateurs = count("collaborateurs");
        db->Close();
        return counts;
    } catch (const Error& e) {
        state.Continue_Error = QStringLiteral("Problème lors du comptage : ") + base.Described(e);
        state.Continue_Recovery = false;
        return std::nullopt;
    }
}

}  // namespace kalvor::recovery
