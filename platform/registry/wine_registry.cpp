#include "platform/registry/wine_registry.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QRegularExpression>
#include <algorithm>

#include "platform/registry/reg_file.h"

namespace kalvor {
namespace {

QString fold(const QString& s) {
    return s.toCaseFolded();
}

QString normalizeKey(QString key) {
    key.replace(u'/', u'\\');
    while (key.startsWith(u'\\')) {
        key.remove(0, 1);
    }
    while (key.endsWith(u'\\')) {
        key.chop(1);
    }
    return fold(key);
}

// Wine writes \\ \" \n \r \t \0 and \xHHHH escapes inside quoted strings.
QString unescapeWine(const QString& s) {
    QString out;
    for (qsizetype i = 0; i < s.size(); ++i) {
        QChar c = s.at(i);
        if (c != u'\\' || i + 1 >= s.size()) {
            out.append(c);
            continue;
        }
        const QChar e = s.at(++i);
        if (e == u'n') {
            out.append(u'\n');
        } else if (e == u'r') {
            out.append(u'\r');
        } else if (e == u't') {
            out.append(u'\t');
        } else if (e == u'0') {
            out.append(QChar(0));
        } else if (e == u'x') {
            qsizetype j = i + 1;
            QString hex;
            while (j < s.size() && hex.size() < 4 &&
                   QStringLiteral("0123456789abcdefABCDEF").contains(s.at(j))) {
                hex.append(s.at(j++));
            }
            out.append(QChar(static_cast<char16_t>(hex.toUInt(nullptr, 16))));
            i = j - 1;
        } else {
            out.append(e);
        }
    }
    return out;
}

// Position of the closing quote of a string opened at start (exclusive).
qsizetype closingQuote(const QString& line, qsizetype start) {
    for (qsizetype i = start; i < line.size(); ++i) {
        if (line.at(i) == u'\\') {
            ++i;
        } else if (line.at(i) == u'"') {
            return i;
        }
    }
    return -1;
}

}  // namespace

// A text ("..."), an expandable one (str(2):"...", Wine's own form), or the
// UTF-16 bytes of either (hex(1):, hex(2):) give their text; %VAR% stays as
// written. Any other kind holds none.
WineRegistry::Stored WineRegistry::readValue(const QString& data) {
    static const QRegularExpression quoted(QStringLiteral("^(?:str\\([12]\\):)?\""),
                                           QRegularExpression::CaseInsensitiveOption);
    if (const QRegularExpressionMatch m = quoted.match(data); m.hasMatch()) {
        const qsizetype start = m.capturedEnd();
        const qsizetype end = closingQuote(data, start);
        if (end >= 0) {
            return {unescapeWine(data.mid(start, end - start)), true, data};
        }
    } else if (const auto bytes = reg::hexTextBytes(data)) {
        if (const auto text = reg::decodeHexText(*bytes, false)) {
            return {*text, true, data};
        }
    }
    return {QString(), false, data};
}

WineRegistry::WineRegistry(const QString& prefix) : prefix_(prefix) {
    load();
}

QString WineRegistry::defaultPrefix() {
    const QString env = qEnvironmentVariable("WINEPREFIX");
    return env.isEmpty() ? QDir::homePath() + QStringLiteral("/.wine") : env;
}

void WineRegistry::load() {
    QFile file(prefix_ + QStringLiteral("/user.reg"));
    if (!file.open(QIODevice::ReadOnly)) {
        return;
    }
    QHash<QString, Stored>* current = nullptr;
    const QStringList lines = QString::fromUtf8(file.readAll()).split(u'\n');
    for (qsizetype n = 0; n < lines.size(); ++n) {
        QString line = lines[n];
        if (line.endsWith(u'\r')) {
            line.chop(1);
        }
        if (line.startsWith(u'[')) {
            const qsizetype end = line.lastIndexOf(u']');
            if (end < 0) {
                current = nullptr;
                continue;
            }
            current = &keys_[normalizeKey(unescapeWine(line.mid(1, end - 1)))];
            continue;
        }
        if (current == nullptr || !line.startsWith(u'"')) {
            continue;  // @ default values, comments, #time lines
        }
        const qsizetype nameEnd = closingQuote(line, 1);
        if (nameEnd < 0 || nameEnd + 1 >= line.size() || line.at(nameEnd + 1) != u'=') {
            continue;
        }
        QString data = line.mid(nameEnd + 2);
        // Bytes go on over lines ending with a backslash.
        while (data.endsWith(u'\\') && n + 1 < lines.size()) {
            data.chop(1);
            data += lines[++n].trimmed();
        }
        current->insert(fold(unescapeWine(line.mid(1, nameEnd - 1))), readValue(data));
    }
}

bool WineRegistry::keyExists(const QString& key) const {
    // Wine writes no section for a key that holds only sub-keys.
    const QString k = normalizeKey(key);
    if (keys_.contains(k)) {
        return true;
    }
    const QString below = k + u'\\';
    return std::any_of(keys_.keyBegin(), keys_.keyEnd(),
                       [&](const QString& candidate) { return candidate.startsWith(below); });
}

std::optional<QString> WineRegistry::value(const QString& key, const QString& name) const {
    const auto k = keys_.constFind(normalizeKey(key));
    if (k == keys_.constEnd()) {
        return std::nullopt;
    }
    const auto v = k->constFind(fold(name));
    if (v == k->constEnd() || !v->readable) {
        return std::nullopt;
    }
    static const QRegularExpression drivePath(QStringLiteral("^[A-Za-z]:[\\\\/]"));
    if (drivePath.match(v->text).hasMatch()) {
        return mapDosPath(v->text);
    }
    return v->text;
}

std::optional<QString> WineRegistry::unreadable(const QString& key, const QString& name) const {
    const auto k = keys_.constFind(normalizeKey(key));
    if (k == keys_.constEnd()) {
        return std::nullopt;
    }
    const auto v = k->constFind(fold(name));
    if (v == k->constEnd() || v->readable) {
        return std::nullopt;
    }
    return v->asWritten;
}

QString WineRegistry::mapDosPath(const QString& windowsPath) const {
    const QString drive = windowsPath.left(1).toLower();
    QString base = prefix_ + QStringLiteral("/dosdevices/") + drive + u':';
    const QFileInfo link(base);
    if (link.exists()) {
        base = link.canonicalFilePath();
    } else if (drive == u"c") {
        base = prefix_ + QStringLiteral("/drive_c");
    }
    QString path = base;
    const QStringList parts =
        windowsPath.mid(3).split(QRegularExpression(QStringLiteral("[\\\\/]")), Qt::SkipEmptyParts);
    for (const QString& part : parts) {
        QString candidate = path + u'/' + part;
        if (!QFileInfo::exists(candidate)) {
            const QStringList entries =
                QDir(path).entryList(QDir::AllEntries | QDir::NoDotAndDotDot | QDir::Hidden);
            for (const QString& e : entries) {
                if (e.compare(part, Qt::CaseInsensitive) == 0) {
                    candidate = path + u'/' + e;
                    break;
                }
            }
        }
        path = candidate;
    }
    return path;
}

}  // namespace kalvor
