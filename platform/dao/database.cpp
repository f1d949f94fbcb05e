#include "platform/dao/database.h"

#include <sqlite3.h>

#include <QRegularExpression>
#include <algorithm>

#include "platform/dao/connection.h"
#include "platform/dao/dao_errors.h"
#include "platform/dao/database_impl.h"
#include "platform/dao/field_value.h"
#include "platform/dao/jet_sql.h"
#include "platform/dao/recordset_impl.h"

namespace kalvor::dao {

Database::Database(std::unique_ptr<Impl> impl) : impl_(std::move(impl)) {}

Database::~Database() {
    try {
        Close();
    } catch (...) {
    }
}

std::unique_ptr<Recordset> Database::OpenRecordset(const QString& sqlOrTableName) {
    Connection& c = impl_->live();
    jetsql::Translated t = jetsql::Translate(sqlOrTableName);
    if (t.kind == jetsql::Kind::TableName) {
        const QString table = c.tableName(t.sql);
        if (table.isEmpty())
            throw Error(errors::TableNotFound,
                        QStringLiteral("Table ou requête « %1 » introuvable.").arg(t.sql));
        return std::make_unique<Recordset>(std::make_unique<Recordset::Impl>(
            impl_->connection,
            QStringLiteral("SELECT _rowid_, * FROM %1").arg(jetsql::QuoteName(table)), table));
    }
    if (t.kind != jetsql::Kind::Select)
        throw Error(errors::InvalidOperation,
                    QStringLiteral("Opération non valide : « %1 » n'est pas une requête de "
                                   "sélection.")
                        .arg(sqlOrTableName));
    QString sql = t.sql;
    if (t.distinctWithoutOrder) {
        // The engine sorts to remove repeats, so its rows come in order.
        Statement probe(c.prepare(sql));
        QStringList terms;
        for (int i = 1; i <= sqlite3_column_count(probe.stmt); ++i)
            terms << QString::number(i);
        sql += QStringLiteral(" ORDER BY ") + terms.join(QStringLiteral(", "));
    }
    return std::make_unique<Recordset>(
        std::make_unique<Recordset::Impl>(impl_->connection, sql, QString()));
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

    Statement s(c.prepare(sql));
    int rc = sqlite3_step(s.stmt);
    while (rc == SQLITE_ROW)
        rc = sqlite3_step(s.stmt);
    if (rc != SQLITE_DONE)
        c.fail(rc, jet);
    impl_->affected = sqlite3_changes(c.handle());
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

bool Database::IsAccessCopy() const {
    return impl_->connection->isAccessCopy();
}

const QString& Database::Path() const {
    return impl_->path;
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
