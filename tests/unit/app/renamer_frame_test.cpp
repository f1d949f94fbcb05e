#include <QAction>
#include <QCheckBox>
#include <QDir>
#include <QFile>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QTabWidget>
#include <QTest>
#include <QThread>
#include <atomic>

#include <gtest/gtest.h>

#include "app/dir_list_box.h"
#include "app/drive_list_box.h"
#include "app/file_list_box.h"
#include "app/frame_updbase.h"
#include "app/kalvorform.h"
#include "app/renamer_frame.h"
#include "app/start_up.h"
#include "catalogue/sqlite_catalogue.h"
#include "common/general.h"
#include "platform/dao/db_engine.h"
#include "platform/prompt.h"
#include "platform/registry/registry.h"
#include "settings/settings.h"
#include "support/test_paths.h"
#include "support/work_end.h"

using namespace kalvor;

namespace {

// The program started on a SQLite copy of the newer fixture catalogue, kept
// in a folder of its own with a few image files beside it.
class RenamerFrameTest : public ::testing::Test {
  protected:
    QString savedCurrent = QDir::currentPath();
    test::IsolatedEnvironment env;
    QString folder = env.path() + QStringLiteral("/Collection");
    QString catalogue = folder + QStringLiteral("/catalogue.db");
    RecordingPrompt prompt;
    Settings settings;
    std::unique_ptr<Kalvorform> window;

    void SetUp() override {
        QDir().mkpath(folder + QStringLiteral("/Images"));
        catalogue::BuildSqliteCatalogue(
            test::fixturePath(QStringLiteral("catalogue/catalogue-v6.sql")), catalogue);
        for (const char* name : {"Couv_01.JPG", "Été_Planche.Png", ".cache"}) {
            test::writeAll(folder + QStringLiteral("/Images/") + QString::fromUtf8(name), "x");
        }
        general::Set_Registry_Value(HKEY_CURRENT_USER, QStringLiteral("Software\\Ormelo6"),
                                    QStringLiteral("CheminBase"), catalogue);
        start_up::Form_Load(settings, CommandLine::Parse(QString()), prompt);
        window = std::make_unique<Kalvorform>(settings, &prompt);
        window->Form_Load_Interactive();
        prompt.clear();
    }
    void TearDown() override {
        window.reset();
        QDir::setCurrent(savedCurrent);
    }

    RenamerFrame* frame() const { return window->FrameRenommer(); }
    template <class W>
    W* find(const char* name) {
        W* w = window->findChild<W*>(QString::fromLatin1(name));
        EXPECT_NE(w, nullptr) << name;
        return w;
    }
    // A tool runs as the window's long work, the window answering meanwhile.
    void click(const char* name) {
        QTest::mouseClick(find<QPushButton>(name), Qt::LeftButton);
        EXPECT_TRUE(window->work().running()) << name;
        test::waitForWork(window->work());
    }
    // Opens an entry of the folder list as a double click does.
    void open(const QString& path) {
        DirListBox* dir = frame()->Dir1();
        for (int i = 0; i < dir->count(); ++i) {
            if (dir->item(i)->data(Qt::UserRole).toString() == path) {
                emit dir->itemActivated(dir->item(i));
                return;
            }
        }
        ADD_FAILURE() << "no entry " << path.toStdString();
    }
};

}  // namespace

TEST_F(RenamerFrameTest, MenusSwitchBetweenTheTabsAndTheRenamerView) {
    window->show();
    EXPECT_TRUE(window->TabNavig()->isVisible());
    EXPECT_FALSE(frame()->isVisible());
    EXPECT_EQ(frame()->objectName(), QStringLiteral("FrameRenommer"));
    QAction* renommer = find<QAction>("Renommer");
    EXPECT_EQ(renommer->text(), QStringLiteral("&Renommer"));
    renommer->trigger();
    EXPECT_FALSE(window->TabNavig()->isVisible());
    EXPECT_TRUE(frame()->isVisible());
    find<QAction>("kalvor")->trigger();
    EXPECT_TRUE(window->TabNavig()->isVisible());
    EXPECT_FALSE(frame()->isVisible());
}

TEST_F(RenamerFrameTest, StartUpShowsTheCataloguesFolder) {
    // The process's own folder stays, for the relative paths it was given.
    EXPECT_EQ(QDir::currentPath(), savedCurrent);
    EXPECT_EQ(frame()->Dir1()->Path(), QDir(folder).canonicalPath());
    EXPECT_EQ(frame()->File1()->Names(), QStringList{QStringLiteral("catalogue.db")});
    EXPECT_FALSE(frame()->File1()->isHidden());
    EXPECT_EQ(frame()->Drive1()->Drive(), frame()->Drive1()->DriveOf(folder));
    EXPECT_EQ(frame()->Drive1()->itemText(0), QStringLiteral("/"));
    // Single-file mode, no conversion chosen, no table ticked.
    EXPECT_TRUE(find<QRadioButton>("opt_fichier")->isChecked());
    for (const char* name : {"opt_majuscule", "opt_minuscule", "opt_caractere", "opt_repertoire"}) {
        EXPECT_FALSE(find<QRadioButton>(name)->isChecked()) << name;
    }
    for (const char* name : {"opt_conv_albums", "opt_conv_acheter", "opt_conv_serie",
                             "opt_conv_auteur", "opt_conv_exlibris", "opt_conv_revues"}) {
        EXPECT_FALSE(find<QCheckBox>(name)->isChecked()) << name;
    }
}

