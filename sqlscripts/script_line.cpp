#include "sqlscripts/script_line.h"

#include "common/general.h"
#include "platform/cp1252.h"
#include "platform/textfile.h"

namespace kalvor {

ScriptLine& ScriptLine::Append(const QString& text) {
    if (!pieces_.isEmpty() && !pieces_.last().comment) {
        pieces_.last().text += text;
    } else {
        pieces_.append(Piece{text, false});
    }
    return *this;
}

ScriptLine& ScriptLine::AppendComment(const QString& text) {
    pieces_.append(Piece{text, true});
    return *this;
}

QString ScriptLine::Text() const {
    QString text;
    for (const Piece& piece : pieces_) {
        text += piece.text;
    }
    return text;
}

QByteArray ScriptLine::Bytes(bool utf8) const {
    QByteArray bytes;
    for (const Piece& piece : pieces_) {
        bytes += (utf8 && !piece.comment) ? general::Convert_UTF8(piece.text)
                                          : cp1252::encode(piece.text);
    }
    return bytes;
}

void ScriptLine::WriteTo(TextFile& file, bool utf8) const {
    file.WriteLine(Bytes(utf8));
}

}  // namespace kalvor
