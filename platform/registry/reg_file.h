#pragma once

#include <QByteArray>
#include <QList>
#include <QString>
#include <QStringList>

namespace kalvor::reg {

// One value line. Text values are REG_SZ; any other kind a person wrote by
// hand is kept as written so that saving does not lose it.
struct Value {
    QString name;  // "" for the default value "@"
    QString text;
    bool isText = true;
    QString rawData;  // right-hand side as written, when !isText
};

struct Key {
    QString path;  // under HKEY_CURRENT_USER, without the root
    QList<Value> values;
};

// How the file's text is stored. The registry editor of Windows writes
// UTF-16LE with a byte-order mark; a file of ours is UTF-8.
enum class Encoding { Utf8, Utf8Bom, Utf16Le, Utf16Be };

struct Document {
    QList<Key> keys;
    QStringList problems;  // lines that could not be understood
    Encoding encoding = Encoding::Utf8;
};

inline const QString kHeader = QStringLiteral("Windows Registry Editor Version 5.00");
inline const QString kRoot = QStringLiteral("HKEY_CURRENT_USER");

// The .reg text format: header line, [HKEY_CURRENT_USER\path] sections and
// "name"="value" lines, CR LF or LF accepted, in UTF-8, or in UTF-8 or
// UTF-16 (either byte order) after a byte-order mark. Keys under another root
// are reported as problems and left out.
Document parse(const QByteArray& bytes);
// The file's text in `encoding`, with its byte-order mark where it has one.
QByteArray serialize(const QList<Key>& keys, Encoding encoding = Encoding::Utf8);

// "a\\b" <-> a\b, with \" for quotes; multi-line text goes out as hex(1).
QString escapeString(const QString& text);

}  // namespace kalvor::reg
