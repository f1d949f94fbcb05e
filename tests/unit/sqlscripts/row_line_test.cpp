#include "sqlscripts/row_line.h"

#include <QTemporaryDir>

#include <gtest/gtest.h>

#include <cmath>
#include <cstring>
#include <random>

#include "platform/dao/database.h"
#include "platform/dao/db_engine.h"
#include "platform/error.h"
#include "sqlscripts/row_values.h"
#include "sqlscripts/sql_statements.h"
#include "sqlscripts/sql_values.h"

using namespace kalvor;

namespace {

// The row line writes the usual values itself and must give the bytes the
// value functions give, for every kind a catalogue may hold in any column.
TEST(RowLine, GivesTheBytesOfTheValueFunctionsForEveryStoredKind) {
    QTemporaryDir dir;
    auto db = dao::DBEngine::CreateDatabase(dir.filePath("kinds.db"));
    db->ExecuteScript(QStringLiteral(
        "CREATE TABLE T (t TEXT(50), n LONG, d DOUBLE, w DATETIME, y YESNO, u);"
        "INSERT INTO T VALUES ('é\\''' || char(128, 129, 8364, 128512, 20013) || '<>', 7, 2.5,"
        "  '2021-02-03 04:05:06', -1, x'4142');"
        "INSERT INTO T VALUES (CAST(x'41C3' AS TEXT), 5000000000, -0.0, '0999-12-31', 0, 12);"
        "INSERT INTO T VALUES (' ', -3, 1e20, ' 2020-1-2 ', 1, 2.25);"
        "INSERT INTO T VALUES (12, 3.5, 120.5, 45000.5, 0.0, '7');"
        "INSERT INTO T VALUES ('x', '12', '1,5', '2021-02-03 24:00:00', '1', -8);"
        "INSERT INTO T VALUES (NULL, NULL, NULL, NULL, NULL, NULL);"));
    auto rows = db->OpenCursor(QStringLiteral("select * from T"));
    int checked = 0;
    while (rows->Next()) {
        for (bool utf8 : {true, false}) {
            for (int c = 0; c < rows->FieldCount(); ++c) {
                const QVariant v = rows->Value(c);
                // Each form beside the value function it stands for; a
                // function that refuses the value refuses it in both.
                const QList<
                    std::pair<std::function<void(RowLine&)>, std::function<sql::RowValue()>>>
                    forms = {
                        {[&](RowLine& l) { l.QuotedText(*rows, c); },
                         [&] { return sql::QuotedText(v); }},
                        {[&](RowLine& l) { l.Comment(*rows, c); },
                         [&] { return sql::Memo(sql::Escaped(v)); }},
                        {[&](RowLine& l) { l.NumberOrNull(*rows, c); },
                         [&] { return sql::NumberOrNull(v); }},
                        {[&](RowLine& l) { l.BareValue(*rows, c); },
                         [&] { return sql::BareValue(v); }},
                        {[&](RowLine& l) { l.YesNo(*rows, c); }, [&] { return sql::YesNo(v); }},
                        {[&](RowLine& l) { l.DateOrNull(*rows, c); },
                         [&] { return sql::DateOrNull(v); }},
                        {[&](RowLine& l) { l.LegalDeposit(*rows, c); },
                         [&] { return sql::LegalDeposit(v); }},
                        {[&](RowLine& l) { l.WholeOrNull(*rows, c); },
                         [&] { return sql::WholeOrNull(v); }},
                        {[&](RowLine& l) { l.CustomNumber(*rows, c); },
                         [&] { return sql::CustomNumber(v); }},
                        {[&](RowLine& l) { l.Rating(*rows, c); }, [&] { return sql::Rating(v); }},
                        // A blank is no value there, whatever the column.
                        {[&](RowLine& l) { l.QuotedNumber(*rows, c, RowLine::kTextColumn); },
                         [&] { return sql::QuotedText(sql::NoValue(v) ? QVariant() : v); }},
                        {[&](RowLine& l) { l.AuthorDisplay(*rows, c, 0, c); },
                         [&] { return sql::AuthorDisplay(v, rows->Value(0), v); }},
                    };
                for (const auto& [form, function] : forms) {
                    RowLine line(utf8, RowLine::Head(utf8, QString(), QStringLiteral("t")));
                    std::optional<QByteArray> direct, expected;
                    try {
                        form(line.Start());
                        direct = QByteArray::fromStdString(line.Bytes());
                    } catch (const std::exception&) {
                    }
                    try {
                        expected = sql::InsertRow(QString(), QStringLiteral("t"), {function()})
                                       .Bytes(utf8);
                    } catch (const std::exception&) {
                    }
                    EXPECT_EQ(direct, expected)
                        << "column " << c << " utf8 " << utf8 << " " << v.toString().toStdString();
                    ++checked;
                }
            }
        }
    }
    EXPECT_EQ(checked, 6 * 2 * 6 * 12);
}

// Numbers of every size, as money, measures and custom numbers hold them,
// are written as the value functions write them.
TEST(RowLine, WritesNumbersOfEverySizeAsTheValueFunctions) {
    QTemporaryDir dir;
    auto db = dao::DBEngine::CreateDatabase(dir.filePath("numbers.db"));
    std::mt19937_64 random(7);
    QString script = QStringLiteral("CREATE TABLE T (d DOUBLE); BEGIN;");
    for (const double d :
         {0.1, 12.5, -0.0, 1e15, 123456789012345.6, 1e-5, 0.0001, 1e300, -2.5e-300,
          0.30000000000000004, 99999999999999.99, 1436264015694985.0, 12345678901234.5}) {
        script += QStringLiteral("INSERT INTO T VALUES (%1);").arg(d, 0, 'g', 17);
    }
    for (int i = 0; i < 3000; ++i) {
        // Cents, measures and numbers anywhere in the range.
        const double cents = double(random() % 10000000) / 100.0;
        const double scaled = double(random() % 1000000) * std::pow(10.0, int(random() % 40) - 20);
        double bits;
        const quint64 raw = random();
        std::memcpy(&bits, &raw, sizeof bits);
        for (const double d : {cents, -scaled, bits}) {
            if (std::isfinite(d))
                script += QStringLiteral("INSERT INTO T VALUES (%1);").arg(d, 0, 'g', 17);
        }
    }
    db->ExecuteScript(script + QStringLiteral("COMMIT;"));
    auto rows = db->OpenCursor(QStringLiteral("select d from T"));
    int checked = 0;
    int refused = 0;
    while (rows->Next()) {
        // A number beyond the site's whole-number columns is refused by both.
        RowLine line(true, RowLine::Head(true, QString(), QStringLiteral("t")));
        std::optional<QByteArray> direct, expected;
        try {
            direct = QByteArray::fromStdString(line.Start().NumberOrNull(*rows, 0).Bytes());
        } catch (const Error& e) {
            EXPECT_EQ(e.Number(), err::Overflow);
        }
        try {
            expected =
                sql::InsertRow(QString(), QStringLiteral("t"), {sql::NumberOrNull(rows->Value(0))})
                    .Bytes(true);
        } catch (const Error&) {
            ++refused;
        }
        ASSERT_EQ(direct, expected) << rows->Value(0).toDouble();
        ++checked;
    }
    EXPECT_GT(checked, 8000);
    EXPECT_GT(refused, 1000);
    EXPECT_LT(refused, checked - 4000);
}

// The key that deletes a row before it is sent again is read back from the
// row: the whole identifier, whatever it holds, and nothing after it.
TEST(RowLine, FirstValueIsTheWholeIdentifierOfTheRow) {
    QTemporaryDir dir;
    auto db = dao::DBEngine::CreateDatabase(dir.filePath("keys.db"));
    db->ExecuteScript(
        QStringLiteral("CREATE TABLE T (k LONG, t TEXT(50));"
                       "INSERT INTO T VALUES (7, 'a,b'); INSERT INTO T VALUES (-2147483648, NULL);"
                       "INSERT INTO T VALUES (2.5, '1'); INSERT INTO T VALUES (' 12', 'z');"));
    const std::string head = RowLine::Head(true, QString(), QStringLiteral("t"));
    auto rows = db->OpenCursor(QStringLiteral("select * from T"));
    QStringList keys;
    while (rows->Next()) {
        RowLine alone(true, head), line(true, head);
        const std::string key = alone.Start().Identifier(*rows, 0).Unclosed().substr(head.size());
        line.Start().Identifier(*rows, 0).QuotedText(*rows, 1).Bytes();
        EXPECT_EQ(line.FirstValue(), key);
        keys << QString::fromStdString(std::string(line.FirstValue()));
        line.Start().QuotedText(*rows, 1).Identifier(*rows, 0);
        EXPECT_THROW(line.FirstValue(), std::logic_error);
    }
    EXPECT_EQ(keys, QStringList({"7", "-2147483648", "2.5", "12"}));
}

// A CR goes out as \r, which the mysql client keeps, and a NUL as \0, at
// which it would stop the load, in comments and other texts, in both
// encodings, also for a text the engine holds as ill-formed UTF-8.
TEST(RowLine, WritesTheCarriageReturnsAndNulsOfEveryTextEscaped) {
    QTemporaryDir dir;
    auto db = dao::DBEngine::CreateDatabase(dir.filePath("memo.db"));
    db->ExecuteScript(
        QStringLiteral("CREATE TABLE T (c MEMO);"
                       "INSERT INTO T VALUES ('é' || char(13, 10) || 'b' || char(13));"
                       "INSERT INTO T VALUES (CAST(x'41C30D0A42' AS TEXT));"
                       "INSERT INTO T VALUES (CAST(x'4100420D00' AS TEXT));"));
    QList<QByteArray> lines;
    for (bool utf8 : {true, false}) {
        auto rows = db->OpenCursor(QStringLiteral("select c from T"));
        while (rows->Next()) {
            RowLine line(utf8, RowLine::Head(utf8, QString(), QStringLiteral("t")));
            lines << QByteArray::fromStdString(
                line.Start().Comment(*rows, 0).QuotedText(*rows, 0).Bytes());
        }
    }
    EXPECT_EQ(lines,
              (QList<QByteArray>{"INSERT INTO t VALUES ('\xe9\\r\nb\\r','\xc3\xa9\\r\nb\\r');",
                                 "INSERT INTO t VALUES ('A&#65533;\\r\nB','A&#65533;\\r\nB');",
                                 "INSERT INTO t VALUES ('A\\0B\\r\\0','A\\0B\\r\\0');",
                                 "INSERT INTO t VALUES ('\xe9\\r\nb\\r','\xe9\\r\nb\\r');",
                                 "INSERT INTO t VALUES ('A&#65533;\\r\nB','A&#65533;\\r\nB');",
                                 "INSERT INTO t VALUES ('A\\0B\\r\\0','A\\0B\\r\\0');"}));
}

// A row MariaDB cannot take in one packet (16 MiB with its defaults) is
// refused, naming the text that makes it so long; one byte less loads.
TEST(RowLine, RefusesARowLongerThanTheServerTakes) {
    QTemporaryDir dir;
    auto db = dao::DBEngine::CreateDatabase(dir.filePath("long.db"));
    // "INSERT INTO t VALUES (" and "1,'...');": 28 bytes around the comment.
    db->ExecuteScript(QStringLiteral(
        "CREATE TABLE T (IdT LONG, c MEMO);"
        "INSERT INTO T VALUES (1, substr(replace(hex(zeroblob(8388608)), '0', 'a'), 1, 16777187));"
        "INSERT INTO T VALUES (2, substr(replace(hex(zeroblob(8388608)), '0', 'a'), 1, 16777188));"
        "INSERT INTO T VALUES (3, char(0) || substr(replace(hex(zeroblob(8388608)), '0', 'a'), "
        "1, 16777186));"));
    auto rows = db->OpenCursor(QStringLiteral("select IdT, c from T"));
    QStringList refused;
    for (bool utf8 : {true, false}) {
        RowLine line(utf8, RowLine::Head(utf8, QString(), QStringLiteral("t")));
        ASSERT_TRUE(rows->Next());
        EXPECT_EQ(line.Start().Identifier(*rows, 0).Comment(*rows, 1).Bytes().size(), 16777215u);
        for (int id : {2, 3}) {
            ASSERT_TRUE(rows->Next());
            try {
                line.Start().Identifier(*rows, 0).Comment(*rows, 1).Bytes();
                ADD_FAILURE() << id;
            } catch (const Error& e) {
                EXPECT_EQ(e.Number(), err::Overflow);
                refused << e.Description();
            }
        }
        rows = db->OpenCursor(QStringLiteral("select IdT, c from T"));
    }
    EXPECT_EQ(refused.value(0),
              "Ligne trop longue pour le site (table T, IdT 2, colonne c : la ligne compte "
              "16777216 octets, MariaDB en charge 16777215)");
    EXPECT_EQ(refused.size(), 4);
    EXPECT_TRUE(refused.value(1).contains("IdT 3, colonne c : la ligne compte 16777216"));
}

}  // namespace
