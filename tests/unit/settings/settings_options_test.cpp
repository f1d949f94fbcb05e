#include <QDir>

#include <gtest/gtest.h>

#include "platform/prompt.h"
#include "qt_printers.h"
#include "settings/settings.h"
#include "support/test_paths.h"

using namespace kalvor;

TEST(SettingsOptions, FooterHeightIsAWholeNumberFromTenToAHundred) {
    struct Case {
        const char* typed;
        const char* kept;
        bool message;
    };
    for (const Case& c :
         {Case{"10", "10", false}, Case{"100", "100", false}, Case{"42", "42", false},
          Case{"9.5", "25", true}, Case{"100.5", "25", true}, Case{"abc", "25", true},
          Case{"12.5", "25", true}, Case{"5e1", "25", true}, Case{"019", "019", false},
          Case{"", "25", false}}) {
        SCOPED_TRACE(c.typed);
        RecordingPrompt prompt;
        Settings s;
        s.box_baspage = QString::fromLatin1(c.typed);
        s.box_baspage_LostFocus(prompt);
        EXPECT_EQ(s.box_baspage, QString::fromLatin1(c.kept));
        if (c.message) {
            ASSERT_EQ(prompt.shown().size(), 1u);
            // The range, and that the height is a whole number.
            EXPECT_TRUE(prompt.shown()[0].text.startsWith(
                QStringLiteral("Hauteur du pied de page comprise entre 10 et 100")));
            EXPECT_TRUE(prompt.shown()[0].text.contains(QStringLiteral("entier")));
            EXPECT_EQ(prompt.shown()[0].title, QStringLiteral("Kalvor 1.8.3"));
            EXPECT_EQ(prompt.shown()[0].icon, PromptIcon::Critical);
        } else {
            EXPECT_TRUE(prompt.shown().empty());
        }
    }
}

TEST(SettingsOptions, SplitGroupIsANumberOfAtLeastAHundred) {
    RecordingPrompt prompt;
    Settings s;
    s.box_SplitGroup = QStringLiteral("10");
    s.box_SplitGroup_Change(prompt);
    s.box_SplitGroup = QStringLiteral("1");
    s.box_SplitGroup_Change(prompt);
    EXPECT_TRUE(prompt.shown().empty());
    s.box_SplitGroup = QString();  // the last digit deleted
    s.box_SplitGroup_Change(prompt);
    s.box_SplitGroup = QStringLiteral("2.5");  // what leaving the box refuses too
    s.box_SplitGroup_Change(prompt);
    ASSERT_EQ(prompt.texts().size(), 2);
    EXPECT_TRUE(prompt.texts()[1].contains(QStringLiteral("nombre entier")));
    s.box_SplitGroup = QString();
    EXPECT_EQ(s.box_SplitGroup, QString());

    prompt.clear();
    s.box_SplitGroup = QStringLiteral("100");
    EXPECT_FALSE(s.box_SplitGroup_LostFocus(prompt));
    EXPECT_EQ(s.box_SplitGroup, QStringLiteral("100"));
    s.box_SplitGroup = QStringLiteral("99");
    EXPECT_TRUE(s.box_SplitGroup_LostFocus(prompt));
    EXPECT_EQ(s.box_SplitGroup, QStringLiteral("500"));
    EXPECT_EQ(prompt.texts(), QStringList{QStringLiteral("Minimum 100 !")});

    // Leaving it with no whole number brings back the group last accepted.
    s.box_SplitGroup = QStringLiteral("250");
    EXPECT_FALSE(s.box_SplitGroup_LostFocus(prompt));
    for (const char* wrong : {"x", "", "250.5", "-300", "1e3"}) {
        prompt.clear();
        s.box_SplitGroup = QString::fromLatin1(wrong);
        EXPECT_FALSE(s.box_SplitGroup_LostFocus(prompt)) << wrong;
        EXPECT_EQ(s.box_SplitGroup, QStringLiteral("250")) << wrong;
        ASSERT_EQ(prompt.texts().size(), 1);
        EXPECT_TRUE(prompt.texts()[0].contains(QStringLiteral("nombre entier"))) << wrong;
    }
}

TEST(SettingsOptions, CollectionBitsFollowTheFiveBoxesOnly) {
    Settings s;
    s.opt_parabd = 1;
    s.opt_parabd_Click();
    s.opt_revues = 1;
    s.opt_revues_Click();
    EXPECT_EQ(s.GV_Collection_Bits, QStringLiteral("20"));
    s.opt_albums = s.opt_acheter = s.Opt_Collaborateurs = 1;
    s.Opt_Collaborateurs_Click();
    EXPECT_EQ(s.GV_Collection_Bits, QStringLiteral("31"));
    s.opt_albums = s.opt_acheter = s.opt_parabd = s.Opt_Collaborateurs = s.opt_revues = 0;
    s.opt_acheter_Click();
    EXPECT_EQ(s.GV_Collection_Bits, QStringLiteral("0"));
    s.opt_albums = 2;  // greyed counts as unticked
    s.opt_albums_Click();
    EXPECT_EQ(s.GV_Collection_Bits, QStringLiteral("0"));
}

TEST(SettingsOptions, RequirePathEndsWithASlash) {
    Settings s;
    for (const auto& [typed, kept] : {std::pair{"conf", "conf/"}, std::pair{"conf/", "conf/"},
                                      std::pair{"", ""}, std::pair{"a\\", "a\\/"}}) {
        s.box_require = QString::fromLatin1(typed);
        s.box_require_LostFocus();
        EXPECT_EQ(s.box_require, QString::fromLatin1(kept));
        EXPECT_EQ(s.GV_Require, QString::fromLatin1(kept));
    }
}

