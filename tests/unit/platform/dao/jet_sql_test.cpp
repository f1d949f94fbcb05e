#include "platform/dao/jet_sql.h"

#include <gtest/gtest.h>

#include "platform/dao/dao_errors.h"
#include "platform/dao/jet_text.h"

using namespace kalvor;
using namespace kalvor::dao;

TEST(JetSql, DatesQuotesNamesAndFunctions) {
    auto t = jetsql::Translate(
        QStringLiteral("select lcase([Titre]), \"a'b\", mid(x, 1, 2) from T where d > #1/2/2019# "
                       "and e <= #12/31/2019 23:59:00# and f = True ; "));
    EXPECT_EQ(t.kind, jetsql::Kind::Select);
    EXPECT_EQ(t.sql,
              QStringLiteral("select jet_lcase(\"Titre\"), 'a''b', jet_mid(x, 1, 2) from T "
                             "where d > '2019-01-02 00:00:00' and e <= '2019-12-31 23:59:00' "
                             "and f = -1"));
    EXPECT_FALSE(t.distinctWithoutOrder);
    EXPECT_TRUE(jetsql::Translate(QStringLiteral("SELECT DISTINCT NomRevue FROM REVUES;"))
                    .distinctWithoutOrder);
}

TEST(JetSql, UpdateWithQualifiedTargetsAndDeleteStar) {
    EXPECT_EQ(jetsql::Translate(
                  QStringLiteral("UPDATE ALBUMS SET ALBUMS.Couverture = UCase([couverture]) "
                                 "where AACHETER=0"))
                  .sql,
              QStringLiteral("UPDATE ALBUMS SET Couverture = jet_ucase(\"couverture\") where "
                             "AACHETER=0"));
    EXPECT_EQ(jetsql::Translate(QStringLiteral("UPDATE T SET T.a = 1, [T].[b] = 'x'")).sql,
              QStringLiteral("UPDATE T SET a = 1, \"b\" = 'x'"));
    EXPECT_EQ(jetsql::Translate(QStringLiteral("delete * from Auteurs")).sql,
              QStringLiteral("delete from Auteurs"));
    EXPECT_EQ(jetsql::Translate(QStringLiteral("ALBUMS")).kind, jetsql::Kind::TableName);
}

TEST(JetSql, MalformedInputIsASyntaxError) {
    for (const char* bad : {"select * from T where d > #13/45/2019#", "select 'open from T", ""}) {
        try {
            jetsql::Translate(QString::fromUtf8(bad));
            ADD_FAILURE() << bad;
        } catch (const Error& e) {
            EXPECT_EQ(e.Number(), errors::SyntaxError);
        }
    }
}

TEST(JetSql, TextColumnsOfNewTablesGetTheCollation) {
    EXPECT_EQ(
        jetsql::AddTextCollation(
            QStringLiteral("CREATE TABLE T (a TEXT(50), b MEMO NOT NULL, c LONG, d TEXT COLLATE "
                           "BINARY);\nINSERT INTO T VALUES ('TEXT', 'x', 1, 'y');")),
        QStringLiteral("CREATE TABLE T (a TEXT(50) COLLATE JET, b MEMO COLLATE JET NOT NULL, c "
                       "LONG, d TEXT COLLATE BINARY);\nINSERT INTO T VALUES ('TEXT', 'x', 1, "
                       "'y');"));
}

TEST(JetText, CaseIgnoredAccentsKeptAccentedLettersBesideTheirBase) {
    EXPECT_EQ(jet::Compare(u"Le Petit Crayonneur", u"LE PETIT CRAYONNEUR"), 0);
    EXPECT_EQ(jet::Compare(u"Étienne", u"étienne"), 0);
    EXPECT_NE(jet::Compare(u"Etienne", u"Étienne"), 0);
    EXPECT_LT(jet::Compare(u"Ecole", u"Élan"), 0);
    EXPECT_LT(jet::Compare(u"Élan", u"Fable"), 0);
    EXPECT_LT(jet::Compare(u"Lœwen", u"Lombardi"), 0);
    EXPECT_EQ(jet::CompareUtf8("abc", 3, "ABC", 3), 0);
}

TEST(JetText, LikePatterns) {
    EXPECT_TRUE(jet::Like(u"les grelots de tintinnabule", u"*tintin*"));
    EXPECT_TRUE(jet::Like(u"PONTINTINAC", u"*tintin*"));
    EXPECT_FALSE(jet::Like(u"Tintamarre", u"*tintin*"));
    EXPECT_TRUE(jet::Like(u"a1c", u"a#c"));
    EXPECT_TRUE(jet::Like(u"abc", u"a?c"));
    EXPECT_TRUE(jet::Like(u"b", u"[a-c]"));
    EXPECT_FALSE(jet::Like(u"b", u"[!a-c]"));
    EXPECT_TRUE(jet::Like(u"", u"*"));
}
