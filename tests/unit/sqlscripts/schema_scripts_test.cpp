#include <QDir>
#include <QFile>
#include <QTemporaryDir>

#include <gtest/gtest.h>

#include "common/general.h"
#include "common/vb.h"
#include "platform/cp1252.h"
#include "platform/prompt.h"
#include "sqlscripts/schema_scripts.h"
#include "sqlscripts/structure_button.h"
#include "support/test_paths.h"
#include "unit/sqlscripts/expected_tables_sql.h"

using namespace kalvor;

namespace {

const QDateTime kToday(QDate(2024, 3, 9), QTime(14, 5));

QString fill(const char* templ, const QString& prefix, bool utf8) {
    QString text = QString::fromUtf8(templ);
    text.replace(QStringLiteral("{LIST0}"), QString::fromUtf8(kExpectedList0));
    text.replace(QStringLiteral("{NAMES}"),
                 utf8 ? QStringLiteral("utf8") : QStringLiteral("latin1"));
    text.replace(QStringLiteral("{CS}"), utf8 ? QStringLiteral("utf8") : QStringLiteral("latin1"));
    text.replace(QStringLiteral("{P}"), prefix);
    text.replace(QStringLiteral("{D}"), QStringLiteral("2024-03-09"));
    return text;
}

// Expected lines as bytes: the whole text in the script's encoding.
QList<QByteArray> expectedLines(const char* templ, const QString& prefix, bool utf8) {
    QList<QByteArray> lines;
    const QStringList texts = fill(templ, prefix, utf8).split(u'\n');
    for (qsizetype i = 0; i + 1 < texts.size(); ++i) {  // the raw text ends with a line end
        lines.append(utf8 ? texts[i].toUtf8() : cp1252::encode(texts[i]));
    }
    return lines;
}

void expectSameLines(const QString& path, const QList<QByteArray>& expected) {
    const QByteArray bytes = test::readAll(path);
    ASSERT_TRUE(bytes.endsWith("\r\n")) << path.toStdString();
    QList<QByteArray> got = bytes.split('\n');
    got.removeLast();
    for (QByteArray& line : got) {
        ASSERT_TRUE(line.endsWith('\r')) << "bare LF in " << path.toStdString();
        line.chop(1);
    }
    const qsizetype n = std::min(got.size(), expected.size());
    for (qsizetype i = 0; i < n; ++i) {
        EXPECT_EQ(got[i], expected[i]) << path.toStdString() << " line " << i + 1;
    }
    EXPECT_EQ(got.size(), expected.size()) << path.toStdString();
}

struct Variant {
    QString prefix;
    bool utf8;
};
void PrintTo(const Variant& v, std::ostream* os) {
    *os << '"' << v.prefix.toStdString() << (v.utf8 ? "\" utf8" : "\" latin1");
}

class SchemaScripts : public ::testing::TestWithParam<Variant> {
  protected:
    QTemporaryDir exportDir;
    vb::ScopedClock clock{kToday};
    QString script(const QString& name) const { return exportDir.path() + "/scripts/" + name; }
};

TEST_P(SchemaScripts, WritesTheThreeScriptsLineByLine) {
    const Variant v = GetParam();
    schema_scripts::Create_Tables_Sql({exportDir.path(), v.prefix, v.utf8});
    expectSameLines(script("tables.sql"), expectedLines(kExpectedTablesSql, v.prefix, v.utf8));
    expectSameLines(script("delete_tables.sql"),
                    expectedLines(kExpectedDeleteTablesSql, v.prefix, v.utf8));
    expectSameLines(script("evolution_version173_a_version181.sql"),
                    expectedLines(kExpectedUpgradeSql, v.prefix, v.utf8));
}

INSTANTIATE_TEST_SUITE_P(PrefixAndEncoding, SchemaScripts,
                         ::testing::Values(Variant{"", false}, Variant{"bd_", false},
                                           Variant{"", true}, Variant{"bd_", true}),
                         [](const auto& info) {
                             return (info.param.prefix.isEmpty() ? std::string("NoPrefix")
                                                                 : std::string("Prefix")) +
                                    (info.param.utf8 ? "Utf8" : "Latin1");
                         });

TEST(SchemaScriptsEncoding, AccentsAreOneByteInLatin1AndTwoInUtf8) {
    QTemporaryDir dir;
    schema_scripts::Create_Tables_Sql({dir.path(), "", false});
    const QByteArray latin = test::readAll(dir.path() + "/scripts/tables.sql");
    EXPECT_TRUE(latin.contains("'S\xE9rigraphie'"));
    EXPECT_TRUE(
        latin.contains("COMMENT='table s\xE9ries bas\xE9"
                       "e sur ormelo 4.22'"));

    schema_scripts::Create_Tables_Sql({dir.path(), "", true});
    const QByteArray utf8 = test::readAll(dir.path() + "/scripts/tables.sql");
    EXPECT_TRUE(utf8.contains("'S\xC3\xA9rigraphie'"));
    EXPECT_TRUE(
        utf8.contains("COMMENT='table s\xC3\xA9ries bas\xC3\xA9"
                      "e sur ormelo 4.22'"));
    EXPECT_FALSE(utf8.contains('\xE9'));
}

TEST(SchemaScriptsRuns, SameDayGivesSameFilesAndAnotherDayOnlyMovesTheKalvorRow) {
    QTemporaryDir dir;
    const QString path = dir.path() + "/scripts/tables.sql";
    QByteArray first;
    {
        vb::ScopedClock clock(kToday);
        schema_scripts::Create_Tables_Sql({dir.path(), "x_", false});
        first = test::readAll(path);
        schema_scripts::Create_Tables_Sql({dir.path(), "x_", false});  // folder exists: reused
        EXPECT_EQ(test::readAll(path), first);
    }
    vb::ScopedClock later(kToday.addDays(400));
    schema_scripts::Create_Tables_Sql({dir.path(), "x_", false});
    const QList<QByteArray> a = first.split('\n');
    const QList<QByteArray> b = test::readAll(path).split('\n');
    ASSERT_EQ(a.size(), b.size());
    for (qsizetype i = 0; i < a.size(); ++i) {
        if (a[i] != b[i]) {
            EXPECT_EQ(a[i], "INSERT INTO x_kalvor VALUES ('2024-03-09');\r");
            EXPECT_EQ(b[i], "INSERT INTO x_kalvor VALUES ('2025-04-13');\r");
        }
    }
}

TEST(StructureButton, SaysWhereTablesSqlIsAndChangesNothingElse) {
    test::IsolatedEnvironment env;
    QTemporaryDir dir;
    RecordingPrompt prompt;
    QString errors = QStringLiteral("before");
    btn_Create_Structure_Click({dir.path(), "", false}, prompt, errors);
    ASSERT_EQ(prompt.shown().size(), 1u);
    EXPECT_EQ(prompt.shown()[0].text, QStringLiteral("Structure des tables terminée \n") +
                                          dir.path() + "/scripts/tables.sql");
    EXPECT_EQ(prompt.shown()[0].title, QStringLiteral("Kalvor 1.8.3 - Structure SQL"));
    EXPECT_EQ(prompt.shown()[0].icon, PromptIcon::Information);
    EXPECT_EQ(errors, QStringLiteral("before"));
    EXPECT_TRUE(QFile::exists(dir.path() + "/scripts/evolution_version173_a_version181.sql"));
}

TEST(StructureButton, MissingExportFolderGivesTheErrorALineInGvErreursAndTheLog) {
    test::IsolatedEnvironment env;
    QTemporaryDir dir;
    const QString missing = dir.path() + "/absent";
    RecordingPrompt prompt;
    QString errors = QStringLiteral("trace");
    btn_Create_Structure_Click({missing, "", false}, prompt, errors);
    ASSERT_EQ(prompt.shown().size(), 1u);
    EXPECT_EQ(prompt.shown()[0].text,
              QStringLiteral("Erreur lors de la création de la structure des tables"));
    EXPECT_EQ(prompt.shown()[0].title, QStringLiteral("Kalvor 1.8.3 - Structure SQL"));
    EXPECT_EQ(prompt.shown()[0].icon, PromptIcon::Critical);
    ASSERT_TRUE(errors.startsWith(QStringLiteral("trace\nerreur : ")));
    EXPECT_GT(errors.size(), QStringLiteral("trace\nerreur : ").size());
    EXPECT_FALSE(QDir(missing).exists());

    const QByteArray log = test::readAll(general::Log_Path());
    EXPECT_EQ(log, ("Kalvorform.btn_Create_structure_click\r\n" + errors + "\r\n").toUtf8());
}

TEST(StructureButton, AnExportFolderNeverChosenWritesNothingAtTheRoot) {
    test::IsolatedEnvironment env;
    RecordingPrompt prompt;
    QString errors;
    btn_Create_Structure_Click({QString(), "", false}, prompt, errors);
    EXPECT_EQ(errors, QStringLiteral("\nerreur : Aucun répertoire d'export n'est choisi."));
    EXPECT_FALSE(QDir(QStringLiteral("/scripts")).exists());
}

TEST(StructureButton, ARefusedTablePrefixIsNamedAndNothingIsWritten) {
    test::IsolatedEnvironment env;
    QTemporaryDir dir;
    RecordingPrompt prompt;
    QString errors;
    btn_Create_Structure_Click({dir.path(), "kv x", false}, prompt, errors);
    ASSERT_EQ(prompt.texts().size(), 1);
    EXPECT_TRUE(prompt.texts()[0].startsWith("Le champ « préfixe pour les tables »"));
    EXPECT_TRUE(prompt.texts()[0].endsWith("l'espace n'en fait pas partie"));
    EXPECT_TRUE(QDir(dir.path()).isEmpty());
}

TEST(StructureButton, AScriptThatCannotBeWrittenStopsTheLaterOnes) {
    test::IsolatedEnvironment env;
    QTemporaryDir dir;
    QDir(dir.path()).mkpath("scripts/delete_tables.sql");  // a folder where the file should go
    RecordingPrompt prompt;
    QString errors;
    btn_Create_Structure_Click({dir.path(), "", false}, prompt, errors);
    ASSERT_EQ(prompt.shown().size(), 1u);
    EXPECT_EQ(prompt.shown()[0].icon, PromptIcon::Critical);
    EXPECT_TRUE(QFile::exists(dir.path() + "/scripts/tables.sql"));
    EXPECT_FALSE(QFile::exists(dir.path() + "/scripts/evolution_version173_a_version181.sql"));
    EXPECT_TRUE(errors.startsWith(QStringLiteral("\nerreur : ")));
}

}  // namespace
