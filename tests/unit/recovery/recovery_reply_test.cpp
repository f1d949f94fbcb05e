#include "recovery/recovery_reply.h"

#include <gtest/gtest.h>

#include "platform/error.h"

namespace kalvor::recovery {
namespace {

QList<QStringList> all(const QString& reply) {
    RecoveryReply rows(reply);
    QList<QStringList> out;
    QStringList fields;
    while (rows.Next(fields)) {
        out << fields;
    }
    return out;
}

TEST(RecoveryReply, SplitsRowsAtTheRowEndAndFieldsAtTheSeparator) {
    EXPECT_EQ(all(QString()), QList<QStringList>());
    EXPECT_EQ(all(QStringLiteral("1@@@5@@@2#end#10@@@@@@0#end#")),
              (QList<QStringList>{{"1", "5", "2"}, {"10", "", "0"}}));
    // A last field that is empty is a field all the same.
    EXPECT_EQ(all(QStringLiteral("7@@@Morris@@@#end#")), (QList<QStringList>{{"7", "Morris", ""}}));
    // Line ends inside a comment stay in its field.
    EXPECT_EQ(all(QStringLiteral("1@@@ligne 1\r\nligne 2#end#")),
              (QList<QStringList>{{"1", "ligne 1\r\nligne 2"}}));
    // A blank line end after the rows is no row.
    EXPECT_EQ(all(QStringLiteral("1@@@2#end#\r\n")), (QList<QStringList>{{"1", "2"}}));
}

TEST(RecoveryReply, TextWithoutRowEndIsAnIncompleteReplyAfterTheRowsBeforeIt) {
    RecoveryReply rows(QStringLiteral("1@@@2#end#3@@@4"));
    QStringList fields;
    ASSERT_TRUE(rows.Next(fields));
    EXPECT_EQ(rows.RowNumber(), 1);
    try {
        rows.Next(fields);
        FAIL();
    } catch (const Error& e) {
        EXPECT_TRUE(e.Description().contains(QStringLiteral("ligne 2"))) << e.what();
    }
    // Even a few characters are not dropped in silence.
    EXPECT_THROW(all(QStringLiteral("1@@@2#end#3@")), Error);
    EXPECT_THROW(all(QStringLiteral("erreur de lecture de la table revues")), Error);
    EXPECT_THROW(all(QStringLiteral("Invalid password")), Error);
}

}  // namespace
}  // namespace kalvor::recovery
