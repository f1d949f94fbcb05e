#include "dialogs/frm_para.h"

#include <QAccessible>
#include <QComboBox>
#include <QPushButton>
#include <functional>

#include <gtest/gtest.h>

#include "platform/prompt.h"
#include "settings/settings.h"
#include "support/test_paths.h"

namespace kalvor {
namespace {

const QStringList kLabels = {"Type",        "Editeur",  "Numéro d'album", "Numéro de l'objet",
                             "Dépot Légal", "Libraire", "Description"};
const QStringList kTerms = {
    "typeobjet", "a.editeur",  "c.num", "numero", "right(a.dl, 4), left(a.dl, 2)",
    "libraire",  "description"};

QStringList items(const QComboBox* combo) {
    QStringList list;
    for (int i = 0; i < combo->count(); ++i) {
        list << combo->itemText(i);
    }
    return list;
}

class FrmParaTest : public ::testing::Test {
  protected:
    test::IsolatedEnvironment env;
    Settings settings;
    RecordingPrompt prompt;

    QStringList terms() const {
        return {settings.GV_Tri_Para_1, settings.GV_Tri_Para_2, settings.GV_Tri_Para_3,
                settings.GV_Tri_Para_4, settings.GV_Tri_Para_5, settings.GV_Tri_Para_6,
                settings.GV_Tri_Para_7};
    }
    static QStringList shown(const FrmPara& dialog) {
        QStringList list;
        for (int n = 1; n <= 7; ++n) {
            list << dialog.cbo_para_tri(n)->currentText();
        }
        return list;
    }
    // The user picks a label in a combo.
    static void choose(FrmPara& dialog, int rank, const QString& label) {
        QComboBox* combo = dialog.cbo_para_tri(rank);
        const int index = combo->findText(label);
        ASSERT_GE(index, 0) << label.toStdString();
        combo->setCurrentIndex(index);
        emit combo->activated(index);
    }
};

TEST_F(FrmParaTest, OpensOnTheDefaultOrderWithEachComboListingWhatIsLeft) {
    const QString before = settings.GV_Erreurs;
    FrmPara dialog(settings, prompt);
    EXPECT_EQ(dialog.windowTitle(), "Ordre de Tri pour le Para-BD");
    EXPECT_EQ(shown(dialog), kLabels);
    for (int n = 1; n <= 7; ++n) {
        EXPECT_EQ(items(dialog.cbo_para_tri(n)), kLabels.mid(n - 1)) << n;
    }
    EXPECT_EQ(terms(), kTerms);
    // One object at most reads as having the focus: no item of a closed list.
    dialog.show();
    int focused = 0;
    const std::function<void(QAccessibleInterface*)> count = [&](QAccessibleInterface* object) {
        focused += object->state().focused ? 1 : 0;
        for (int i = 0; i < object->childCount(); ++i) {
            count(object->child(i));
        }
    };
    count(QAccessible::queryAccessibleInterface(&dialog));
    EXPECT_LE(focused, 1);
    EXPECT_EQ(settings.GV_Erreurs.mid(before.size()),
              "\nGV_Tri_Para_1 : typeobjet\nGV_Tri_Para_2 : a.editeur\nGV_Tri_Para_3 : c.num"
              "\nGV_Tri_Para_4 : numero\nGV_Tri_Para_5 : right(a.dl, 4), left(a.dl, 2)"
              "\nGV_Tri_Para_6 : libraire\nGV_Tri_Para_7 : description"
              "\nvaleurs ajoutées pour cbo_para_tri_1");
}

TEST_F(FrmParaTest, ChoosingARankRefillsTheLaterCombosAndClosingWaitsForThem) {
    FrmPara dialog(settings, prompt);
    dialog.show();
    choose(dialog, 1, "Libraire");
    for (int n = 2; n <= 7; ++n) {
        EXPECT_EQ(dialog.cbo_para_tri(n)->currentText(), "") << n;
        EXPECT_EQ(items(dialog.cbo_para_tri(n)).size(), 6) << n;
        EXPECT_FALSE(items(dialog.cbo_para_tri(n)).contains("Libraire")) << n;
    }
    // An order with empty ranks is not kept: the last whole one stays.
    EXPECT_EQ(terms(), kTerms);

    dialog.btn_annuler()->click();
    ASSERT_EQ(prompt.shown().size(), 1u);
    EXPECT_EQ(prompt.shown()[0].text, "Tous les champs doivent être renseignés");
    EXPECT_EQ(prompt.shown()[0].title, "Kalvor 1.8.3");
    EXPECT_EQ(prompt.shown()[0].icon, PromptIcon::Critical);
    EXPECT_TRUE(dialog.isVisible());

    const QStringList next = {"Description", "Type", "Dépot Légal", "Editeur", "Numéro d'album"};
    for (int rank = 2; rank <= 6; ++rank) {
        choose(dialog, rank, next[rank - 2]);
    }
    // Rank 7 completes itself with the one label left.
    EXPECT_EQ(items(dialog.cbo_para_tri(7)), QStringList{"Numéro de l'objet"});
    EXPECT_EQ(dialog.cbo_para_tri(7)->currentText(), "Numéro de l'objet");
    EXPECT_EQ(terms(),
              QStringList({"libraire", "description", "typeobjet", "right(a.dl, 4), left(a.dl, 2)",
                           "a.editeur", "c.num", "numero"}));
    prompt.clear();
    dialog.btn_annuler()->click();
    EXPECT_TRUE(prompt.shown().empty());
    EXPECT_FALSE(dialog.isVisible());
}

TEST_F(FrmParaTest, DefautPutsTheDefaultOrderBack) {
    settings.GV_Tri_Para_1 = "description";
    settings.GV_Tri_Para_7 = "typeobjet";
    FrmPara dialog(settings, prompt);
    choose(dialog, 2, "Libraire");
    dialog.btn_tri_defaut()->click();
    EXPECT_EQ(terms(), kTerms);
    EXPECT_EQ(shown(dialog), kLabels);
}

TEST_F(FrmParaTest, AnUnknownOrRepeatedTermLeavesItsComboEmpty) {
    settings.GV_Tri_Para_3 = "prix";       // edited by hand
    settings.GV_Tri_Para_5 = "typeobjet";  // already rank 1
    FrmPara dialog(settings, prompt);
    EXPECT_EQ(dialog.cbo_para_tri(3)->currentText(), "");
    EXPECT_EQ(dialog.cbo_para_tri(5)->currentText(), "");
    EXPECT_EQ(dialog.cbo_para_tri(4)->currentText(), "Numéro de l'objet");
    EXPECT_EQ(settings.GV_Tri_Para_3, "prix");
    dialog.show();
    dialog.close();
    EXPECT_TRUE(dialog.isVisible());
    EXPECT_EQ(prompt.texts(), QStringList{"Tous les champs doivent être renseignés"});
}

TEST(ParaSortLookups, LabelsAndTermsMapExactly) {
    for (int i = 0; i < 7; ++i) {
        EXPECT_EQ(ParaSort::Return_Para_Tri(kLabels[i]), kTerms[i]);
        EXPECT_EQ(ParaSort::Get_Para_Tri(kTerms[i]), kLabels[i]);
    }
    EXPECT_EQ(ParaSort::Return_Para_Tri("type"), "");
    EXPECT_EQ(ParaSort::Return_Para_Tri("Depot Légal"), "");
    EXPECT_EQ(ParaSort::Get_Para_Tri("TypeObjet"), "");
}

}  // namespace
}  // namespace kalvor
