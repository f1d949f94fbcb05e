#include "common/table_prefix.h"

#include <QRegularExpression>
#include <algorithm>

#include "platform/cp1252.h"
#include "platform/error.h"

namespace kalvor {

namespace {

// MySQL reads "1e2albums" as the number 1e2 followed by a name.
bool startsAsNumber(const QString& prefix) {
    static const QRegularExpression exponent(QStringLiteral("^[0-9]+[eE][0-9]"));
    return exponent.match(prefix).hasMatch();
}

bool allowed(QChar c) {
    const char16_t u = c.unicode();
    const bool ascii = (u >= u'0' && u <= u'9') || u == u'_' || u == u'$';
    return ascii || (c.isLetter() && !cp1252::Lacks(c.unicode()));
}

}  // namespace

bool IsTablePrefix(const QString& prefix) {
    return !startsAsNumber(prefix) && std::all_of(prefix.begin(), prefix.end(), allowed);
}

QString TablePrefixRefusal(const QString& prefix) {
    QString text = QStringLiteral(
        "Le champ « préfixe pour les tables » ne peut contenir que des lettres latines (de a à z "
        "et les lettres accentuées d'Europe de l'Ouest), des chiffres et les caractères _ et $");
    if (startsAsNumber(prefix)) {
        return text + QStringLiteral(
                          ", et ne peut pas commencer par des chiffres suivis de « e » et d'un "
                          "chiffre (MySQL y lirait un nombre)");
    }
    const auto bad = std::find_if_not(prefix.begin(), prefix.end(), allowed);
    if (bad != prefix.end()) {
        const QString named =
            bad->isSpace() ? QStringLiteral("l'espace") : QStringLiteral("« %1 »").arg(*bad);
        text += QStringLiteral(" : ") + named + QStringLiteral(" n'en fait pas partie");
    }
    return text;
}

void RequireTablePrefix(const QString& prefix) {
    if (!IsTablePrefix(prefix)) {
        throw Error(err::InvalidSetting, TablePrefixRefusal(prefix));
    }
}

}  // namespace kalvor
