#include <QGridLayout>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QVBoxLayout>

#include "app/form_binding.h"
#include "app/tabs.h"
#include "dialogs/frm_choix_dir.h"
#include "settings/settings.h"

namespace kalvor::tabs {

QWidget* Configuration(FormBinding& bind) {
    Settings& s = bind.settings();
    auto* layout = new QVBoxLayout;

    auto* base = frame("frame_base", QStringLiteral("Base MySQL du site"));
    auto* grid = new QGridLayout(base);
    const auto row = [grid](int r, QLabel* l, QLineEdit* box) {
        grid->addWidget(l, r, 0);
        grid->addWidget(named(box, l), r, 1);
        return box;
    };
    row(0, bind.label("lbl_host", QStringLiteral("Serveur :")),
        bind.text("box_host", &Settings::box_host));
    row(1, bind.label("lbl_login", QStringLiteral("Utilisateur :")),
        bind.text("box_login", &Settings::box_login));
    row(2, bind.label("lbl_password", QStringLiteral("Mot de passe :")),
        bind.text("box_password", &Settings::box_password))
        ->setEchoMode(QLineEdit::Password);
    row(3, bind.label("lbl_base", QStringLiteral("Base :")),
        bind.text("box_base", &Settings::box_base));
    row(4, bind.label("lblPrefixeTable", QStringLiteral("préfixe pour les tables :")),
        bind.text("box_prefixe_table", &Settings::box_prefixe_table,
                  [&bind, &s] { s.box_prefixe_table_Change(bind.prompt()); }));
    layout->addWidget(base);

    auto* site = frame("frame_site", QStringLiteral("Site"));
    auto* siteGrid = new QGridLayout(site);
    QLabel* titre = bind.label("lbl_titre", QStringLiteral("Titre :"));
    siteGrid->addWidget(titre, 0, 0);
    siteGrid->addWidget(named(bind.text("box_titre", &Settings::box_titre), titre), 0, 1, 1, 2);
    QLabel* adresse = bind.label("lbl_site", QStringLiteral("Adresse du site :"));
    siteGrid->addWidget(adresse, 1, 0);
    siteGrid->addWidget(named(bind.text("box_site", &Settings::box_site), adresse), 1, 1, 1, 2);
    QLabel* exportLabel =
        bind.label("lbl_repertoire_export", QStringLiteral("Répertoire d'export :"));
    siteGrid->addWidget(exportLabel, 2, 0);
    siteGrid->addWidget(named(bind.text("box_phpexport", &Settings::box_phpexport, {},
                                        [&bind, &s] {
                                            s.box_phpexport_LostFocus(bind.prompt());
                                            return false;
                                        }),
                              exportLabel),
                        2, 1);
    QPushButton* choose = bind.button("btn_open_path", QStringLiteral("..."), {}, [&bind, &s] {
        FrmChoixDir* chooser = FrmChoixDir::ShowDefault(s, bind.window());
        QObject::connect(chooser, &FrmChoixDir::exportChosen, &bind, &FormBinding::refresh,
                         Qt::UniqueConnection);
    });
    choose->setAccessibleName(QStringLiteral("Choisir le répertoire d'export"));
    siteGrid->addWidget(choose, 2, 2);
    QLabel* require =
        bind.label("lbl_require", QStringLiteral("répertoire où se trouvera le  fichier "
                                                 "require.php (configuration) :"));
    siteGrid->addWidget(require, 3, 0, 1, 3);
    siteGrid->addWidget(named(bind.text("box_require", &Settings::box_require, {},
                                        [&s] {
                                            s.box_require_LostFocus();
                                            return false;
                                        }),
                              require),
                        4, 0, 1, 3);
    siteGrid->addWidget(
        bind.label(
            "lbl_require_suite",
            QStringLiteral("(le laisser vide si le fichier doit être stocké sur la racine)")),
        5, 0, 1, 3);
    layout->addWidget(site);
    return page(layout);
}

}  // namespace kalvor::tabs
