#pragma once

#include <QString>
#include <QVariant>

// Value forms of the data-script rows that only some tables use (the common
// kinds are in sql_values.h).
namespace kalvor::sql {

// The nearest whole number, a half going away from zero; Null gives null.
// Prices and values (albums.coteactuelle, revues.prix_achat and cote).
QString WholeOrNull(const QVariant& value);
// 'YYYY-MM-DD', or null when Null (albums.dateachat defaults to NULL).
QString DateOrNull(const QVariant& value);
// albums.perso4: 0 when Null, else the 32-bit whole number (half to even).
QString CustomNumber(const QVariant& value);
// parabd.numero: null when Null or 0, else the number.
QString NumeroOrNull(const QVariant& value);

}  // namespace kalvor::sql
