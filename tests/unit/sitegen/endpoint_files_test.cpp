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

const QDateTime kWhen(QDate(2026, 12, 6), QTime(21, 5));

QList<QByteArray> written(const QString& folder, const QString& name) {
    for (const SiteFileLayout& layout : siteFiles()) {
        if (layout.name == name) {
            writeSiteFile({folder, QStringLiteral("../conf/d'o/")}, layout);
        }
    }
    return test::readAll(folder + u'/' + name).split('\n');
}

const QByteArray kBox =
    "<?php\r\n"
    "// ***************************************************\r\n"
    "// * Page g\xE9n\xE9r\xE9"
    "e par Kalvor 1.8.3 le 06/12/26 21:05 *\r\n"
    "// ***************************************************\r\n";

}  // namespace

// What the program and the host rely on before the scripts run: the box,
// the text/plain header of the listings, require.php from its folder.
TEST(EndpointFiles, OpenWithTheBoxThenTheirHeaderAndTheRequireOfTheirFolder) {
    QTemporaryDir dir;
    vb::ScopedClock clock(kWhen);
    const QByteArray include = "require '../conf/d\\'o/require.php';\r";

    const QList<QByteArray> files = written(dir.path(), QStringLiteral("check_files.php"));
    EXPECT_EQ(files.mid(0, 4).join('\n') + '\n', kBox);
    EXPECT_EQ(files[4], QByteArray("if (!headers_sent()) header('Content-Type: text/plain; "
                                   "charset=ISO-8859-1');\r"));
    const qsizetype read = files.indexOf(include);
    ASSERT_GT(read, 5);
    // The reading ends with its refusal of a require.php that set nothing.
    const qsizetype end = files.indexOf("}\r", read);
    EXPECT_EQ(files[end + 1], QByteArray("\r"));
    EXPECT_EQ(files[end + 2], QByteArray("\r"));
    EXPECT_TRUE(files.join('\n').contains(
        "// Si le dernier caract\xE8re de $chemin est \"/\", il faut le supprimer :\r\n"));
    EXPECT_TRUE(files.join('\n').contains("echo \"Le r\xE9pertoire n'est pas valide !\";"));
    EXPECT_EQ(files[files.size() - 2], QByteArray("?>\r"));

    const QList<QByteArray> thumbs = written(dir.path(), QStringLiteral("check_thumbs.php"));
    EXPECT_EQ(thumbs.mid(0, end + 1), files.mid(0, end + 1));
    EXPECT_EQ(thumbs[end + 1], QByteArray("\r"));
    EXPECT_NE(thumbs[end + 2], QByteArray("\r"));
    EXPECT_FALSE(thumbs.join('\n').contains("kalvorhelper"));

    const QList<QByteArray> recovery = written(dir.path(), QStringLiteral("recovery.php"));
    EXPECT_EQ(recovery.mid(0, 4).join('\n') + '\n', kBox);
    EXPECT_EQ(recovery[4], QByteArray("\r"));
    // Guesses refused unread cost the host no reading of require.php.
    EXPECT_TRUE(recovery[5].startsWith("// Passwords are tried one at a time"));
    const qsizetype reading = recovery.indexOf(files[5]);
    ASSERT_GT(reading, 5);
    EXPECT_EQ(recovery.mid(reading, end - 4), files.mid(5, end - 4));
    EXPECT_TRUE(recovery[reading + end - 4].startsWith("// Hosts without the old MySQL functions"));
    EXPECT_EQ(recovery[recovery.size() - 2], QByteArray("?>\r"));

    if (QStandardPaths::findExecutable(QStringLiteral("php")).isEmpty()) {
        GTEST_SKIP() << "php is not installed";
    }
    for (const char* name : {"check_files.php", "check_thumbs.php", "recovery.php"}) {
        QProcess php;
        php.setProcessChannelMode(QProcess::MergedChannels);
        php.start(QStringLiteral("php"),
                  {QStringLiteral("-l"), dir.path() + u'/' + QString::fromLatin1(name)});
        php.waitForFinished(30000);
        EXPECT_EQ(php.exitCode(), 0) << name << ": " << php.readAll().toStdString();
    }
}
