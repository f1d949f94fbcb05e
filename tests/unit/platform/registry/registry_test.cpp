#include "platform/registry/registry.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QProcess>
#include <QStringDecoder>
#include <QStringEncoder>
#include <QTemporaryDir>

#include <gtest/gtest.h>
#include <sys/stat.h>

#include "support/test_paths.h"

using namespace kalvor;

class RegistryTest : public ::testing::Test {
  protected:
    QTemporaryDir dir;
    QString store() const { return dir.path() + QStringLiteral("/kalvor/registry.reg"); }
    QString wine() const { return dir.path() + QStringLiteral("/wine"); }
};

TEST_F(RegistryTest, NamesCompareWithoutCaseAndTheFirstSpellingIsKept) {
    Registry reg(store(), wine());
    reg.setValue(QStringLiteral("software\\Kalvor\\Config"), QStringLiteral("Export"),
                 QStringLiteral("/srv/site"));
    EXPECT_EQ(reg.value(QStringLiteral("Software\\KALVOr\\Config"), QStringLiteral("EXPORT")),
              QStringLiteral("/srv/site"));
    reg.setValue(QStringLiteral("SOFTWARE\\kalvor\\config"), QStringLiteral("export"),
                 QStringLiteral("/x"));
    const QByteArray text = test::readAll(store());
    EXPECT_TRUE(
        text.contains("[HKEY_CURRENT_USER\\software\\Kalvor\\Config]\r\n\"Export\"=\"/x\"\r\n"))
        << text.constData();
}

TEST_F(RegistryTest, AStoreWrittenIsReadBackByAFreshInstance) {
    {
        Registry reg(store(), wine());
        reg.setValue(QStringLiteral("software\\Kalvor\\Config"), QStringLiteral("pwd"),
                     QStringLiteral("a\"b\\c é"));
        reg.setValue(QStringLiteral("software\\Kalvor\\Config"), QStringLiteral("multi"),
                     QStringLiteral("l1\nl2"));
        reg.setValue(QStringLiteral("software\\Kalvor\\Stats"), QStringLiteral("n"), QString());
    }
    Registry again(store(), wine());
    EXPECT_EQ(again.value(QStringLiteral("software\\Kalvor\\Config"), QStringLiteral("pwd")),
              QStringLiteral("a\"b\\c é"));
    EXPECT_EQ(again.value(QStringLiteral("software\\Kalvor\\Config"), QStringLiteral("multi")),
              QStringLiteral("l1\nl2"));
    EXPECT_EQ(again.value(QStringLiteral("software\\Kalvor\\Stats"), QStringLiteral("n")),
              QString());
    EXPECT_TRUE(again.takeProblem().isEmpty());
    const QByteArray bytes = test::readAll(store());
    EXPECT_TRUE(bytes.startsWith("Windows Registry Editor Version 5.00\r\n"));
    struct stat st {};
    ASSERT_EQ(::stat(QFile::encodeName(store()).constData(), &st), 0);
    EXPECT_EQ(st.st_mode & 0777, 0600u);
}

TEST_F(RegistryTest, AHandEditedFileWithLfEndsAndOtherTypesIsReadAndKept) {
    // An expandable string as the registry editor exports it: "%HOME%\é".
    const char* expandable =
        "\"Chemin\"=hex(2):25,00,48,00,4f,00,4d,00,45,00,25,00,5c,00,\\\n"
        "  e9,00,00,00\n";
    test::writeAll(store(), QByteArray("Windows Registry Editor Version 5.00\n\n"
                                       "[HKEY_CURRENT_USER\\software\\Kalvor\\Config]\n"
                                       "\"Site\"=\"http://exemple.fr\"\n"
                                       "\"Count\"=dword:00000010\n") +
                                expandable);
    Registry reg(store(), wine());
    const QString config = QStringLiteral("software\\kalvor\\config");
    EXPECT_EQ(reg.value(config, QStringLiteral("site")), QStringLiteral("http://exemple.fr"));
    EXPECT_EQ(reg.value(config, QStringLiteral("chemin")), QStringLiteral("%HOME%\\é"));
    // Present but no text: said, and read as missing.
    EXPECT_FALSE(reg.value(config, QStringLiteral("count")));
    EXPECT_FALSE(reg.value(config, QStringLiteral("count")));
    EXPECT_EQ(reg.takeProblem(),
              QStringLiteral("La valeur « count » de la clé software\\kalvor\\config (") + store() +
                  QStringLiteral(") n'est pas un texte : dword:00000010. Elle est lue comme "
                                 "absente."));
    reg.setValue(config, QStringLiteral("Site"), QStringLiteral("y"));
    const QByteArray written = test::readAll(store());
    EXPECT_TRUE(written.contains("\"Count\"=dword:00000010"));
    EXPECT_TRUE(written.contains("\"Chemin\"=hex(2):25,00,48,00,4f,00,4d,00,45,00,25,00,5c,00,e9"));
}