TEST(SettingsOptions, ExportFolderMustBeAnExistingFolder) {
    test::IsolatedEnvironment env;
    const QString file = env.path() + QStringLiteral("/fichier.txt");
    test::writeAll(file, "x");
    RecordingPrompt prompt;
    Settings s;
    s.GV_Export = env.programFolder();

    for (const QString& refused : {env.path() + QStringLiteral("/absent"), file, QString()}) {
        s.box_phpexport = refused;
        s.box_phpexport_LostFocus(prompt);
        EXPECT_EQ(s.box_phpexport, env.programFolder());
        EXPECT_EQ(s.GV_Export, env.programFolder());
    }
    EXPECT_EQ(prompt.texts(), QStringList(3, QStringLiteral("Ce répertoire n'existe pas !")));

    prompt.clear();
    s.box_phpexport = env.path();
    s.box_phpexport_LostFocus(prompt);
    EXPECT_EQ(s.GV_Export, env.path());
    EXPECT_TRUE(prompt.shown().empty());
}

TEST(SettingsOptions, LastRunDateIsCheckedAndNeverCopiedToTheMark) {
    RecordingPrompt prompt;
    Settings s;
    s.GV_LastRun = QStringLiteral("01/02/2023");
    s.box_LastRun = QStringLiteral("15/03/2024");
    s.box_LastRun_LostFocus(prompt);
    EXPECT_EQ(s.box_LastRun, QStringLiteral("15/03/2024"));
    EXPECT_EQ(s.GV_LastRun, QStringLiteral("01/02/2023"));
    EXPECT_TRUE(prompt.shown().empty());

    for (const char* bad : {"", "32/01/2024", "hier"}) {
        s.box_LastRun = QString::fromLatin1(bad);
        s.box_LastRun_LostFocus(prompt);
        EXPECT_EQ(s.box_LastRun, QStringLiteral("01/02/2023")) << bad;
    }
    ASSERT_EQ(prompt.texts().size(), 3);
    EXPECT_TRUE(prompt.texts()[2].startsWith(QStringLiteral("format de date incorrect")));
    EXPECT_TRUE(prompt.texts()[2].contains(QStringLiteral("jj/mm/aaaa")));
}

TEST(SettingsOptions, TablePrefixTakesWhatMySqlTakesInABareTableName) {
    RecordingPrompt prompt;
    Settings s;
    for (const char* good : {"kv$", "bd\xc3\xa9_", "Kv_2"}) {
        s.box_prefixe_table = QString::fromUtf8(good);
        s.box_prefixe_table_Change(prompt);
        EXPECT_EQ(s.GV_Prefixe_Table, QString::fromUtf8(good));
    }
    // A Cyrillic or a Chinese letter is one, but require.php's code page
    // cannot hold it: the refusal says which letters, and names the one.
    for (const char* bad : {"kv-", "kv ", "k'v", "kv`", "bd\xd0\xb6", "\xe6\xbc\xab_", "1e2_"}) {
        s.box_prefixe_table = QString::fromUtf8(bad);
        s.box_prefixe_table_Change(prompt);
        EXPECT_EQ(s.box_prefixe_table, QStringLiteral("Kv_2")) << bad;
        EXPECT_EQ(s.GV_Prefixe_Table, QStringLiteral("Kv_2"));
    }
    ASSERT_EQ(prompt.shown().size(), 7u);
    EXPECT_TRUE(prompt.shown()[5].text.contains(QStringLiteral("latines")));
    EXPECT_TRUE(prompt.shown()[5].text.contains(QString::fromUtf8("« \xe6\xbc\xab »")));
    EXPECT_TRUE(prompt.shown()[6].text.contains(QStringLiteral("« e »")));
    s.box_prefixe_table = QString();
    s.box_prefixe_table_Change(prompt);
    EXPECT_EQ(s.GV_Prefixe_Table, QString());
}

TEST(SettingsOptions, HomePageGridAsksForAlbumsOrLines) {
    Settings s;
    s.box_col_accueil = QStringLiteral("3");
    s.box_col_accueil_Click();
    EXPECT_EQ(s.box_ligne_accueil, QStringLiteral("5"));
    EXPECT_TRUE(s.window.box_ligne_accueil_Visible);
    EXPECT_FALSE(s.window.box_albums_accueil_Visible);
    EXPECT_EQ(s.window.lbl_ligne_Caption, QStringLiteral("nb de lignes :"));

    s.box_col_accueil = QStringLiteral("Auto");
    s.box_col_accueil_Click();
    EXPECT_EQ(s.box_albums_accueil, QStringLiteral("12"));
    EXPECT_TRUE(s.window.box_albums_accueil_Visible);
    EXPECT_FALSE(s.window.box_ligne_accueil_Visible);
    EXPECT_EQ(s.window.lbl_ligne_Caption, QStringLiteral("nb d'albums :"));

    Settings t;
    t.box_ligne_accueil = QStringLiteral("8");
    t.opt_image_accueil = 1;
    t.opt_image_accueil_Click();
    EXPECT_EQ(t.box_col_accueil, QStringLiteral("Auto"));
    EXPECT_TRUE(t.window.box_col_accueil_Visible && t.window.lbl_col_Visible &&
                t.window.lbl_ligne_Visible);
    t.box_col_accueil = QStringLiteral("2");
    t.box_col_accueil_Click();
    EXPECT_EQ(t.box_ligne_accueil, QStringLiteral("8"));  // a value already there stays
    t.opt_image_accueil = 0;
    t.opt_image_accueil_Click();
    EXPECT_FALSE(t.window.box_col_accueil_Visible || t.window.box_ligne_accueil_Visible ||
                 t.window.box_albums_accueil_Visible || t.window.lbl_col_Visible ||
                 t.window.lbl_ligne_Visible);
}
