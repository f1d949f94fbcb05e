#pragma once

#include <QByteArray>
#include <QList>
#include <QString>

namespace kalvor {

class TextFile;

// One line of a generated SQL script, kept as pieces so that it can be
// written in either encoding. In a UTF-8 script every piece becomes UTF-8
// except comment text: the comment columns are blobs that store their bytes
// as written, and the site's pages read them as Windows-1252.
class ScriptLine {
  public:
    ScriptLine() = default;
    explicit ScriptLine(const QString& text) { Append(text); }

    // Text in the script's encoding.
    ScriptLine& Append(const QString& text);
    // Text that stays Windows-1252 in both encodings.
    ScriptLine& AppendComment(const QString& text);

    // The line as characters, whatever the encoding.
    QString Text() const;
    // The line's bytes, without the line end.
    QByteArray Bytes(bool utf8) const;
    void WriteTo(TextFile& file, bool utf8) const;

  private:
    struct Piece {
        QString text;
        bool comment;
    };
    QList<Piece> pieces_;
};

}  // namespace kalvor
