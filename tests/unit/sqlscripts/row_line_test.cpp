#include "sqlscripts/row_line.h"

#include <QTemporaryDir>

#include <gtest/gtest.h>

#include <cmath>
#include <cstring>
#include <random>

#include "platform/dao/database.h"
#include "platform/dao/db_engine.h"
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
        "INSERT INTO T VALUES ('', -3, 1e20, ' 2020-1-2 ', 1, 2.25);"
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
    EXPECT_EQ(checked, 6 * 2 * 6 * 11);
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
    while (rows->Next()) {
        RowLine line(true, RowLine::Head(true, QString(), QStringLiteral("t")));
        line.Start().NumberOrNull(*rows, 0);
        ASSERT_EQ(
            QByteArray::fromStdString(line.Bytes()),
            sql::InsertRow(QString(), QStringLiteral("t"), {sql::NumberOrNull(rows->Value(0))})
                .Bytes(true))
            << rows->Value(0).toDouble();
        ++checked;
    }
    EXPECT_GT(checked, 8000);
}

// The key that deletes a row before it is sent again is read back from the
// row: the whole identifier, whatever it holds, and nothing after it.
TEST(RowLine, FirstValueIsTheWholeIdentifierOfTheRow) {
    QTemporaryDir dir;
    auto db = dao::DBEngine::CreateDatabase(dir.filePath("keys.db"));
    db->ExecuteScript(
        QStringLiteral("CREATE TABLE T (k LONG, t TEXT(50));"
                       "INSERT INTO T VALUES (7, 'a,b'); INSERT INTO T VALUES (5000000000, NULL);"
                       "INSERT INTO T VALUES (2.5, '1'); INSERT INTO T VALUES ('x,y', 'z');"));
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
    EXPECT_EQ(keys, QStringList({"7", "5000000000", "2.5", "'x,y'"}));
}

// A CR goes out as \r, which the mysql client keeps, in comments and other
// texts, in both encodings, also for a text the engine holds as ill-formed UTF-8.
TEST(RowLine, WritesTheCarriageReturnsOfEveryTextEscaped) {
    QTemporaryDir dir;
    auto db = dao::DBEngine::CreateDatabase(dir.filePath("memo.db"));
    db->ExecuteScript(
        QStringLiteral("CREATE TABLE T (c MEMO);"
                       "INSERT INTO T VALUES ('é' || char(13, 10) || 'b' || char(13));"
                       "INSERT INTO T VALUES (CAST(x'41C30D0A42' AS TEXT));"));
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
                                 "INSERT INTO t VALUES ('\xe9\\r\nb\\r','\xe9\\r\nb\\r');",
                                 "INSERT INTO t VALUES ('A&#65533;\\r\nB','A&#65533;\\r\nB');"}));
}

}  // namespace
