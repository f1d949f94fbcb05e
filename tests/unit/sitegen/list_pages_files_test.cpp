#include <QProcess>
#include <QStandardPaths>
#include <QTemporaryDir>

#include <gtest/gtest.h>

#include "common/vb.h"
#include "sitegen/site_files.h"
#include "support/test_paths.h"

using namespace kalvor;
using namespace kalvor::sitegen;

namespace {

QList<QByteArray> writtenLines(const QTemporaryDir& dir, const QString& name) {
    vb::ScopedClock clock(QDateTime(QDate(2026, 12, 6), QTime(21, 5)));
    for (const SiteFileLayout& layout : siteFiles()) {
        if (layout.name == name) {
            writeSiteFile({dir.path(), QString()}, layout);
        }
    }
    QList<QByteArray> lines = test::readAll(dir.path() + u'/' + name).split('\n');
    for (QByteArray& line : lines) {
        line.chop(line.endsWith('\r') ? 1 : 0);
    }
    return lines;
}

}  // namespace

TEST(ListPagesFiles, EachOpensWithItsBoxBlankLineAndIncludesAndEndsTheScript) {
    const struct {
        const char* name;
        QList<QByteArray> afterBox;
    } files[] = {
        {"liste.php", {"", "require 'coeur.php';", ""}},
        {"revue.php", {"", "require_once 'coeur.php';", "extract($tables, EXTR_PREFIX_ALL, 't');"}},
        {"collection.php", {"require_once 'coeur.php';", "require_once '_serie.php';", ""}},
        {"style.php", {"require_once 'coeur.php';", "require_once '_serie.php';", ""}},
        {"dl.php", {"", "require_once 'coeur.php';", "require_once '_serie.php';", ""}},
        {"dt-achat.php", {"", "require_once 'coeur.php';", "require_once '_serie.php';", ""}},
        {"notes.php", {"", "require_once 'coeur.php';", "require_once '_serie.php';", ""}},
        {"type.php", {"", "require_once 'coeur.php';", "require_once '_serie.php';", ""}},
    };
    const bool php = !QStandardPaths::findExecutable(QStringLiteral("php")).isEmpty();
    for (const auto& f : files) {
        SCOPED_TRACE(f.name);
        QTemporaryDir dir;
        const QList<QByteArray> lines = writtenLines(dir, QString::fromLatin1(f.name));
        ASSERT_GT(lines.size(), 8);
        EXPECT_EQ(lines[0], "<?php");
        EXPECT_EQ(lines[2],
                  "// * Page g\xE9n\xE9r\xE9"
                  "e par Kalvor 1.8.3 le 06/12/26 21:05 *");
        EXPECT_EQ(lines.mid(4, f.afterBox.size()), f.afterBox);
        EXPECT_EQ(lines[lines.size() - 2], "?>");
        if (php) {
            QProcess lint;
            lint.start(QStringLiteral("php"),
                       {QStringLiteral("-l"), dir.path() + u'/' + QString::fromLatin1(f.name)});
            lint.waitForFinished(30000);
            EXPECT_EQ(lint.exitCode(), 0) << lint.readAllStandardOutput().toStdString();
        }
    }
}

// The pages count the rating glyph and print accented texts as single
// ISO-8859-1 bytes, as the database connection gives them.
TEST(ListPagesFiles, RatingGlyphAndAccentsAreWrittenAsLatin1Bytes) {
    QTemporaryDir dir;
    for (const char* name : {"liste.php", "notes.php"}) {
        const QByteArray text = writtenLines(dir, QString::fromLatin1(name)).join('\n');
        EXPECT_TRUE(text.contains("substr_count($") && text.contains(", '\xA4')")) << name;
        EXPECT_FALSE(text.contains("\xC2\xA4")) << name;
    }
    const QByteArray liste = writtenLines(dir, QStringLiteral("liste.php")).join('\n');
    EXPECT_TRUE(liste.contains("'F\xE9vrier'"));
    EXPECT_TRUE(liste.contains("'Tri par d\xE9p\xF4t l\xE9gal'"));
}
