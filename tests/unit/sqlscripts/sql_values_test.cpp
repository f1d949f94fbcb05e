#include <QDateTime>

#include <gtest/gtest.h>

#include "common/vb.h"
#include "platform/error.h"
#include "platform/textfile.h"
#include "sqlscripts/script_line.h"
#include "sqlscripts/sql_statements.h"
#include "sqlscripts/sql_values.h"
#include "support/test_paths.h"

#include <QTemporaryDir>

using namespace kalvor;

namespace {

const QVariant kNull;
// An apostrophe, a backslash, both angle brackets, an accent and the euro sign.
const QString kAwkward = QStringLiteral("L'été <\\> 5€");
const QString kAwkwardEscaped = QStringLiteral("L\\'été &lt;\\\\&gt; 5€");

int errorNumber(const std::function<void()>& f) {
    try {
        f();
    } catch (const Error& e) {
        return e.Number();
    }
    return 0;
}

TEST(SqlValues, QuotedTextEscapesAndTakesNullAsEmpty) {
    EXPECT_EQ(sql::QuotedText(kAwkward), "'" + kAwkwardEscaped + "'");
    EXPECT_EQ(sql::QuotedText(kNull), "''");
    EXPECT_EQ(sql::QuotedText(QString()), "''");
    EXPECT_EQ(sql::QuotedText(QStringLiteral("a\\")), "'a\\\\'");  // cannot swallow the quote
    EXPECT_EQ(sql::QuotedText(QStringLiteral("&lt;")), "'&lt;'");
    EXPECT_EQ(sql::QuotedText(12), "'12'");
    EXPECT_EQ(sql::QuotedText(2.5), "'2.5'");
}

TEST(SqlValues, BareKindsWriteValidSqlForNullCommasAndYesNo) {
    EXPECT_EQ(sql::Identifier(12), "12");
    EXPECT_EQ(errorNumber([] { sql::Identifier(kNull); }), 94);

    EXPECT_EQ(sql::BareValue(kNull), "0");
    EXPECT_EQ(sql::BareValue(7), "7");
    EXPECT_EQ(sql::BareValue(-1), "-1");
    EXPECT_EQ(sql::BareValue(9.95), "9.95");
    EXPECT_EQ(sql::BareValue(49.0), "49");
    EXPECT_EQ(sql::BareValue(QStringLiteral("2,5")), "2.5");
    EXPECT_EQ(sql::BareValue(true), "1");
    // The site would store 0, or the end of its range, without a word.
    EXPECT_EQ(errorNumber([] { sql::BareValue(kAwkward); }), err::TypeMismatch);
    EXPECT_EQ(errorNumber([] { sql::Identifier(QString()); }), err::TypeMismatch);
    EXPECT_EQ(errorNumber([] { sql::BareValue(QDate(2020, 1, 2)); }), err::TypeMismatch);
    EXPECT_EQ(sql::Identifier(QStringLiteral("-2147483648")), "-2147483648");
    EXPECT_EQ(sql::NumberOrNull(2147483647.4), "2147483647.4");
    EXPECT_EQ(errorNumber([] { sql::NumberOrNull(2147483647.5); }), err::Overflow);
    EXPECT_EQ(errorNumber([] { sql::Identifier(Q_INT64_C(5000000000)); }), err::Overflow);
    EXPECT_EQ(errorNumber([] { sql::BareValue(QStringLiteral("-3e9")); }), err::Overflow);

    EXPECT_EQ(sql::NumberOrNull(kNull), "null");
    EXPECT_EQ(sql::NumberOrNull(29.7), "29.7");
    EXPECT_EQ(sql::NumberOrNull(0), "0");
    EXPECT_EQ(sql::Null(), "null");

    EXPECT_EQ(sql::YesNo(-1), "1");
    EXPECT_EQ(sql::YesNo(0), "0");
    EXPECT_EQ(sql::YesNo(true), "1");
    EXPECT_EQ(sql::YesNo(kNull), "0");
}

TEST(SqlValues, NumbersKeepTheirPointWhateverTheLocale) {
    const QLocale before;
    QLocale::setDefault(QLocale(QLocale::French, QLocale::France));
    EXPECT_EQ(sql::BareValue(12.4), "12.4");
    EXPECT_EQ(sql::NumberOrNull(0.5), "0.5");
    QLocale::setDefault(before);
}

TEST(SqlValues, DatesAndLegalDeposit) {
    const QDateTime d(QDate(1957, 2, 8), QTime(0, 0));
    EXPECT_EQ(sql::QuotedDate(d), "'1957-02-08'");
    EXPECT_EQ(sql::QuotedDate(QDate(2024, 12, 31)), "'2024-12-31'");
    EXPECT_EQ(sql::QuotedDate(kNull), "'0000-00-00'");
    EXPECT_EQ(sql::QuotedDate(QStringLiteral("2001-07-04 00:00:00")), "'2001-07-04'");
    EXPECT_EQ(sql::LegalDeposit(d), "'02/1957'");
    EXPECT_EQ(sql::LegalDeposit(kNull), "null");
    EXPECT_EQ(errorNumber([] { sql::QuotedDate(QStringLiteral("demain")); }), err::TypeMismatch);
}

TEST(SqlValues, RatingIsTheGlyphTextOrRefused) {
    EXPECT_EQ(sql::Rating(7), QStringLiteral("'¤¤¤l'"));
    EXPECT_EQ(sql::Rating(QStringLiteral("4")), QStringLiteral("'¤¤'"));
    EXPECT_EQ(sql::Rating(0), "''");
    EXPECT_EQ(sql::Rating(kNull), "''");
    EXPECT_EQ(sql::Rating(QStringLiteral(" ")), "''");
    EXPECT_EQ(errorNumber([] { sql::Rating(-3); }), err::InvalidArgument);
    // Its 50 letters fill the site's column; one more would be cut.
    EXPECT_EQ(sql::Rating(100), "'" + QString(50, QChar(0xA4)) + "'");
    EXPECT_EQ(errorNumber([] { sql::Rating(101); }), err::Overflow);
    EXPECT_EQ(errorNumber([] { sql::Rating(kAwkward); }), err::TypeMismatch);
}

TEST(SqlValues, AuthorDisplayPrefersThePenNameThenNomCommaPrenom) {
    EXPECT_EQ(sql::AuthorDisplay(QStringLiteral("Hergé"), QStringLiteral("Remi"),
                                 QStringLiteral("Georges")),
              QStringLiteral("'Hergé'"));
    EXPECT_EQ(sql::AuthorDisplay(QString(""), QStringLiteral("Franquin"), QStringLiteral("André")),
              QStringLiteral("'Franquin, André'"));
    EXPECT_EQ(sql::AuthorDisplay(kNull, QStringLiteral("Jijé"), kNull), QStringLiteral("'Jijé'"));
    EXPECT_EQ(sql::AuthorDisplay(kNull, QStringLiteral("O'Neil"), QStringLiteral("<Dan>")),
              QStringLiteral("'O\\'Neil, &lt;Dan&gt;'"));
    EXPECT_EQ(sql::AuthorDisplay(kNull, kNull, kNull), "''");
}

TEST(SqlStatements, RowDeleteAndLastLineForms) {
    const ScriptLine row = sql::InsertRow(
        "site_", "series",
        {sql::Identifier(12), sql::QuotedText(QStringLiteral("Le titre")),
         sql::QuotedText(QStringLiteral("Aventure")), sql::Memo(QStringLiteral("Un commentaire")),
         sql::QuotedText(QStringLiteral("pl12.jpg")), sql::QuotedText(QString()),
         sql::BareValue(0)});
    EXPECT_EQ(row.Text(),
              "INSERT INTO site_series VALUES (12,'Le titre','Aventure','Un commentaire',"
              "'pl12.jpg','',0);");
    EXPECT_EQ(sql::InsertRow("", "kalvor", {sql::QuotedDate(QDate(2024, 1, 2))}).Text(),
              "INSERT INTO kalvor VALUES ('2024-01-02');");
    EXPECT_EQ(sql::DeleteRows("", "auteurs"), "DELETE FROM auteurs;");
    EXPECT_EQ(sql::DeleteRows("bd_", "parabd"), "DELETE FROM bd_parabd;");
    EXPECT_EQ(sql::DeleteCollaborateurs("bd_", 42),
              "DELETE FROM bd_collaborateurs where idalbum = 42;");
    EXPECT_EQ(sql::LastUpdate("bd_", QDate(2024, 7, 1)),
              "update bd_kalvor set last_update = '2024-07-01';");
    EXPECT_EQ(
        sql::ScriptHeader(false),
        (QStringList{"SET NAMES latin1;", "SET SESSION sql_mode = 'NO_ENGINE_SUBSTITUTION';"}));
    EXPECT_EQ(sql::ScriptHeader(true).first(), "SET NAMES utf8;");
}

TEST(SqlStatements, Utf8LineConvertsAllButTheCommentByteForByte) {
    // "é" outside the comment, "é" and "€" inside it.
    const ScriptLine row =
        sql::InsertRow("", "series",
                       {sql::Identifier(1), sql::QuotedText(QStringLiteral("Été")),
                        sql::Memo(QStringLiteral("né 5€")), sql::QuotedText(QStringLiteral("à"))});
    EXPECT_EQ(row.Bytes(true), QByteArray("INSERT INTO series VALUES (1,'\xC3\x89t\xC3\xA9','"
                                          "n\xE9 5\x80"
                                          "','\xC3\xA0');"));
    EXPECT_EQ(row.Bytes(false), QByteArray("INSERT INTO series VALUES (1,'\xC9t\xE9','"
                                           "n\xE9 5\x80"
                                           "','\xE0');"));
    // A row without a comment is converted whole; a line of plain text too.
    EXPECT_EQ(sql::InsertRow("", "series4", {sql::QuotedText(QStringLiteral("é"))}).Bytes(true),
              QByteArray("INSERT INTO series4 VALUES ('\xC3\xA9');"));
    EXPECT_EQ(ScriptLine(sql::DeleteRows("", "revues")).Bytes(true),
              QByteArray("DELETE FROM revues;"));

    QTemporaryDir dir;
    TextFile file = CreateTextFile(dir.path() + "/x.sql");
    row.WriteTo(file, true);
    file.Close();
    EXPECT_EQ(test::readAll(dir.path() + "/x.sql"), row.Bytes(true) + "\r\n");
}

}  // namespace
