#include "common/general.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>

#include <gtest/gtest.h>

#include "platform/program_folder.h"
#include "platform/registry/registry.h"
#include "support/test_paths.h"

using namespace kalvor;
using namespace kalvor::general;

namespace {
const QString kConfig = QStringLiteral("software\\Kalvor\\Config");
}

TEST(GeneralRegistry, EmptyValueReadsBackAsMissingAndOneCharacterAsItself) {
    test::IsolatedEnvironment env;
    Set_Registry_Value(HKEY_CURRENT_USER, kConfig, QStringLiteral("vide"), QString());
    Set_Registry_Value(HKEY_CURRENT_USER, kConfig, QStringLiteral("un"), QStringLiteral("x"));
    const QVariant empty = Get_Registry_Value(HKEY_CURRENT_USER, kConfig, QStringLiteral("vide"));
    EXPECT_EQ(empty.typeId(), QMetaType::Bool);
    EXPECT_FALSE(empty.toBool());
    EXPECT_EQ(Get_Registry_Value(HKEY_CURRENT_USER, QStringLiteral("Software\\KALVOr\\Config"),
                                 QStringLiteral("UN")),
              QVariant(QStringLiteral("x")));
}

TEST(GeneralRegistry, ReadingUnderAMissingKeyCreatesIt) {
    test::IsolatedEnvironment env;
    const QString key = QStringLiteral("software\\Kalvor\\Stats");
    EXPECT_FALSE(Check_Registry_Key(HKEY_CURRENT_USER, key));
    EXPECT_EQ(Get_Registry_Value(HKEY_CURRENT_USER, key, QStringLiteral("n")), QVariant(false));
    EXPECT_TRUE(Check_Registry_Key(HKEY_CURRENT_USER, key));
}

TEST(GeneralRegistry, ValuesSurviveANewProcess) {
    test::IsolatedEnvironment env;
    Set_Registry_Value(HKEY_CURRENT_USER, kConfig, QStringLiteral("MySQL_pwd"),
                       QStringLiteral("s3cr\"t"));
    Registry::reopenCurrentUser();  // as a new process would
    EXPECT_EQ(Get_Registry_Value(HKEY_CURRENT_USER, kConfig, QStringLiteral("mysql_pwd")),
              QVariant(QStringLiteral("s3cr\"t")));
}

TEST(GeneralRegistry, WineCataloguePathIsReadMappedToLinux) {
    test::IsolatedEnvironment env;
    const QString prefix = env.path() + QStringLiteral("/wine");
    QDir().mkpath(prefix + QStringLiteral("/drive_c/BD"));
    QDir().mkpath(prefix + QStringLiteral("/dosdevices"));
    QFile::link(QStringLiteral("../drive_c"), prefix + QStringLiteral("/dosdevices/c:"));
    test::writeAll(prefix + QStringLiteral("/user.reg"),
                   "WINE REGISTRY Version 2\n\n[Software\\\\Ormelo6] 1\n"
                   "\"CheminBase\"=\"C:\\\\BD\\\\collection.mdb\"\n");
    Registry::reopenCurrentUser();
    EXPECT_TRUE(Check_Registry_Key(HKEY_CURRENT_USER, QStringLiteral("Software\\Ormelo6")));
    EXPECT_EQ(
        Get_Registry_Value(HKEY_CURRENT_USER, QStringLiteral("Software\\Ormelo6"),
                           QStringLiteral("CheminBase")),
        QVariant(QDir(prefix).canonicalPath() + QStringLiteral("/drive_c/BD/collection.mdb")));
}

TEST(GeneralText, EscapeForDataScripts) {
    QString t = QStringLiteral("'<>");
    EXPECT_EQ(Escape_Texte(t), QStringLiteral("\\'&lt;&gt;"));
    EXPECT_EQ(t, QStringLiteral("\\'&lt;&gt;"));  // the argument itself is rewritten
    QString amp = QStringLiteral("a &lt; b & \"c\"");
    EXPECT_EQ(Escape_Texte(amp), QStringLiteral("a &lt; b & \"c\""));
    EXPECT_EQ(Unescape_Texte(amp), QStringLiteral("a < b & \"c\""));
}

