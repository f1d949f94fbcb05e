#pragma once

#include <QString>

namespace kalvor {

// What MySQL takes in an unquoted table name and require.php's code page
// can hold: letters (accented ones included), digits, "_" and "$", but not
// a start that MySQL reads as a number ("1e2").
bool IsTablePrefix(const QString& prefix);

// The French refusal of `prefix`, naming the field, the rule and what in
// the prefix breaks it.
QString TablePrefixRefusal(const QString& prefix);

// Raises the refusal (err::InvalidSetting) when the prefix is refused: a
// script or require.php with another prefix than the site's tables would
// empty or read another site's tables.
void RequireTablePrefix(const QString& prefix);

}  // namespace kalvor
