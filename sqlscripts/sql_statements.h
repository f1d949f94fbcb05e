#pragma once

#include <QDate>
#include <QList>
#include <QString>
#include <QStringList>
#include <QVariant>
#include <variant>

#include "sqlscripts/script_line.h"

namespace kalvor::sql {

// A comment column's value: its quotes follow the script's encoding, the
// escaped text between them stays Windows-1252 (see ScriptLine).
struct Comment {
    QString escaped;
};
// The comment of a row from its escaped text (a text already passed
// through Escaped).
inline Comment Memo(const QString& escaped) {
    return Comment{escaped};
}

using RowValue = std::variant<QString, Comment>;

// The two lines every generated script starts with: the connection charset
// that matches the script's bytes, and a mode in which the old forms load.
QStringList ScriptHeader(bool utf8);

// "INSERT INTO " prefix table " VALUES (" values joined by "," ");"
ScriptLine InsertRow(const QString& prefix, const QString& table, const QList<RowValue>& values);
// "DELETE FROM " prefix table ";"
QString DeleteRows(const QString& prefix, const QString& table);
// "DELETE FROM " prefix table " where " condition ";"
QString DeleteWhere(const QString& prefix, const QString& table, const QString& condition);
// "DELETE FROM " prefix "collaborateurs where idalbum = " id ";"
QString DeleteCollaborateurs(const QString& prefix, const QVariant& idAlbum);
// "update " prefix "kalvor set last_update = '" today "';".
QString LastUpdate(const QString& prefix, const QDate& today);

}  // namespace kalvor::sql
