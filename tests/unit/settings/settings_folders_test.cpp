#include <gtest/gtest.h>

#include "common/general.h"
#include "platform/prompt.h"
#include "qt_printers.h"
#include "settings/settings.h"
#include "support/test_paths.h"

using namespace kalvor;

namespace {

const QString kQuestion =
    QStringLiteral("modifier les répertoires des miniatures en conséquence ?");
const QString kParabdQuestion = QStringLiteral("modifier le répertoire miniature en conséquence ?");

QStringList thumbs(const Settings& s) {
    return {s.GV_Thumb_Couvertures, s.GV_Thumb_Versos, s.GV_Thumb_Photos, s.GV_Thumb_Planches,
            s.GV_Thumb_Dedicaces,   s.GV_Thumb_Parabd, s.GV_Thumb_Revues};
}
QStringList thumbBoxes(const Settings& s) {
    return {s.box_thumb_couvertures, s.box_thumb_versos, s.box_thumb_photos, s.box_thumb_planches,
            s.box_thumb_dedicaces,   s.box_thumb_parabd, s.box_thumb_revues};
}
QStringList images(const Settings& s) {
    return {s.GV_Rep_Couvertures, s.GV_Rep_Versos, s.GV_Rep_Photos, s.GV_Rep_Planches,
            s.GV_Rep_Dedicaces,   s.GV_Rep_Parabd, s.GV_Rep_Revues};
}

}  // namespace

TEST(SettingsFolders, AbsoluteModeFillsEmptyBoxesUnderTheCatalogueFolder) {
    RecordingPrompt prompt;
    Settings s;
    s.GV_Rep_Base = QStringLiteral("C:\\Data\\Catalogue\\");
    s.path_photos = QStringLiteral("/mes/photos");
    s.GV_Thumb_Couvertures = QStringLiteral("garde");
    s.Opt_Relatif_Click(prompt);
    prompt.clear();
    s.Opt_Absolu_Click();
    EXPECT_EQ(images(s), (QStringList{QStringLiteral("C:/Data/Catalogue/Couvertures"),
                                      QStringLiteral("C:/Data/Catalogue/Versos"),
                                      QStringLiteral("/mes/photos"),
                                      QStringLiteral("C:/Data/Catalogue/Planches"),
                                      QStringLiteral("C:/Data/Catalogue/Dedicaces"),
                                      QStringLiteral("C:/Data/Catalogue/ExLibris"),
                                      QStringLiteral("C:/Data/Catalogue/Revues")}));
    EXPECT_EQ(s.path_parabd, QStringLiteral("C:/Data/Catalogue/ExLibris"));
    EXPECT_TRUE(s.window.image_folders_Visible);
    EXPECT_FALSE(s.window.lbl_choix_parabd_Visible || s.window.opt_path_parabd_Visible ||
                 s.window.opt_path_exlibris_Visible);
    EXPECT_TRUE(prompt.shown().empty());
    EXPECT_EQ(s.GV_Thumb_Couvertures, QStringLiteral("garde"));
}

TEST(SettingsFolders, RelativeModeOffersToMoveTheThumbnails) {
    RecordingPrompt prompt;
    Settings s;
    s.path_couvertures = QStringLiteral("/gardee");
    s.opt_path_exlibris_Click(prompt);
    prompt.queueAnswers({true});
    s.Opt_Relatif_Click(prompt);
    EXPECT_EQ(prompt.shown().size(), 1u);
    EXPECT_EQ(prompt.shown()[0].text, kQuestion);
    EXPECT_TRUE(prompt.shown()[0].question);
    EXPECT_EQ(prompt.shown()[0].icon, PromptIcon::Question);
    EXPECT_EQ(s.GV_Rep_Parabd, QStringLiteral("../Exlibris"));
    EXPECT_EQ(s.GV_Thumb_Parabd, QStringLiteral("../Exlibris/thumbs"));
    EXPECT_EQ(s.GV_Thumb_Couvertures, QStringLiteral("../Couvertures/thumbs"));
    EXPECT_EQ(s.box_thumb_couvertures, QStringLiteral("../Couvertures/thumbs"));
    EXPECT_EQ(thumbs(s), thumbBoxes(s));
    EXPECT_FALSE(s.window.image_folders_Visible);
    EXPECT_TRUE(s.window.lbl_choix_parabd_Visible);
    EXPECT_EQ(s.path_couvertures, QStringLiteral("/gardee"));  // hidden, not lost

    // No: the thumbnails stay where they were.
    s.opt_path_parabd_Click(prompt);
    prompt.clear();
    s.Opt_Sousrep_Click(prompt);
    EXPECT_EQ(prompt.texts(), QStringList{kQuestion});
    EXPECT_EQ(images(s), (QStringList{QStringLiteral("Couvertures"), QStringLiteral("Versos"),
                                      QStringLiteral("Photos"), QStringLiteral("Planches"),
                                      QStringLiteral("Dedicaces"), QStringLiteral("Parabd"),
                                      QStringLiteral("Revues")}));
    EXPECT_EQ(s.GV_Thumb_Couvertures, QStringLiteral("../Couvertures/thumbs"));
}

