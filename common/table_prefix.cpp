#include "common/table_prefix.h"

#include <QRegularExpression>
#include <algorithm>

#include "platform/cp1252.h"
#include "platform/error.h"

namespace kalvor {

bool IsTablePrefix(const QString& prefix) {
    // MySQL reads "1e2albums" as the number 1e2 followed by a name.
    static const QRegularExpression exponent(QStringLiteral("^[0-9]+[eE][0-9]"));
    if (exponent.match(prefix).hasMatch()) {
        return false;
    }
    return std::all_of(prefix.begin(), prefix.end(), [](QChar c) {
        const char16_t u = c.unicode();
        const bool ascii = (u >= u'0' && u <= u'9') || u == u'_' || u == u'$';
        return ascii || (c.isLetter() && !cp1252::Lacks(c.unicode()));
    });
}

QString TablePrefixRefusal() {
    return QStringLiteral(
        "Le champ « préfixe pour les tables » ne peut contenir que des lettres, des chiffres et "
        "les caractères _ et $");
}

void RequireTablePrefix(const QString& prefix) {
    if (!IsTablePrefix(prefix)) {
        throw Error(err::InvalidSetting, TablePrefixRefusal());
    }
}

}  // namespace kalvor
