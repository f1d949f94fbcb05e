#include "recovery/recovery_database.h"

#include <QFile>
#include <QRegularExpression>
#include <QSet>
#include <QStringList>
#include <cerrno>
#include <cstdio>

#include "platform/dao/database.h"
#include "platform/dao/db_engine.h"
#include "platform/dao/jet_sql.h"
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
    {"EXLIBRIS", "MarquePage", "YESNO"},      {"EXLIBRIS", "Ville", "TEXT(100) COLLATE NOCASE"},
    {"EXLIBRIS", "CoteActuelle", "CURRENCY"}, {"EXLIBRIS", "PrixAchat", "CURRENCY"},
    {"REVUES", "SujetSerie1", "LONG"},        {"REVUES", "SujetSerie2", "LONG"},
    {"REVUES", "SujetSerie3", "LONG"},        {"REVUES", "SujetSerie4", "LONG"},
    {"REVUES", "SujetSerie5", "LONG"},        {"REVUES", "SujetAuteur1", "LONG"},
    {"REVUES", "SujetAuteur2", "LONG"},       {"REVUES", "SujetAuteur3", "LONG"},
    {"REVUES", "SujetAuteur4", "LONG"},       {"REVUES", "SujetAuteur5", "LONG"},
};

// The statements without the indexes on text columns: the program orders
// those by Jet's comparison, other tools by their own, and each would find
// the other's index out of order.
QString WithoutTextIndexes(const QString& schema) {
    static const QRegularExpression statement(QStringLiteral("CREATE [^;]*;\\n"),
                                              QRegularExpression::CaseInsensitiveOption);
    static const QRegularExpression table(QStringLiteral("^CREATE TABLE (\\w+)"),
                                          QRegularExpression::CaseInsensitiveOption);
    static const QRegularExpression textColumn(
        QStringLiteral("^(\\w+) (TEXT|MEMO)\\b"),
        QRegularExpression::CaseInsensitiveOption | QRegularExpression::MultilineOption);
    static const QRegularExpression index(
        QStringLiteral("^CREATE (?:UNIQUE )?INDEX \\w+ ON (\\w+) \\(([^)]*)\\)"),
        QRegularExpression::CaseInsensitiveOption);
    QSet<QString> texts;  // "TABLE.COLUMN", upper case
    QString kept;
    for (const auto& m : statement.globalMatch(schema)) {
        const QString s = m.captured();
        if (const auto t = table.match(s); t.hasMatch()) {
            for (const auto& c : textColumn.globalMatch(s)) {
                texts.insert((t.captured(1) + u'.' + c.captured(1)).toUpper());
            }
        } else if (const auto i = index.match(s); i.hasMatch()) {
            bool onText = false;
            for (const QString& column : i.captured(2).split(u',')) {
                const QString name = column.trimmed().section(u' ', 0, 0);
                onText = onText || texts.contains((i.captured(1) + u'.' + name).toUpper());
            }
            if (onText) {
                continue;
            }
        }
        kept += s;
    }
    return kept;
}

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
    // NOCASE rather than the program's own collation, so that any SQLite tool
    // opens and sorts the recovered tables.
    const QString schema = dao::jetsql::AddTextCollation(
        WithoutTextIndexes(SchemaStatements(QString::fromUtf8(script.readAll()))),
        QStringLiteral("NOCASE"));
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
