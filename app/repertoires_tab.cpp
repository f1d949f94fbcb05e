#include <QCheckBox>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QRadioButton>
#include <QVBoxLayout>

#include "app/form_binding.h"
#include "app/tabs.h"
#include "settings/settings.h"

namespace kalvor::tabs {

QWidget* Repertoires(FormBinding& bind) {
    using S = Settings;
    Settings& s = bind.settings();
    auto* layout = new QVBoxLayout;

    auto* modes =
        frame("frame_repertoire", QStringLiteral("Répertoires utilisés pour les images "));
    auto* modesLayout = new QVBoxLayout(modes);
    bind.options(
        modesLayout, modes,
        {{"Opt_Absolu",
          QStringLiteral("Chemin Absolu (utilisation locale ou utilisation sur plusieurs sites)"),
          &S::Opt_Absolu, &S::Opt_Absolu_Click},
         {"Opt_Relatif",
          QStringLiteral("Chemin Relatif (fichiers php dans ../Reports et "
                         "couvertures dans ../Couvertures, Planches dans "
                         "../Planches, etc.)"),
          &S::Opt_Relatif, nullptr, &S::Opt_Relatif_Click},
         {"Opt_Sousrep",
          QStringLiteral("Sous-Répertoire (fichiers php sur la racine et "
                         "couvertures dans ./Couvertures, Planches dans "
                         "./Planches)"),
          &S::Opt_Sousrep, nullptr, &S::Opt_Sousrep_Click}});

    auto* parabd = new QHBoxLayout;
    QLabel* choix =
        bind.label("lbl_choix_parabd", QStringLiteral("Le répertoire pour le parabd se nomme : "));
    bind.shown(choix, [&s] { return s.window.lbl_choix_parabd_Visible; });
    parabd->addWidget(choix);
    const auto names =
        bind.options(parabd, modes,
                     {{"opt_path_parabd", QStringLiteral("Parabd"), &S::opt_path_parabd, nullptr,
                       &S::opt_path_parabd_Click},
                      {"opt_path_exlibris", QStringLiteral("Exlibris"), &S::opt_path_exlibris,
                       nullptr, &S::opt_path_exlibris_Click}});
    bind.shown(names[0], [&s] { return s.window.opt_path_parabd_Visible; });
    bind.shown(names[1], [&s] { return s.window.opt_path_exlibris_Visible; });
    parabd->addStretch(1);
    modesLayout->addLayout(parabd);

    auto* grid = new QGridLayout;
    const auto folders =
        bind.folders(grid, {{"lbl_couvertures", QStringLiteral("Couvertures :"), "path_couvertures",
                             &S::path_couvertures, &S::path_couvertures_LostFocus},
                            {"lbl_versos", QStringLiteral("Versos :"), "path_versos",
                             &S::path_versos, &S::path_versos_LostFocus},
                            {"lbl_photos", QStringLiteral("Photos :"), "path_photos",
                             &S::path_photos, &S::path_photos_LostFocus},
                            {"lbl_planches", QStringLiteral("Planches :"), "path_planches",
                             &S::path_planches, &S::path_planches_LostFocus},
                            {"lbl_dedicaces", QStringLiteral("Dédicaces :"), "path_dedicaces",
                             &S::path_dedicaces, &S::path_dedicaces_LostFocus},
                            {"lbl_parabd", QStringLiteral("Para-BD :"), "path_parabd",
                             &S::path_parabd, &S::path_parabd_LostFocus},
                            {"lbl_revues", QStringLiteral("Revues :"), "path_revues",
                             &S::path_revues, &S::path_revues_LostFocus}});
    for (const auto& [l, box] : folders) {
        bind.shown(l, [&s] { return s.window.image_folders_Visible; });
        bind.shown(box, [&s] { return s.window.image_folders_Visible; });
    }
    modesLayout->addLayout(grid);
    layout->addWidget(modes);

    auto* miniatures = new QHBoxLayout;
    bind.checks(miniatures,
                {{"opt_miniatures", QStringLiteral("Utilisation des miniatures "),
                  &S::opt_miniatures, &S::opt_miniatures_Click},
                 {"opt_manual", QStringLiteral("Miniatures préparées à la main"), &S::opt_manual}});
    miniatures->addStretch(1);
    layout->addLayout(miniatures);
    return page(layout);
}

}  // namespace kalvor::tabs