TEST(SettingsFolders, CollectibleFolderNameAsksOnlyWhenTheThumbnailsNameTheOther) {
    RecordingPrompt prompt;
    Settings s;
    s.Opt_Relatif_Click(prompt);
    s.opt_path_exlibris_Click(prompt);
    EXPECT_EQ(s.GV_Rep_Parabd, QStringLiteral("../Exlibris"));
    prompt.clear();

    for (const char* quiet : {"../Parabd/thumbs", "", "../ExLibris/thumbs"}) {
        s.box_thumb_parabd = QString::fromLatin1(quiet);
        s.opt_path_parabd_Click(prompt);
        s.opt_path_exlibris_Click(prompt);
    }
    EXPECT_EQ(prompt.texts(), QStringList{kParabdQuestion});  // "../Parabd/thumbs", to Exlibris
    prompt.clear();

    s.opt_path_exlibris_Click(prompt);
    s.box_thumb_parabd = QStringLiteral("../Exlibris/thumbs");
    prompt.queueAnswers({true});
    s.opt_path_parabd_Click(prompt);
    EXPECT_EQ(prompt.texts(), QStringList{kParabdQuestion});
    EXPECT_EQ(s.GV_Rep_Parabd, QStringLiteral("../Parabd"));
    EXPECT_EQ(s.GV_Thumb_Parabd, QStringLiteral("../Parabd/thumbs"));
    EXPECT_EQ(s.box_thumb_parabd, QStringLiteral("../Parabd/thumbs"));

    // The absolute mode keeps its typed collectibles folder.
    s.Opt_Absolu_Click();
    const QString absolute = s.GV_Rep_Parabd;
    s.opt_path_exlibris_Click(prompt);
    EXPECT_EQ(s.GV_Rep_Parabd, absolute);
}

TEST(SettingsFolders, NoQuestionIsAskedWhileTheSettingsLoad) {
    test::IsolatedEnvironment env;
    const QString C = QStringLiteral("software\\Kalvor\\Config");
    const QString R = QStringLiteral("software\\Kalvor\\Repertoires");
    general::Set_Registry_Value(HKEY_CURRENT_USER, C, QStringLiteral("repertoire"),
                                QStringLiteral("relatif"));
    general::Set_Registry_Value(HKEY_CURRENT_USER, C, QStringLiteral("miniature"),
                                QStringLiteral("1"));
    general::Set_Registry_Value(HKEY_CURRENT_USER, R, QStringLiteral("opt_path_parabd"),
                                QStringLiteral("2"));
    general::Set_Registry_Value(HKEY_CURRENT_USER, R, QStringLiteral("Thumb_Parabd"),
                                QStringLiteral("../Parabd/mini"));
    general::Set_Registry_Value(HKEY_CURRENT_USER, R, QStringLiteral("Thumb_Couvertures"),
                                QStringLiteral("vignettes"));
    RecordingPrompt prompt;
    prompt.queueAnswers({true, true});
    Settings s;
    s.Check_Config(prompt);
    EXPECT_TRUE(prompt.shown().empty());
    EXPECT_FALSE(s.GV_Loading_Config);
    EXPECT_TRUE(s.Opt_Relatif());
    EXPECT_TRUE(s.opt_path_exlibris());
    EXPECT_EQ(s.GV_Rep_Parabd, QStringLiteral("../Exlibris"));
    EXPECT_EQ(s.GV_Thumb_Parabd, QStringLiteral("../Parabd/mini"));
    EXPECT_EQ(s.GV_Thumb_Couvertures, QStringLiteral("vignettes"));
    EXPECT_EQ(s.GV_Thumb_Revues, QStringLiteral("../Revues/thumbs"));
    EXPECT_EQ(s.box_prefix, QStringLiteral("m_"));
    EXPECT_TRUE(s.window.TabNavig_TabEnabled[Settings::kTabMiniatures]);

    // After the load the same change asks.
    s.Opt_Sousrep_Click(prompt);
    EXPECT_EQ(prompt.texts(), QStringList{kQuestion});
}