TEST_F(RenamerFrameTest, ControlsFollowOneAnother) {
    find<QRadioButton>("opt_majuscule")->click();
    QTest::keyClicks(find<QLineEdit>("box_caract_to"), QStringLiteral("-"));
    EXPECT_TRUE(find<QRadioButton>("opt_caractere")->isChecked());
    EXPECT_FALSE(find<QRadioButton>("opt_majuscule")->isChecked());

    find<QRadioButton>("opt_repertoire")->click();
    EXPECT_TRUE(frame()->File1()->isHidden());
    find<QRadioButton>("opt_fichier")->click();
    EXPECT_FALSE(frame()->File1()->isHidden());

    // Opening a sub-folder shows its files; another drive and back returns to
    // the folder last shown on this one.
    const QString images = QDir(folder).canonicalPath() + QStringLiteral("/Images");
    open(images);
    EXPECT_EQ(frame()->Dir1()->Path(), images);
    EXPECT_EQ(frame()->File1()->Names(),
              (QStringList{QStringLiteral("Couv_01.JPG"), QStringLiteral("Été_Planche.Png")}));
    const QString drive = frame()->Drive1()->Drive();
    frame()->Drive1_Change(QStringLiteral("/"));
    if (drive != QStringLiteral("/")) {
        EXPECT_EQ(frame()->Dir1()->Path(), QStringLiteral("/"));
    }
    frame()->Drive1_Change(drive);
    EXPECT_EQ(frame()->Dir1()->Path(), images);
}

TEST_F(RenamerFrameTest, ConvertirRenamesAndTheListsFollow) {
    const QString images = QDir(folder).canonicalPath() + QStringLiteral("/Images");
    open(images);
    find<QRadioButton>("opt_minuscule")->click();
    find<QRadioButton>("opt_repertoire")->click();
    prompt.queueAnswers({true});
    click("btn_convertir");
    EXPECT_EQ(prompt.texts(), QStringList{QStringLiteral("Conversion en minuscule de") + images +
                                          QStringLiteral("/*.*")});
    EXPECT_EQ(frame()->File1()->Names(),
              (QStringList{QStringLiteral("couv_01.jpg"), QStringLiteral("été_planche.png")}));
    EXPECT_TRUE(QFile::exists(images + QStringLiteral("/.cache")));

    // One file, upper case.
    find<QRadioButton>("opt_majuscule")->click();
    find<QRadioButton>("opt_fichier")->click();
    frame()->File1()->setCurrentRow(1);
    prompt.clear();
    prompt.queueAnswers({true});
    click("btn_convertir");
    EXPECT_EQ(frame()->File1()->Names(),
              (QStringList{QStringLiteral("couv_01.jpg"), QStringLiteral("ÉTÉ_PLANCHE.PNG")}));

    // The upper-case folder mode renames the folder too, and the lists move
    // with it.
    find<QRadioButton>("opt_repertoire")->click();
    prompt.clear();
    prompt.queueAnswers({true});
    click("btn_convertir");
    const QString renamed = QDir(folder).canonicalPath() + QStringLiteral("/IMAGES");
    EXPECT_EQ(frame()->Dir1()->Path(), renamed);
    EXPECT_EQ(frame()->File1()->Names(),
              (QStringList{QStringLiteral("COUV_01.JPG"), QStringLiteral("ÉTÉ_PLANCHE.PNG")}));

    // The catalogue's folder is the current one: it keeps its name, and the
    // failure is shown.
    open(QDir(folder).canonicalPath());
    prompt.clear();
    prompt.queueAnswers({true});
    click("btn_convertir");
    ASSERT_EQ(prompt.shown().size(), 2u);
    EXPECT_EQ(prompt.shown()[1].title, QStringLiteral("Renamer"));
    EXPECT_TRUE(QFile::exists(catalogue));
}

TEST_F(RenamerFrameTest, CaseConversionAndCollaboratorsCheckButtons) {
    find<QCheckBox>("opt_conv_revues")->click();
    prompt.queueAnswers({true});
    click("cmd_majuscule");
    EXPECT_EQ(prompt.texts().last(), QStringLiteral("base modifiée"));
    auto db = dao::DBEngine::OpenDatabase(catalogue);
    auto rs = db->OpenRecordset(QStringLiteral("select Couverture from REVUES where idRevue = 2"));
    EXPECT_EQ(rs->Fields(0).toString(), QStringLiteral("REVUE_PH102.JPG"));
    db->Close();

    prompt.clear();
    auto* check = find<QPushButton>("btn_collaborateurs");
    EXPECT_EQ(check->text(),
              QStringLiteral("Vérifier la cohérence des collaborateurs de la base Orme Lo'"));
    click("btn_collaborateurs");
    ASSERT_EQ(prompt.shown().size(), 1u);
    EXPECT_EQ(prompt.shown()[0].title, QStringLiteral("Erreurs dans les collaborateurs"));

    // A press that reaches a tool while other work runs is refused, and said.
    prompt.clear();
    std::atomic<bool> release{false};
    ASSERT_TRUE(window->work().start(
        [&] {
            while (!release) {
                QThread::msleep(1);
            }
        },
        {}));
    frame()->btn_collaborateurs_Click();
    frame()->btn_convertir_Click();
    frame()->Frame_updbase()->cmd_majuscule_Click();
    release = true;
    test::waitForWork(window->work());
    EXPECT_EQ(prompt.texts(), QStringList(3, LongWork::Busy_Text()));
}
