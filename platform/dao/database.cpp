#include "platform/dao/database.h"

#include <sqlite3.h>

#include <QRegularExpression>
#include <algorithm>

#include "platform/dao/connection.h"
#include "platform/dao/dao_errors.h"
#include "platform/dao/database_impl.h"
#include "platform/dao/field_value.h"
#include "platform/dao/jet_date.h"
#include "platform/dao/jet_sql.h"
#include "platform/dao/recordset_impl.h"
#include "platform/dao/row_cursor.h"
#include "platform/system_reason.h"

namespace kalvor::dao {

Database::Database(std::unique_ptr<Impl> impl) : impl_(std::move(impl)) {}

Database::~Database() {
    try {
        Close();
    } catch (...) {
    }
}

namespace {

// The SQLite text of a SELECT statement as its recordset runs it.
QString selectStatement(Connection& c, const QString& jet, const jetsql::Translated& t) {
    if (t.kind != jetsql::Kind::Select)
        throw Error(errors::InvalidOperation,
                    QStringLiteral("Opération non valide : « %1 » n'est pas une requête de "
                                   "sélection.")
                        .arg(jet));
    QString sql = t.sql;
    if (t.distinctWithoutOrder) {
        // The engine sorts to remove repeats, so its rows come in order.
        Statement probe(c.prepare(sql));
        QStringList terms;
        for (int i = 1; i <= sqlite3_column_count(probe.stmt); ++i)
            terms << QString::number(i);
        sql += QStringLiteral(" ORDER BY ") + terms.join(QStringLiteral(", "));
    }
    return sql;
}

// The stored name of a table opened by its name, whatever its letter case.
QString existingTable(Connection& c, const QString& name) {
    const QString table = c.tableName(name);
    if (table.isEmpty())
        throw Error(errors::TableNotFound,
                    QStringLiteral("Table ou requête « %1 » introuvable.").arg(name));
    return table;
}

// Runs a statement that returns no rows the caller wants; its count of
// changed rows.
long runToEnd(Connection& c, const QString& sql, const QString& jet) {
    Statement s(c.prepare(sql));
    int rc = sqlite3_step(s.stmt);
    while (rc == SQLITE_ROW)
        rc = sqlite3_step(s.stmt);
    if (rc != SQLITE_DONE)
        c.fail(rc, jet);
    return sqlite3_changes(c.handle());
}

}  // namespace

std::unique_ptr<Recordset> Database::OpenRecordset(const QString& sqlOrTableName) {
    Connection& c = impl_->live();
    jetsql::Translated t = jetsql::Translate(sqlOrTableName);
    if (t.kind == jetsql::Kind::TableName) {
        const QString table = existingTable(c, t.sql);
        return std::make_unique<Recordset>(std::make_unique<Recordset::Impl>(
            impl_->connection,
            QStringLiteral("SELECT _rowid_, * FROM %1").arg(jetsql::QuoteName(table)), table));
    }
    return std::make_unique<Recordset>(std::make_unique<Recordset::Impl>(
        impl_->connection, selectStatement(c, sqlOrTableName, t), QString()));
}

std::unique_ptr<RowCursor> Database::OpenCursor(const QString& select) {
    Connection& c = impl_->live();
    const jetsql::Translated t = jetsql::Translate(select);
    if (t.kind == jetsql::Kind::TableName) {
        const QString table = existingTable(c, t.sql);
        return std::make_unique<RowCursor>(
            impl_->connection, QStringLiteral("SELECT * FROM %1").arg(jetsql::QuoteName(table)));
    }
    return std::make_unique<RowCursor>(impl_->connection, selectStatement(c, select, t));
}

long Database::InsertSelect(const QString& sqliteInsert, const QString& jetSelect) {
    Connection& c = impl_->live();
    const QString sql =
        sqliteInsert + u' ' + selectStatement(c, jetSelect, jetsql::Translate(jetSelect));
    impl_->affected = runToEnd(c, sql, jetSelect);
    return impl_->affected;
}

void Database::Execute(const QString& jet) {
    Connection& c = impl_->live();
    jetsql::Translated t = jetsql::Translate(jet);
    if (t.kind == jetsql::Kind::Select || t.kind == jetsql::Kind::TableName)
        throw Error(
            errors::InvalidOperation,
            QStringLiteral("Impossible d'exécuter une requête Sélection : « %1 ».").arg(jet));
    QString sql = t.kind == jetsql::Kind::CreateTable ? jetsql::AddTextCollation(t.sql) : t.sql;

    // A table with an open recordset cannot be dropped or altered.
    static const QRegularExpression schemaChange(
        QStringLiteral(
            "^\\s*(?:DROP|ALTER)\\s+TABLE\\s+(?:IF\\s+EXISTS\\s+)?(\"(?:[^\"]|\"\")*\"|\\S+)"),
        QRegularExpression::CaseInsensitiveOption);
    auto m = schemaChange.match(sql);
    if (m.hasMatch()) {
        QString name = m.captured(1);
        if (name.startsWith(u'"'))
            name =
                name.mid(1, name.size() - 2).replace(QStringLiteral("\"\""), QStringLiteral("\""));
        if (c.isTableOpen(name))
            throw Error(errors::TableLocked,
                        QStringLiteral("Impossible de verrouiller la table « %1 » : elle est en "
                                       "cours d'utilisation.")
                            .arg(name));
    }

    impl_->affected = runToEnd(c, sql, jet);
}

long Database::RecordsAffected() const {
    return impl_->affected;
}

TableDefs Database::TableDefs() {
    Connection& c = impl_->live();
    QList<TableDef> tables;
    for (const QString& name : c.tableNames()) {
        TableDef def(name);
        Statement s(
            c.prepare(QStringLiteral("PRAGMA table_info(%1)").arg(jetsql::QuoteName(name))));
        while (sqlite3_step(s.stmt) == SQLITE_ROW) {
            const QString column =
                QString::fromUtf8(reinterpret_cast<const char*>(sqlite3_column_text(s.stmt, 1)));
            const QString declared =
                QString::fromUtf8(reinterpret_cast<const char*>(sqlite3_column_text(s.stmt, 2)));
            def.Append(
                Field{column, fieldvalue::FieldTypeOf(declared), fieldvalue::TextSize(declared)});
        }
        tables.append(def);
    }
    return dao::TableDefs(*this, tables);
}

void Database::ExecuteScript(const QString& sqliteScript) {
    impl_->live().exec(jetsql::AddTextCollation(sqliteScript));
}

void Database::CopyTo(const QString& path) {
    Connection& c = impl_->live();
    QString quoted = path;
    quoted.replace(u'\'', QStringLiteral("''"));
    const int rc = sqlite3_exec(c.handle(), ("VACUUM INTO '" + quoted + u'\'').toUtf8().constData(),
                                nullptr, nullptr, nullptr);
    if (rc == SQLITE_OK) {
        return;
    }
    // Only the copy is written: a write that fails is the copy's, not this
    // database's.
    const int extended = sqlite3_extended_errcode(c.handle());
    if ((rc & 0xff) == SQLITE_FULL ||
        ((rc & 0xff) == SQLITE_IOERR && extended != SQLITE_IOERR_READ &&
         extended != SQLITE_IOERR_SHORT_READ)) {
        const int errnum = sqlite3_system_errno(c.handle());
        throw Error(errors::EngineError,
                    QStringLiteral("erreur d'écriture dans le fichier « %1 » (%2).")
                        .arg(path, errnum != 0 ? SystemReason(errnum)
                                   : (rc & 0xff) == SQLITE_FULL
                                       ? QStringLiteral("disque plein")
                                       : QString::fromUtf8(sqlite3_errmsg(c.handle()))));
    }
    c.fail(rc, QString());
}

namespace {

void bindValue(sqlite3_stmt* stmt, int parameter, const QVariant& value) {
    if (!value.isValid() || value.isNull()) {
        sqlite3_bind_null(stmt, parameter);
        return;
    }
    switch (value.typeId()) {
        case QMetaType::Bool:
            sqlite3_bind_int(stmt, parameter, value.toBool() ? -1 : 0);
            return;
        case QMetaType::Int:
        case QMetaType::LongLong:
        case QMetaType::UInt:
        case QMetaType::Short:
        case QMetaType::UShort:
            sqlite3_bind_int64(stmt, parameter, value.toLongLong());
            return;
        case QMetaType::Double:
        case QMetaType::Float:
            sqlite3_bind_double(stmt, parameter, value.toDouble());
            return;
        default:
            break;
    }
    const QByteArray utf8 = value.typeId() == QMetaType::QDateTime
                                ? jetdate::ToStored(value.toDateTime()).toUtf8()
                                : value.toString().toUtf8();
    sqlite3_bind_text(stmt, parameter, utf8.constData(), int(utf8.size()), SQLITE_TRANSIENT);
}

}  // namespace

void Database::ExecuteBound(const QString& sqliteStatement, const QList<QVariantList>& rows) {
    Connection& c = impl_->live();
    Statement s(c.prepare(sqliteStatement));
    long affected = 0;
    for (const QVariantList& values : rows) {
        sqlite3_reset(s.stmt);
        sqlite3_clear_bindings(s.stmt);
        for (qsizetype i = 0; i < values.size(); ++i)
            bindValue(s.stmt, int(i + 1), values[i]);
        int rc = sqlite3_step(s.stmt);
        while (rc == SQLITE_ROW)
            rc = sqlite3_step(s.stmt);
        if (rc != SQLITE_DONE)
            c.fail(rc, sqliteStatement);
        affected += sqlite3_changes(c.handle());
    }
    impl_->affected = affected;
}

bool Database::IsAccessCopy() const {
    return impl_->connection->isAccessCopy();
}

const QString& Database::Path() const {
    return impl_->path;
}

void Database::HoldView() {
    Connection& c = impl_->live();
    if (c.isAccessCopy()) {
        return;
    }
    // A deferred transaction takes its view at its first read.
    c.exec(QStringLiteral("BEGIN"));
    c.exec(QStringLiteral("SELECT count(*) FROM sqlite_master"));
}

void Database::Close() {
    if (!impl_->open)
        return;
    impl_->open = false;
    impl_->connection->close();
}

bool Database::IsOpen() const {
    return impl_->open;
}

// ---- TableDefs

const TableDef& TableDefs::Item(int index) const {
    if (index < 0 || index >= tables_.size())
        throw Error(errors::ItemNotFound,
                    QStringLiteral("Élément « %1 » non trouvé dans cette collection.").arg(index));
    return tables_[index];
}

namespace {
auto named(const QString& name) {
    return [&name](const TableDef& t) { return t.Name().compare(name, Qt::CaseInsensitive) == 0; };
}
}  // namespace

const TableDef& TableDefs::Item(const QString& name) const {
    const auto t = std::find_if(tables_.begin(), tables_.end(), named(name));
    if (t == tables_.end())
        throw Error(errors::ItemNotFound,
                    QStringLiteral("Élément « %1 » non trouvé dans cette collection.").arg(name));
    return *t;
}

bool TableDefs::Contains(const QString& name) const {
    return std::any_of(tables_.begin(), tables_.end(), named(name));
}

void TableDefs::Append(const TableDef& table) {
    if (Contains(table.Name()))
        throw Error(errors::TableExists,
                    QStringLiteral("La table « %1 » existe déjà.").arg(table.Name()));
    if (table.Fields().isEmpty())
        throw Error(errors::InvalidOperation,
                    QStringLiteral("La table « %1 » n'a aucun champ.").arg(table.Name()));
    QStringList columns;
    for (const Field& f : table.Fields())
        columns << jetsql::QuoteName(f.Name) + u' ' + fieldvalue::DeclaredType(f);
    Connection& c = db_->impl_->live();
    c.exec(QStringLiteral("CREATE TABLE %1 (%2)")
               .arg(jetsql::QuoteName(table.Name()), columns.join(QStringLiteral(", "))));
    tables_.append(table);
}

void TableDefs::Delete(const QString& name) {
    const TableDef& table = Item(name);
    const QString stored = table.Name();
    db_->Execute(QStringLiteral("DROP TABLE [%1]").arg(stored));
    for (qsizetype i = 0; i < tables_.size(); ++i)
        if (tables_[i].Name() == stored) {
            tables_.removeAt(i);
            break;
        }
}

}  // namespace kalvor::dao