TEST(GeneralText, BackslashesAreDoubledSoTheyCannotEndTheSqlString) {
    QString t = QStringLiteral("C:\\dir\\");
    EXPECT_EQ(Escape_Texte(t), QStringLiteral("C:\\\\dir\\\\"));
    QString q = QStringLiteral("\\'");
    EXPECT_EQ(Escape_Texte(q), QStringLiteral("\\\\\\'"));
}

TEST(GeneralText, UnescapeKeepsTheQuoteFormAndSpacesBecomeNbsp) {
    QString t = QStringLiteral("l\\'&gt;");
    EXPECT_EQ(Unescape_Texte(t), QStringLiteral("l\\'>"));
    QString s = QStringLiteral("Champ perso");
    EXPECT_EQ(Convert_Espaces(s), QStringLiteral("Champ&nbsp;perso"));
    EXPECT_EQ(s, QStringLiteral("Champ&nbsp;perso"));
}

// The site's pages are Windows-1252: a letter beyond it is kept as the
// reference a page shows, and the recovery reads it back.
TEST(GeneralText, LettersBeyondWindows1252TravelAsReferencesAndComeBack) {
    const QString catalogue = QStringLiteral("Kovačević, Łódź → 😀 <é>");
    QString t = catalogue;
    EXPECT_EQ(Escape_Texte(t),
              QStringLiteral("Kova&#269;evi&#263;, &#321;ód&#378; &#8594; &#128512; &lt;é&gt;"));
    EXPECT_EQ(Unescape_Texte(t), catalogue);

    // Windows-1252 letters stand as they are; so does half a character.
    const QString kept = QStringLiteral("é œ € ‰ Ærø Š ") + QChar(0xD83D);
    QString k = kept;
    EXPECT_EQ(Escape_Texte(k), kept);
    QString caption = QStringLiteral("Lieu ő 漫画");
    EXPECT_EQ(Convert_References(caption), QStringLiteral("Lieu &#337; &#28459;&#30011;"));

    // Only the references the export writes come back as letters.
    for (const char* typed : {"&#233;", "&#0269;", "&#x10D;", "&#269", "&#;", "&#55357;",
                              "&#1114112;", "&#99999999;", "&&#"}) {
        QString u = QString::fromLatin1(typed);
        EXPECT_EQ(Unescape_Texte(u), QString::fromLatin1(typed)) << typed;
    }
    QString two = QStringLiteral("&#1114111;&#338;&#339;x&#8364");
    EXPECT_EQ(Unescape_Texte(two), QString::fromUcs4(U"\U0010FFFF&#338;&#339;x&#8364"));
}

TEST(GeneralText, Utf8Bytes) {
    EXPECT_EQ(Convert_UTF8(QStringLiteral("é")), QByteArray("\xC3\xA9"));
    EXPECT_TRUE(Convert_UTF8(QString()).isEmpty());
}

// The log is read on a terminal (cat kalvor.log): UTF-8, as the system's
// text, not the generated files' code page.
TEST(GeneralLog, TwoLogsInARowKeepOnlyTheSecondLabelAndTheWholeErrorText) {
    test::IsolatedEnvironment env;
    Write_Log(QStringLiteral("Kalvorform.form_load"), QStringLiteral("\nerreur : un"));
    Write_Log(QStringLiteral("Kalvorform.Check_config"),
              QStringLiteral("\nerreur : un\nerreur : deux é"));
    EXPECT_EQ(test::readAll(env.programFolder() + QStringLiteral("/kalvor.log")),
              QByteArray("Kalvorform.Check_config\r\n\nerreur : un\nerreur : deux \xC3\xA9\r\n"));
}

TEST(GeneralLog, FallsBackToTheStateFolderAndNeverThrows) {
    test::IsolatedEnvironment env;
    setProgramFolder(QStringLiteral("/proc/kalvor-not-writable"));
    EXPECT_NO_THROW(Write_Log(QStringLiteral("x.y"), QStringLiteral("z")));
    EXPECT_EQ(Log_Path(), env.path() + QStringLiteral("/state/kalvor/kalvor.log"));
    qputenv("XDG_STATE_HOME", "/proc/also-not-writable");
    EXPECT_NO_THROW(Write_Log(QStringLiteral("x.y"), QStringLiteral("z")));
}
