#pragma once

#include <QList>
#include <QString>
#include <QVariant>
#include <memory>
#include <vector>

#include "platform/dao/connection.h"
#include "platform/dao/field_value.h"
#include "platform/dao/recordset.h"

namespace kalvor::dao {

class Recordset::Impl {
  public:
    // Runs the statement and keeps its rows. `table` is set for a table
    // opened by name: then the first column is the rowid and rows may change.
    Impl(std::shared_ptr<Connection> connection, const QString& sql, const QString& table);
    ~Impl();

    std::shared_ptr<Connection> connection;
    QString table;
    QStringList names;
    QList<fieldvalue::Kind> kinds;
    QList<int> sizes;
    QList<bool> counters;
    std::vector<QList<QVariant>> rows;
    std::vector<qint64> rowids;
    qsizetype position = 0;
    bool currentDeleted = false;
    bool closed = false;

    enum class Mode { None, Adding, Editing };
    Mode mode = Mode::None;
    QList<QVariant> buffer;
    QList<bool> changed;

    int indexOf(const QString& name) const;
    void checkOpen() const;
    bool hasCurrent() const {
        return !currentDeleted && position >= 0 && position < qsizetype(rows.size());
    }
    void requireCurrent() const;
    void load(const QString& sql);
    QList<QVariant> readRow(qint64 rowid);
};

}  // namespace kalvor::dao
