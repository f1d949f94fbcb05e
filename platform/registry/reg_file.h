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

struct Document {
    QList<Key> keys;
    QStringList problems;  // lines that could not be understood
};

inline const QString kHeader = QStringLiteral("Windows Registry Editor Version 5.00");
inline const QString kRoot = QStringLiteral("HKEY_CURRENT_USER");

// The .reg text format: header line, [HKEY_CURRENT_USER\path] sections and
// "name"="value" lines, CR LF or LF accepted. Keys under another root are
// reported as problems and left out.
Document parse(const QByteArray& bytes);
QByteArray serialize(const QList<Key>& keys);

// "a\\b" <-> a\b, with \" for quotes; multi-line text goes out as hex(1).
QString escapeString(const QString& text);

}  // namespace kalvor::reg
