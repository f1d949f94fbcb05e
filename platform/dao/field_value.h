#pragma once

#include <QString>
#include <QVariant>

#include "platform/dao/table_def.h"

struct sqlite3_stmt;

// Values between QVariant and the stored form, by the column's declared type.
namespace kalvor::dao::fieldvalue {

enum class Kind { Integer, YesNo, Number, Date, Text, Untyped };

// "TEXT(50) COLLATE JET" -> Text, "COUNTER" -> Integer, "" -> Untyped.
Kind KindOf(const QString& declaredType);
FieldType FieldTypeOf(const QString& declaredType);
// Characters allowed in a TEXT(n) column; 0 when unlimited.
int TextSize(const QString& declaredType);
QString DeclaredType(const Field& field);

// Whether the current text value of a number, date or Yes/No column is a
// cleared cell (empty or blanks, as an editor leaves it): read as Null, as
// Jet, which cannot store a text there, would hold it.
bool IsCleared(sqlite3_stmt* stmt, int column, Kind kind);
QVariant Read(sqlite3_stmt* stmt, int column, Kind kind);
// Binds `value` converted to the column's kind. Error 3421 when it cannot
// be, 3163 when a text is longer than `size`.
void Bind(sqlite3_stmt* stmt, int parameter, const QVariant& value, Kind kind, int size,
          const QString& fieldName);

}  // namespace kalvor::dao::fieldvalue
