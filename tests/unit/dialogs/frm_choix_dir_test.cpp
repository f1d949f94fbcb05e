#include "dialogs/frm_choix_dir.h"

#include <QAccessible>
#include <QComboBox>
#include <QDir>
#include <QLabel>
#include <QListWidget>
#include <QPushButton>
#include <QTest>
#include <QTreeWidget>

#include <gtest/gtest.h>

#include "settings/settings.h"
#include "support/test_paths.h"

namespace kalvor {
namespace {

QStringList files(const FrmChoixDir& dialog) {
    QStringList list;
    for (int i = 0; i < dialog.FileList()->count(); ++i) {
        list << dialog.FileList()->item(i)->text();
    }
    return list;
}

class FrmChoixDirTest : public ::testing::Test {
  protected:
    test::IsolatedEnvironment env;
    Settings settings;
    QString root;

    void SetUp() override {
        root = QDir(env.path()).absolutePath();
        QDir(root).mkpath("site/images");
        QDir(root).mkpath("autre");
        test::writeAll(root + "/site/index.php", "<?php");
        test::writeAll(root + "/site/require.php", "<?php");
    }
};

TEST_F(FrmChoixDirTest, OpensOnTheExportFolderWithOkDisabled) {
    settings.GV_Export = root + "/site";
    FrmChoixDir dialog(settings);
    EXPECT_EQ(dialog.windowTitle(), "Choix d'un répertoire");
    EXPECT_EQ(dialog.lbPath()->text(), root + "/site");
    EXPECT_EQ(dialog.dirPath(), root + "/site");
    EXPECT_EQ(files(dialog), QStringList({"index.php", "require.php"}));
    EXPECT_FALSE(dialog.btOK()->isEnabled());
    EXPECT_EQ(dialog.DriveList()->itemText(0), "/");
}

TEST_F(FrmChoixDirTest, ClickingAFolderThenOkSetsTheExportFolder) {
    settings.GV_Export = root + "/site";
    FrmChoixDir dialog(settings);
    QStringList chosen;
    QObject::connect(&dialog, &FrmChoixDir::exportChosen,
                     [&chosen](const QString& folder) { chosen << folder; });
    dialog.show();
    // The folder's subfolders are listed under it; click one.
    QTreeWidgetItem* current = dialog.DirList()->currentItem();
    ASSERT_NE(current, nullptr);
    ASSERT_EQ(current->childCount(), 1);
    QTreeWidgetItem* images = current->child(0);
    dialog.DirList()->setCurrentItem(images);
    emit dialog.DirList()->itemClicked(images, 0);
    EXPECT_EQ(dialog.lbPath()->text(), root + "/site/images");
    EXPECT_TRUE(files(dialog).isEmpty());
    ASSERT_TRUE(dialog.btOK()->isEnabled());
    dialog.btOK()->click();
    EXPECT_EQ(settings.GV_Export, root + "/site/images");
    EXPECT_EQ(settings.box_phpexport, root + "/site/images");
    EXPECT_EQ(chosen, QStringList{root + "/site/images"});
    EXPECT_FALSE(dialog.isVisible());
}

// Arrows, Space, Return and an assistive tool's Toggle choose a folder as a
// click does; Return leaves OK to be pressed on its own.
TEST_F(FrmChoixDirTest, AFolderIsChosenByTheKeysAndByToggle) {
    settings.GV_Export = root + "/site";
    FrmChoixDir dialog(settings);
    dialog.show();
    QTreeWidget* dirs = dialog.DirList();
    dirs->setFocus();
    QTest::keyClick(dirs, Qt::Key_Down);
    EXPECT_EQ(dialog.lbPath()->text(), root + "/site/images");
    EXPECT_TRUE(dialog.btOK()->isEnabled());

    for (const Qt::Key key : {Qt::Key_Space, Qt::Key_Return}) {
        FrmChoixDir again(settings);
        again.show();
        again.DirList()->setFocus();
        QTest::keyClick(again.DirList(), key);
        EXPECT_EQ(again.lbPath()->text(), root + "/site") << key;
        EXPECT_TRUE(again.btOK()->isEnabled()) << key;
        EXPECT_TRUE(again.isVisible()) << key;
    }

    FrmChoixDir toggled(settings);
    toggled.show();
    QAccessibleInterface* list = QAccessible::queryAccessibleInterface(toggled.DirList());
    QAccessibleInterface* images = nullptr;
    for (int i = 0; i < list->childCount() && images == nullptr; ++i) {
        if (list->child(i)->text(QAccessible::Name) == "images") {
            images = list->child(i);
        }
    }
    ASSERT_NE(images, nullptr);
    images->actionInterface()->doAction(QAccessibleActionInterface::toggleAction());
    EXPECT_EQ(toggled.lbPath()->text(), root + "/site/images");
    EXPECT_TRUE(toggled.btOK()->isEnabled());
    toggled.btOK()->click();
    EXPECT_EQ(settings.GV_Export, root + "/site/images");
}

TEST_F(FrmChoixDirTest, AnnulerChangesNothing) {
    settings.GV_Export = root + "/site";
    FrmChoixDir dialog(settings);
    dialog.show();
    dialog.DirList_Click(root + "/autre");
    dialog.btAnnuler()->click();
    EXPECT_EQ(settings.GV_Export, root + "/site");
    EXPECT_FALSE(dialog.isVisible());
}

TEST_F(FrmChoixDirTest, WithoutAnExportFolderTheListsShowTheCurrentFolder) {
    FrmChoixDir dialog(settings);
    EXPECT_EQ(dialog.lbPath()->text(), "");
    EXPECT_EQ(dialog.dirPath(), QDir::currentPath());
    EXPECT_FALSE(dialog.btOK()->isEnabled());

    settings.GV_Export = root + "/disparu";
    FrmChoixDir gone(settings);
    EXPECT_EQ(gone.dirPath(), QDir::currentPath());
}

TEST_F(FrmChoixDirTest, ADriveThatCannotBeReadLeavesTheListsAlone) {
    settings.GV_Export = root + "/site";
    FrmChoixDir dialog(settings);
    const QString drive = dialog.DriveList()->currentText();
    dialog.DriveList_Change(root + "/pas-de-disque");
    EXPECT_EQ(dialog.dirPath(), root + "/site");
    EXPECT_EQ(dialog.DriveList()->currentText(), drive);
    // Back to the root and to the folder last seen there.
    dialog.DriveList_Change("/");
    EXPECT_TRUE(dialog.dirPath() == "/" || dialog.dirPath() == root + "/site");
}

}  // namespace
}  // namespace kalvor
