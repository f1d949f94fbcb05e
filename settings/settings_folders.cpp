#include "settings/settings.h"

#include "common/banner.h"
#include "platform/prompt.h"
#include "settings/settings_store.h"

namespace kalvor {
namespace {

using store::ImageKind;
using store::imageKinds;
using store::kBoxOrder;
using store::kParabd;

void normalise(QString& box, QString& variable) {
    box.replace(u'\\', u'/');
    if (box.endsWith(u'/')) {
        box.chop(1);
    }
    variable = box;
}

}  // namespace

void Settings::Opt_Absolu_Click() {
    repertoire = Repertoire::Absolu;
    window.lbl_choix_parabd_Visible = false;
    window.opt_path_exlibris_Visible = false;
    window.opt_path_parabd_Visible = false;
    window.image_folders_Visible = true;
    QString base = GV_Rep_Base;
    base.replace(u'\\', u'/');
    for (int i : kBoxOrder) {
        QString& box = this->*imageKinds()[i].path;
        if (box.isEmpty()) {
            box = base + (i == kParabd ? QStringLiteral("ExLibris") : imageKinds()[i].folder);
        }
    }
    for (int i : kBoxOrder) {
        this->*imageKinds()[i].repVar = this->*imageKinds()[i].path;
    }
}

void Settings::relativeOrSubfolder(Repertoire mode, Prompt& prompt) {
    repertoire = mode;
    window.lbl_choix_parabd_Visible = true;
    window.opt_path_exlibris_Visible = true;
    window.opt_path_parabd_Visible = true;
    window.image_folders_Visible = false;
    const QString lead = mode == Repertoire::Relatif ? QStringLiteral("../") : QString();
    for (int i : kBoxOrder) {
        const QString name = i == kParabd && opt_path_exlibris() ? QStringLiteral("Exlibris")
                                                                 : imageKinds()[i].folder;
        this->*imageKinds()[i].repVar = lead + name;
    }
    if (!GV_Loading_Config &&
        prompt.askYesNo(QStringLiteral("modifier les répertoires des miniatures en conséquence ?"),
                        kBanner, PromptIcon::Question)) {
        Maj_Thumbs();
    }
}

void Settings::Opt_Relatif_Click(Prompt& prompt) {
    relativeOrSubfolder(Repertoire::Relatif, prompt);
}
void Settings::Opt_Sousrep_Click(Prompt& prompt) {
    relativeOrSubfolder(Repertoire::Sousrep, prompt);
}

void Settings::nomParabd(NomParabd nom, Prompt& prompt) {
    nom_parabd = nom;
    const QString name =
        nom == NomParabd::Exlibris ? QStringLiteral("Exlibris") : QStringLiteral("Parabd");
    const QString other =
        nom == NomParabd::Exlibris ? QStringLiteral("Parabd") : QStringLiteral("Exlibris");
    if (Opt_Relatif()) {
        GV_Rep_Parabd = QStringLiteral("../") + name;
    } else if (Opt_Sousrep()) {
        GV_Rep_Parabd = name;
    }
    if (box_thumb_parabd.contains(other, Qt::CaseSensitive) && !GV_Loading_Config &&
        prompt.askYesNo(QStringLiteral("modifier le répertoire miniature en conséquence ?"),
                        kBanner, PromptIcon::Question)) {
        GV_Thumb_Parabd = GV_Rep_Parabd + QStringLiteral("/thumbs");
        box_thumb_parabd = GV_Thumb_Parabd;
    }
}

void Settings::opt_path_parabd_Click(Prompt& prompt) {
    nomParabd(NomParabd::Parabd, prompt);
}
void Settings::opt_path_exlibris_Click(Prompt& prompt) {
    nomParabd(NomParabd::Exlibris, prompt);
}

void Settings::Maj_Thumbs() {
    for (const ImageKind& k : imageKinds()) {
        this->*k.thumbVar = this->*k.repVar + QStringLiteral("/thumbs");
        this->*k.boxThumb = this->*k.thumbVar;
    }
}

void Settings::opt_miniatures_Click() {
    if (opt_miniatures == 1) {
        window.TabNavig_TabEnabled[kTabMiniatures] = true;
        for (const ImageKind& k : imageKinds()) {
            if ((this->*k.thumbVar).isEmpty()) {
                this->*k.thumbVar = this->*k.repVar + QStringLiteral("/thumbs");
                this->*k.boxThumb = this->*k.thumbVar;
            }
        }
        if (box_prefix.isEmpty()) {
            box_prefix = QStringLiteral("m_");
        }
    } else {
        for (const ImageKind& k : imageKinds()) {
            (this->*k.thumbVar).clear();
            (this->*k.boxThumb).clear();
        }
        window.TabNavig_TabEnabled[kTabMiniatures] = false;
    }
}

void Settings::path_couvertures_LostFocus() {
    normalise(path_couvertures, GV_Rep_Couvertures);
}
void Settings::path_versos_LostFocus() {
    normalise(path_versos, GV_Rep_Versos);
}
void Settings::path_photos_LostFocus() {
    normalise(path_photos, GV_Rep_Photos);
}
void Settings::path_planches_LostFocus() {
    normalise(path_planches, GV_Rep_Planches);
}
void Settings::path_dedicaces_LostFocus() {
    normalise(path_dedicaces, GV_Rep_Dedicaces);
}
void Settings::path_parabd_LostFocus() {
    normalise(path_parabd, GV_Rep_Parabd);
}
void Settings::path_revues_LostFocus() {
    normalise(path_revues, GV_Rep_Revues);
}
void Settings::box_thumb_couvertures_LostFocus() {
    normalise(box_thumb_couvertures, GV_Thumb_Couvertures);
}
void Settings::box_thumb_versos_LostFocus() {
    normalise(box_thumb_versos, GV_Thumb_Versos);
}
void Settings::box_thumb_photos_LostFocus() {
    normalise(box_thumb_photos, GV_Thumb_Photos);
}
void Settings::box_thumb_planches_LostFocus() {
    normalise(box_thumb_planches, GV_Thumb_Planches);
}
void Settings::box_thumb_dedicaces_LostFocus() {
    normalise(box_thumb_dedicaces, GV_Thumb_Dedicaces);
}
void Settings::box_thumb_parabd_LostFocus() {
    normalise(box_thumb_parabd, GV_Thumb_Parabd);
}
void Settings::box_thumb_revues_LostFocus() {
    normalise(box_thumb_revues, GV_Thumb_Revues);
}

}  // namespace kalvor
