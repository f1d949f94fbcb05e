#pragma once

#include <QIcon>
#include <QTableWidget>

class QLineEdit;

namespace kalvor {

class Prompt;
class Settings;
class StatsGrid;

// The grid of the tab "4. Statistiques" (MSFlexGrid_Stats): draws the
// statistics model, one row per chart, and hands it the clicks and the value
// edits made in its in-place editor TextSaisie.
class StatsGridWidget : public QTableWidget {
    Q_OBJECT
  public:
    // A value refused in the editor is said through `prompt`.
    StatsGridWidget(StatsGrid& model, Prompt& prompt, QWidget* parent = nullptr);

    // Loads the charts from the registry (custom-field captions of the
    // settings in four labels) and draws them. A stored value that cannot be
    // read is noted in GV_Erreurs and logged, as the settings load does.
    void Prepare_Grid(Settings& settings);
    // Writes the charts back to the registry.
    void Save_Stats();
    // Draws the model as it stands.
    void redraw();

    // Commits an open edit; a value that is no whole number keeps the old one
    // and is refused with a message.
    void CheckTexte();
    // Opens the editor over the current cell; a code above 32 replaces the
    // value with that character.
    void Start_Saisie(int code);

    QLineEdit* TextSaisie() const { return editor_; }
    StatsGrid& model() const { return model_; }
    // The grid row (1 to 11) and column of the current cell.
    int Row() const { return currentRow() + 1; }
    int Col() const { return currentColumn(); }

  protected:
    void keyPressEvent(QKeyEvent* event) override;
    void focusInEvent(QFocusEvent* event) override;
    // No type-ahead search: typing moves no cell, it only opens the editor.
    void keyboardSearch(const QString&) override {}
    bool eventFilter(QObject* watched, QEvent* event) override;

  private:
    void MSFlexGrid_Stats_Click(int row, int column);
    bool editable() const;
    void fitColumns();
    void setCell(int row, int column, const QString& text, const QIcon& icon,
                 Qt::Alignment alignment);
    void closeEditor();

    StatsGrid& model_;
    Prompt& prompt_;
    QLineEdit* editor_ = nullptr;
    int editRow_ = -1;
    bool closing_ = false;  // the editor hands the focus back to the grid
    QIcon comboDown_, comboUp_, bas_, haut_;
};

}  // namespace kalvor