TEST_F(RegistryTest, ACorruptFileIsReportedOnceAndKeptUnderANameNoLaterRunWritesOver) {
    const QByteArray corrupt =
        "garbage\n[HKEY_CURRENT_USER\\software\\Kalvor\\Config]\n\"a\"=\"1\"\nzzz\n";
    test::writeAll(store(), corrupt);
    const QString copy = store() + QStringLiteral(".illisible-1");
    {
        Registry reg(store(), wine());
        const QString problem = reg.takeProblem();
        EXPECT_TRUE(problem.contains(QStringLiteral("illisible")) &&
                    problem.contains(QStringLiteral("copie du fichier est gardée sous ") + copy))
            << problem.toStdString();
        EXPECT_TRUE(reg.takeProblem().isEmpty());
        EXPECT_EQ(test::readAll(copy), corrupt);  // before any save
        EXPECT_EQ(reg.value(QStringLiteral("software\\Kalvor\\Config"), QStringLiteral("a")),
                  QStringLiteral("1"));
        reg.setValue(QStringLiteral("software\\Kalvor\\Config"), QStringLiteral("b"),
                     QStringLiteral("2"));
    }
    // Later runs find the rewritten file sound; their copies of the previous
    // file never reach the one kept.
    for (const char* value : {"3", "4"}) {
        Registry reg(store(), wine());
        EXPECT_TRUE(reg.takeProblem().isEmpty());
        reg.setValue(QStringLiteral("software\\Kalvor\\Config"), QStringLiteral("b"),
                     QString::fromLatin1(value));
    }
    EXPECT_EQ(test::readAll(copy), corrupt);

    // The same text found again is not copied twice; another one gets a name
    // of its own, and so does a text spoilt by another process meanwhile.
    test::writeAll(store(), corrupt);
    {
        Registry reg(store(), wine());
        EXPECT_TRUE(reg.takeProblem().contains(copy));
    }
    const QByteArray other = corrupt + "encore\n";
    test::writeAll(store(), other);
    Registry reg(store(), wine());
    EXPECT_TRUE(reg.takeProblem().contains(store() + QStringLiteral(".illisible-2")));
    const QByteArray meanwhile = other + "et encore\n";
    test::writeAll(store(), meanwhile);
    reg.setValue(QStringLiteral("software\\Kalvor\\Config"), QStringLiteral("b"),
                 QStringLiteral("5"));
    EXPECT_TRUE(reg.takeProblem().contains(store() + QStringLiteral(".illisible-3")));
    EXPECT_EQ(test::readAll(copy), corrupt);
    EXPECT_EQ(test::readAll(store() + QStringLiteral(".illisible-2")), other);
    EXPECT_EQ(test::readAll(store() + QStringLiteral(".illisible-3")), meanwhile);
    EXPECT_FALSE(QFileInfo::exists(store() + QStringLiteral(".illisible-4")));
}

// The registry editor of Windows exports in UTF-16LE after a byte-order mark.
QByteArray regeditBytes(const QString& text, const QStringConverter::Encoding encoding,
                        const QByteArray& bom) {
    QStringEncoder encoder(encoding);
    return bom + QByteArray(encoder.encode(text));
}

