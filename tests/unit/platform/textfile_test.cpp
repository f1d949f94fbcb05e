#include "platform/textfile.h"

#include <QDir>
#include <QTemporaryDir>

#include <gtest/gtest.h>

#include "platform/error.h"
#include "support/test_paths.h"

using namespace kalvor;

class TextFileTest : public ::testing::Test {
  protected:
    QTemporaryDir dir;
    QString path(const QString& name) const { return dir.path() + u'/' + name; }
    QStringList leftovers() const { return QDir(dir.path()).entryList(QDir::Files | QDir::Hidden); }
};

TEST_F(TextFileTest, WritesWindows1252WithCrLf) {
    TextFile f = CreateTextFile(path(QStringLiteral("a.txt")));
    f.WriteLine(QStringLiteral("é€"));
    f.WriteLine(QStringLiteral("Ā"));
    f.WriteLine(QByteArray("\xC3\xA9"));  // already UTF-8: written as is
    f.Close();
    EXPECT_EQ(test::readAll(path(QStringLiteral("a.txt"))),
              QByteArray("\xE9\x80\r\n?\r\n\xC3\xA9\r\n"));
}

TEST_F(TextFileTest, ReplacesAnExistingFileOnlyWhenClosed) {
    const QString target = path(QStringLiteral("b.txt"));
    test::writeAll(target, "old\r\n");
    {
        TextFile f(target);
        f.WriteLine(QStringLiteral("new"));
        EXPECT_EQ(test::readAll(target), QByteArray("old\r\n"));
        f.Close();
    }
    EXPECT_EQ(test::readAll(target), QByteArray("new\r\n"));
    EXPECT_EQ(leftovers(), QStringList{QStringLiteral("b.txt")});
}

TEST_F(TextFileTest, AFailureHalfwayLeavesTheOldFileAndNoTemporary) {
    const QString target = path(QStringLiteral("c.sql"));
    test::writeAll(target, "kept\r\n");
    auto writer = [&] {
        TextFile f(target);
        f.WriteLine(QStringLiteral("line 1"));
        throw Error(3021, QStringLiteral("Aucun enregistrement en cours."));
    };
    EXPECT_THROW(writer(), Error);
    EXPECT_EQ(test::readAll(target), QByteArray("kept\r\n"));
    EXPECT_EQ(leftovers(), QStringList{QStringLiteral("c.sql")});
}

TEST_F(TextFileTest, AMissingFolderIsAFrenchError) {
    try {
        TextFile f(path(QStringLiteral("nowhere/x.txt")));
        FAIL() << "no error";
    } catch (const Error& e) {
        EXPECT_EQ(e.Number(), err::PathNotFound);
        EXPECT_TRUE(e.Description().startsWith(QStringLiteral("Chemin d'accès introuvable")));
    }
}
