#include "platform/registry/reg_file.h"

#include <QRegularExpression>
#include <QStringDecoder>
#include <QStringEncoder>
#include <QtEndian>

#include <algorithm>

#include "platform/cp1252.h"

namespace kalvor::reg {
namespace {

// Reads a quoted string starting at pos (on the opening quote); pos ends after
// the closing quote. False when the quote is never closed. \\ and \" are
// escapes; any other backslash is one a person typed by hand and is kept.
bool readQuoted(const QString& line, qsizetype& pos, QString& out) {
    out.clear();
    ++pos;
    while (pos < line.size()) {
        const QChar c = line.at(pos);
        if (c == u'\\' && pos + 1 < line.size() &&
            (line.at(pos + 1) == u'\\' || line.at(pos + 1) == u'"')) {
            out.append(line.at(pos + 1));
            pos += 2;
            continue;
        }
        if (c == u'"') {
            ++pos;
            return true;
        }
        out.append(c);
        ++pos;
    }
    return false;
}

// A quoted value at the end of its line; `end` is where it ends. "C:\dir\"
// is the folder a person meant, not a quote left open: its last backslash
// escapes nothing.
bool readQuotedValue(const QString& rhs, QString& out, qsizetype& end) {
    end = 0;
    if (readQuoted(rhs, end, out)) {
        return true;
    }
    if (rhs.size() >= 2 && rhs.endsWith(u'"')) {
        end = 0;
        readQuoted(rhs.chopped(1), end, out);
        end = rhs.size();
        return true;
    }
    return false;
}

// A line that carries on a hex value: bytes, commas, and maybe another "\".
bool isHexContinuation(const QString& line) {
    const QString t = line.trimmed();
    if (t.isEmpty()) {
        return false;
    }
    static const QString allowed = QStringLiteral("0123456789abcdefABCDEF,\\ \t");
    return std::all_of(t.begin(), t.end(), [](QChar c) { return allowed.contains(c); });
}

// A string kind's data as the file holds it: UTF-16LE, or Windows-1252 in a
// REGEDIT4 file, NUL-terminated, two hex digits a byte with commas between.
QString encodeHexText(const QString& kind, const QString& text, bool ansi) {
    QByteArray bytes;
    if (ansi) {
        bytes = cp1252::encode(text) + '\0';
    } else {
        const QString terminated = text + QChar(0);
        bytes.resize(terminated.size() * 2);
        qToLittleEndian<char16_t>(terminated.utf16(), terminated.size(), bytes.data());
    }
    return kind + QString::fromLatin1(bytes.toHex(','));
}

const QRegularExpression& stringKind() {
    static const QRegularExpression kind(QStringLiteral("^(hex\\([127]\\):)(.*)$"),
                                         QRegularExpression::CaseInsensitiveOption);
    return kind;
}

// The data of a string kind written for a REGEDIT4 file, as the UTF-16 file
// that replaces it must hold it.
QString widenStringKind(const QString& rawData) {
    const QRegularExpressionMatch m = stringKind().match(rawData);
    if (!m.hasMatch()) {
        return rawData;
    }
    const QByteArray ansi = QByteArray::fromHex(m.captured(2).toLatin1());
    const QString text = cp1252::decode(ansi);
    QByteArray bytes(text.size() * 2, Qt::Uninitialized);
    qToLittleEndian<char16_t>(text.utf16(), text.size(), bytes.data());
    return m.captured(1) + QString::fromLatin1(bytes.toHex(','));
}

bool isMultiLine(const QString& text) {
    return text.contains(u'\n') || text.contains(u'\r');
}

// Both REGEDIT4 files keep the bytes of string kinds in Windows-1252.
bool hexIsAnsi(Encoding encoding) {
    return encoding == Encoding::Ansi || encoding == Encoding::Regedit4Utf8;
}

// Whether a REGEDIT4 file can hold every name and text: all of them in
// Windows-1252, or in UTF-8 only the texts that go out as bytes.
bool regedit4Holds(const QList<Key>& keys, Encoding encoding) {
    const auto held = [](const QString& text) { return cp1252::FirstLacked(text) < 0; };
    const bool utf8 = encoding == Encoding::Regedit4Utf8;
    return std::all_of(keys.begin(), keys.end(), [&](const Key& key) {
        return (utf8 || held(key.path)) &&
               std::all_of(key.values.begin(), key.values.end(), [&](const Value& v) {
                   if (utf8) {
                       return !v.rawData.isEmpty() || !isMultiLine(v.text) || held(v.text);
                   }
                   return held(v.name) && held(v.rawData.isEmpty() ? v.text : v.rawData);
               });
    });
}

QStringList splitLines(const QString& text) {
    QStringList lines = text.split(u'\n');
    for (QString& line : lines) {
        if (line.endsWith(u'\r')) {
            line.chop(1);
        }
    }
    return lines;
}

// The key a "[...]" line opens, or null when it is refused: its values are
// then skipped.
Key* openKey(const QString& line, qsizetype n, Document& doc) {
    if (!line.endsWith(u']') || line.startsWith(QStringLiteral("[-"))) {
        doc.problems << QStringLiteral("ligne %1 : clé illisible").arg(n + 1);
        return nullptr;
    }
    QString path = line.mid(1, line.size() - 2);
    const QString rootPrefix = kRoot + u'\\';
    if (!path.startsWith(rootPrefix, Qt::CaseInsensitive)) {
        doc.problems << QStringLiteral("ligne %1 : clé hors de %2").arg(n + 1).arg(kRoot);
        return nullptr;
    }
    path = path.mid(rootPrefix.size());
    doc.keys.append(Key{path, {}});
    return &doc.keys.last();
}

// Reads the name and the "=" of a value line; pos ends on what follows.
bool readNameAndEquals(const QString& line, qsizetype n, qsizetype& pos, Value& value,
                       Document& doc) {
    pos = 0;
    if (line.startsWith(u'@')) {
        pos = 1;
    } else if (line.startsWith(u'"')) {
        if (!readQuoted(line, pos, value.name)) {
            doc.problems << QStringLiteral("ligne %1 : nom non fermé").arg(n + 1);
            return false;
        }
    } else {
        doc.problems << QStringLiteral("ligne %1 : ligne illisible").arg(n + 1);
        return false;
    }
    while (pos < line.size() && line.at(pos).isSpace()) {
        ++pos;
    }
    if (pos >= line.size() || line.at(pos) != u'=') {
        doc.problems << QStringLiteral("ligne %1 : « = » manquant").arg(n + 1);
        return false;
    }
    ++pos;
    while (pos < line.size() && line.at(pos).isSpace()) {
        ++pos;
    }
    return true;
}

// Long hex values go on over lines ending with a backslash; only lines of
// bytes carry on, never the next value or key. n ends on the last line used.
bool joinHexLines(const QStringList& lines, qsizetype& n, QString& rhs, Document& doc) {
    const qsizetype first = n;
    while (rhs.endsWith(u'\\') && n + 1 < lines.size() && isHexContinuation(lines[n + 1])) {
        rhs.chop(1);
        rhs.append(lines[++n].trimmed());
    }
    if (rhs.endsWith(u'\\')) {
        doc.problems << QStringLiteral("ligne %1 : valeur incomplète").arg(first + 1);
        return false;
    }
    return true;
}

// The data of a value written from line first to line n; false when there is
// nothing to keep.
bool readData(const QString& rhs, qsizetype first, qsizetype n, Value& value, Document& doc) {
    if (rhs.startsWith(u'"')) {
        qsizetype end = 0;
        if (!readQuotedValue(rhs, value.text, end)) {
            doc.problems << QStringLiteral("ligne %1 : valeur non fermée").arg(n + 1);
            return false;
        }
        // A quote typed unescaped ends the value early: the rest of the line
        // would be gone with the next save.
        if (!rhs.sliced(end).trimmed().isEmpty()) {
            doc.problems << QStringLiteral("ligne %1 : texte après la valeur").arg(n + 1);
        }
        return true;
    }
    if (rhs == u'-') {
        return false;  // a deletion line: nothing to hold
    }
    value.rawData = rhs;
    // A text (hex(1)) or an expandable string (hex(2)), whose %VAR% stays as
    // written: both are read as their text.
    if (const auto bytes = hexTextBytes(rhs)) {
        if (const auto decoded = decodeHexText(*bytes, hexIsAnsi(doc.encoding))) {
            value.text = *decoded;
            return true;
        }
    }
    // Another kind (dword, bytes) holds no text; anything else was not
    // understood. Both are kept as written.
    static const QRegularExpression kind(QStringLiteral("^(dword|hex(\\([0-9a-f]+\\))?):"),
                                         QRegularExpression::CaseInsensitiveOption);
    if (!kind.match(rhs).hasMatch()) {
        doc.problems << QStringLiteral("ligne %1 : valeur illisible").arg(first + 1);
    }
    value.readable = false;
    return true;
}

struct Bom {
    Encoding encoding;
    QByteArray bytes;
};
const Bom kBoms[] = {
    {Encoding::Utf8Bom, QByteArray("\xEF\xBB\xBF", 3)},
    {Encoding::Utf16Le, QByteArray("\xFF\xFE", 2)},
    {Encoding::Utf16Be, QByteArray("\xFE\xFF", 2)},
};

bool isRegedit4(QByteArrayView bytes) {
    qsizetype i = 0;
    while (i < bytes.size() && QByteArrayView(" \t\r\n").contains(bytes[i])) {
        ++i;
    }
    return bytes.sliced(i).startsWith("REGEDIT4");
}

QStringConverter::Encoding converterOf(Encoding encoding) {
    switch (encoding) {
        case Encoding::Utf16Le:
            return QStringConverter::Utf16LE;
        case Encoding::Utf16Be:
            return QStringConverter::Utf16BE;
        default:
            return QStringConverter::Utf8;
    }
}

// The text after its byte-order mark. Bytes the encoding cannot hold are
// kept as U+FFFD and said: the file is then read only in part.
QString decode(const QByteArray& bytes, Document& doc) {
    QByteArrayView rest(bytes);
    for (const Bom& bom : kBoms) {
        if (bytes.startsWith(bom.bytes)) {
            doc.encoding = bom.encoding;
            rest = rest.sliced(bom.bytes.size());
            break;
        }
    }
    if (doc.encoding == Encoding::Utf8 && isRegedit4(rest)) {
        // The registry editor wrote it in the code page of Windows; a text
        // in that code page is almost never valid UTF-8 beyond ASCII, while
        // one saved by an editor on Linux always is.
        const bool beyondAscii =
            std::any_of(rest.begin(), rest.end(), [](char c) { return uchar(c) >= 0x80; });
        if (beyondAscii && rest.isValidUtf8()) {
            doc.encoding = Encoding::Regedit4Utf8;
            return QString::fromUtf8(rest);
        }
        doc.encoding = Encoding::Ansi;
        return cp1252::decode(rest.toByteArray());
    }
    QStringDecoder decoder(converterOf(doc.encoding), QStringConverter::Flag::Stateless);
    QString text = decoder.decode(rest);
    const bool utf16 = doc.encoding == Encoding::Utf16Le || doc.encoding == Encoding::Utf16Be;
    if (decoder.hasError() || (utf16 && rest.size() % 2 != 0)) {
        doc.problems << (utf16 ? QStringLiteral("texte UTF-16 illisible")
                               : QStringLiteral("texte qui n'est pas en UTF-8"));
    }
    return text;
}

}  // namespace

QString escapeString(const QString& text) {
    QString out;
    out.reserve(text.size() + 2);
    out.append(u'"');
    for (QChar c : text) {
        if (c == u'\\' || c == u'"') {
            out.append(u'\\');
        }
        out.append(c);
    }
    out.append(u'"');
    return out;
}

Document parse(const QByteArray& bytes) {
    Document doc;
    const QString text = decode(bytes, doc);
    const QStringList lines = splitLines(text);

    bool headerSeen = false;
    Key* current = nullptr;
    bool skipping = false;
    for (qsizetype n = 0; n < lines.size(); ++n) {
        const QString line = lines[n].trimmed();
        if (line.isEmpty() || line.startsWith(u';')) {
            continue;
        }
        if (!headerSeen) {
            headerSeen = true;
            if (line != kHeader && line != QStringLiteral("REGEDIT4")) {
                doc.problems << QStringLiteral("ligne %1 : en-tête inattendu").arg(n + 1);
            } else {
                continue;
            }
        }
        if (line.startsWith(u'[')) {
            current = openKey(line, n, doc);
            skipping = current == nullptr;
            continue;
        }
        if (current == nullptr) {
            if (!skipping) {
                doc.problems << QStringLiteral("ligne %1 : valeur hors de toute clé").arg(n + 1);
            }
            continue;
        }
        Value value;
        qsizetype pos = 0;
        if (!readNameAndEquals(line, n, pos, value, doc)) {
            continue;
        }
        QString rhs = line.mid(pos);
        const qsizetype first = n;
        if (rhs.startsWith(QStringLiteral("hex"), Qt::CaseInsensitive) &&
            !joinHexLines(lines, n, rhs, doc)) {
            continue;
        }
        if (readData(rhs, first, n, value, doc)) {
            current->values.append(value);
        }
    }
    if (!headerSeen && !text.trimmed().isEmpty()) {
        doc.problems << QStringLiteral("en-tête manquant");
    }
    return doc;
}

std::optional<QString> decodeHexText(const QString& data, bool ansi) {
    static const QRegularExpression bytesText(
        QStringLiteral("^\\s*(?:[0-9a-f]{2}\\s*,\\s*)*(?:[0-9a-f]{2}\\s*)?$"),
        QRegularExpression::CaseInsensitiveOption);
    if (!bytesText.match(data).hasMatch()) {
        return std::nullopt;
    }
    const QByteArray bytes = QByteArray::fromHex(data.toLatin1());
    if (!ansi && bytes.size() % 2 != 0) {
        return std::nullopt;  // its last letter, at least, is lost
    }
    QString out;
    if (ansi) {
        out = cp1252::decode(bytes);
    } else {
        out.resize(bytes.size() / 2);
        qFromLittleEndian<char16_t>(bytes.constData(), out.size(), out.data());
    }
    if (const qsizetype end = out.indexOf(QChar(0)); end >= 0) {
        out.truncate(end);
    }
    return out;
}

std::optional<QString> hexTextBytes(const QString& data) {
    static const QRegularExpression hexText(QStringLiteral("^hex\\([12]\\):"),
                                            QRegularExpression::CaseInsensitiveOption);
    if (!hexText.match(data).hasMatch()) {
        return std::nullopt;
    }
    return data.mid(7);
}

bool isCutUtf16(const QString& data) {
    const auto bytes = hexTextBytes(data);
    return bytes && QByteArray::fromHex(bytes->toLatin1()).size() % 2 != 0;
}

QByteArray serialize(const QList<Key>& keys, Encoding& encoding) {
    // Written back as REGEDIT4 only when nothing is lost.
    const bool widen = hexIsAnsi(encoding) && !regedit4Holds(keys, encoding);
    if (widen) {
        encoding = Encoding::Utf16Le;
    }
    const bool ansi = encoding == Encoding::Ansi;
    const bool hexAnsi = hexIsAnsi(encoding);
    QString out = (hexAnsi ? QStringLiteral("REGEDIT4") : kHeader) + QStringLiteral("\r\n");
    for (const Key& key : keys) {
        out += QStringLiteral("\r\n[") + kRoot + u'\\' + key.path + QStringLiteral("]\r\n");
        for (const Value& v : key.values) {
            out += v.name.isEmpty() ? QStringLiteral("@") : escapeString(v.name);
            out += u'=';
            if (!v.rawData.isEmpty()) {
                out += widen ? widenStringKind(v.rawData) : v.rawData;
            } else if (isMultiLine(v.text)) {
                out += encodeHexText(QStringLiteral("hex(1):"), v.text, hexAnsi);
            } else {
                out += escapeString(v.text);
            }
            out += QStringLiteral("\r\n");
        }
    }
    if (ansi) {
        return cp1252::encode(out);
    }
    QByteArray bytes;
    for (const Bom& bom : kBoms) {
        if (bom.encoding == encoding) {
            bytes = bom.bytes;
        }
    }
    QStringEncoder encoder(converterOf(encoding), QStringConverter::Flag::Stateless);
    bytes += QByteArray(encoder.encode(out));
    return bytes;
}

}  // namespace kalvor::reg
