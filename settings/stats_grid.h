#pragma once

#include <QList>
#include <QString>
#include <QStringList>
#include <array>
#include <vector>

namespace kalvor {

// One chart of the site's statistics page, as a row of the grid holds it.
struct StatsChart {
    QString code;   // "ST01" .. "ST11"
    QString label;  // column 0
    bool used = false;
    int nb = 0;            // number of values shown
    bool percent = false;  // "%" (percentages) or "nb" (counts)
    bool autres = false;   // an "Autres" bar
    int sequence = 0;      // the position it was saved at; moves with its row
};

// What require.php writes for one grid row, in display order: the entry's
// index is its position in the list.
struct StatsEntry {
    QString stat;    // chart code
    int use = 0;     // 1 shown, 0 not
    int nb = 0;      // number of values
    int type = 0;    // 1 percentages, 0 counts
    int autres = 0;  // 1 with an "Autres" bar
};

// The statistics grid of the main window without its window: the eleven
// charts in display order (rows 1 to 11), the two locked rows, the moves, the
// value edits and the load and save under software\Kalvor\Stats. The grid
// widget draws it and forwards clicks and edits to it.
class StatsGrid {
  public:
    static constexpr int kRows = 11;
    // Grid columns, as the widget lays them out.
    enum Column {
        ColLabel = 0,
        ColPicture = 1,
        ColUse = 2,
        ColValue = 3,
        ColType = 4,
        ColAutres = 5,
        ColDown = 6,
        ColUp = 7,
        ColSequence = 8,
        ColCode = 9,
        kColumns = 10
    };
    static const QString& RegistryKey();

    // The defaults, in order ST01 to ST11, with empty custom-field captions
    // (the registry is not read).
    StatsGrid();

    // Defaults (labels of ST06 to ST09 end with the catalogue's custom-field
    // captions), then the registry's values, then the rows sorted on their
    // saved sequence (Prepare_Grid without the drawing). The names of the
    // stored values that are no whole number, which keep their defaults.
    QStringList Load(const QString& GV_Perso1, const QString& GV_Perso2, const QString& GV_Perso3,
                     const QString& GV_Perso4);
    // The five values of every row, the row number as its sequence (Save_Stats).
    void Save() const;

    // Rows are 1 to kRows.
    const StatsChart& chart(int row) const;
    // The text a grid cell shows (columns 0, 2, 3, 4, 5, 8, 9; "" for the
    // picture columns).
    QString cellText(int row, int column) const;

    // The rows of the charts whose value and others cells cannot be changed.
    const std::array<int, 2>& GV_Stats_Rows() const { return statsRows_; }
    bool isLocked(int row) const;

    // A click on a cell (MSFlexGrid_Stats_Click): toggles the use, the type or
    // the others choice, or moves the row down or up. True when something
    // changed.
    bool click(int row, int column);
    bool moveDown(int row);
    bool moveUp(int row);

    // The value cell takes a whole number only: anything else would be
    // written bare into require.php and break every page. False (the old value
    // kept) for any other text and on a locked row.
    bool setValue(int row, const QString& text);
    static bool isWholeNumber(const QString& text);

    QList<StatsEntry> Entries() const;

  private:
    void setDefaults(const QString& GV_Perso1, const QString& GV_Perso2, const QString& GV_Perso3,
                     const QString& GV_Perso4);
    StatsChart& at(int row);
    void move(int r, int t);
    void findLockedRows();

    std::vector<StatsChart> rows_;  // index 0 is grid row 1
    std::array<int, 2> statsRows_{9, 10};
};

}  // namespace kalvor