TEST(SettingsFolders, StoredFolderDecidesTheModeWhenNoneIsSaved) {
    for (const auto& [stored, mode] : {std::pair{"../Couvertures", Settings::Repertoire::Relatif},
                                       std::pair{"Couvertures", Settings::Repertoire::Sousrep},
                                       std::pair{"./Couvertures", Settings::Repertoire::Absolu}}) {
        test::IsolatedEnvironment env;
        general::Set_Registry_Value(HKEY_CURRENT_USER,
                                    QStringLiteral("software\\Kalvor\\Repertoires"),
                                    QStringLiteral("Couvertures"), QString::fromLatin1(stored));
        RecordingPrompt prompt;
        Settings s;
        s.Check_Config(prompt);
        EXPECT_EQ(s.repertoire, mode) << stored;
        if (mode == Settings::Repertoire::Absolu) {
            EXPECT_EQ(s.path_couvertures, QString::fromLatin1(stored));
            EXPECT_EQ(s.GV_Rep_Couvertures, QString::fromLatin1(stored));
        }
    }
}

TEST(SettingsFolders, ThumbnailsOnFillOnlyTheEmptyOnesAndOffEmptiesAll) {
    RecordingPrompt prompt;
    Settings s;
    s.Opt_Sousrep_Click(prompt);
    s.GV_Thumb_Versos = QStringLiteral("mes_versos");
    s.box_thumb_versos = QStringLiteral("mes_versos");
    s.opt_miniatures = 1;
    s.opt_miniatures_Click();
    EXPECT_EQ(thumbs(s),
              (QStringList{QStringLiteral("Couvertures/thumbs"), QStringLiteral("mes_versos"),
                           QStringLiteral("Photos/thumbs"), QStringLiteral("Planches/thumbs"),
                           QStringLiteral("Dedicaces/thumbs"), QStringLiteral("Parabd/thumbs"),
                           QStringLiteral("Revues/thumbs")}));
    EXPECT_EQ(thumbBoxes(s), thumbs(s));
    EXPECT_EQ(s.box_prefix, QStringLiteral("m_"));
    EXPECT_TRUE(s.window.TabNavig_TabEnabled[Settings::kTabMiniatures]);

    s.box_prefix = QStringLiteral("vign_");
    s.opt_miniatures = 0;
    s.opt_miniatures_Click();
    EXPECT_EQ(thumbs(s), QStringList(7, QString()));
    EXPECT_EQ(thumbBoxes(s), QStringList(7, QString()));
    EXPECT_EQ(s.box_prefix, QStringLiteral("vign_"));
    EXPECT_FALSE(s.window.TabNavig_TabEnabled[Settings::kTabMiniatures]);

    s.opt_miniatures = 1;
    s.opt_miniatures_Click();
    EXPECT_EQ(s.box_prefix, QStringLiteral("vign_"));
}

TEST(SettingsFolders, FolderBoxesAreNormalisedIntoTheirVariables) {
    Settings s;
    for (const auto& [typed, kept] :
         {std::pair{"images\\covers\\", "images/covers"}, std::pair{"a//", "a/"},
          std::pair{"/", ""}, std::pair{"\\", ""}, std::pair{"", ""},
          std::pair{"C:\\BD\\Couv", "C:/BD/Couv"}}) {
        s.path_couvertures = QString::fromLatin1(typed);
        s.path_couvertures_LostFocus();
        EXPECT_EQ(s.path_couvertures, QString::fromLatin1(kept));
        EXPECT_EQ(s.GV_Rep_Couvertures, QString::fromLatin1(kept));
        s.box_thumb_revues = QString::fromLatin1(typed);
        s.box_thumb_revues_LostFocus();
        EXPECT_EQ(s.GV_Thumb_Revues, QString::fromLatin1(kept));
    }
    // Each box goes to its own variable.
    s.path_dedicaces = QStringLiteral("d\\");
    s.path_dedicaces_LostFocus();
    s.box_thumb_planches = QStringLiteral("p\\");
    s.box_thumb_planches_LostFocus();
    EXPECT_EQ(s.GV_Rep_Dedicaces, QStringLiteral("d"));
    EXPECT_EQ(s.GV_Thumb_Planches, QStringLiteral("p"));
    EXPECT_EQ(s.GV_Rep_Planches, QString());
    EXPECT_EQ(s.GV_Thumb_Dedicaces, QString());
}
