#include "dialogs/stats_grid_widget.h"

#include <QAccessible>
#include <QApplication>
#include <QFile>
#include <QKeyEvent>
#include <QLineEdit>
#include <QTest>

#include <gtest/gtest.h>

#include "common/general.h"
#include "platform/prompt.h"
#include "settings/settings.h"
#include "settings/stats_grid.h"
#include "support/test_paths.h"

namespace kalvor {
namespace {

class StatsGridWidgetTest : public ::testing::Test {
  protected:
    test::IsolatedEnvironment env;
    Settings settings;
    StatsGrid model;
    RecordingPrompt prompt;
    StatsGridWidget grid{model, prompt};

    void SetUp() override {
        settings.GV_Perso1 = "Lieu d'achat";
        grid.Prepare_Grid(settings);
        grid.show();
        // The focus moves as the user sees it only in an active window.
        grid.activateWindow();
        ASSERT_TRUE(QTest::qWaitForWindowActive(&grid));
        grid.setFocus();
        ASSERT_TRUE(grid.hasFocus());
    }
    // Grid rows and columns as the model counts them: rows from 1.
    QString text(int row, int column) { return grid.item(row - 1, column)->text(); }
    bool grey(int row, int column) {
        return grid.item(row - 1, column)->background().style() != Qt::NoBrush;
    }
    void click(int row, int column) {
        grid.setCurrentCell(row - 1, column);
        emit grid.cellClicked(row - 1, column);
    }
    // A key as the keyboard gives it: to whichever widget holds the focus.
    void type(char c) { QTest::keyClick(grid.windowHandle(), c); }
    void key(Qt::Key k) { QTest::keyClick(grid.windowHandle(), k); }
};

TEST_F(StatsGridWidgetTest, ShowsTheChartsWithTheirHeaders) {
    EXPECT_EQ(grid.objectName(), "MSFlexGrid_Stats");
    EXPECT_EQ(grid.rowCount(), 11);
    EXPECT_EQ(grid.columnCount(), 10);
    EXPECT_EQ(grid.horizontalHeaderItem(3)->text(), " Valeurs");
    EXPECT_EQ(grid.horizontalHeaderItem(4)->text(), " Type");
    EXPECT_EQ(grid.horizontalHeaderItem(5)->text(), " Autres");
    EXPECT_EQ(text(6, 0), "Nombre d'albums achetés par Lieu d'achat");
    // Unnamed in the catalogue application: named as the window names it.
    EXPECT_EQ(text(7, 0), "Nombre d'albums achetés par Perso 2");
    EXPECT_EQ(text(9, 0), "Nombre d'albums achetés par Perso 4");
    EXPECT_EQ(text(1, 9), "ST01");
    EXPECT_EQ(text(1, 4), "%");
    EXPECT_TRUE(grid.item(0, 7)->icon().isNull());
    EXPECT_FALSE(grid.item(0, 6)->icon().isNull());
    EXPECT_TRUE(grid.item(10, 6)->icon().isNull());
    EXPECT_TRUE(grey(9, 3) && grey(9, 5) && grey(10, 3) && grey(10, 5));
    EXPECT_FALSE(grey(11, 3));
    EXPECT_EQ(grid.Row(), 1);
    EXPECT_EQ(grid.Col(), 1);

    // Every header is named, and every arrow that moves a chart.
    QAccessibleTableInterface* table =
        QAccessible::queryAccessibleInterface(&grid)->tableInterface();
    QStringList headers;
    for (int c = 0; c < 10; ++c) {
        const QList<QAccessibleInterface*> header =
            table->cellAt(0, c)->tableCellInterface()->columnHeaderCells();
        headers << (header.isEmpty() ? QString() : header[0]->text(QAccessible::Name));
    }
    EXPECT_EQ(headers, QStringList({"Graphique", "Publier", "Publié", "Valeurs", "Type", "Autres",
                                    "Descendre", "Monter", "Ordre", "Code"}));
    int arrows = 0;
    for (int r = 0; r < 11; ++r) {
        for (int c : {6, 7}) {
            const QString name = table->cellAt(r, c)->text(QAccessible::Name);
            EXPECT_EQ(name.isEmpty(), grid.item(r, c)->icon().isNull()) << r << ',' << c;
            arrows += name.isEmpty() ? 0 : 1;
        }
    }
    EXPECT_EQ(arrows, 20);
    EXPECT_EQ(table->cellAt(0, 6)->text(QAccessible::Name), "Descendre « Répartition par style »");
}

TEST_F(StatsGridWidgetTest, ClicksAndSpaceToggleAndClicksMoveRows) {
    const auto tick = [this](int row) {
        return QAccessible::queryAccessibleInterface(&grid)->tableInterface()->cellAt(row - 1, 1);
    };
    EXPECT_FALSE(tick(3)->state().checked);
    click(3, 1);
    EXPECT_EQ(text(3, 2), "1");
    EXPECT_TRUE(tick(3)->state().checked);
    EXPECT_EQ(tick(3)->text(QAccessible::Name), "Publier « Nombre d'albums achetés par mois »");
    key(Qt::Key_Space);  // the keyboard ticks as a click does
    EXPECT_EQ(text(3, 2), "0");
    EXPECT_FALSE(tick(3)->state().checked);
    key(Qt::Key_Tab);  // leaves the grid: no cell moves
    EXPECT_EQ(grid.Col(), 1);
    // What a screen reader or a voice tool sends acts as a click, on the
    // current cell too, and again.
    const auto toggle = [&](int row, int column) {
        QAccessible::queryAccessibleInterface(&grid)
            ->tableInterface()
            ->cellAt(row - 1, column)
            ->actionInterface()
            ->doAction(QAccessibleActionInterface::toggleAction());
    };
    for (const char* ticked : {"1", "0"}) {
        toggle(3, 1);
        EXPECT_EQ(text(3, 2), ticked);
    }
    toggle(4, 4);
    EXPECT_EQ(text(4, 4), "%");
    EXPECT_EQ(grid.Row(), 4);
    click(3, 5);
    EXPECT_EQ(text(3, 5), "oui");
    click(9, 5);
    EXPECT_EQ(text(9, 5), "non");

    click(11, 7);  // ST11 up over ST10: the lock follows ST10
    EXPECT_EQ(text(10, 9), "ST11");
    EXPECT_EQ(text(11, 9), "ST10");
    EXPECT_FALSE(grey(10, 3));
    EXPECT_FALSE(grey(10, 5));
    EXPECT_TRUE(grey(11, 3));
    EXPECT_EQ(grid.Row(), 1);
    EXPECT_EQ(grid.Col(), 1);
    EXPECT_TRUE(grid.item(10, 6)->icon().isNull());
}

// Return and Escape give the focus back to the grid on the same cell, so
// that the next digit edits it again.
TEST_F(StatsGridWidgetTest, TypingADigitReplacesTheValue) {
    grid.setCurrentCell(2, 3);
    type('8');
    ASSERT_TRUE(grid.TextSaisie()->isVisible());
    EXPECT_TRUE(grid.TextSaisie()->hasFocus());
    EXPECT_EQ(grid.TextSaisie()->text(), "8");
    EXPECT_EQ(grid.TextSaisie()->accessibleName(), "Nombre de valeurs");
    type('4');
    key(Qt::Key_Return);
    EXPECT_FALSE(grid.TextSaisie()->isVisible());
    EXPECT_EQ(text(3, 3), "84");
    EXPECT_EQ(model.chart(3).nb, 84);
    EXPECT_TRUE(grid.hasFocus());
    EXPECT_EQ(grid.Row(), 3);
    EXPECT_EQ(grid.Col(), 3);

    type('6');
    ASSERT_TRUE(grid.TextSaisie()->isVisible());
    key(Qt::Key_Escape);
    EXPECT_FALSE(grid.TextSaisie()->isVisible());
    EXPECT_EQ(text(3, 3), "84");
    EXPECT_TRUE(grid.hasFocus());
    EXPECT_EQ(grid.Row(), 3);
    EXPECT_EQ(grid.Col(), 3);
    type('5');
    EXPECT_TRUE(grid.TextSaisie()->isVisible());
    EXPECT_EQ(grid.TextSaisie()->text(), "5");
}

TEST_F(StatsGridWidgetTest, DoubleClickKeepsTheValueAndEscapeDropsTheEdit) {
    grid.setCurrentCell(0, 3);
    emit grid.cellDoubleClicked(0, 3);
    ASSERT_TRUE(grid.TextSaisie()->isVisible());
    EXPECT_EQ(grid.TextSaisie()->text(), "12");
    EXPECT_EQ(grid.TextSaisie()->cursorPosition(), 2);
    grid.TextSaisie()->setText("3");
    key(Qt::Key_Escape);
    EXPECT_FALSE(grid.TextSaisie()->isVisible());
    EXPECT_EQ(text(1, 3), "12");
    EXPECT_EQ(grid.Col(), 3);
}

TEST_F(StatsGridWidgetTest, ATextThatIsNoWholeNumberKeepsTheOldValueAndIsRefusedAloud) {
    grid.setCurrentCell(3, 3);
    type('a');
    type('b');
    key(Qt::Key_Down);
    EXPECT_FALSE(grid.TextSaisie()->isVisible());
    EXPECT_EQ(text(4, 3), "10");
    EXPECT_EQ(grid.Row(), 5);  // the arrow still moves on
    type('-');
    type('5');
    key(Qt::Key_Return);
    EXPECT_EQ(text(5, 3), "10");
    ASSERT_EQ(prompt.shown().size(), 2u);
    for (const auto& shown : prompt.shown()) {
        EXPECT_EQ(shown.text, QStringLiteral("Veuillez entrer un nombre entier positif"));
        EXPECT_EQ(shown.icon, PromptIcon::Critical);
    }
    prompt.clear();
    type('7');
    key(Qt::Key_Return);
    EXPECT_EQ(text(5, 3), "7");
    EXPECT_TRUE(prompt.shown().empty());
}

TEST_F(StatsGridWidgetTest, AStoredCountThatIsNoNumberIsReadAsTheDefaultAndLogged) {
    general::Set_Registry_Value(HKEY_CURRENT_USER, StatsGrid::RegistryKey(),
                                QStringLiteral("ST01_nb"), QStringLiteral("abc"));
    Settings fresh;
    grid.Prepare_Grid(fresh);
    EXPECT_EQ(text(1, 3), "12");
    EXPECT_TRUE(fresh.GV_Erreurs.endsWith(
        QStringLiteral("\nerreur lors de la lecture : Statistiques ST01_nb")))
        << fresh.GV_Erreurs.toStdString();
    QFile log(general::Log_Path());
    ASSERT_TRUE(log.open(QIODevice::ReadOnly));
    EXPECT_TRUE(log.readAll().startsWith("Kalvorform.Prepare_Grid\r\n"));
    EXPECT_TRUE(prompt.shown().empty());
}

TEST_F(StatsGridWidgetTest, LeavingTheCellCommitsTheEdit) {
    grid.setCurrentCell(4, 3);
    type('7');
    click(7, 0);
    EXPECT_FALSE(grid.TextSaisie()->isVisible());
    EXPECT_EQ(text(5, 3), "7");
    EXPECT_EQ(text(7, 3), "10");
}

// Typing where no edit opens moves nothing either: no search by typed text.
TEST_F(StatsGridWidgetTest, LockedRowsOpenNoEditor) {
    grid.setCurrentCell(8, 3);
    type('1');
    EXPECT_FALSE(grid.TextSaisie()->isVisible());
    EXPECT_EQ(grid.Row(), 9);
    EXPECT_EQ(grid.Col(), 3);
    emit grid.cellDoubleClicked(8, 3);
    EXPECT_FALSE(grid.TextSaisie()->isVisible());
    EXPECT_EQ(text(9, 3), "10");

    grid.setCurrentCell(0, 0);
    type('N');
    EXPECT_FALSE(grid.TextSaisie()->isVisible());
    EXPECT_EQ(grid.Row(), 1);
    EXPECT_EQ(grid.Col(), 0);
}

TEST_F(StatsGridWidgetTest, SavedOrderComesBackAtTheNextStart) {
    click(2, 6);  // ST02 down to row 3
    click(5, 5);  // ST05 with "Autres"
    grid.Save_Stats();
    StatsGrid again;
    StatsGridWidget next(again, prompt);
    next.Prepare_Grid(settings);
    EXPECT_EQ(next.item(2, 9)->text(), "ST02");
    EXPECT_EQ(next.item(4, 5)->text(), "oui");
}

}  // namespace
}  // namespace kalvor
