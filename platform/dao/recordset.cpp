#include "platform/dao/recordset.h"

#include <sqlite3.h>

#include <algorithm>

#include "platform/dao/dao_errors.h"
#include "platform/dao/jet_sql.h"
#include "platform/dao/recordset_impl.h"

namespace kalvor::dao {
namespace {

[[noreturn]] void noCurrent() {
    throw Error(errors::NoCurrentRecord, QStringLiteral("Aucun enregistrement en cours."));
}

[[noreturn]] void notFound(const QString& what) {
    throw Error(errors::ItemNotFound,
                QStringLiteral("Élément « %1 » non trouvé dans cette collection.").arg(what));
}

}  // namespace

Recordset::Impl::Impl(std::shared_ptr<Connection> c, const QString& sql, const QString& t)
    : connection(std::move(c)), table(t) {
    load(sql);
    if (!table.isEmpty())
        connection->lockTable(table);
}

Recordset::Impl::~Impl() {
    if (!table.isEmpty() && !closed)
        connection->unlockTable(table);
}

void Recordset::Impl::load(const QString& sql) {
    Statement s(connection->prepare(sql));
    const int first = table.isEmpty() ? 0 : 1;
    const int count = sqlite3_column_count(s.stmt);
    for (int i = first; i < count; ++i) {
        names << QString::fromUtf8(sqlite3_column_name(s.stmt, i));
        const QString declared = QString::fromUtf8(sqlite3_column_decltype(s.stmt, i));
        kinds << fieldvalue::KindOf(declared);
        sizes << fieldvalue::TextSize(declared);
        counters << declared.trimmed().startsWith(QLatin1String("COUNTER"), Qt::CaseInsensitive);
    }
    int rc;
    while ((rc = sqlite3_step(s.stmt)) == SQLITE_ROW) {
        QList<QVariant> row;
        row.reserve(count - first);
        for (int i = first; i < count; ++i)
            row.append(fieldvalue::Read(s.stmt, i, kinds[i - first]));
        rows.push_back(std::move(row));
        if (first)
            rowids.push_back(sqlite3_column_int64(s.stmt, 0));
    }
    if (rc != SQLITE_DONE)
        connection->fail(rc, sql);
}

QList<QVariant> Recordset::Impl::readRow(qint64 rowid) {
    Statement s(connection->prepare(
        QStringLiteral("SELECT * FROM %1 WHERE _rowid_ = ?").arg(jetsql::QuoteName(table))));
    sqlite3_bind_int64(s.stmt, 1, rowid);
    QList<QVariant> row;
    if (sqlite3_step(s.stmt) == SQLITE_ROW)
        for (int i = 0; i < names.size(); ++i)
            row.append(fieldvalue::Read(s.stmt, i, kinds[i]));
    return row;
}

int Recordset::Impl::indexOf(const QString& name) const {
    const auto found = std::find_if(names.begin(), names.end(), [&](const QString& n) {
        return n.compare(name, Qt::CaseInsensitive) == 0;
    });
    return found == names.end() ? -1 : int(found - names.begin());
}

void Recordset::Impl::checkOpen() const {
    if (closed)
        throw Error(errors::ObjectClosed, QStringLiteral("Le jeu d'enregistrements est fermé."));
}

void Recordset::Impl::requireCurrent() const {
    checkOpen();
    if (!hasCurrent())
        noCurrent();
}

Recordset::Recordset(std::unique_ptr<Impl> impl) : impl_(std::move(impl)) {}
Recordset::~Recordset() = default;

bool Recordset::Eof() const {
    impl_->checkOpen();
    return impl_->rows.empty() || impl_->position >= qsizetype(impl_->rows.size());
}

bool Recordset::Bof() const {
    impl_->checkOpen();
    return impl_->rows.empty() || impl_->position < 0;
}

void Recordset::MoveFirst() {
    impl_->checkOpen();
    if (impl_->rows.empty())
        noCurrent();
    impl_->mode = Impl::Mode::None;
    impl_->position = 0;
    impl_->currentDeleted = false;
}

void Recordset::MoveLast() {
    impl_->checkOpen();
    if (impl_->rows.empty())
        noCurrent();
    impl_->mode = Impl::Mode::None;
    impl_->position = qsizetype(impl_->rows.size()) - 1;
    impl_->currentDeleted = false;
}

void Recordset::MoveNext() {
    impl_->checkOpen();
    if (!impl_->currentDeleted && Eof())
        noCurrent();
    impl_->mode = Impl::Mode::None;
    // After a Delete the next row already stands at the position.
    if (!impl_->currentDeleted)
        ++impl_->position;
    impl_->currentDeleted = false;
}

void Recordset::MovePrevious() {
    impl_->checkOpen();
    if (Bof())
        noCurrent();
    impl_->mode = Impl::Mode::None;
    --impl_->position;
    impl_->currentDeleted = false;
}

long Recordset::RecordCount() const {
    impl_->checkOpen();
    return long(impl_->rows.size());
}

QVariant Recordset::Fields(int index) const {
    impl_->checkOpen();
    if (index < 0 || index >= impl_->names.size())
        notFound(QString::number(index));
    if (impl_->mode != Impl::Mode::None)
        return impl_->buffer[index];
    impl_->requireCurrent();
    return impl_->rows[impl_->position][index];
}

QVariant Recordset::Fields(const QString& name) const {
    impl_->checkOpen();
    int index = impl_->indexOf(name);
    if (index < 0)
        notFound(name);
    return Fields(index);
}

int Recordset::FieldCount() const {
    impl_->checkOpen();
    return int(impl_->names.size());
}

QString Recordset::FieldName(int index) const {
    impl_->checkOpen();
    if (index < 0 || index >= impl_->names.size())
        notFound(QString::number(index));
    return impl_->names[index];
}

namespace {

void requireUpdatable(const Recordset::Impl& impl) {
    impl.checkOpen();
    if (impl.table.isEmpty())
        throw Error(errors::InvalidOperation,
                    QStringLiteral("Opération non valide : ce jeu d'enregistrements ne peut pas "
                                   "être modifié (ouvrez la table par son nom)."));
    if (!impl.connection->handle())
        throw Error(errors::ObjectClosed, QStringLiteral("La base de données est fermée."));
    if (impl.connection->isProtected(impl.table))
        throw Error(errors::ReadOnly,
                    QStringLiteral("La base Access « %1 » ne peut pas être modifiée par Kalvor : "
                                   "seules ses tables de travail peuvent l'être (table %2).")
                        .arg(impl.connection->path(), impl.table));
}

}  // namespace

void Recordset::AddNew() {
    requireUpdatable(*impl_);
    impl_->mode = Impl::Mode::Adding;
    impl_->buffer = QList<QVariant>(impl_->names.size());
    impl_->changed = QList<bool>(impl_->names.size(), false);
}

void Recordset::Edit() {
    requireUpdatable(*impl_);
    impl_->requireCurrent();
    impl_->mode = Impl::Mode::Editing;
    impl_->buffer = impl_->rows[impl_->position];
    impl_->changed = QList<bool>(impl_->names.size(), false);
}

void Recordset::SetField(int index, const QVariant& value) {
    impl_->checkOpen();
    if (index < 0 || index >= impl_->names.size())
        notFound(QString::number(index));
    if (impl_->mode == Impl::Mode::None)
        throw Error(errors::NoAddNewOrEdit, QStringLiteral("Mise à jour sans AddNew ni Edit."));
    impl_->buffer[index] = value;
    impl_->changed[index] = true;
}

void Recordset::SetField(const QString& name, const QVariant& value) {
    impl_->checkOpen();
    int index = impl_->indexOf(name);
    if (index < 0)
        notFound(name);
    SetField(index, value);
}

void Recordset::Update() {
    Impl& d = *impl_;
    requireUpdatable(d);
    if (d.mode == Impl::Mode::None)
        throw Error(errors::NoAddNewOrEdit, QStringLiteral("Mise à jour sans AddNew ni Edit."));
    QStringList columns;
    QList<int> indexes;
    for (int i = 0; i < d.names.size(); ++i) {
        // An AutoNumber left empty continues after the highest value.
        if (d.mode == Impl::Mode::Adding && d.counters[i] && !d.changed[i]) {
            columns << jetsql::QuoteName(d.names[i]);
            indexes << -1 - i;
        } else if (d.changed[i]) {
            columns << jetsql::QuoteName(d.names[i]);
            indexes << i;
        }
    }
    const QString table = jetsql::QuoteName(d.table);
    QString sql;
    if (d.mode == Impl::Mode::Adding) {
        QStringList values;
        for (int index : indexes)
            values << (index < 0 ? QStringLiteral("(SELECT coalesce(max(%1), 0) + 1 FROM %2)")
                                       .arg(jetsql::QuoteName(d.names[-1 - index]), table)
                                 : QStringLiteral("?"));
        sql = columns.isEmpty() ? QStringLiteral("INSERT INTO %1 DEFAULT VALUES").arg(table)
                                : QStringLiteral("INSERT INTO %1 (%2) VALUES (%3)")
                                      .arg(table, columns.join(u','), values.join(u','));
    } else {
        if (columns.isEmpty()) {
            d.mode = Impl::Mode::None;
            return;
        }
        QStringList sets;
        for (const QString& c : columns)
            sets << c + QStringLiteral(" = ?");
        sql = QStringLiteral("UPDATE %1 SET %2 WHERE _rowid_ = ?").arg(table, sets.join(u','));
    }
    Statement s(d.connection->prepare(sql));
    int parameter = 1;
    for (int index : indexes)
        if (index >= 0)
            fieldvalue::Bind(s.stmt, parameter++, d.buffer[index], d.kinds[index], d.sizes[index],
                             d.names[index]);
    if (d.mode == Impl::Mode::Editing)
        sqlite3_bind_int64(s.stmt, parameter, d.rowids[d.position]);
    int rc = sqlite3_step(s.stmt);
    if (rc != SQLITE_DONE)
        d.connection->fail(rc, sql);
    if (d.mode == Impl::Mode::Adding) {
        qint64 rowid = sqlite3_last_insert_rowid(d.connection->handle());
        d.rows.push_back(d.readRow(rowid));
        d.rowids.push_back(rowid);
        // A new row is the only one of an empty set: it becomes current.
        if (d.rows.size() == 1)
            d.position = 0;
    } else {
        d.rows[d.position] = d.readRow(d.rowids[d.position]);
    }
    d.mode = Impl::Mode::None;
}

void Recordset::CancelUpdate() {
    impl_->checkOpen();
    impl_->mode = Impl::Mode::None;
}

void Recordset::Delete() {
    Impl& d = *impl_;
    requireUpdatable(d);
    d.requireCurrent();
    const QString sql =
        QStringLiteral("DELETE FROM %1 WHERE _rowid_ = ?").arg(jetsql::QuoteName(d.table));
    Statement s(d.connection->prepare(sql));
    sqlite3_bind_int64(s.stmt, 1, d.rowids[d.position]);
    int rc = sqlite3_step(s.stmt);
    if (rc != SQLITE_DONE)
        d.connection->fail(rc, sql);
    d.rows.erase(d.rows.begin() + d.position);
    d.rowids.erase(d.rowids.begin() + d.position);
    d.currentDeleted = true;
    d.mode = Impl::Mode::None;
}

void Recordset::Close() {
    if (impl_->closed)
        return;
    if (!impl_->table.isEmpty())
        impl_->connection->unlockTable(impl_->table);
    impl_->closed = true;
    impl_->rows.clear();
    impl_->rowids.clear();
}

}  // namespace kalvor::dao
