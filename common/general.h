#pragma once

#include <QByteArray>
#include <QString>
#include <QVariant>

namespace kalvor {

// The only root key the program uses.
enum RootKey : quint32 { HKEY_CURRENT_USER = 0x80000001 };

// Module `general`: routines shared by the whole program. They keep no state;
// the error text is passed in by whoever owns it.
namespace general {

// The value's text; the Boolean false when it is missing or empty; an empty
// (invalid) variant when the key cannot be opened. The key is created when
// missing.
QVariant Get_Registry_Value(RootKey root, const QString& key, const QString& name);
void Set_Registry_Value(RootKey root, const QString& key, const QString& name,
                        const QString& value);
bool Check_Registry_Key(RootKey root, const QString& key);

// The UTF-8 bytes of the text, for writing as they are.
QByteArray Convert_UTF8(const QString& text);

// For data scripts: \ doubled, then ' -> \', < -> &lt;, > -> &gt;, and a
// character that Windows-1252 lacks as its reference ("č" -> "&#269;"). The
// argument is rewritten and returned.
QString Escape_Texte(QString& text);
// &lt; -> <, &gt; -> >, and the references Escape_Texte writes back into
// their characters (the \' form stays).
QString Unescape_Texte(QString& text);
// A character that Windows-1252 lacks -> its numeric character reference
// ("&#269;"), so that an HTML text of the site keeps it. The argument is
// rewritten and returned.
QString Convert_References(QString& text);
// Spaces -> &nbsp;
QString Convert_Espaces(QString& text);

// Recreates kalvor.log in the program folder (or the state folder when that
// one is not writable) with the label, then the whole error text. Never throws.
void Write_Log(const QString& label, const QString& GV_Erreurs);

// Where the last Write_Log went, for the user and the tests.
QString Log_Path();

}  // namespace general
}  // namespace kalvor
