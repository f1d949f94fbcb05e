#include "sqlscripts/row_line.h"

#include <sqlite3.h>

#include <QDate>
#include <charconv>
#include <cmath>
#include <limits>
#include <stdexcept>

#include "common/vb.h"
#include "platform/dao/jet_date.h"
#include "platform/dao/row_cursor.h"
#include "platform/error.h"
#include "sqlscripts/row_values.h"
#include "sqlscripts/sql_values.h"

namespace kalvor {
namespace {

using dao::fieldvalue::Kind;

// The bytes a site comment column (mediumblob) holds.
constexpr size_t kCommentColumn = 16777215;
// The longest statement MariaDB takes with its default max_allowed_packet
// (16 MiB, the packet's command byte included).
constexpr size_t kStatement = 16777215;

// What the database layer would make of the current value, for the forms
// written directly; Other goes through sql_values.
enum class Form { Null, Text, Integer, Double, YesNo, Other };

Form formOf(const dao::RowCursor& c, int column) {
    const int type = c.Type(column);
    const Kind kind = c.Kind(column);
    switch (type) {
        case SQLITE_NULL:
            return Form::Null;
        case SQLITE_TEXT:
            return kind == Kind::Date ? Form::Other : Form::Text;
        case SQLITE_INTEGER:
            if (kind == Kind::Integer || kind == Kind::Untyped)
                return Form::Integer;
            if (kind == Kind::Number)
                return Form::Double;
            return kind == Kind::YesNo ? Form::YesNo : Form::Other;
        case SQLITE_FLOAT:
            if (kind == Kind::Integer || kind == Kind::Number || kind == Kind::Untyped)
                return Form::Double;
            return kind == Kind::YesNo ? Form::YesNo : Form::Other;
        default:
            return Form::Other;
    }
}

bool blank(const dao::RowCursor& c, int column) {
    return c.Type(column) == SQLITE_TEXT && dao::jetdate::IsBlank(c.Utf8(column));
}

void appendInt(std::string& out, qint64 n) {
    char digits[24];
    const auto end = std::to_chars(digits, digits + sizeof digits, n).ptr;
    out.append(digits, end - digits);
}

// Significant digits of a number written by to_chars, exponent left out.
int significantDigits(const char* begin, const char* end) {
    int count = 0;
    bool leading = true;
    for (const char* p = begin; p < end && *p != 'e'; ++p) {
        if (*p < '0' || *p > '9' || (leading && *p == '0'))
            continue;
        leading = false;
        ++count;
    }
    return count;
}

// QString::number(d, 'g', 15), as sql_values writes numbers. A number that
// fifteen digits hold exactly is written as the C library's "%.15g" writes
// it; any other goes through Qt, whose rounding of a tie differs.
void appendDouble(std::string& out, double d) {
    if (d == std::trunc(d) && std::fabs(d) < 1e15 && !(d == 0 && std::signbit(d))) {
        appendInt(out, qint64(d));
        return;
    }
    // Money: a whole number of cents, which "%.15g" writes as such.
    const double cents = std::round(d * 100);
    if (std::fabs(cents) < 1e13 && cents / 100 == d) {
        const auto whole = qint64(std::fabs(cents));
        if (d < 0)
            out += '-';
        appendInt(out, whole / 100);
        out += '.';
        out += char('0' + whole % 100 / 10);
        if (whole % 10 != 0)
            out += char('0' + whole % 10);
        return;
    }
    char digits[32];
    const auto shortest = std::to_chars(digits, digits + sizeof digits, d);
    if (std::isfinite(d) && shortest.ec == std::errc() &&
        significantDigits(digits, shortest.ptr) <= 15) {
        const auto end =
            std::to_chars(digits, digits + sizeof digits, d, std::chars_format::general, 15).ptr;
        out.append(digits, end - digits);
        return;
    }
    out += QString::number(d, 'g', 15).toStdString();
}

void twoDigits(std::string& out, int n) {
    out += char('0' + n / 10);
    out += char('0' + n % 10);
}

}  // namespace

RowLine::RowLine(bool utf8, const std::string& head)
    : utf8_(utf8), headSize_(head.size()), bytes_(head) {
    bytes_.reserve(4096);
}

std::string RowLine::Head(bool utf8, const QString& prefix, const QString& table) {
    std::string head;
    script_text::Append(
        head,
        QString(QStringLiteral("INSERT INTO ") + prefix + table + QStringLiteral(" VALUES (")),
        false, utf8 ? script_text::Encoding::Utf8 : script_text::Encoding::Cp1252);
    return head;
}

RowLine& RowLine::Start() {
    bytes_.resize(headSize_);
    first_ = true;
    firstEnd_ = std::string::npos;
    idColumn_ = -1;
    comment_ = Comment_{};
    return *this;
}

QString RowLine::where(const Cursor& c, int column) const {
    QString table = c.TableOf(column);
    if (table.isEmpty() && idColumn_ >= 0) {
        table = c.TableOf(idColumn_);
    }
    QStringList where;
    if (!table.isEmpty()) {
        where << QStringLiteral("table ") + table;
    }
    if (idColumn_ >= 0 && idColumn_ != column) {
        where << c.ColumnOf(idColumn_) + u' ' + QString::fromUtf8(FirstValue());
    }
    where << QStringLiteral("colonne ") + c.ColumnOf(column);
    return where.join(QStringLiteral(", "));
}

void RowLine::Checked(const Cursor& c, int column, const std::function<void()>& read) const {
    try {
        read();
    } catch (const Error& e) {
        if (e.Number() != err::TypeMismatch && e.Number() != err::Overflow &&
            e.Number() != err::InvalidArgument) {
            throw;
        }
        throw Error(e.Number(), e.Description() + QStringLiteral(" (") + where(c, column) +
                                    QStringLiteral(" : « ") + c.Value(column).toString().left(60) +
                                    QStringLiteral(" »)"));
    }
}

void RowLine::requireFits(const Cursor& c, int column, size_t from, size_t capacity) const {
    // Escapes only shorten what is stored: most values need no count.
    if (bytes_.size() - from <= capacity + 2) {
        return;
    }
    size_t stored = 0;
    for (size_t i = from + 1; i + 1 < bytes_.size(); ++i, ++stored) {
        if (bytes_[i] == '\\') {
            ++i;
        }
    }
    if (stored > capacity) {
        throw Error(err::Overflow, QStringLiteral("Texte trop long pour le site (%1 : %2 octets, "
                                                  "la colonne du site en tient %3)")
                                       .arg(where(c, column))
                                       .arg(stored)
                                       .arg(capacity));
    }
}

const std::string& RowLine::Bytes() {
    escapeControlBytes(headSize_);
    bytes_.append(");", 2);
    if (bytes_.size() > kStatement) {
        // Only a comment can make a row this long: the others' columns hold
        // 65,535 bytes.
        const QString from =
            comment_.cursor ? where(*comment_.cursor, comment_.column) : QStringLiteral("?");
        throw Error(err::Overflow,
                    QStringLiteral("Ligne trop longue pour le site (%1 : la ligne compte %2 "
                                   "octets, MariaDB en charge %3)")
                        .arg(from)
                        .arg(bytes_.size())
                        .arg(kStatement));
    }
    return bytes_;
}

std::string_view RowLine::FirstValue() const {
    if (firstEnd_ == std::string::npos) {
        throw std::logic_error("the row does not start with an identifier");
    }
    return std::string_view(bytes_).substr(headSize_, firstEnd_ - headSize_);
}

void RowLine::separate() {
    if (!first_)
        bytes_ += ',';
    first_ = false;
}

void RowLine::ascii(const char* text) {
    separate();
    bytes_.append(text);
}

void RowLine::text(const QString& sqlText) {
    separate();
    script_text::Append(bytes_, sqlText, false, encoding());
}

bool RowLine::quotedUtf8(std::string_view utf8, script_text::Encoding encoding) {
    const size_t at = bytes_.size();
    bytes_ += '\'';
    if (!script_text::AppendUtf8(bytes_, utf8, true, encoding)) {
        bytes_.resize(at);
        return false;
    }
    bytes_ += '\'';
    return true;
}

RowLine& RowLine::Value(const QString& sql) {
    text(sql);
    return *this;
}

RowLine& RowLine::Value(qint64 number) {
    separate();
    appendInt(bytes_, number);
    return *this;
}

RowLine& RowLine::QuotedText(const Cursor& c, int column, size_t capacity) {
    const size_t at = valueStart();
    quotedText(c, column);
    requireFits(c, column, at, capacity);
    return *this;
}

void RowLine::quotedText(const Cursor& c, int column) {
    switch (formOf(c, column)) {
        case Form::Null:
            ascii("''");
            return;
        case Form::Text:
            separate();
            if (quotedUtf8(c.Utf8(column), encoding()))
                return;
            first_ = true;
            break;
        default:
            break;
    }
    Checked(c, column, [&] { text(sql::QuotedText(c.Value(column))); });
}

void RowLine::escapedComment(const QString& escaped) {
    separate();
    bytes_ += '\'';
    script_text::Append(bytes_, escaped, false, script_text::Encoding::Cp1252);
    bytes_ += '\'';
}

RowLine& RowLine::QuotedNumber(const Cursor& c, int column, size_t capacity) {
    if (blank(c, column)) {
        ascii("''");
        return *this;
    }
    return QuotedText(c, column, capacity);
}

QVariant RowLine::NumberValue(const Cursor& c, int column) {
    return blank(c, column) ? QVariant() : c.Value(column);
}

RowLine& RowLine::Comment(const Cursor& c, int column) {
    comment_ = Comment_{&c, column};
    const size_t at = valueStart();
    comment(c, column);
    requireFits(c, column, at, kCommentColumn);
    return *this;
}

void RowLine::comment(const Cursor& c, int column) {
    switch (formOf(c, column)) {
        case Form::Null:
            ascii("''");
            return;
        case Form::Text:
            separate();
            if (quotedUtf8(c.Utf8(column), script_text::Encoding::Cp1252))
                return;
            first_ = true;
            break;
        default:
            break;
    }
    Checked(c, column, [&] { escapedComment(sql::Escaped(c.Value(column))); });
}

// The mysql client drops a CR that ends a line of its input, so the line
// breaks of a multi-line text would reach the site as bare LFs; it stops
// the whole load at a NUL. Neither byte is ever part of another character
// in either encoding.
void RowLine::escapeControlBytes(size_t from) {
    const size_t at = std::min(bytes_.find('\r', from), bytes_.find('\0', from));
    if (at == std::string::npos) {
        return;
    }
    std::string escaped(bytes_, 0, at);
    for (size_t i = at; i < bytes_.size(); ++i) {
        if (bytes_[i] == '\r') {
            escaped += "\\r";
        } else if (bytes_[i] == '\0') {
            escaped += "\\0";
        } else {
            escaped += bytes_[i];
        }
    }
    bytes_.swap(escaped);
}

RowLine& RowLine::Identifier(const Cursor& c, int column) {
    return number(c, column, nullptr);
}

RowLine& RowLine::number(const Cursor& c, int column, const char* none) {
    if (none && c.IsNull(column)) {
        ascii(none);
        return *this;
    }
    const bool first = bytes_.size() == headSize_;
    const auto direct = [&] {
        switch (formOf(c, column)) {
            case Form::Integer:
                if (const qint64 n = c.Int(column); sql::FitsSiteRange(double(n))) {
                    Value(n);
                    return true;
                }
                return false;
            case Form::Double:
                if (const double d = c.Double(column); sql::FitsSiteRange(d)) {
                    separate();
                    appendDouble(bytes_, d);
                    return true;
                }
                return false;
            default:
                return false;
        }
    };
    if (!direct()) {
        const QVariant value = NumberValue(c, column);
        if (none && value.isNull()) {  // a cleared cell
            ascii(none);
            return *this;
        }
        // A text, or a number the site's column cannot hold: refused there.
        Checked(c, column, [&] { text(sql::Identifier(value)); });
    }
    if (first) {
        firstEnd_ = bytes_.size();
        idColumn_ = column;
    }
    return *this;
}

RowLine& RowLine::BareValue(const Cursor& c, int column) {
    return number(c, column, "0");
}

RowLine& RowLine::NumberOrNull(const Cursor& c, int column) {
    return number(c, column, "null");
}

RowLine& RowLine::YesNo(const Cursor& c, int column) {
    switch (formOf(c, column)) {
        case Form::Null:
            ascii("0");
            return *this;
        case Form::Integer:
        case Form::Double:
        case Form::YesNo:
            ascii(c.Double(column) != 0 ? "1" : "0");
            return *this;
        default:
            Checked(c, column, [&] { text(sql::YesNo(NumberValue(c, column))); });
            return *this;
    }
}

RowLine& RowLine::QuotedDate(const Cursor& c, int column) {
    return date(c, column, "'0000-00-00'");
}

RowLine& RowLine::DateOrNull(const Cursor& c, int column) {
    return date(c, column, "null");
}

RowLine& RowLine::date(const Cursor& c, int column, const char* none) {
    if (c.IsNull(column)) {
        ascii(none);
        return *this;
    }
    int y = 0, m = 0, d = 0;
    if (c.Type(column) == SQLITE_TEXT && dao::jetdate::IsStoredForm(c.Utf8(column), y, m, d)) {
        separate();
        bytes_ += '\'';
        bytes_.append(c.Utf8(column).data(), 4);  // the year's four digits
        bytes_ += '-';
        twoDigits(bytes_, m);
        bytes_ += '-';
        twoDigits(bytes_, d);
        bytes_ += '\'';
        return *this;
    }
    const QVariant value = NumberValue(c, column);
    if (value.isNull()) {  // a cleared cell
        ascii(none);
        return *this;
    }
    Checked(c, column, [&] { text(sql::QuotedDate(value)); });
    return *this;
}

RowLine& RowLine::LegalDeposit(const Cursor& c, int column) {
    if (c.IsNull(column)) {
        ascii("null");
        return *this;
    }
    int y = 0, m = 0, d = 0;
    if (c.Type(column) == SQLITE_TEXT && dao::jetdate::IsStoredForm(c.Utf8(column), y, m, d)) {
        separate();
        bytes_ += '\'';
        twoDigits(bytes_, m);
        bytes_ += '/';
        bytes_.append(c.Utf8(column).data(), 4);
        bytes_ += '\'';
        return *this;
    }
    Checked(c, column, [&] { text(sql::LegalDeposit(NumberValue(c, column))); });
    return *this;
}

RowLine& RowLine::WholeOrNull(const Cursor& c, int column) {
    switch (formOf(c, column)) {
        case Form::Null:
            ascii("null");
            return *this;
        case Form::Integer:
        case Form::Double:
            if (sql::FitsSiteRange(c.Double(column)))
                return Value(static_cast<qint64>(std::round(c.Double(column))));
            [[fallthrough]];
        default:
            Checked(c, column, [&] { text(sql::WholeOrNull(NumberValue(c, column))); });
            return *this;
    }
}

RowLine& RowLine::CustomNumber(const Cursor& c, int column) {
    switch (formOf(c, column)) {
        case Form::Null:
            ascii("0");
            return *this;
        case Form::Integer:
        case Form::Double: {
            const double d = vb::RoundHalfEven(c.Double(column));
            if (d >= std::numeric_limits<qint32>::min() && d <= std::numeric_limits<qint32>::max())
                return Value(qint64(d));
            break;
        }
        default:
            break;
    }
    Checked(c, column,
            [&] { text(sql::CustomNumber(NumberValue(c, column))); });  // or the overflow
    return *this;
}

RowLine& RowLine::Rating(const Cursor& c, int column) {
    if (formOf(c, column) == Form::Integer) {
        const qint64 n = c.Int(column);
        if (n >= 0 && n <= sql::kHighestRating) {
            separate();
            bytes_ += '\'';
            for (qint64 i = 0; i < n / 2; ++i) {
                if (utf8_)
                    bytes_.append("\xC2\xA4", 2);
                else
                    bytes_ += '\xA4';
            }
            if (n % 2)
                bytes_ += 'l';
            bytes_ += '\'';
            return *this;
        }
    }
    Checked(c, column, [&] { text(sql::Rating(c.Value(column))); });
    return *this;
}

RowLine& RowLine::AuthorDisplay(const Cursor& c, int pseudo, int nom, int prenom) {
    const size_t at = valueStart();
    authorDisplay(c, pseudo, nom, prenom);
    requireFits(c, nom, at, kTextColumn);
    return *this;
}

void RowLine::authorDisplay(const Cursor& c, int pseudo, int nom, int prenom) {
    const Form p = formOf(c, pseudo), n = formOf(c, nom), f = formOf(c, prenom);
    const auto plain = [](Form form) { return form == Form::Null || form == Form::Text; };
    if (plain(p) && plain(n) && plain(f)) {
        const size_t at = bytes_.size();
        const bool wasFirst = first_;
        separate();
        const std::string_view pen = p == Form::Null ? std::string_view() : c.Utf8(pseudo);
        const std::string_view last = n == Form::Null ? std::string_view() : c.Utf8(nom);
        const std::string_view first = f == Form::Null ? std::string_view() : c.Utf8(prenom);
        const auto enc = encoding();
        bool ok;
        if (!pen.empty()) {
            ok = quotedUtf8(pen, enc);
        } else if (first.empty()) {
            ok = quotedUtf8(last, enc);
        } else {
            bytes_ += '\'';
            ok = script_text::AppendUtf8(bytes_, last, true, enc);
            bytes_.append(", ", 2);
            ok = ok && script_text::AppendUtf8(bytes_, first, true, enc);
            bytes_ += '\'';
        }
        if (ok)
            return;
        bytes_.resize(at);
        first_ = wasFirst;
    }
    text(sql::AuthorDisplay(c.Value(pseudo), c.Value(nom), c.Value(prenom)));
}

}  // namespace kalvor
