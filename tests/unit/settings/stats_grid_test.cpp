#include "settings/stats_grid.h"

#include <gtest/gtest.h>

#include "common/general.h"
#include "support/test_paths.h"

namespace kalvor {
namespace {

QStringList codes(const StatsGrid& grid) {
    QStringList list;
    for (int r = 1; r <= StatsGrid::kRows; ++r) {
        list << grid.chart(r).code;
    }
    return list;
}

QString stored(const QString& name) {
    return general::Get_Registry_Value(HKEY_CURRENT_USER, StatsGrid::RegistryKey(), name)
        .toString();
}

void store(const QString& name, const QString& value) {
    general::Set_Registry_Value(HKEY_CURRENT_USER, StatsGrid::RegistryKey(), name, value);
}

const QStringList kDefaultOrder = {"ST01", "ST02", "ST03", "ST04", "ST05", "ST06",
                                   "ST07", "ST08", "ST09", "ST10", "ST11"};

class StatsGridTest : public ::testing::Test {
  protected:
    test::IsolatedEnvironment env;
    StatsGrid grid;
    void load() { grid.Load("Lieu", "Prix", "Etat", "Cote"); }
};

TEST_F(StatsGridTest, EmptyStoreGivesTheDefaults) {
    load();
    EXPECT_EQ(codes(grid), kDefaultOrder);
    const QStringList row1 = {grid.cellText(1, 0), grid.cellText(1, 2), grid.cellText(1, 3),
                              grid.cellText(1, 4), grid.cellText(1, 5), grid.cellText(1, 8)};
    EXPECT_EQ(row1, QStringList({"Répartition par style", "1", "12", "%", "oui", "1"}));
    EXPECT_EQ(grid.cellText(2, 0), "Répartition par éditeur");
    EXPECT_EQ(grid.cellText(2, 3), "12");
    const QStringList row3 = {grid.cellText(3, 2), grid.cellText(3, 3), grid.cellText(3, 4),
                              grid.cellText(3, 5)};
    EXPECT_EQ(row3, QStringList({"0", "6", "nb", "non"}));
    EXPECT_EQ(grid.cellText(6, 0), "Nombre d'albums achetés par Lieu");
    EXPECT_EQ(grid.cellText(9, 0), "Nombre d'albums achetés par Cote");
    EXPECT_EQ(grid.cellText(6, 4), "%");
    EXPECT_EQ(grid.cellText(10, 0), "Répartition éditions originales / rééditions");
    EXPECT_EQ(grid.cellText(11, 0), "Répartition des objets ParaBD");
    EXPECT_EQ(grid.cellText(11, 4), "nb");
    EXPECT_EQ(grid.GV_Stats_Rows(), (std::array<int, 2>{9, 10}));
}

TEST_F(StatsGridTest, ClicksToggleUseTypeAndOthers) {
    load();
    EXPECT_TRUE(grid.click(3, StatsGrid::ColPicture));
    EXPECT_EQ(grid.cellText(3, StatsGrid::ColUse), "1");
    grid.click(3, StatsGrid::ColPicture);
    EXPECT_EQ(grid.cellText(3, StatsGrid::ColUse), "0");
    grid.click(1, StatsGrid::ColType);
    EXPECT_EQ(grid.cellText(1, StatsGrid::ColType), "nb");
    grid.click(1, StatsGrid::ColType);
    EXPECT_EQ(grid.cellText(1, StatsGrid::ColType), "%");
    grid.click(3, StatsGrid::ColAutres);
    EXPECT_EQ(grid.cellText(3, StatsGrid::ColAutres), "oui");
    EXPECT_FALSE(grid.click(3, StatsGrid::ColLabel));
    EXPECT_FALSE(grid.click(3, StatsGrid::ColCode));
}

TEST_F(StatsGridTest, LockedRowsRefuseOthersAndValue) {
    load();
    for (int row : {9, 10}) {
        EXPECT_TRUE(grid.isLocked(row));
        EXPECT_FALSE(grid.click(row, StatsGrid::ColAutres));
        EXPECT_EQ(grid.cellText(row, StatsGrid::ColAutres), "non");
        EXPECT_FALSE(grid.setValue(row, "5"));
        EXPECT_EQ(grid.cellText(row, StatsGrid::ColValue), "10");
        // Use and type stay free on a locked row.
        EXPECT_TRUE(grid.click(row, StatsGrid::ColType));
    }
}

TEST_F(StatsGridTest, FirstAndLastRowsDoNotMoveOut) {
    load();
    EXPECT_FALSE(grid.click(1, StatsGrid::ColUp));
    EXPECT_FALSE(grid.click(11, StatsGrid::ColDown));
    EXPECT_EQ(codes(grid), kDefaultOrder);
}

TEST_F(StatsGridTest, MovingTheTwoLockedChartsPastEachOtherKeepsBothLocked) {
    load();
    ASSERT_TRUE(grid.click(10, StatsGrid::ColUp));  // ST10 up onto ST09
    EXPECT_EQ(grid.chart(9).code, "ST10");
    EXPECT_EQ(grid.chart(10).code, "ST09");
    EXPECT_TRUE(grid.isLocked(9));
    EXPECT_TRUE(grid.isLocked(10));
}

TEST_F(StatsGridTest, LockFollowsItsChart) {
    load();
    ASSERT_TRUE(grid.click(11, StatsGrid::ColUp));  // ST11 up onto ST10
    EXPECT_EQ(grid.chart(10).code, "ST11");
    EXPECT_EQ(grid.chart(11).code, "ST10");
    EXPECT_FALSE(grid.isLocked(10));
    EXPECT_TRUE(grid.isLocked(11));
    EXPECT_TRUE(grid.setValue(10, "4"));
    // The whole row moves, its sequence text included.
    EXPECT_EQ(grid.cellText(11, StatsGrid::ColSequence), "10");
    EXPECT_EQ(grid.cellText(10, StatsGrid::ColSequence), "11");

    ASSERT_TRUE(grid.click(9, StatsGrid::ColDown));  // ST09 down onto ST11
    EXPECT_EQ(grid.chart(10).code, "ST09");
    EXPECT_TRUE(grid.isLocked(10));
    EXPECT_TRUE(grid.isLocked(11));
    EXPECT_FALSE(grid.isLocked(9));
}

TEST_F(StatsGridTest, ValueTakesWholeNumbersOnly) {
    load();
    EXPECT_TRUE(grid.setValue(3, "25"));
    EXPECT_EQ(grid.cellText(3, StatsGrid::ColValue), "25");
    EXPECT_TRUE(grid.setValue(3, " 007 "));
    EXPECT_EQ(grid.cellText(3, StatsGrid::ColValue), "7");
    for (const char* refused : {"abc", "", "1.5", "-3", "4; echo", "\"", "2147483648"}) {
        EXPECT_FALSE(grid.setValue(3, refused)) << refused;
        EXPECT_EQ(grid.cellText(3, StatsGrid::ColValue), "7") << refused;
    }
}

TEST_F(StatsGridTest, SaveAndReloadKeepOrderUseAndValues) {
    load();
    grid.click(3, StatsGrid::ColUp);       // ST03 to row 2
    grid.click(10, StatsGrid::ColDown);    // ST10 to row 11
    grid.click(5, StatsGrid::ColPicture);  // ST05 used
    grid.setValue(5, "15");
    grid.click(5, StatsGrid::ColType);     // counts -> %
    grid.click(5, StatsGrid::ColAutres);   // oui
    grid.click(1, StatsGrid::ColPicture);  // ST01 not used
    grid.Save();

    EXPECT_EQ(stored("ST03_sequence"), "2");
    EXPECT_EQ(stored("ST02_sequence"), "3");
    EXPECT_EQ(stored("ST05_use"), "1");
    EXPECT_EQ(stored("ST05_nb"), "15");
    EXPECT_EQ(stored("ST05_type"), "pct");
    EXPECT_EQ(stored("ST05_autres"), "1");
    EXPECT_EQ(stored("ST03_type"), "nb");
    EXPECT_EQ(stored("ST03_autres"), "0");

    StatsGrid next;
    next.Load("Lieu", "Prix", "Etat", "Cote");
    EXPECT_EQ(codes(next), codes(grid));
    EXPECT_EQ(next.GV_Stats_Rows(), (std::array<int, 2>{9, 11}));
    for (int r = 1; r <= StatsGrid::kRows; ++r) {
        for (int c : {0, 2, 3, 4, 5, 9}) {
            EXPECT_EQ(next.cellText(r, c), grid.cellText(r, c)) << r << "," << c;
        }
        EXPECT_EQ(next.cellText(r, StatsGrid::ColSequence), QString::number(r));
    }
}

TEST_F(StatsGridTest, StoredValuesAreReadAsTheirTableSays) {
    store("ST04_use", "1");
    store("ST04_type", "pct");
    store("ST04_autres", "1");
    store("ST04_nb", "3");
    store("ST01_type", "PCT");    // anything but "pct" means counts
    store("ST01_autres", "oui");  // anything but "1" means no
    store("ST02_use", "abc");     // not the number 1: unused
    store("ST06_nb", "abc");      // no whole number: the default stays
    store("ST09_sequence", "3");
    store("ST03_sequence", "9");
    store("ST05_sequence", "-2");  // no whole number either: its place stays
    EXPECT_EQ(grid.Load("Lieu", "Prix", "Etat", "Cote"), QStringList({"ST05_sequence", "ST06_nb"}));
    EXPECT_EQ(grid.cellText(4, StatsGrid::ColUse), "1");
    EXPECT_EQ(grid.cellText(4, StatsGrid::ColType), "%");
    EXPECT_EQ(grid.cellText(4, StatsGrid::ColAutres), "oui");
    EXPECT_EQ(grid.cellText(4, StatsGrid::ColValue), "3");
    EXPECT_EQ(grid.cellText(1, StatsGrid::ColType), "nb");
    EXPECT_EQ(grid.cellText(1, StatsGrid::ColAutres), "non");
    EXPECT_EQ(grid.cellText(2, StatsGrid::ColUse), "0");
    EXPECT_EQ(grid.cellText(6, StatsGrid::ColValue), "10");
    // The chart saved at row 3 comes back at row 3 with its lock.
    EXPECT_EQ(grid.chart(3).code, "ST09");
    EXPECT_EQ(grid.chart(9).code, "ST03");
    EXPECT_EQ(grid.chart(5).code, "ST05");
    EXPECT_EQ(grid.GV_Stats_Rows(), (std::array<int, 2>{3, 10}));
}

TEST_F(StatsGridTest, EntriesGiveRequirePhpItsRowsInDisplayOrder) {
    load();
    grid.click(2, StatsGrid::ColUp);
    grid.click(2, StatsGrid::ColType);
    const QList<StatsEntry> entries = grid.Entries();
    ASSERT_EQ(entries.size(), 11);
    EXPECT_EQ(entries[0].stat, "ST02");
    EXPECT_EQ(entries[0].use, 1);
    EXPECT_EQ(entries[0].nb, 12);
    EXPECT_EQ(entries[0].type, 1);
    EXPECT_EQ(entries[0].autres, 1);
    EXPECT_EQ(entries[1].stat, "ST01");
    EXPECT_EQ(entries[1].type, 0);
    EXPECT_EQ(entries[10].stat, "ST11");
    EXPECT_EQ(entries[10].use, 0);
    EXPECT_EQ(entries[10].autres, 0);
}

}  // namespace
}  // namespace kalvor