TEST_F(RegistryTest, UnicodeFilesAreReadAndWrittenBackInTheirOwnEncoding) {
    const QString text = QStringLiteral(
        "Windows Registry Editor Version 5.00\r\n\r\n"
        "[HKEY_CURRENT_USER\\Software\\Kalvor\\Config]\r\n"
        "\"Titre\"=\"Séries « à lire » 漫画\"\r\n"
        "\"password\"=\"p\\\"w\\\\d\"\r\n\r\n");
    struct Case {
        QStringConverter::Encoding encoding;
        QByteArray bom;
    };
    for (const Case& c : {Case{QStringConverter::Utf16LE, QByteArray("\xFF\xFE")},
                          Case{QStringConverter::Utf16BE, QByteArray("\xFE\xFF")},
                          Case{QStringConverter::Utf8, QByteArray("\xEF\xBB\xBF")}}) {
        SCOPED_TRACE(c.bom.toHex().toStdString());
        QDir(dir.path() + QStringLiteral("/kalvor")).removeRecursively();
        test::writeAll(store(), regeditBytes(text, c.encoding, c.bom));
        const QString config = QStringLiteral("software\\Kalvor\\Config");
        {
            Registry reg(store(), wine());
            EXPECT_TRUE(reg.takeProblem().isEmpty());
            EXPECT_EQ(reg.value(config, QStringLiteral("titre")),
                      QStringLiteral("Séries « à lire » 漫画"));
            EXPECT_EQ(reg.value(config, QStringLiteral("password")), QStringLiteral("p\"w\\d"));
            reg.setValue(config, QStringLiteral("site"), QStringLiteral("é"));
        }
        const QByteArray bytes = test::readAll(store());
        ASSERT_TRUE(bytes.startsWith(c.bom));
        QStringDecoder decoder(c.encoding);
        const QString written = decoder.decode(bytes.mid(c.bom.size()));
        EXPECT_FALSE(decoder.hasError());
        EXPECT_TRUE(written.startsWith(QStringLiteral("Windows Registry Editor Version 5.00\r\n")));
        EXPECT_TRUE(written.contains(QStringLiteral("\"Titre\"=\"Séries « à lire » 漫画\"\r\n")))
            << written.toStdString();
        EXPECT_TRUE(written.contains(QStringLiteral("\"site\"=\"é\"\r\n")));
        Registry again(store(), wine());
        EXPECT_TRUE(again.takeProblem().isEmpty());
        EXPECT_EQ(again.value(config, QStringLiteral("password")), QStringLiteral("p\"w\\d"));
        EXPECT_FALSE(QFileInfo::exists(store() + QStringLiteral(".illisible-1")));
    }
}

// The registry editor's older format is in Windows-1252: read so, and
// written back so while the code page holds every text.
TEST_F(RegistryTest, ARegedit4FileIsReadAndWrittenBackInWindows1252) {
    const QString config = QStringLiteral("software\\Kalvor\\Config");
    const QByteArray titre =
        "\"Titre\"=\"Bandes dessin\xE9"
        "es \x80\"\r\n";
    const QByteArray chemin = "\"Chemin\"=hex(2):25,48,4f,4d,45,25,5c,e9,00\r\n";
    test::writeAll(store(), "REGEDIT4\r\n\r\n[HKEY_CURRENT_USER\\software\\Kalvor\\Config]\r\n" +
                                titre + chemin);
    const auto expectValues = [&](Registry& reg) {
        EXPECT_TRUE(reg.takeProblem().isEmpty());
        EXPECT_EQ(reg.value(config, QStringLiteral("Titre")), QStringLiteral("Bandes dessinées €"));
        EXPECT_EQ(reg.value(config, QStringLiteral("Chemin")), QStringLiteral("%HOME%\\é"));
    };
    {
        Registry reg(store(), wine());
        expectValues(reg);
        reg.setValue(config, QStringLiteral("site"), QStringLiteral("é"));
    }
    QByteArray bytes = test::readAll(store());
    EXPECT_TRUE(bytes.startsWith("REGEDIT4\r\n"));
    for (const QByteArray& line : {titre, chemin, QByteArray("\"site\"=\"\xE9\"\r\n")}) {
        EXPECT_TRUE(bytes.contains(line)) << line.constData();
    }
    EXPECT_FALSE(QFileInfo::exists(store() + QStringLiteral(".illisible-1")));

    // A letter the code page lacks: the registry editor's UTF-16 holds it.
    Registry(store(), wine()).setValue(config, QStringLiteral("site"), QStringLiteral("漫画"));
    ASSERT_TRUE(test::readAll(store()).startsWith("\xFF\xFE"));
    Registry again(store(), wine());
    expectValues(again);
    EXPECT_EQ(again.value(config, QStringLiteral("site")), QStringLiteral("漫画"));
}

