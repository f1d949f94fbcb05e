#include "common/general.h"

#include <QDir>
#include <QFileInfo>

#include "platform/program_folder.h"
#include "platform/registry/registry.h"
#include "platform/textfile.h"

namespace kalvor::general {
namespace {
const QString kLogName = QStringLiteral("kalvor.log");

QString& lastLogPath() {
    static QString path;
    return path;
}

bool writeLogAt(const QString& folder, const QString& label, const QString& errors) {
    try {
        if (!QDir().mkpath(folder)) {
            return false;
        }
        const QString path = folder + u'/' + kLogName;
        // Read by the user, on a terminal or in an editor: in the system's own
        // encoding, UTF-8, not in the code page of the generated files.
        TextFile file(path);
        file.WriteLine(label.toUtf8());
        file.WriteLine(errors.toUtf8());
        file.Close();
        lastLogPath() = path;
        return true;
    } catch (...) {
        return false;
    }
}
}  // namespace

QVariant Get_Registry_Value(RootKey, const QString& key, const QString& name) {
    Registry& hkcu = Registry::currentUser();
    if (!hkcu.createKey(key)) {
        return {};
    }
    const std::optional<QString> value = hkcu.value(key, name);
    if (!value || value->isEmpty()) {
        return QVariant(false);
    }
    return QVariant(*value);
}

void Set_Registry_Value(RootKey, const QString& key, const QString& name, const QString& value) {
    Registry::currentUser().setValue(key, name, value);
}

bool Check_Registry_Key(RootKey, const QString& key) {
    return Registry::currentUser().keyExists(key);
}

QByteArray Convert_UTF8(const QString& text) {
    return text.toUtf8();
}

QString Escape_Texte(QString& text) {
    // Backslashes first: a text ending in "\" would otherwise swallow the
    // closing quote of the SQL string that holds it.
    text.replace(u'\\', QStringLiteral("\\\\"));
    text.replace(u'\'', QStringLiteral("\\'"));
    text.replace(u'<', QStringLiteral("&lt;"));
    text.replace(u'>', QStringLiteral("&gt;"));
    return text;
}

QString Unescape_Texte(QString& text) {
    text.replace(QStringLiteral("&lt;"), QStringLiteral("<"));
    text.replace(QStringLiteral("&gt;"), QStringLiteral(">"));
    return text;
}

QString Convert_Espaces(QString& text) {
    text.replace(u' ', QStringLiteral("&nbsp;"));
    return text;
}

void Write_Log(const QString& label, const QString& GV_Erreurs) {
    if (writeLogAt(programFolder(), label, GV_Erreurs)) {
        return;
    }
    writeLogAt(stateFolder(), label, GV_Erreurs);
}

QString Log_Path() {
    return lastLogPath();
}

}  // namespace kalvor::general
