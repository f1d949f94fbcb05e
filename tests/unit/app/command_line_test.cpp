#include <gtest/gtest.h>

#include "app/command_line.h"

using namespace kalvor;
using Format = CommandLine::Format;
using Export = CommandLine::Export;

TEST(CommandLine, ExportWords) {
    EXPECT_EQ(CommandLine::Parse(QStringLiteral("donnees")).exportWord, Export::Donnees);
    // The incremental word holds the full one: it is looked for first.
    EXPECT_EQ(CommandLine::Parse(QStringLiteral("dernieres_donnees")).exportWord,
              Export::DernieresDonnees);
    EXPECT_EQ(CommandLine::Parse(QStringLiteral("donnees dernieres_donnees")).exportWord,
              Export::DernieresDonnees);
    // Anywhere in the text, as part of another word too.
    EXPECT_EQ(CommandLine::Parse(QStringLiteral("/x:mesdonnees")).exportWord, Export::Donnees);
    EXPECT_EQ(CommandLine::Parse(QString()).exportWord, Export::None);
    EXPECT_FALSE(CommandLine::Parse(QStringLiteral("latin1")).runsExport());
}

TEST(CommandLine, CaseMatters) {
    EXPECT_EQ(CommandLine::Parse(QStringLiteral("DONNEES")).exportWord, Export::None);
    EXPECT_EQ(CommandLine::Parse(QStringLiteral("Dernieres_Donnees")).exportWord, Export::None);
    EXPECT_EQ(CommandLine::Parse(QStringLiteral("UTF8 LATIN")).format, Format::Unchanged);
}

TEST(CommandLine, FormatWords) {
    EXPECT_EQ(CommandLine::Parse(QStringLiteral("utf8 donnees")).format, Format::Utf8);
    EXPECT_EQ(CommandLine::Parse(QStringLiteral("utf-8")).format, Format::Utf8);
    EXPECT_EQ(CommandLine::Parse(QStringLiteral("latin")).format, Format::Latin1);
    EXPECT_EQ(CommandLine::Parse(QStringLiteral("latin1 dernieres_donnees")).format,
              Format::Latin1);
    EXPECT_EQ(CommandLine::Parse(QStringLiteral("latin1 utf8")).format, Format::Utf8);
    EXPECT_EQ(CommandLine::Parse(QStringLiteral("donnees")).format, Format::Unchanged);
}

TEST(CommandLine, ArgumentsAfterTheProgramAreJoined) {
    const CommandLine line = CommandLine::Parse(QStringList{QStringLiteral("/opt/donnees/kalvor"),
                                                            QStringLiteral("utf8"),
                                                            QStringLiteral("dernieres_donnees")});
    EXPECT_EQ(line.format, Format::Utf8);
    EXPECT_EQ(line.exportWord, Export::DernieresDonnees);
    // The program's own path is not searched.
    EXPECT_EQ(CommandLine::Parse(QStringList{QStringLiteral("/opt/donnees/kalvor")}).exportWord,
              Export::None);
}
