#include "platform/dao/connection.h"

#include <sqlite3.h>

#include <QFileInfo>
#include <QMutex>
#include <algorithm>

#include "platform/dao/dao_errors.h"
#include "platform/dao/jet_sql.h"
#include "platform/dao/mdb_import.h"
#include "platform/dao/sqlite_functions.h"
#include "platform/system_reason.h"

namespace kalvor::dao {
namespace {

// Changes to an Access file's own tables cannot reach the file: refuse them.
int authorizer(void* self, int action, const char* a, const char* b, const char*, const char*) {
    auto* c = static_cast<Connection*>(self);
    const char* table = nullptr;
    switch (action) {
        case SQLITE_INSERT:
        case SQLITE_DELETE:
        case SQLITE_DROP_TABLE:
        case SQLITE_CREATE_INDEX:
        case SQLITE_DROP_INDEX:
            table = action == SQLITE_CREATE_INDEX || action == SQLITE_DROP_INDEX ? b : a;
            break;
        case SQLITE_UPDATE:
            table = a;
            break;
        case SQLITE_ALTER_TABLE:
            table = b;
            break;
        default:
            return SQLITE_OK;
    }
    if (table && c->isProtected(QString::fromUtf8(table)))
        return SQLITE_DENY;
    return SQLITE_OK;
}

struct CachedCopy {
    std::shared_ptr<Connection> connection;
    qint64 size = -1;
    QDateTime modified;
};

QMutex cacheMutex;
QHash<QString, CachedCopy>& cache() {
    static QHash<QString, CachedCopy> copies;
    return copies;
}

// The tables created in an earlier copy of an Access file (the site check's
// work tables) go on in the new one, rows and indexes with them; a table of
// the same name in the file wins.
void carryWorkTables(const Connection& from, const Connection& to) {
    const QStringList fileTables = to.tableNames();
    to.exec(QStringLiteral("BEGIN"));
    try {
        for (const QString& table : from.tableNames()) {
            if (from.isProtected(table) || fileTables.contains(table, Qt::CaseInsensitive)) {
                continue;
            }
            Statement schema(from.prepare(QStringLiteral(
                "SELECT sql FROM sqlite_master WHERE tbl_name = ?1 AND sql IS NOT NULL "
                "ORDER BY type = 'index', rowid")));
            const QByteArray name = table.toUtf8();
            sqlite3_bind_text(schema.stmt, 1, name.constData(), int(name.size()), SQLITE_TRANSIENT);
            QStringList indexes;
            bool created = false;
            while (sqlite3_step(schema.stmt) == SQLITE_ROW) {
                const QString sql = QString::fromUtf8(
                    reinterpret_cast<const char*>(sqlite3_column_text(schema.stmt, 0)));
                if (!created) {
                    to.exec(sql);
                    created = true;
                } else {
                    indexes << sql;
                }
            }
            Statement rows(
                from.prepare(QStringLiteral("SELECT * FROM ") + jetsql::QuoteName(table)));
            const int columns = sqlite3_column_count(rows.stmt);
            QStringList marks;
            for (int c = 1; c <= columns; ++c) {
                marks << QStringLiteral("?%1").arg(c);
            }
            Statement insert(to.prepare(QStringLiteral("INSERT INTO ") + jetsql::QuoteName(table) +
                                        QStringLiteral(" VALUES (") +
                                        marks.join(QStringLiteral(", ")) + u')'));
            while (sqlite3_step(rows.stmt) == SQLITE_ROW) {
                for (int c = 0; c < columns; ++c) {
                    sqlite3_bind_value(insert.stmt, c + 1, sqlite3_column_value(rows.stmt, c));
                }
                const int rc = sqlite3_step(insert.stmt);
                if (rc != SQLITE_DONE) {
                    to.fail(rc, QStringLiteral("INSERT INTO ") + table);
                }
                sqlite3_reset(insert.stmt);
            }
            for (const QString& sql : indexes) {
                to.exec(sql);
            }
        }
        to.exec(QStringLiteral("COMMIT"));
    } catch (...) {
        sqlite3_exec(to.handle(), "ROLLBACK", nullptr, nullptr, nullptr);
        throw;
    }
}

}  // namespace

Connection::~Connection() {
    if (db_)
        sqlite3_close_v2(db_);
}

void Connection::close() {
    if (accessCopy_ || !db_)
        return;
    sqlite3_close_v2(db_);
    db_ = nullptr;
}

void Connection::setUp() {
    RegisterJetFunctions(db_);
    sqlite3_busy_timeout(db_, 2000);
    sqlite3_extended_result_codes(db_, 0);
}

std::shared_ptr<Connection> Connection::OpenFile(const QString& path, bool create) {
    std::shared_ptr<Connection> c(new Connection);
    c->path_ = path;
    // A connection is used by one thread at a time: no lock on every call.
    int flags = SQLITE_OPEN_READWRITE | SQLITE_OPEN_NOMUTEX | (create ? SQLITE_OPEN_CREATE : 0);
    int rc = sqlite3_open_v2(QFile::encodeName(path).constData(), &c->db_, flags, nullptr);
    if (rc != SQLITE_OK) {
        // A file that cannot be written is still read.
        if (c->db_)
            sqlite3_close_v2(c->db_);
        c->db_ = nullptr;
        rc = sqlite3_open_v2(QFile::encodeName(path).constData(), &c->db_,
                             SQLITE_OPEN_READONLY | SQLITE_OPEN_NOMUTEX, nullptr);
        if (rc != SQLITE_OK)
            c->fail(rc, QString());
    }
    c->setUp();
    // Reading the schema now tells a file that is no database.
    rc = sqlite3_exec(c->db_, "SELECT count(*) FROM sqlite_master", nullptr, nullptr, nullptr);
    if (rc == SQLITE_NOTADB)
        throw Error(errors::UnrecognizedFormat,
                    QStringLiteral("Format de base de données « %1 » non reconnu.").arg(path));
    if (rc != SQLITE_OK)
        c->fail(rc, QString());
    return c;
}

std::shared_ptr<Connection> Connection::AccessCopy(const QString& path) {
    const QFileInfo info(path);
    const QString key = info.canonicalFilePath();
    QMutexLocker lock(&cacheMutex);
    auto found = cache().find(key);
    if (found != cache().end() && found->size == info.size() &&
        found->modified == info.lastModified())
        return found->connection;
    const std::shared_ptr<Connection> earlier =
        found != cache().end() ? found->connection : nullptr;

    std::shared_ptr<Connection> c(new Connection);
    c->path_ = path;
    c->accessCopy_ = true;
    if (sqlite3_open_v2(":memory:", &c->db_,
                        SQLITE_OPEN_READWRITE | SQLITE_OPEN_CREATE | SQLITE_OPEN_NOMUTEX,
                        nullptr) != SQLITE_OK)
        c->fail(SQLITE_NOMEM, QString());
    c->setUp();
    for (const QString& table : ImportAccessFile(path, c->db_))
        c->protected_.insert(table.toLower());
    if (earlier) {
        // Losing them only asks for a new check: the file itself still opens.
        try {
            carryWorkTables(*earlier, *c);
        } catch (const Error&) {
        }
    }
    sqlite3_set_authorizer(c->db_, authorizer, c.get());
    cache().insert(key, CachedCopy{c, info.size(), info.lastModified()});
    return c;
}

void Connection::unlockTable(const QString& table) {
    auto it = openTables_.find(table.toLower());
    if (it != openTables_.end() && --*it <= 0)
        openTables_.erase(it);
}

void Connection::fail(int rc, const QString& sql) const {
    const QString message = db_ ? QString::fromUtf8(sqlite3_errmsg(db_)) : QString();
    const QString where = sql.isEmpty() ? QString() : QStringLiteral(" (%1)").arg(sql);
    switch (rc & 0xff) {
        case SQLITE_AUTH:
            throw Error(errors::ReadOnly,
                        QStringLiteral("La base Access « %1 » ne peut pas être modifiée par "
                                       "Kalvor : seules ses tables de travail peuvent l'être%2.")
                            .arg(path_, where));
        case SQLITE_BUSY:
        case SQLITE_LOCKED:
            throw Error(errors::TableLocked,
                        QStringLiteral("Impossible de verrouiller la table : elle est en cours "
                                       "d'utilisation%1.")
                            .arg(where));
        case SQLITE_CANTOPEN:
            throw Error(errors::FileNotFound,
                        QStringLiteral("Fichier « %1 » introuvable.").arg(path_));
        case SQLITE_NOTADB:
            throw Error(errors::UnrecognizedFormat,
                        QStringLiteral("Format de base de données « %1 » non reconnu.").arg(path_));
        case SQLITE_READONLY:
            throw Error(errors::ReadOnly,
                        QStringLiteral("Impossible de mettre à jour : la base « %1 » est en "
                                       "lecture seule%2.")
                            .arg(path_, where));
        case SQLITE_FULL:
        case SQLITE_IOERR: {
            const int errnum = db_ ? sqlite3_system_errno(db_) : 0;
            const QString reason = errnum != 0                  ? SystemReason(errnum)
                                   : (rc & 0xff) == SQLITE_FULL ? QStringLiteral("disque plein")
                                                                : message;
            // A disk that takes no more writes is no fault of the statement.
            throw Error(
                errors::EngineError,
                QStringLiteral("Erreur d'écriture dans la base « %1 » (%2).").arg(path_, reason));
        }
        case SQLITE_CONSTRAINT:
            if (message.contains(QLatin1String("UNIQUE")) ||
                message.contains(QLatin1String("PRIMARY")))
                throw Error(errors::DuplicateKey,
                            QStringLiteral("Les modifications n'ont pas été effectuées : elles "
                                           "créeraient des doublons dans la clé%1.")
                                .arg(where));
            throw Error(errors::ConversionError,
                        QStringLiteral("Valeur refusée par la table (%1)%2.").arg(message, where));
        default:
            break;
    }
    if (message == QString::fromUtf8(kTypeMismatch))
        throw Error(err::TypeMismatch, message + where);
    if (message.startsWith(QLatin1String("no such table")))
        throw Error(errors::TableNotFound, QStringLiteral("Table ou requête « %1 » introuvable%2.")
                                               .arg(message.section(u':', 1).trimmed(), where));
    if (message.startsWith(QLatin1String("no such column")) ||
        (message.startsWith(QLatin1String("table")) &&
         message.contains(QLatin1String("no column"))))
        throw Error(errors::TooFewParameters,
                    QStringLiteral("Trop peu de paramètres : champ « %1 » inconnu%2.")
                        .arg(message.section(u':', 1).trimmed(), where));
    if (message.contains(QLatin1String("already exists")))
        throw Error(errors::TableExists, QStringLiteral("La table existe déjà%1.").arg(where));
    if (message.contains(QLatin1String("syntax error")) ||
        message.contains(QLatin1String("unrecognized token")))
        throw Error(errors::SyntaxError,
                    QStringLiteral("Erreur de syntaxe dans la requête%1.").arg(where));
    throw Error(errors::EngineError,
                QStringLiteral("Erreur du moteur de base de données : %1%2.").arg(message, where));
}

namespace {
std::function<void(const QString&)>& statementHook() {
    static std::function<void(const QString&)> hook;
    return hook;
}
}  // namespace

void SetStatementHookForTests(std::function<void(const QString& sql)> hook) {
    statementHook() = std::move(hook);
}

sqlite3_stmt* Connection::prepare(const QString& sql) const {
    static bool hooked = false;
    if (statementHook() && !hooked) {
        // The hook's own statements pass it by; it may remove itself.
        const auto hook = statementHook();
        hooked = true;
        hook(sql);
        hooked = false;
    }
    if (!db_)
        throw Error(errors::ObjectClosed, QStringLiteral("La base de données est fermée."));
    sqlite3_stmt* stmt = nullptr;
    const QByteArray utf8 = sql.toUtf8();
    int rc = sqlite3_prepare_v2(db_, utf8.constData(), int(utf8.size()), &stmt, nullptr);
    if (rc != SQLITE_OK)
        fail(rc, sql);
    if (!stmt)
        throw Error(errors::SyntaxError, QStringLiteral("Requête vide."));
    return stmt;
}

void Connection::exec(const QString& sql) const {
    if (!db_)
        throw Error(errors::ObjectClosed, QStringLiteral("La base de données est fermée."));
    int rc = sqlite3_exec(db_, sql.toUtf8().constData(), nullptr, nullptr, nullptr);
    if (rc != SQLITE_OK)
        fail(rc, sql.left(200));
}

QStringList Connection::tableNames() const {
    Statement s(prepare(QStringLiteral(
        "SELECT name FROM sqlite_master WHERE type = 'table' AND name NOT LIKE 'sqlite\\_%' "
        "ESCAPE '\\' ORDER BY rowid")));
    QStringList names;
    while (sqlite3_step(s.stmt) == SQLITE_ROW)
        names << QString::fromUtf8(reinterpret_cast<const char*>(sqlite3_column_text(s.stmt, 0)));
    return names;
}

QString Connection::tableName(const QString& anyCase) const {
    const QStringList names = tableNames();
    const auto found = std::find_if(names.begin(), names.end(), [&](const QString& name) {
        return name.compare(anyCase, Qt::CaseInsensitive) == 0;
    });
    return found == names.end() ? QString() : *found;
}

Statement::~Statement() {
    if (stmt)
        sqlite3_finalize(stmt);
}

}  // namespace kalvor::dao
