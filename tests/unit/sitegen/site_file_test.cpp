#include "sitegen/site_file.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>

#include <gtest/gtest.h>

#include "common/vb.h"
#include "platform/error.h"
#include "sitegen/site_files.h"
#include "support/test_paths.h"

using namespace kalvor;
using namespace kalvor::sitegen;

namespace {
const QDateTime kWhen(QDate(2026, 12, 6), QTime(21, 5));
}

TEST(SiteFileBox, EachBoxKeepsOneWidthWhateverTheBanner) {
    for (const QString& banner : {QStringLiteral("Kalvor 1.8.3"), QStringLiteral("Kalvor 10.0")}) {
        for (auto [box, width] : {std::pair{SiteBox::Php, 54}, std::pair{SiteBox::Html, 60},
                                  std::pair{SiteBox::StyleSheet, 56}}) {
            const QStringList lines = commentBox(box, banner, kWhen);
            // The style sheet's box carries a credit line.
            EXPECT_EQ(lines.size(), box == SiteBox::StyleSheet ? 4 : 3);
            for (const QString& line : lines) {
                EXPECT_EQ(line.size(), width - (12 - banner.size())) << line.toStdString();
            }
        }
    }
    EXPECT_EQ(
        commentBox(SiteBox::Php, QStringLiteral("Kalvor 1.8.3"), kWhen),
        (QStringList{QStringLiteral("// ***************************************************"),
                     QStringLiteral("// * Page générée par Kalvor 1.8.3 le 06/12/26 21:05 *"),
                     QStringLiteral("// ***************************************************")}));
}

TEST(SiteFileWrite, PhpFileOpensWithFullTagBoxBlankAndEscapedRequireFolder) {
    QTemporaryDir dir;
    vb::ScopedClock clock(kWhen);
    writeSiteFile({dir.path(), QStringLiteral("../d'o$\"/")},
                  {QStringLiteral("test_page.php"), SiteBox::Php, true});
    const QByteArray expected =
        "<?php\r\n"
        "// ***************************************************\r\n"
        "// * Page g\xE9n\xE9r\xE9"
        "e par Kalvor 1.8.3 le 06/12/26 21:05 *\r\n"
        "// ***************************************************\r\n"
        "\r\n"
        "echo \"a\";\r\n"
        "$r = \"../d'o\\$\\\"/\";\r\n"
        "$s = '../d\\'o$\"/';\r\n"
        "?>\r\n";
    EXPECT_EQ(test::readAll(dir.path() + QStringLiteral("/test_page.php")), expected);
}

TEST(SiteFileWrite, MenuBoxIsHtmlThenBlankThenPhpTag) {
    QTemporaryDir dir;
    vb::ScopedClock clock(kWhen);
    writeSiteFile({dir.path(), QString()}, {QStringLiteral("test_page.php"), SiteBox::Html, true});
    const QList<QByteArray> lines =
        test::readAll(dir.path() + QStringLiteral("/test_page.php")).split('\n');
    EXPECT_EQ(lines[0],
              QByteArray("<!-- *************************************************** -->\r"));
    EXPECT_EQ(lines[3], QByteArray("\r"));
    EXPECT_EQ(lines[4], QByteArray("<?php\r"));
    EXPECT_EQ(lines[5], QByteArray("echo \"a\";\r"));
}

TEST(SiteFileWrite, AMissingExportFolderWritesNothingAndSaysSo) {
    QTemporaryDir dir;
    const QString gone = dir.path() + QStringLiteral("/gone");
    EXPECT_THROW(
        writeSiteFile({gone, QString()}, {QStringLiteral("test_page.php"), SiteBox::Php, true}),
        Error);
    EXPECT_FALSE(QDir(gone).exists());
}

TEST(SiteFileWrite, ATemplateThatIsNotUtf8IsRefusedAndNothingWritten) {
    // Every template of the site reads whole, accents included.
    for (const SiteFileLayout& layout : siteFiles()) {
        EXPECT_NO_THROW(templateLines(layout.name, {})) << layout.name.toStdString();
    }
    QTemporaryDir dir;
    EXPECT_THROW(writeSiteFile({dir.path(), QString()},
                               {QStringLiteral("test_latin1.php"), SiteBox::Php, true}),
                 Error);
    EXPECT_FALSE(QFile::exists(dir.path() + QStringLiteral("/test_latin1.php")));
}

TEST(SiteFiles, ThirtyTwoFilesEndingWithRecovery) {
    ASSERT_EQ(siteFiles().size(), 32);
    EXPECT_EQ(siteFiles().front().name, QStringLiteral("_bas.php"));
    EXPECT_EQ(siteFiles().back().name, QStringLiteral("recovery.php"));
}