TEST_F(RegistryTest, BytesTheEncodingCannotHoldMakeTheFileUnreadableInPart) {
    // Windows-1252 without a mark, an odd UTF-16 byte: read in part, and kept.
    const QByteArray ansi =
        "Windows Registry Editor Version 5.00\r\n\r\n"
        "[HKEY_CURRENT_USER\\software\\Kalvor\\Config]\r\n"
        "\"Titre\"=\"Bandes dessin\xE9"
        "es\"\r\n";
    const QByteArray cut =
        regeditBytes(QString::fromLatin1(ansi), QStringConverter::Utf16LE, QByteArray("\xFF\xFE")) +
        "\x41";
    for (const QByteArray& bytes : {ansi, cut}) {
        QDir(dir.path() + QStringLiteral("/kalvor")).removeRecursively();
        test::writeAll(store(), bytes);
        Registry reg(store(), wine());
        EXPECT_TRUE(reg.takeProblem().contains(QStringLiteral("illisible-1")));
        EXPECT_EQ(test::readAll(store() + QStringLiteral(".illisible-1")), bytes);
    }
}

TEST_F(RegistryTest, CatalogueApplicationKeysComeFromWineReadOnly) {
    test::writeAll(wine() + QStringLiteral("/user.reg"),
                   "WINE REGISTRY Version 2\n;; All keys relative to \\\\User\\\\S-1-5-21\n\n"
                   "[Software\\\\Ormelo6] 1700000000\n#time=1d9\n"
                   "\"CheminBase\"=str(2):\"C:\\\\Mes Documents\\\\bd.mdb\"\n"
                   "\"Perso1\"=\"Libell\\xe9\"\n"
                   "\"Perso2\"=hex(1):4c,00,69,00,\\\n  65,00,75,00,00,00\n"
                   "\"Perso3\"=dword:00000001\n");
    Registry reg(store(), wine());
    EXPECT_TRUE(reg.keyExists(QStringLiteral("Software\\Ormelo6")));
    EXPECT_FALSE(reg.keyExists(QStringLiteral("Software\\Orme Lo v5")));
    EXPECT_EQ(reg.value(QStringLiteral("software\\ormelo6"), QStringLiteral("perso1")),
              QStringLiteral("Libellé"));
    EXPECT_TRUE(reg.value(QStringLiteral("Software\\Ormelo6"), QStringLiteral("CheminBase"))
                    ->endsWith(QStringLiteral("/Mes Documents/bd.mdb")));
    EXPECT_EQ(reg.value(QStringLiteral("Software\\Ormelo6"), QStringLiteral("Perso2")),
              QStringLiteral("Lieu"));
    EXPECT_FALSE(reg.value(QStringLiteral("Software\\Ormelo6"), QStringLiteral("Perso3")));
    EXPECT_TRUE(reg.takeProblem().contains(QStringLiteral("« Perso3 »")));
    EXPECT_FALSE(QFileInfo::exists(store()));  // nothing was written
}

TEST_F(RegistryTest, AKeyHoldingOnlySubKeysExistsAndCatalogueKeysAreNeverCreatedHere) {
    test::writeAll(wine() + QStringLiteral("/user.reg"),
                   "WINE REGISTRY Version 2\n\n[Software\\\\Orme Lo v5\\\\Base] 1\n"
                   "\"CheminBase\"=\"C:\\\\bd.mdb\"\n");
    Registry reg(store(), wine());
    EXPECT_TRUE(reg.keyExists(QStringLiteral("Software\\Orme Lo v5")));
    EXPECT_FALSE(reg.keyExists(QStringLiteral("Software\\Orme Lo v")));
    EXPECT_TRUE(reg.createKey(QStringLiteral("Software\\Orme Lo v4\\Base")));
    EXPECT_FALSE(reg.keyExists(QStringLiteral("Software\\Orme Lo v4")));
    reg.createKey(QStringLiteral("software\\Kalvor\\Config"));
    EXPECT_TRUE(reg.keyExists(QStringLiteral("software\\Kalvor")));
    EXPECT_FALSE(QFileInfo::exists(store()));  // an empty key waits for a value
}

