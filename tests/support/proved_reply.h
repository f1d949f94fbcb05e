#pragma once

#include <QByteArray>

#include "platform/crc32.h"

namespace kalvor::test {

// A reply as the site's scripts of this version send it: `sent`, then the
// mark naming what it answers ("recovery:albums") and vouching for `sent`.
inline QByteArray proved(const QByteArray& answers, const QByteArray& sent) {
    return sent + "#fin:" + answers + '#' + QByteArray::number(sent.size()) + '#' +
           QByteArray::number(Crc32(sent), 16).rightJustified(8, '0') + '#';
}

// A text as those scripts send it.
inline QByteArray escaped(QByteArray text) {
    return text.replace("%", "%25")
        .replace("@", "%40")
        .replace("#", "%23")
        .replace("\r", "%0D")
        .replace("\n", "%0A");
}

}  // namespace kalvor::test
