#pragma once

#include <QByteArray>
#include <QList>
#include <QString>
#include <QStringList>
#include <optional>

namespace kalvor::reg {

// One value line. A text written in quotes, or as the bytes of a string
// kind (hex(1), hex(2): an expandable string, read as it stands), is read
// as its text. Any other kind (dword, bytes) holds no text. A value not
// written in quotes keeps its data as written, so that saving loses nothing.
struct Value {
    QString name;  // "" for the default value "@"
    QString text;
    bool readable = true;  // false: no text could be read from it
    QString rawData;       // right-hand side as written, unless in quotes
};

struct Key {
    QString path;  // under HKEY_CURRENT_USER, without the root
    QList<Value> values;
};

// How the file's text is stored. The registry editor of Windows writes
// UTF-16LE with a byte-order mark, or for its older "REGEDIT4" format
// Windows-1252 (Ansi); a file of ours is UTF-8. An editor on Linux saves a
// REGEDIT4 file in UTF-8 (Regedit4Utf8): its bytes of string kinds stay
// Windows-1252, as the registry editor wrote them.
enum class Encoding { Utf8, Utf8Bom, Utf16Le, Utf16Be, Ansi, Regedit4Utf8 };

struct Document {
    QList<Key> keys;
    QStringList problems;  // lines that could not be understood
    Encoding encoding = Encoding::Utf8;
};

inline const QString kHeader = QStringLiteral("Windows Registry Editor Version 5.00");
inline const QString kRoot = QStringLiteral("HKEY_CURRENT_USER");

// The .reg text format: header line, [HKEY_CURRENT_USER\path] sections and
// "name"="value" lines, CR LF or LF accepted, in UTF-8, or in UTF-8 or
// UTF-16 (either byte order) after a byte-order mark, or under the header
// "REGEDIT4" in UTF-8 when its bytes are valid UTF-8 beyond ASCII, else in
// Windows-1252. Keys under another root are reported as
// problems and left out.
Document parse(const QByteArray& bytes);
// The file's text in `encoding`, with its byte-order mark where it has one.
// A text that Windows-1252 lacks cannot go into a REGEDIT4 file: the file
// is then written as the registry editor's UTF-16, and `encoding` says so.
QByteArray serialize(const QList<Key>& keys, Encoding& encoding);

// The text of a string kind's bytes ("41,00,00,00"): UTF-16LE, or the
// Windows-1252 bytes of a REGEDIT4 file, up to the first NUL. None when the
// data is no list of bytes, or UTF-16 cut in the middle of a letter.
std::optional<QString> decodeHexText(const QString& data, bool ansi);
// The bytes of a value's data that is a text (hex(1):) or an expandable
// string (hex(2):); none for any other kind.
std::optional<QString> hexTextBytes(const QString& data);
// Whether a value's data is UTF-16 text of an odd number of bytes.
bool isCutUtf16(const QString& data);

// "a\\b" <-> a\b, with \" for quotes; multi-line text goes out as hex(1).
QString escapeString(const QString& text);

}  // namespace kalvor::reg
