#include "platform/dao/sqlite_functions.h"

#include <sqlite3.h>

#include <QString>
#include <cmath>
#include <string_view>

#include "platform/clock.h"
#include "platform/dao/jet_date.h"
#include "platform/dao/jet_text.h"

namespace kalvor::dao {
namespace {

QString textArg(sqlite3_value* v) {
    const auto* p = reinterpret_cast<const char*>(sqlite3_value_text(v));
    return QString::fromUtf8(p, sqlite3_value_bytes(v));
}

bool isNull(sqlite3_value* v) {
    return sqlite3_value_type(v) == SQLITE_NULL;
}

void resultText(sqlite3_context* ctx, const QString& s) {
    QByteArray utf8 = s.toUtf8();
    sqlite3_result_text(ctx, utf8.constData(), int(utf8.size()), SQLITE_TRANSIENT);
}

int collate(void*, int la, const void* a, int lb, const void* b) {
    return jet::CompareUtf8(static_cast<const char*>(a), la, static_cast<const char*>(b), lb);
}

// like(pattern, text) as SQLite calls it for "text LIKE pattern".
void like(sqlite3_context* ctx, int, sqlite3_value** argv) {
    if (isNull(argv[0]) || isNull(argv[1])) {
        sqlite3_result_null(ctx);
        return;
    }
    sqlite3_result_int(ctx, jet::Like(textArg(argv[1]), textArg(argv[0])) ? 1 : 0);
}

void lcase(sqlite3_context* ctx, int, sqlite3_value** argv) {
    if (isNull(argv[0]))
        return sqlite3_result_null(ctx);
    resultText(ctx, textArg(argv[0]).toLower());
}

void ucase(sqlite3_context* ctx, int, sqlite3_value** argv) {
    if (isNull(argv[0]))
        return sqlite3_result_null(ctx);
    resultText(ctx, textArg(argv[0]).toUpper());
}

// mid(text, start[, length]) counted from 1 in UTF-16 units.
void mid(sqlite3_context* ctx, int argc, sqlite3_value** argv) {
    if (isNull(argv[0]))
        return sqlite3_result_null(ctx);
    const QString s = textArg(argv[0]);
    qint64 start = sqlite3_value_int64(argv[1]);
    if (start < 1)
        return sqlite3_result_error(ctx, "Argument non valide pour Mid", -1);
    qint64 length = argc > 2 ? sqlite3_value_int64(argv[2]) : s.size();
    if (argc > 2 && isNull(argv[2]))
        length = s.size();
    if (length < 0)
        return sqlite3_result_error(ctx, "Argument non valide pour Mid", -1);
    resultText(ctx, start > s.size() ? QString() : s.mid(start - 1, length));
}

void left(sqlite3_context* ctx, int, sqlite3_value** argv) {
    if (isNull(argv[0]))
        return sqlite3_result_null(ctx);
    qint64 n = sqlite3_value_int64(argv[1]);
    if (n < 0)
        return sqlite3_result_error(ctx, "Argument non valide pour Left", -1);
    resultText(ctx, textArg(argv[0]).left(n));
}

void right(sqlite3_context* ctx, int, sqlite3_value** argv) {
    if (isNull(argv[0]))
        return sqlite3_result_null(ctx);
    qint64 n = sqlite3_value_int64(argv[1]);
    if (n < 0)
        return sqlite3_result_error(ctx, "Argument non valide pour Right", -1);
    resultText(ctx, textArg(argv[0]).right(n));
}

void len(sqlite3_context* ctx, int, sqlite3_value** argv) {
    if (isNull(argv[0]))
        return sqlite3_result_null(ctx);
    sqlite3_result_int64(ctx, textArg(argv[0]).size());
}

bool truthy(sqlite3_value* v) {
    if (isNull(v))
        return false;
    if (sqlite3_value_type(v) == SQLITE_TEXT) {
        const QString s = textArg(v).trimmed();
        if (s.compare(QLatin1String("true"), Qt::CaseInsensitive) == 0 ||
            s.compare(QLatin1String("vrai"), Qt::CaseInsensitive) == 0)
            return true;
        bool ok = false;
        double d = s.toDouble(&ok);
        return ok && d != 0;
    }
    return sqlite3_value_double(v) != 0;
}

void iif(sqlite3_context* ctx, int, sqlite3_value** argv) {
    sqlite3_result_value(ctx, truthy(argv[0]) ? argv[1] : argv[2]);
}

void nz(sqlite3_context* ctx, int argc, sqlite3_value** argv) {
    if (!isNull(argv[0]))
        return sqlite3_result_value(ctx, argv[0]);
    if (argc > 1)
        return sqlite3_result_value(ctx, argv[1]);
    sqlite3_result_int(ctx, 0);
}

void isnullFn(sqlite3_context* ctx, int, sqlite3_value** argv) {
    sqlite3_result_int(ctx, isNull(argv[0]) ? -1 : 0);
}

// InStr([start,] text, sought): 1-based position, 0 when absent.
void instr(sqlite3_context* ctx, int argc, sqlite3_value** argv) {
    int base = argc == 3 ? 1 : 0;
    qint64 start = argc == 3 ? sqlite3_value_int64(argv[0]) : 1;
    if (isNull(argv[base]) || isNull(argv[base + 1]))
        return sqlite3_result_null(ctx);
    if (start < 1)
        return sqlite3_result_error(ctx, "Argument non valide pour InStr", -1);
    const QString s = textArg(argv[base]);
    const QString sought = textArg(argv[base + 1]);
    if (start > s.size() && !sought.isEmpty())
        return sqlite3_result_int(ctx, 0);
    sqlite3_result_int64(ctx, s.indexOf(sought, start - 1, Qt::CaseInsensitive) + 1);
}

void cstr(sqlite3_context* ctx, int, sqlite3_value** argv) {
    if (isNull(argv[0]))
        return sqlite3_result_null(ctx);
    resultText(ctx, textArg(argv[0]));
}

void val(sqlite3_context* ctx, int, sqlite3_value** argv) {
    if (isNull(argv[0]))
        return sqlite3_result_int(ctx, 0);
    QString s = textArg(argv[0]);
    s.remove(u' ');
    qsizetype i = 0;
    if (i < s.size() && (s[i] == u'-' || s[i] == u'+'))
        ++i;
    while (i < s.size() && (s[i].isDigit() || s[i] == u'.'))
        ++i;
    sqlite3_result_double(ctx, s.left(i).toDouble());
}

template <int Part>
void datePart(sqlite3_context* ctx, int, sqlite3_value** argv) {
    if (isNull(argv[0]))
        return sqlite3_result_null(ctx);
    QDateTime when = jetdate::FromStored(QVariant(textArg(argv[0])));
    if (!when.isValid())
        return sqlite3_result_error(ctx, "Type incompatible", -1);
    sqlite3_result_int(ctx, Part == 0   ? when.date().year()
                            : Part == 1 ? when.date().month()
                                        : when.date().day());
}

// read_date(value): the date the database layer reads from a stored value,
// in the stored form, so that it compares with a date literal; Null for
// Null or a cleared cell. A value that is no date stops the statement.
void readDate(sqlite3_context* ctx, int, sqlite3_value** argv) {
    sqlite3_value* value = argv[0];
    QVariant stored;
    switch (sqlite3_value_type(value)) {
        case SQLITE_NULL:
            return sqlite3_result_null(ctx);
        case SQLITE_INTEGER:
        case SQLITE_FLOAT:
            stored = sqlite3_value_double(value);
            break;
        case SQLITE_TEXT: {
            const std::string_view text(reinterpret_cast<const char*>(sqlite3_value_text(value)),
                                        size_t(sqlite3_value_bytes(value)));
            int y = 0, m = 0, d = 0;
            if (text.size() == 19 && jetdate::IsStoredForm(text, y, m, d))
                return sqlite3_result_value(ctx, value);
            if (jetdate::IsBlank(text))
                return sqlite3_result_null(ctx);
            stored = QString::fromUtf8(text.data(), qsizetype(text.size()));
            break;
        }
        default:
            break;
    }
    const QDateTime when = jetdate::ReadStored(stored);
    if (!when.isValid())
        return sqlite3_result_error(ctx, kTypeMismatch, -1);
    resultText(ctx, jetdate::ToStored(when));
}

void now(sqlite3_context* ctx, int, sqlite3_value**) {
    resultText(ctx, jetdate::ToStored(vb::Now()));
}

void today(sqlite3_context* ctx, int, sqlite3_value**) {
    resultText(ctx, jetdate::ToStored(QDateTime(vb::Now().date(), QTime(0, 0))));
}

template <int Side>
void trim(sqlite3_context* ctx, int, sqlite3_value** argv) {
    if (isNull(argv[0]))
        return sqlite3_result_null(ctx);
    QString s = textArg(argv[0]);
    qsizetype a = 0, b = s.size();
    if (Side != 2)
        while (a < b && s[a] == u' ')
            ++a;
    if (Side != 1)
        while (b > a && s[b - 1] == u' ')
            --b;
    resultText(ctx, s.mid(a, b - a));
}

void add(sqlite3* db, const char* name, int args,
         void (*fn)(sqlite3_context*, int, sqlite3_value**), bool deterministic = true) {
    int flags = SQLITE_UTF8 | (deterministic ? SQLITE_DETERMINISTIC : 0);
    sqlite3_create_function_v2(db, name, args, flags, nullptr, fn, nullptr, nullptr, nullptr);
}

}  // namespace

void RegisterJetFunctions(sqlite3* db) {
    sqlite3_create_collation_v2(db, "JET", SQLITE_UTF8, nullptr, collate, nullptr);
    // Files that other tools read declare NOCASE, which orders ASCII texts as
    // Jet does; here it is Jet's comparison for every text.
    sqlite3_create_collation_v2(db, "NOCASE", SQLITE_UTF8, nullptr, collate, nullptr);
    add(db, "like", 2, like);
    add(db, "jet_lcase", 1, lcase);
    add(db, "jet_ucase", 1, ucase);
    add(db, "jet_mid", 2, mid);
    add(db, "jet_mid", 3, mid);
    add(db, "jet_left", 2, left);
    add(db, "jet_right", 2, right);
    add(db, "jet_len", 1, len);
    add(db, "jet_iif", 3, iif);
    add(db, "jet_nz", 1, nz);
    add(db, "jet_nz", 2, nz);
    add(db, "jet_isnull", 1, isnullFn);
    add(db, "jet_instr", 2, instr);
    add(db, "jet_instr", 3, instr);
    add(db, "jet_cstr", 1, cstr);
    add(db, "jet_val", 1, val);
    add(db, "jet_year", 1, datePart<0>);
    add(db, "jet_month", 1, datePart<1>);
    add(db, "jet_day", 1, datePart<2>);
    add(db, "jet_now", 0, now, false);
    add(db, "jet_date", 0, today, false);
    add(db, "jet_trim", 1, trim<0>);
    add(db, "jet_ltrim", 1, trim<1>);
    add(db, "jet_rtrim", 1, trim<2>);
    add(db, "read_date", 1, readDate);
}

}  // namespace kalvor::dao
