#include "platform/site_replies.h"

#include <gtest/gtest.h>

namespace kalvor::replies {
namespace {

TEST(SiteReplies, PhpMessagesAreFoundInEitherFormAndNamedOnOneLine) {
    const struct {
        const char* reply;
        const char* message;  // null: none
    } rows[] = {
        {"1@@@<br />\n<b>Notice</b>:  Undefined index: pwd in <b>/s/recovery.php</b> on line "
         "<b>4</b><br />\nTitre@@@2#end#",
         "Notice: Undefined index: pwd in /s/recovery.php on line 4"},
        // html_errors off
        {"1@@@a#end#\nWarning: mysql_connect(): Access denied in /s/recovery.php on line 7\n",
         "Warning: mysql_connect(): Access denied in /s/recovery.php on line 7"},
        {"PHP Fatal error:  Uncaught Error: Call to undefined function mysql_connect() in "
         "/s/recovery.php:8\nStack trace:",
         "Fatal error: Uncaught Error: Call to undefined function mysql_connect() in "
         "/s/recovery.php:8"},
        // A comment's own words, escaped or not on a line of PHP's form.
        {"1@@@Warning: fragile\n&lt;b&gt;Notice&lt;/b&gt;: rien#end#", nullptr},
        {"1@@@Soldé\nWarning: tear in the cover on line 3\nTrès bon#end#", nullptr},
        {"1@@@Rare\nWarning: pliure in /dos du livre on line 2\n#end#", nullptr},
        {"Warning: x in Unknown on line 3.jpg@@@06/12/2026 21:05:09\n", nullptr},
        {"Warning: Unknown: Input variables exceeded 1000 in Unknown on line 0\n1@@@a#end#",
         "Warning: Unknown: Input variables exceeded 1000 in Unknown on line 0"},
        // PHP's line amid a listing line, with the host's line ends.
        {"a.j\r\nWarning: filemtime(): stat failed in C:\\www\\check_files.php on line 40\r\n"
         "pg@@@06/12/2026 21:05:09\n",
         "Warning: filemtime(): stat failed in C:\\www\\check_files.php on line 40"},
    };
    for (const auto& row : rows) {
        const std::optional<QString> found = PhpMessage(QString::fromLatin1(row.reply));
        EXPECT_EQ(found.value_or(QString()), QString::fromLatin1(row.message)) << row.reply;
        EXPECT_EQ(found.has_value(), row.message != nullptr) << row.reply;
    }
}

TEST(SiteReplies, ARefusalIsReadWithAHostsBannerAfterItInMarkupOrPlainText) {
    const QString folder = kInvalidFolder;
    for (const QString& banner :
         {QStringLiteral("<!-- hebergeur -->"), QStringLiteral("\nHébergé gratuitement par Free"),
          QStringLiteral("Publicité : www.pub.example\n")}) {
        EXPECT_TRUE(IsInvalidFolder(folder + banner)) << banner.toStdString();
        EXPECT_TRUE(IsPasswordRefusal(kPasswordRefused + banner)) << banner.toStdString();
    }
    // Words that rows or lines lead to, or that rows follow, are data.
    EXPECT_FALSE(EndsWithPasswordRefusal(QStringLiteral("1@@@invalid password")));
    EXPECT_FALSE(IsPasswordRefusal(kPasswordRefused + QStringLiteral("\n2@@@a#end#")));
    EXPECT_FALSE(IsInvalidFolder(folder + QStringLiteral("\na.jpg@@@06/12/2026 21:05:09\n")));
}

}  // namespace
}  // namespace kalvor::replies