TEST_F(RegistryTest, HandEditedBackslashesAreKeptAndALineEndingInOneSwallowsNothing) {
    test::writeAll(store(),
                   "Windows Registry Editor Version 5.00\r\n\r\n"
                   "[HKEY_CURRENT_USER\\software\\Kalvor\\Config]\r\n"
                   "\"Export\"=\"C:\\Site\\BD\"\r\n"
                   "\"Dossier\"=\"C:\\Site\\\"\r\n"
                   "\"Echappe\"=\"a\\\\b\\\"c\"\r\n"
                   "\"Nu\"=C:\\Site\\\r\n"
                   "[HKEY_CURRENT_USER\\software\\Kalvor\\Repertoires]\r\n"
                   "\"Couvertures\"=\"Couv\"\r\n"
                   "\"Octets\"=hex:01,02,\\\r\n  03,04\r\n"
                   "\"Coupe\"=hex:01,\\\r\n"
                   "\"Site\"=\"s\"\r\n"
                   "\"Titre\"=\"Ma \"belle\" collection\"\r\n");
    const QString config = QStringLiteral("software\\Kalvor\\Config");
    const QString folders = QStringLiteral("software\\Kalvor\\Repertoires");
    Registry reg(store(), wine());
    EXPECT_EQ(reg.value(config, QStringLiteral("Export")), QStringLiteral("C:\\Site\\BD"));
    EXPECT_EQ(reg.value(config, QStringLiteral("Dossier")), QStringLiteral("C:\\Site\\"));
    EXPECT_EQ(reg.value(config, QStringLiteral("Echappe")), QStringLiteral("a\\b\"c"));
    EXPECT_FALSE(reg.value(config, QStringLiteral("Couvertures")));
    EXPECT_EQ(reg.value(folders, QStringLiteral("Couvertures")), QStringLiteral("Couv"));
    EXPECT_EQ(reg.value(folders, QStringLiteral("Site")), QStringLiteral("s"));
    const QString problem = reg.takeProblem();
    EXPECT_TRUE(problem.contains(QStringLiteral("ligne 7 : valeur illisible")) &&
                problem.contains(QStringLiteral("ligne 12 : valeur incomplète")) &&
                problem.contains(QStringLiteral("ligne 14 : texte après la valeur")))
        << problem.toStdString();

    reg.setValue(config, QStringLiteral("Site"), QStringLiteral("x"));
    EXPECT_TRUE(test::readAll(store()).contains("\"Octets\"=hex:01,02,03,04\r\n"));
    Registry again(store(), wine());
    EXPECT_EQ(again.value(config, QStringLiteral("Dossier")), QStringLiteral("C:\\Site\\"));
}

TEST_F(RegistryTest, ASaveWritesThroughASymbolicLink) {
    const QString target = dir.path() + QStringLiteral("/dotfiles/registry.reg");
    test::writeAll(target, "Windows Registry Editor Version 5.00\r\n");
    QDir().mkpath(QFileInfo(store()).absolutePath());
    ASSERT_TRUE(QFile::link(QStringLiteral("../dotfiles/registry.reg"), store()));
    Registry reg(store(), wine());
    reg.setValue(QStringLiteral("software\\Kalvor\\Config"), QStringLiteral("site"),
                 QStringLiteral("s"));
    EXPECT_TRUE(QFileInfo(store()).isSymLink());
    EXPECT_TRUE(test::readAll(target).contains("\"site\"=\"s\""));
    struct stat st {};
    ASSERT_EQ(::stat(QFile::encodeName(target).constData(), &st), 0);
    EXPECT_EQ(st.st_mode & 0777, 0600u);
}
