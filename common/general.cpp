#include "common/general.h"

#include <QDir>
#include <QFileInfo>
#include <QMutex>

#include "platform/cp1252.h"
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
    return Convert_References(text);
}

QString Unescape_Texte(QString& text) {
    text.replace(QStringLiteral("&lt;"), QStringLiteral("<"));
    text.replace(QStringLiteral("&gt;"), QStringLiteral(">"));
    // Only the references the export writes: those of a character that
    // Windows-1252 lacks, in decimal without leading zeros. Any other text
    // ("&#233;" typed in a comment) comes back as it was.
    qsizetype at = text.indexOf(QLatin1String("&#"));
    if (at < 0) {
        return text;
    }
    QString out;
    out.reserve(text.size());
    qsizetype done = 0;
    for (; at >= 0; at = text.indexOf(QLatin1String("&#"), at + 1)) {
        qsizetype end = at + 2;
        char32_t c = 0;
        while (end < text.size() && end - at < 9 && text[end] >= u'0' && text[end] <= u'9' &&
               !(end == at + 2 && text[end] == u'0')) {
            c = c * 10 + (text[end].unicode() - u'0');
            ++end;
        }
        if (end == at + 2 || end >= text.size() || text[end] != u';' || c > 0x10FFFF ||
            QChar::isSurrogate(c) || !cp1252::Lacks(c)) {
            continue;
        }
        out += QStringView(text).mid(done, at - done);
        out += QString::fromUcs4(&c, 1);
        done = end + 1;
        at = end;
    }
    out += QStringView(text).mid(done);
    text = out;
    return text;
}

QString Convert_References(QString& text) {
    qsizetype i = cp1252::FirstLacked(text);
    if (i < 0) {
        return text;
    }
    QString out = text.left(i);
    for (; i < text.size(); ++i) {
        const QChar c = text[i];
        if (c.isHighSurrogate() && i + 1 < text.size() && text[i + 1].isLowSurrogate()) {
            out += QStringLiteral("&#%1;").arg(QChar::surrogateToUcs4(c, text[i + 1]));
            ++i;
        } else if (!cp1252::Lacks(c.unicode()) || c.isSurrogate()) {
            out += c;  // half a character stays: "?" once written, as before
        } else {
            out += QStringLiteral("&#%1;").arg(c.unicode());
        }
    }
    text = out;
    return text;
}

QString Convert_Espaces(QString& text) {
    text.replace(u' ', QStringLiteral("&nbsp;"));
    return text;
}

void Write_Log(const QString& label, const QString& GV_Erreurs) {
    // Long work writes from its own thread, the window from its.
    static QMutex writing;
    const QMutexLocker lock(&writing);
    if (writeLogAt(programFolder(), label, GV_Erreurs)) {
        return;
    }
    writeLogAt(stateFolder(), label, GV_Erreurs);
}

QString Log_Path() {
    return lastLogPath();
}

}  // namespace kalvor::general
