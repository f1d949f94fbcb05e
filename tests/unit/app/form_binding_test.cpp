#include <QAbstractItemView>
#include <QAccessible>
#include <QCheckBox>
#include <QComboBox>
#include <QGroupBox>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QRegularExpression>
#include <QSet>
#include <QTabBar>
#include <QTabWidget>

#include <gtest/gtest.h>

#include "dialogs/frm_choix_dir.h"
#include "dialogs/frm_para.h"
#include "dialogs/frm_recovery.h"
#include "dialogs/frm_tintin.h"
#include "dialogs/stats_grid_widget.h"
#include "program_run.h"
#include "settings/stats_grid.h"
#include "support/test_paths.h"

using namespace kalvor;
using test::ProgramRun;

namespace {

// What a screen reader hears.
QString heard(QWidget* w, QAccessible::Text text = QAccessible::Name) {
    return QAccessible::queryAccessibleInterface(w)->text(text);
}

// What a screen reader or a voice tool sends.
void act(QWidget* w, const QString& action = QAccessibleActionInterface::toggleAction()) {
    QAccessible::queryAccessibleInterface(w)->actionInterface()->doAction(action);
}

QString tabHeard(QTabWidget* tabs, int index) {
    return QAccessible::queryAccessibleInterface(tabs->tabBar())
        ->child(index)
        ->text(QAccessible::Name);
}

// The controls that a screen reader names: a combo box's list and a view's
// headers are heard as part of them.
bool isNamedControl(const QWidget* w) {
    if (qobject_cast<const QLineEdit*>(w) || qobject_cast<const QComboBox*>(w)) {
        return true;
    }
    if (!qobject_cast<const QAbstractItemView*>(w) || qobject_cast<const QHeaderView*>(w)) {
        return false;
    }
    for (const QWidget* p = w->parentWidget(); p != nullptr; p = p->parentWidget()) {
        if (qobject_cast<const QComboBox*>(p) != nullptr) {
            return false;
        }
    }
    return true;
}

class FormBindingTest : public ::testing::Test {
  protected:
    test::IsolatedEnvironment env;
};

}  // namespace

TEST_F(FormBindingTest, EveryControlIsNamedAfterItsOwnLabel) {
    ProgramRun run;
    QSet<QString> names;
    QList<QWidget*> controls;
    for (QWidget* w : run.window.findChildren<QWidget*>()) {
        if (isNamedControl(w)) {
            controls << w;
        }
    }
    ASSERT_GE(controls.size(), 40);
    for (QComboBox* box : run.window.findChildren<QComboBox*>()) {
        EXPECT_NE(heard(box), heard(box, QAccessible::Value)) << box->objectName().toStdString();
    }
    // A combo box's item is read as its text, and its list marks that item,
    // also once the settings have moved it.
    run.settings.box_ligne_accueil = QStringLiteral("5");
    run.window.refresh();
    for (QComboBox* box : run.window.findChildren<QComboBox*>()) {
        QAccessibleInterface* read = QAccessible::queryAccessibleInterface(box);
        ASSERT_NE(read->textInterface(), nullptr) << box->objectName().toStdString();
        EXPECT_EQ(read->textInterface()->text(0, -1), box->currentText());
        ASSERT_NE(read->child(0), nullptr);
        EXPECT_EQ(box->view()->selectionModel()->selectedIndexes().value(0).row(),
                  box->currentIndex())
            << box->objectName().toStdString();
        // Its closed list has no item that reads as focused.
        EXPECT_FALSE(box->view()->currentIndex().isValid()) << box->objectName().toStdString();
    }
    // Open, the item it shows reads focused.
    run.window.show();
    auto* shown = run.find<QComboBox>("box_col_accueil");
    shown->showPopup();
    QAccessibleInterface* list = QAccessible::queryAccessibleInterface(shown->view());
    const QModelIndex current = shown->view()->currentIndex();
    ASSERT_TRUE(current.isValid());
    EXPECT_TRUE(list->tableInterface()->cellAt(current.row(), 0)->state().focused);
    shown->hidePopup();
    for (QWidget* control : controls) {
        const QString name = heard(control);
        EXPECT_FALSE(name.isEmpty()) << control->objectName().toStdString();
        EXPECT_FALSE(names.contains(name)) << name.toStdString();
        names.insert(name);
    }
    for (QLabel* label : run.window.findChildren<QLabel*>()) {
        if (label->buddy() != nullptr) {
            const QString caption = label->text().simplified().remove(QRegularExpression(" ?:$"));
            EXPECT_TRUE(label->buddy()->accessibleName().startsWith(caption))
                << caption.toStdString();
        }
    }
    const std::pair<const char*, const char*> some[] = {
        {"box_host", "Serveur"},
        {"path_couvertures", "Couvertures"},
        {"box_thumb_couvertures", "Couvertures (miniatures)"},
        {"box_email", "Afficher mon e-mail"},
        {"box_LastRun", "après le (jj/mm/aaaa)"},
        {"box_col_accueil", "nb de colonnes"},
        {"frame_nbcolonnes", "Nombre d'albums par ligne"},
        {"TV_excess", "Fichiers non utilisés"},
        {"Drive1", "Disque"}};
    for (const auto& [control, name] : some) {
        EXPECT_EQ(heard(run.find<QWidget>(control)), QString::fromUtf8(name));
    }

    // The dialogs' controls too, every group of options, and every button by
    // a word.
    FrmRecovery recovery(run.settings, run.prompt);
    FrmTintin tintin(run.settings, run.prompt);
    FrmPara para(run.settings, run.prompt);
    FrmChoixDir chooser(run.settings, nullptr);
    auto* rang3 = para.findChild<QComboBox*>(QStringLiteral("cbo_para_tri_3"));
    EXPECT_EQ(heard(rang3), "Rang 3");
    EXPECT_EQ(QAccessible::queryAccessibleInterface(rang3)->textInterface()->text(0, -1),
              rang3->currentText());
    EXPECT_EQ(heard(chooser.DriveList()), "Disque");
    EXPECT_EQ(
        QAccessible::queryAccessibleInterface(chooser.DriveList())->textInterface()->text(0, -1),
        chooser.DriveList()->currentText());
    for (QWidget* owner :
         std::initializer_list<QWidget*>{&run.window, &recovery, &tintin, &para, &chooser}) {
        for (QWidget* w : owner->findChildren<QWidget*>()) {
            const auto* group = qobject_cast<QGroupBox*>(w);
            if (isNamedControl(w) || (group && group->findChild<QRadioButton*>())) {
                EXPECT_FALSE(heard(w).isEmpty()) << w->objectName().toStdString();
            }
        }
        for (QPushButton* button : owner->findChildren<QPushButton*>()) {
            EXPECT_TRUE(heard(button).contains(QRegularExpression(QStringLiteral("\\w"))))
                << button->objectName().toStdString();
        }
    }
}

