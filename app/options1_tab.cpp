#include <QCheckBox>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QRadioButton>
#include <QVBoxLayout>

#include "app/form_binding.h"
#include "app/tabs.h"
#include "settings/settings.h"

namespace kalvor::tabs {

QWidget* Options1(FormBinding& bind) {
    using S = Settings;
    auto* layout = new QGridLayout;

    auto* verso = frame("frame_verso", QStringLiteral("Verso"));
    bind.options(
        new QVBoxLayout(verso), verso,
        {{"Opt_versoright", QStringLiteral("A Droite de la couverture"), &S::Opt_versoright,
          &S::Opt_versoright_Click},
         {"Opt_versoleft", QStringLiteral("A Gauche de la couverture"), &S::Opt_versoleft,
          &S::Opt_versoleft_Click},
         {"Opt_versonone", QStringLiteral("Aucun"), &S::Opt_versonone, &S::Opt_versonone_Click}});
    layout->addWidget(verso, 0, 0);

    auto* auteur = frame("frame_auteur", QStringLiteral("Fiches Auteurs "));
    bind.options(new QVBoxLayout(auteur), auteur,
                 {{"opt_auteur0", QStringLiteral("Liste des séries "), &S::opt_auteur0,
                   &S::opt_auteur0_Click},
                  {"opt_auteur1", QStringLiteral("Tableau des Albums"), &S::opt_auteur1,
                   &S::opt_auteur1_Click},
                  {"opt_auteur2", QStringLiteral("Tableau des Albums et détail"), &S::opt_auteur2,
                   &S::opt_auteur2_Click}});
    layout->addWidget(auteur, 0, 1);

    auto* colonnes = frame("frame_nbcolonnes", QString());
    auto* colLayout = new QHBoxLayout(colonnes);
    QLabel* albums = bind.label("lbl_albums", QStringLiteral("Nombre d'albums par ligne :"));
    colLayout->addWidget(albums);
    named(colonnes, albums);
    const auto columns =
        bind.options(colLayout, colonnes,
                     {{"opt_col0", QStringLiteral("Automatique"), &S::opt_col0, &S::opt_col0_Click},
                      {"opt_col1", QStringLiteral("1"), &S::opt_col1, &S::opt_col1_Click},
                      {"opt_col2", QStringLiteral("2"), &S::opt_col2, &S::opt_col2_Click}});
    columns.front()->setToolTip(
        QStringLiteral("pour une meilleure lisibilité : si aucun verso n'est disponible pour la "
                       "série => 2 albums par ligne sinon 1 album par ligne"));
    colLayout->addStretch(1);
    layout->addWidget(colonnes, 1, 0, 1, 2);

    auto* icones = frame("frame_icones", QStringLiteral("Fiches Albums"));
    bind.checks(
        new QVBoxLayout(icones),
        {{"opt_eo", QStringLiteral("Afficher l'icone EO"), &S::opt_eo},
         {"opt_int", QStringLiteral("Afficher l'icone Intégrale"), &S::opt_int},
         {"opt_reliure", QStringLiteral("Afficher l'icone Reliure"), &S::opt_reliure},
         {"opt_tt", QStringLiteral("Afficher l'icone TT"), &S::opt_tt},
         {"opt_colorauteur", QStringLiteral("Couleur différente pour les auteurs avec photo"),
          &S::opt_colorauteur},
         {"opt_commentaire", QStringLiteral("Afficher les commentaires des albums"),
          &S::opt_commentaire},
         {"opt_nb_liste", QStringLiteral("Afficher le nombre d'albums par série et par auteur"),
          &S::opt_nb_liste}});
    layout->addWidget(icones, 2, 0);

    auto* dedicaces = new QVBoxLayout;
    dedicaces->addWidget(bind.check("opt_dedicace", QStringLiteral("Afficher les dédicaces"),
                                    &S::opt_dedicace, &S::opt_dedicace_Click));
    auto* place = frame("frame_dedicace", QStringLiteral("Emplacement de l'icone dédicace "));
    bind.options(new QVBoxLayout(place), place,
                 {{"opt_dedi_place0", QStringLiteral("Sur la ligne format"), &S::opt_dedi_place0,
                   &S::opt_dedi_place0_Click},
                  {"opt_dedi_place1", QStringLiteral("Sur la ligne du titre"), &S::opt_dedi_place1,
                   &S::opt_dedi_place1_Click}});
    bind.shown(place, [&s = bind.settings()] { return s.window.frame_dedicace_Visible; });
    dedicaces->addWidget(place);
    dedicaces->addStretch(1);
    layout->addLayout(dedicaces, 2, 1);
    return page(layout);
}

}  // namespace kalvor::tabs
