#include <gtest/gtest.h>

#include "sqlscripts/memo_text.h"

using namespace kalvor;

namespace {

// A catalogue answering the chunk queries for one comment, as mid() would.
struct FakeCatalogue {
    QVariant comment;
    QStringList asked;

    QVariant operator()(const QString& sql) {
        asked.append(sql);
        if (comment.isNull()) {
            return QVariant();
        }
        const QString start = sql.section(u',', 1, 1);
        return comment.toString().mid(start.toInt() - 1, 255);
    }
};

QString read(FakeCatalogue& fake) {
    return memo_text::GetCommentaire(std::ref(fake), "AUTEURS", "IdAuteur", "12");
}

TEST(GetCommentaire, AsksPieceByPieceUntilAnEmptyOne) {
    FakeCatalogue fake{QString(255, u'a'), {}};
    EXPECT_EQ(read(fake), QString(255, u'a'));
    EXPECT_EQ(fake.asked,
              (QStringList{"select mid(Commentaire,1,255) from AUTEURS where IdAuteur = 12",
                           "select mid(Commentaire,256,255) from AUTEURS where IdAuteur = 12"}));

    FakeCatalogue longer{QString(255, u'a') + u'b', {}};
    EXPECT_EQ(read(longer), QString(255, u'a') + u'b');
    EXPECT_EQ(longer.asked.size(), 3);
    EXPECT_EQ(longer.asked[2], "select mid(Commentaire,511,255) from AUTEURS where IdAuteur = 12");
}

TEST(GetCommentaire, ReadsALongCommentWhole) {
    QString text;
    for (int i = 0; i < 13000; ++i) {
        text += QChar(u'a' + i % 26);
    }
    FakeCatalogue fake{text, {}};
    EXPECT_EQ(read(fake), text);
    EXPECT_EQ(fake.asked.size(), 52);  // 51 pieces, the last one short, then the empty one
    EXPECT_EQ(fake.asked[50], "select mid(Commentaire,12751,255) from AUTEURS where IdAuteur = 12");
}

TEST(GetCommentaire, NullOrEmptyIsEmptyAndPiecesAreEscaped) {
    FakeCatalogue none{QVariant(), {}};
    EXPECT_EQ(read(none), "");
    EXPECT_EQ(none.asked.size(), 1);
    FakeCatalogue empty{QString(""), {}};
    EXPECT_EQ(read(empty), "");

    // An apostrophe on either side of a piece boundary.
    const QString text = QString(254, u'x') + "'<" + "\\>é";
    FakeCatalogue fake{text, {}};
    EXPECT_EQ(read(fake), QString(254, u'x') + "\\'&lt;\\\\&gt;é");
}

}  // namespace