// Screen readers and voice tools tick a box through its Toggle action, with
// no click: the setting follows, and a redraw from the settings keeps it.
TEST_F(FormBindingTest, EveryCheckBoxActsOnItsToggleAction) {
    ProgramRun run;
    QTabWidget* tabs = run.window.TabNavig();
    QAccessibleInterface* bar = QAccessible::queryAccessibleInterface(tabs->tabBar());
    ASSERT_EQ(bar->childCount(), tabs->count());
    for (int i = 0; i < tabs->count(); ++i) {
        EXPECT_EQ(bar->child(i)->state().disabled, !tabs->isTabEnabled(i)) << i;
    }
    // A disabled tab refuses Press, and its controls take nothing.
    ASSERT_FALSE(tabs->isTabEnabled(Settings::kTabStatistiques));
    ASSERT_FALSE(tabs->isTabEnabled(Settings::kTabMiniatures));
    bar->child(Settings::kTabStatistiques)
        ->actionInterface()
        ->doAction(QAccessibleActionInterface::pressAction());
    EXPECT_EQ(tabs->currentIndex(), 0);
    QAccessible::queryAccessibleInterface(run.find<QLineEdit>("box_prefix"))
        ->setText(QAccessible::Value, QStringLiteral("pris_"));
    EXPECT_EQ(run.find<QLineEdit>("box_prefix")->text(), run.settings.box_prefix);
    EXPECT_NE(run.settings.box_prefix, QStringLiteral("pris_"));
    QAccessibleInterface* grid =
        QAccessible::queryAccessibleInterface(run.window.MSFlexGrid_Stats());
    const bool published = run.window.statsGrid().chart(3).used;
    grid->tableInterface()
        ->cellAt(2, StatsGrid::ColPicture)
        ->actionInterface()
        ->doAction(QAccessibleActionInterface::toggleAction());
    EXPECT_EQ(run.window.statsGrid().chart(3).used, published);
    const QList<QCheckBox*> boxes = run.window.findChildren<QCheckBox*>();
    ASSERT_GE(boxes.size(), 30);
    for (int round = 0; round < 2; ++round) {
        for (QCheckBox* box : boxes) {
            const bool was = box->isChecked();
            act(box);
            run.window.refresh();
            EXPECT_NE(box->isChecked(), was) << box->objectName().toStdString();
        }
    }

    for (const char* name :
         {"opt_acheter", "opt_parabd", "opt_revues", "opt_eo", "opt_baspage", "opt_stats"}) {
        if (!run.find<QCheckBox>(name)->isChecked()) {
            act(run.find<QCheckBox>(name));
        }
    }
    EXPECT_EQ(run.settings.GV_Collection_Bits.toInt() & 22, 22);  // 2 + 4 + 16
    EXPECT_EQ(run.settings.opt_eo, 1);
    EXPECT_FALSE(run.find<QLineEdit>("box_baspage")->isHidden());
    EXPECT_TRUE(tabs->isTabEnabled(Settings::kTabStatistiques));
    EXPECT_EQ(tabHeard(tabs, Settings::kTabStatistiques), "4. Statistiques");
    EXPECT_FALSE(bar->child(Settings::kTabStatistiques)->state().disabled);
    bar->child(Settings::kTabStatistiques)
        ->actionInterface()
        ->doAction(QAccessibleActionInterface::pressAction());
    EXPECT_EQ(tabs->currentIndex(), Settings::kTabStatistiques);
    // An option button as well.
    act(run.find<QRadioButton>("opt_col2"));
    EXPECT_EQ(run.settings.GV_Nb_Col, 2);
}
