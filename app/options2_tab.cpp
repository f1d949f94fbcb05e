#include <QCheckBox>
#include <QComboBox>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QVBoxLayout>
#include <array>

#include "app/form_binding.h"
#include "app/tabs.h"
#include "dialogs/frm_para.h"
#include "dialogs/frm_tintin.h"
#include "settings/settings.h"

namespace kalvor::tabs {
namespace {

// A check box whose box follows it on the same line.
QHBoxLayout* checkWithBox(FormBinding& bind, const FormBinding::Check& c, const char* box,
                          QString Settings::*member, bool WindowState::*boxVisible) {
    auto* line = new QHBoxLayout;
    QCheckBox* check = bind.check(c);
    line->addWidget(check);
    QLineEdit* edit = named(bind.text(box, member), check);
    bind.shown(edit, [&s = bind.settings(), boxVisible] { return s.window.*boxVisible; });
    line->addWidget(edit);
    return line;
}

// The home page: how many series, and the thumbnails of the last albums.
QGroupBox* Accueil(FormBinding& bind) {
    using S = Settings;
    Settings& s = bind.settings();
    auto* accueil = frame("frm_accueil", QStringLiteral("Page d'accueil"));
    auto* accueilGrid = new QGridLayout(accueil);
    QLabel* series = bind.label("lbl_series_accueil", QStringLiteral("Nombre de séries :"));
    accueilGrid->addWidget(series, 0, 0);
    accueilGrid->addWidget(named(bind.text("box_series_accueil", &S::box_series_accueil), series),
                           0, 1);
    accueilGrid->addWidget(bind.check("opt_image_accueil",
                                      QStringLiteral("Afficher les miniatures des derniers albums"),
                                      &S::opt_image_accueil, &S::opt_image_accueil_Click),
                           1, 0, 1, 2);
    QLabel* col = bind.label("lbl_col", QStringLiteral("nb de colonnes :"));
    bind.shown(col, [&s] { return s.window.lbl_col_Visible; });
    accueilGrid->addWidget(col, 2, 0);
    QComboBox* colBox = named(bind.combo("box_col_accueil", S::ColAccueilItems(),
                                         &S::box_col_accueil, &S::box_col_accueil_Click),
                              col);
    bind.shown(colBox, [&s] { return s.window.box_col_accueil_Visible; });
    accueilGrid->addWidget(colBox, 2, 1);
    QLabel* ligne = bind.label("lbl_ligne", s.window.lbl_ligne_Caption);
    bind.shown(ligne, [&s] { return s.window.lbl_ligne_Visible; });
    accueilGrid->addWidget(ligne, 3, 0);
    auto* counts = new QHBoxLayout;
    // One label for both boxes, whose caption says the box shown.
    QComboBox* lignes =
        bind.combo("box_ligne_accueil", S::LigneAccueilItems(), &S::box_ligne_accueil);
    NameAs(lignes, QStringLiteral("nb de lignes"));
    bind.shown(lignes, [&s] { return s.window.box_ligne_accueil_Visible; });
    counts->addWidget(lignes);
    QComboBox* albums =
        bind.combo("box_albums_accueil", S::AlbumsAccueilItems(), &S::box_albums_accueil);
    NameAs(albums, QStringLiteral("nb d'albums"));
    bind.shown(albums, [&s] { return s.window.box_albums_accueil_Visible; });
    counts->addWidget(albums);
    accueilGrid->addLayout(counts, 3, 1);
    bind.onRefresh([&s, ligne] { ligne->setText(s.window.lbl_ligne_Caption); });
    return accueil;
}

}  // namespace

QWidget* Options2(FormBinding& bind) {
    using S = Settings;
    Settings& s = bind.settings();
    auto* layout = new QGridLayout;

    auto* listes = frame("frame_listes", QStringLiteral("Listes et menu"));
    auto* listesLayout = new QVBoxLayout(listes);
    bind.checks(
        listesLayout,
        {{"opt_listecollection", QStringLiteral("Liste par collection"), &S::opt_listecollection},
         {"opt_listestyle", QStringLiteral("Liste par style"), &S::opt_listestyle},
         {"opt_listedl", QStringLiteral("Liste par dépôt légal"), &S::opt_listedl},
         {"opt_listeachat", QStringLiteral("Liste par date d'achat"), &S::opt_listeachat},
         {"opt_listenotes", QStringLiteral("Liste par note"), &S::opt_listenotes},
         {"opt_imprimer", QStringLiteral("Listes imprimables"), &S::opt_imprimer},
         {"opt_moteur", QStringLiteral("Moteur de recherche"), &S::opt_moteur},
         {"opt_icones", QStringLiteral("Icones dans le menu"), &S::opt_icones},
         {"opt_stats", QStringLiteral("Afficher mes statistiques"), &S::opt_stats,
          &S::opt_stats_Click}});
    listesLayout->addLayout(checkWithBox(
        bind,
        {"opt_email", QStringLiteral("Afficher mon e-mail"), &S::opt_email, &S::opt_email_Click},
        "box_email", &S::box_email, &WindowState::box_email_Visible));
    QHBoxLayout* quit = checkWithBox(
        bind,
        {"opt_quitter", QStringLiteral("Afficher Quitter"), &S::opt_quitter, &S::opt_quitter_Click},
        "box_siteprincipal", &S::box_siteprincipal, &WindowState::box_siteprincipal_Visible);
    quit->itemAt(0)->widget()->setToolTip(
        QStringLiteral("permet de renvoyer vers un site principal"));
    listesLayout->addLayout(quit);
    layout->addWidget(listes, 0, 0, 2, 1);

    layout->addWidget(Accueil(bind), 0, 1);

    auto* baspage = frame("frm_baspage", QStringLiteral("Bas de Page"));
    auto* basGrid = new QGridLayout(baspage);
    basGrid->addWidget(bind.check("opt_baspage", QStringLiteral("Afficher un bas de page"),
                                  &S::opt_baspage, &S::opt_baspage_Click),
                       0, 0, 1, 2);
    QLabel* hauteur = bind.label("lbl_baspage", QStringLiteral("Hauteur du bas de page :"));
    bind.shown(hauteur, [&s] { return s.window.lbl_baspage_Visible; });
    basGrid->addWidget(hauteur, 1, 0);
    QLineEdit* height = named(bind.text("box_baspage", &S::box_baspage, {},
                                        [&bind, &s] {
                                            s.box_baspage_LostFocus(bind.prompt());
                                            return false;
                                        }),
                              hauteur);
    bind.shown(height, [&s] { return s.window.box_baspage_Visible; });
    basGrid->addWidget(height, 1, 1);
    layout->addWidget(baspage, 1, 1);

    auto* perso = frame("frame_perso", QStringLiteral("Champs personnalisés"));
    auto* persoLayout = new QHBoxLayout(perso);
    const std::array<QCheckBox*, 4> persoBoxes = {
        bind.check("opt_perso1", {}, &S::opt_perso1), bind.check("opt_perso2", {}, &S::opt_perso2),
        bind.check("opt_perso3", {}, &S::opt_perso3), bind.check("opt_perso4", {}, &S::opt_perso4)};
    for (QCheckBox* box : persoBoxes) {
        persoLayout->addWidget(box);
    }
    persoLayout->addStretch(1);
    layout->addWidget(perso, 2, 0, 1, 2);
    bind.onRefresh([&s, persoBoxes] {
        for (int i = 0; i < 4; ++i) {
            persoBoxes[i]->setText(s.PersoCaption(i + 1));
        }
    });

    auto* dialogs = new QHBoxLayout;
    dialogs->addWidget(bind.button("btn_TriPara", QStringLiteral("Ordre de tri du Para-BD"), {},
                                   [&bind, &s] { FrmPara::ShowDefault(s, bind.prompt()); }));
    dialogs->addWidget(bind.button("btn_plugintintin", QStringLiteral("Plugin Tintin"), {},
                                   [&bind, &s] { FrmTintin::ShowDefault(s, bind.prompt()); }));
    dialogs->addStretch(1);
    layout->addLayout(dialogs, 3, 0, 1, 2);
    return page(layout);
}

}  // namespace kalvor::tabs
