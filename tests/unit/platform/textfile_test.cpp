#include "platform/textfile.h"

#include <QDir>
#include <QTemporaryDir>

#include <gtest/gtest.h>

#include "platform/error.h"
#include "support/file_size_limit.h"
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

TEST_F(TextFileTest, AFullDiskKeepsTheOldFileAndSaysWhy) {
    // 6 KB fail at the last flush, in Close(); 60 KB on a write on the way.
    const QString target = path(QStringLiteral("d.sql"));
    for (const int lines : {100, 1000}) {
        test::writeAll(target, "kept\r\n");
        try {
            test::FileSizeLimit limit(4096);
            TextFile f(target);
            for (int i = 0; i < lines; ++i) {
                f.WriteLine(QString(60, u'x'));
            }
            f.Close();
            ADD_FAILURE() << lines << " lines written on a full disk";
        } catch (const Error& e) {
            EXPECT_EQ(e.Number(), err::DiskError);
            // The cause in French only.
            EXPECT_TRUE(e.Description().endsWith(QStringLiteral(" (fichier trop volumineux).")))
                << e.Description().toStdString();
        }
        EXPECT_EQ(test::readAll(target), QByteArray("kept\r\n"));
        EXPECT_EQ(leftovers(), QStringList{QStringLiteral("d.sql")});
    }
}
