#include "recovery/recovery_database.h"

#include <QFile>
#include <QStringList>
#include <cerrno>
#include <cstdio>

#include "platform/dao/database.h"
#include "platform/dao/db_engine.h"
#include "platform/error.h"
#include "platform/system_reason.h"

namespace kalvor::recovery {
namespace {

struct ExtraColumn {
    const char* table;
    const char* name;
    const char* type;
};

// Columns of the older layout that only the recovery fills (with Null, or
// MarquePage from the object type).
const ExtraColumn kExtraColumns[] = {
    {"SERIES", "NoteDessin", "INTEGER"},      {"SERIES", "NoteScenario", "INTEGER"},
    {"SERIES", "NoteGlobale", "INTEGER"},     {"SERIES", "MajBEL", "DATETIME"},
    {"EXLIBRIS", "MarquePage", "YESNO"},      {"EXLIBRIS", "Ville", "TEXT(100) COLLATE JET"},
    {"EXLIBRIS", "CoteActuelle", "CURRENCY"}, {"EXLIBRIS", "PrixAchat", "CURRENCY"},
    {"REVUES", "SujetSerie1", "LONG"},        {"REVUES", "SujetSerie2", "LONG"},
    {"REVUES", "SujetSerie3", "LONG"},        {"REVUES", "SujetSerie4", "LONG"},
    {"REVUES", "SujetSerie5", "LONG"},        {"REVUES", "SujetAuteur1", "LONG"},
    {"REVUES", "SujetAuteur2", "LONG"},       {"REVUES", "SujetAuteur3", "LONG"},
    {"REVUES", "SujetAuteur4", "LONG"},       {"REVUES", "SujetAuteur5", "LONG"},
};

}  // namespace

QString SchemaStatements(const QString& script) {
    QStringList statements;
    QString current;
    for (const QString& line : script.split(u'\n')) {
        const QString trimmed = line.trimmed();
        if (current.isEmpty() &&
            !trimmed.startsWith(QLatin1String("CREATE "), Qt::CaseInsensitive)) {
            continue;
        }
        current += trimmed + u'\n';
        if (trimmed.endsWith(u';')) {
            statements << current;
            current.clear();
        }
    }
    return statements.join(QString());
}

void CreateRecoveryDatabase(const QString& layoutScript, const QString& path) {
    QFile script(layoutScript);
    if (!script.open(QIODevice::ReadOnly)) {
        throw Error(err::FileNotFound,
                    QStringLiteral("Fichier « %1 » introuvable.").arg(layoutScript));
    }
    const QString schema = SchemaStatements(QString::fromUtf8(script.readAll()));
    const QString building = path + QStringLiteral(".part");
    QFile::remove(building);
    {
        auto db = dao::DBEngine::CreateDatabase(building);
        db->ExecuteScript(schema);
        for (const ExtraColumn& c : kExtraColumns) {
            auto rs =
                db->OpenRecordset(QStringLiteral("select * from ") + QString::fromLatin1(c.table));
            bool present = false;
            for (int i = 0; i < rs->FieldCount(); ++i) {
                present = present ||
                          rs->FieldName(i).compare(QLatin1String(c.name), Qt::CaseInsensitive) == 0;
            }
            rs->Close();
            if (!present) {
                db->ExecuteScript(
                    QStringLiteral("ALTER TABLE %1 ADD COLUMN %2 %3;")
                        .arg(QLatin1String(c.table), QLatin1String(c.name), QLatin1String(c.type)));
            }
        }
        db->Close();
    }
    // rename() replaces the old base in one step: it stays whole until then.
    if (::rename(QFile::encodeName(building).constData(), QFile::encodeName(path).constData()) !=
        0) {
        const QString reason = SystemReason(errno);
        QFile::remove(building);
        throw Error(err::PermissionDenied,
                    QStringLiteral("Impossible d'écrire la base « %1 » (%2).").arg(path, reason));
    }
}

}  // namespace kalvor::recovery
