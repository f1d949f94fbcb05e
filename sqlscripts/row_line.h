#pragma once

#include <QString>
#include <QVariant>
#include <functional>
#include <string>

#include "sqlscripts/script_text.h"

namespace kalvor {
namespace dao {
class RowCursor;
}

// The line "INSERT INTO <table> VALUES (...);" of one catalogue row, built
// straight in the script's bytes from the values where the engine holds
// them. Each value takes the form of its namesake in sql_values.h, byte for
// byte: the usual values (texts, whole numbers, stored dates) are written
// directly, any other goes through that function. Comment text stays
// Windows-1252 in both encodings; every text's CRs are written \r, its
// NULs \0. A row longer than the site's server loads is refused.
class RowLine {
  public:
    // `head` is the statement up to "VALUES (", already encoded (Head()).
    RowLine(bool utf8, const std::string& head);
    static std::string Head(bool utf8, const QString& prefix, const QString& table);

    // Starts the next row's line.
    RowLine& Start();
    const std::string& Bytes();  // the whole line, ");" included
    // The line so far, not closed: the values alone with an empty head.
    const std::string& Unclosed() const { return bytes_; }
    // The row's first value, written by Identifier: its key.
    std::string_view FirstValue() const;

    using Cursor = dao::RowCursor;
    // The bytes of a site text column, the capacity of a quoted text unless
    // its column holds fewer.
    static constexpr size_t kTextColumn = 65535;
    RowLine& QuotedText(const Cursor& c, int column, size_t capacity = kTextColumn);
    // A number the site holds as text: a blank is no value, as a Null.
    RowLine& QuotedNumber(const Cursor& c, int column, size_t capacity);
    RowLine& Comment(const Cursor& c, int column);
    RowLine& Identifier(const Cursor& c, int column);
    RowLine& BareValue(const Cursor& c, int column);
    RowLine& NumberOrNull(const Cursor& c, int column);
    RowLine& YesNo(const Cursor& c, int column);
    RowLine& QuotedDate(const Cursor& c, int column);
    RowLine& DateOrNull(const Cursor& c, int column);
    RowLine& LegalDeposit(const Cursor& c, int column);
    RowLine& WholeOrNull(const Cursor& c, int column);
    RowLine& CustomNumber(const Cursor& c, int column);
    RowLine& Rating(const Cursor& c, int column);
    RowLine& AuthorDisplay(const Cursor& c, int pseudo, int nom, int prenom);
    // A value already in its SQL form.
    RowLine& Value(const QString& sql);
    RowLine& Value(qint64 number);

    // The value for a number or a date of the site, whatever the column is
    // declared: a blank text (a cleared cell) is Null.
    static QVariant NumberValue(const Cursor& c, int column);

    // Runs `read`, which converts the value of `column`; a value of the wrong
    // type is then named by its table, the row's id and the column.
    void Checked(const Cursor& c, int column, const std::function<void()>& read) const;

  private:
    // A number or a date; `none` is what a Null or a cleared cell gives
    // (for a number, nullptr refuses them: a key).
    RowLine& number(const Cursor& c, int column, const char* none);
    RowLine& date(const Cursor& c, int column, const char* none);
    // "table T, IdX 12, colonne C": where a value comes from.
    QString where(const Cursor& c, int column) const;
    // Refuses the value written from `from` on when the site's column cannot
    // hold it.
    void requireFits(const Cursor& c, int column, size_t from, size_t capacity) const;
    // Where the value written next starts, past its separator.
    size_t valueStart() const { return bytes_.size() + (first_ ? 0 : 1); }
    void quotedText(const Cursor& c, int column);
    void comment(const Cursor& c, int column);
    // A comment already escaped; its length is checked by Comment.
    void escapedComment(const QString& escaped);
    void authorDisplay(const Cursor& c, int pseudo, int nom, int prenom);
    void separate();
    void ascii(const char* text);
    void text(const QString& sqlText);
    bool quotedUtf8(std::string_view utf8, script_text::Encoding encoding);
    void escapeControlBytes(size_t from);
    script_text::Encoding encoding() const {
        return utf8_ ? script_text::Encoding::Utf8 : script_text::Encoding::Cp1252;
    }

    bool utf8_;
    size_t headSize_;
    std::string bytes_;
    bool first_ = true;
    size_t firstEnd_ = std::string::npos;  // the end of a first value by Identifier
    int idColumn_ = -1;                    // the cursor's column of that value
    // The row's comment, named when the statement is too long to load.
    struct Comment_ {
        const Cursor* cursor = nullptr;
        int column = -1;
    } comment_;
};

}  // namespace kalvor
