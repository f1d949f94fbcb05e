#include "platform/dao/row_cursor.h"

#include <sqlite3.h>

#include "platform/dao/connection.h"
#include "platform/dao/dao_errors.h"

namespace kalvor::dao {

RowCursor::RowCursor(std::shared_ptr<Connection> connection, const QString& sql)
    : connection_(std::move(connection)), sql_(sql) {
    stmt_ = connection_->prepare(sql);
    const int count = sqlite3_column_count(stmt_);
    kinds_.reserve(count);
    for (int i = 0; i < count; ++i) {
        names_ << QString::fromUtf8(sqlite3_column_name(stmt_, i));
        kinds_.push_back(fieldvalue::KindOf(QString::fromUtf8(sqlite3_column_decltype(stmt_, i))));
    }
}

RowCursor::~RowCursor() {
    sqlite3_finalize(stmt_);
}

bool RowCursor::Next() {
    const int rc = sqlite3_step(stmt_);
    if (rc == SQLITE_ROW)
        return true;
    if (rc != SQLITE_DONE)
        connection_->fail(rc, sql_);
    return false;
}

QString RowCursor::TableOf(int column) const {
    return QString::fromUtf8(sqlite3_column_table_name(stmt_, column));
}

QString RowCursor::ColumnOf(int column) const {
    const char* origin = sqlite3_column_origin_name(stmt_, column);
    return origin != nullptr ? QString::fromUtf8(origin) : names_.value(column);
}

int RowCursor::IndexOf(const QString& name) const {
    for (int i = 0; i < names_.size(); ++i)
        if (names_[i].compare(name, Qt::CaseInsensitive) == 0)
            return i;
    throw Error(errors::ItemNotFound,
                QStringLiteral("Élément « %1 » non trouvé dans cette collection.").arg(name));
}

int RowCursor::Type(int column) const {
    return sqlite3_column_type(stmt_, column);
}

bool RowCursor::IsNull(int column) const {
    return sqlite3_column_type(stmt_, column) == SQLITE_NULL;
}

qint64 RowCursor::Int(int column) const {
    return sqlite3_column_int64(stmt_, column);
}

double RowCursor::Double(int column) const {
    return sqlite3_column_double(stmt_, column);
}

std::string_view RowCursor::Utf8(int column) const {
    const auto* text = reinterpret_cast<const char*>(sqlite3_column_text(stmt_, column));
    return {text ? text : "", size_t(sqlite3_column_bytes(stmt_, column))};
}

QVariant RowCursor::Value(int column) const {
    return fieldvalue::Read(stmt_, column, kinds_[column]);
}

}  // namespace kalvor::dao
