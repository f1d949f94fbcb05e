#include "app/kalvorform.h"

#include <QAbstractButton>
#include <QApplication>
#include <QButtonGroup>
#include <QCheckBox>
#include <QCloseEvent>
#include <QComboBox>
#include <QDesktopServices>
#include <QFileDialog>
#include <QFileInfo>
#include <QFocusEvent>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QMenuBar>
#include <QPushButton>
#include <QRadioButton>
#include <QShortcut>
#include <QSignalBlocker>
#include <QStatusBar>
#include <QTabBar>
#include <QTabWidget>
#include <QUrl>
#include <QVBoxLayout>

#include "app/renamer_frame.h"
#include "app/site_check_tab.h"
#include "app/start_up.h"
#include "catalogue/catalogue_counts.h"
#include "dialogs/frm_about.h"
#include "dialogs/frm_choix_dir.h"
#include "dialogs/frm_para.h"
#include "dialogs/frm_recovery.h"
#include "dialogs/frm_tintin.h"
#include "dialogs/qt_prompt.h"
#include "dialogs/stats_grid_widget.h"
#include "platform/error.h"
#include "platform/prompt.h"
#include "platform/registry/registry.h"
#include "settings/settings.h"
#include "sitecheck/site_work_tables.h"
#include "sitegen/php_button.h"
#include "sitegen/require_php.h"
#include "sqlscripts/structure_button.h"

namespace kalvor {
namespace {

QGroupBox* frame(const char* name, const QString& caption) {
    auto* box = new QGroupBox(caption);
    box->setObjectName(QString::fromLatin1(name));
    return box;
}

// Screen readers, and the tools that drive the window, name a box after its
// label (Qt would give every box of a frame the frame's title): the label's
// text without its closing colon, with `qualifier` where two labels agree.
QLineEdit* named(QLineEdit* box, QWidget* label, const QString& qualifier = {}) {
    QString text;
    if (auto* l = qobject_cast<QLabel*>(label)) {
        l->setBuddy(box);
        text = l->text();
    } else if (auto* b = qobject_cast<QAbstractButton*>(label)) {
        text = b->text();
    }
    text = text.simplified();
    while (text.endsWith(u':') || text.endsWith(u' ')) {
        text.chop(1);
    }
    box->setAccessibleName(qualifier.isEmpty() ? text
                                               : text + QStringLiteral(" (") + qualifier + u')');
    return box;
}

// A page of the tab control whose contents keep to the top.
QWidget* page(QLayout* contents) {
    auto* widget = new QWidget;
    auto* outer = new QVBoxLayout(widget);
    outer->addLayout(contents);
    outer->addStretch(1);
    return widget;
}

}  // namespace

Kalvorform::Kalvorform(Settings& settings, Prompt* prompt, DataExports exports, QWidget* parent)
    : QMainWindow(parent), settings_(settings), prompt_(prompt), exports_(std::move(exports)) {
    setObjectName(QStringLiteral("Kalvorform"));
    if (prompt_ == nullptr) {
        ownPrompt_ = std::make_unique<QtPrompt>(this);
        prompt_ = ownPrompt_.get();
    }
    tabs_ = new QTabWidget;
    tabs_->setObjectName(QStringLiteral("TabNavig"));
    // Every tab stays in sight: the window is made wide enough for them.
    tabs_->tabBar()->setUsesScrollButtons(false);
    tabs_->addTab(buildConfiguration(), QStringLiteral("1. Configuration"));
    tabs_->addTab(buildOptions1(), QStringLiteral("2. Options (1/2)"));
    tabs_->addTab(buildOptions2(), QStringLiteral("3. Options (2/2)"));
    tabs_->addTab(buildStatistiques(), QStringLiteral("4. Statistiques"));
    tabs_->addTab(buildRepertoires(), QStringLiteral("5. Répertoires"));
    tabs_->addTab(buildMiniatures(), QStringLiteral("6. Miniatures"));
    tabs_->addTab(buildGeneration(), QStringLiteral("7. Génération"));
    siteCheck_ = new SiteCheckTab(settings_, *prompt_, inetKalvor_,
                                  [this](const QString& text) { panels_[0]->setText(text); });
    tabs_->addTab(siteCheck_, QStringLiteral("Vérification Site"));
    // The tabs and the renamer view take turns in the window.
    renommer_ = new RenamerFrame(settings_, *prompt_);
    renommer_->hide();
    auto* views = new QWidget;
    auto* viewsLayout = new QVBoxLayout(views);
    viewsLayout->setContentsMargins(0, 0, 0, 0);
    viewsLayout->addWidget(tabs_);
    viewsLayout->addWidget(renommer_);
    setCentralWidget(views);
    buildMenus();
    buildStatusBar();

    auto* help = new QShortcut(QKeySequence(Qt::Key_F1), this);
    help->setContext(Qt::ApplicationShortcut);
    connect(help, &QShortcut::activated, this, &Kalvorform::aide_aide_Click);
    refresh();
}

Kalvorform::~Kalvorform() = default;

// ------------------------------------------------------------ binding

QLabel* Kalvorform::label(const char* name, const QString& caption) {
    auto* l = new QLabel(caption);
    l->setObjectName(QString::fromLatin1(name));
    return l;
}

QLineEdit* Kalvorform::text(const char* name, QString Settings::*member,
                            std::function<void()> change, std::function<bool()> lostFocus) {
    auto* edit = new QLineEdit;
    edit->setObjectName(QString::fromLatin1(name));
    connect(edit, &QLineEdit::textEdited, this, [this, member, change](const QString& value) {
        settings_.*member = value;
        if (change) {
            handle(change);
        }
    });
    edit->installEventFilter(this);
    texts_.push_back({edit, member, std::move(change), std::move(lostFocus)});
    return edit;
}

QCheckBox* Kalvorform::check(const char* name, const QString& caption, int Settings::*member,
                             std::function<void()> click) {
    auto* box = new QCheckBox(caption);
    box->setObjectName(QString::fromLatin1(name));
    connect(box, &QCheckBox::clicked, this, [this, member, click](bool checked) {
        settings_.*member = checked ? 1 : 0;
        handle(click ? click : [] {});
    });
    checks_.push_back({box, member});
    return box;
}

QRadioButton* Kalvorform::option(const char* name, const QString& caption, QButtonGroup* group,
                                 std::function<bool()> selected, std::function<void()> click) {
    auto* button = new QRadioButton(caption);
    button->setObjectName(QString::fromLatin1(name));
    group->addButton(button);
    // Only a change of choice runs the handler, as a second click on the
    // chosen option changes nothing.
    connect(button, &QRadioButton::toggled, this, [this, click](bool on) {
        if (on && !refreshing_) {
            handle(click);
        }
    });
    options_.push_back({button, std::move(selected)});
    return button;
}

QComboBox* Kalvorform::combo(const char* name, const QStringList& items, QString Settings::*member,
                             std::function<void()> click) {
    auto* box = new QComboBox;
    box->setObjectName(QString::fromLatin1(name));
    box->addItems(items);
    connect(box, &QComboBox::activated, this, [this, box, member, click](int) {
        settings_.*member = box->currentText();
        handle(click ? click : [] {});
    });
    combos_.push_back({box, member});
    return box;
}

void Kalvorform::shown(QWidget* widget, std::function<bool()> isShown) {
    shownList_.push_back({widget, std::move(isShown)});
}

QPushButton* Kalvorform::button(const char* name, const QString& caption, const QString& tip,
                                std::function<void()> click) {
    auto* b = new QPushButton(caption);
    b->setObjectName(QString::fromLatin1(name));
    if (!tip.isEmpty()) {
        b->setToolTip(tip);
    }
    connect(b, &QPushButton::clicked, this, [click] { click(); });
    return b;
}

void Kalvorform::handle(const std::function<void()>& handler) {
    handler();
    refresh();
}

void Kalvorform::refresh() {
    refreshing_ = true;
    for (const TextBinding& t : texts_) {
        if (t.widget->text() != settings_.*t.member) {
            const QSignalBlocker block(t.widget);
            t.widget->setText(settings_.*t.member);
        }
    }
    for (const CheckBinding& c : checks_) {
        const int state = settings_.*c.member;
        const Qt::CheckState wanted = state == 1   ? Qt::Checked
                                      : state == 2 ? Qt::PartiallyChecked
                                                   : Qt::Unchecked;
        if (c.widget->checkState() != wanted) {
            const QSignalBlocker block(c.widget);
            c.widget->setTristate(state == 2);
            c.widget->setCheckState(wanted);
        }
    }
    for (const OptionBinding& o : options_) {
        if (o.selected() && !o.widget->isChecked()) {
            o.widget->setChecked(true);
        }
    }
    for (const ComboBinding& c : combos_) {
        const int index = c.widget->findText(settings_.*c.member);
        if (c.widget->currentIndex() != index) {
            const QSignalBlocker block(c.widget);
            c.widget->setCurrentIndex(index);
        }
    }
    for (const ShownBinding& s : shownList_) {
        s.widget->setVisible(s.shown());
    }
    for (int i = 0; i < tabs_->count(); ++i) {
        tabs_->setTabEnabled(i, settings_.TabNavig_TabEnabled.at(i));
    }
    lbl_ligne_->setText(settings_.lbl_ligne_Caption);
    const QString* captions[] = {&settings_.opt_perso1_Caption, &settings_.opt_perso2_Caption,
                                 &settings_.opt_perso3_Caption, &settings_.opt_perso4_Caption};
    for (int i = 0; i < 4; ++i) {
        // Unnamed in the catalogue application, a field still needs a caption.
        perso_[i]->setText(captions[i]->isEmpty() ? QStringLiteral("Perso %1").arg(i + 1)
                                                  : *captions[i]);
    }
    if (lastDonnees_ != nullptr) {
        lastDonnees_->setEnabled(settings_.btn_LastDonnees_SQL_Enabled);
        lastDonnees_->setToolTip(settings_.btn_LastDonnees_SQL_ToolTipText);
    }
    refreshing_ = false;
}

bool Kalvorform::eventFilter(QObject* watched, QEvent* event) {
    if (event->type() == QEvent::FocusOut) {
        const auto reason = static_cast<QFocusEvent*>(event)->reason();
        // Menus, message boxes and other windows take the focus for a while
        // without the user leaving the box.
        if (reason != Qt::PopupFocusReason && reason != Qt::ActiveWindowFocusReason) {
            for (const TextBinding& t : texts_) {
                if (t.widget == watched && t.lostFocus) {
                    bool back = false;
                    handle([&] { back = t.lostFocus(); });
                    if (back) {
                        t.widget->setFocus();
                    }
                    break;
                }
            }
        }
    }
    return QMainWindow::eventFilter(watched, event);
}

// ------------------------------------------------------------ tabs

QWidget* Kalvorform::buildConfiguration() {
    auto* layout = new QVBoxLayout;

    auto* base = frame("frame_base", QStringLiteral("Base MySQL du site"));
    auto* grid = new QGridLayout(base);
    const auto row = [grid](int r, QLabel* l, QLineEdit* box) {
        grid->addWidget(l, r, 0);
        grid->addWidget(named(box, l), r, 1);
        return box;
    };
    row(0, label("lbl_host", QStringLiteral("Serveur :")), text("box_host", &Settings::box_host));
    row(1, label("lbl_login", QStringLiteral("Utilisateur :")),
        text("box_login", &Settings::box_login));
    row(2, label("lbl_password", QStringLiteral("Mot de passe :")),
        text("box_password", &Settings::box_password))
        ->setEchoMode(QLineEdit::Password);
    row(3, label("lbl_base", QStringLiteral("Base :")), text("box_base", &Settings::box_base));
    row(4, label("lblPrefixeTable", QStringLiteral("préfixe pour les tables :")),
        text("box_prefixe_table", &Settings::box_prefixe_table,
             [this] { settings_.box_prefixe_table_Change(*prompt_); }));
    layout->addWidget(base);

    auto* site = frame("frame_site", QStringLiteral("Site"));
    auto* siteGrid = new QGridLayout(site);
    QLabel* titre = label("lbl_titre", QStringLiteral("Titre :"));
    siteGrid->addWidget(titre, 0, 0);
    siteGrid->addWidget(named(text("box_titre", &Settings::box_titre), titre), 0, 1, 1, 2);
    QLabel* adresse = label("lbl_site", QStringLiteral("Adresse du site :"));
    siteGrid->addWidget(adresse, 1, 0);
    siteGrid->addWidget(named(text("box_site", &Settings::box_site), adresse), 1, 1, 1, 2);
    QLabel* exportLabel = label("lbl_repertoire_export", QStringLiteral("Répertoire d'export :"));
    siteGrid->addWidget(exportLabel, 2, 0);
    siteGrid->addWidget(named(text("box_phpexport", &Settings::box_phpexport, {},
                                   [this] {
                                       settings_.box_phpexport_LostFocus(*prompt_);
                                       return false;
                                   }),
                              exportLabel),
                        2, 1);
    siteGrid->addWidget(button("btn_open_path", QStringLiteral("..."), {},
                               [this] {
                                   FrmChoixDir* chooser = FrmChoixDir::ShowDefault(settings_, this);
                                   connect(chooser, &FrmChoixDir::exportChosen, this,
                                           &Kalvorform::refresh, Qt::UniqueConnection);
                               }),
                        2, 2);
    QLabel* require =
        label("lbl_require", QStringLiteral("répertoire où se trouvera le  fichier require.php "
                                            "(configuration) :"));
    siteGrid->addWidget(require, 3, 0, 1, 3);
    siteGrid->addWidget(named(text("box_require", &Settings::box_require, {},
                                   [this] {
                                       settings_.box_require_LostFocus();
                                       return false;
                                   }),
                              require),
                        4, 0, 1, 3);
    siteGrid->addWidget(
        label("lbl_require_suite",
              QStringLiteral("(le laisser vide si le fichier doit être stocké sur la racine)")),
        5, 0, 1, 3);
    layout->addWidget(site);
    return page(layout);
}

QWidget* Kalvorform::buildOptions1() {
    auto* layout = new QGridLayout;

    auto* verso = frame("frame_verso", QStringLiteral("Verso"));
    auto* versoLayout = new QVBoxLayout(verso);
    auto* versoGroup = new QButtonGroup(verso);
    versoLayout->addWidget(option(
        "Opt_versoright", QStringLiteral("A Droite de la couverture"), versoGroup,
        [&s = settings_] { return s.Opt_versoright(); },
        [&s = settings_] { s.Opt_versoright_Click(); }));
    versoLayout->addWidget(option(
        "Opt_versoleft", QStringLiteral("A Gauche de la couverture"), versoGroup,
        [&s = settings_] { return s.Opt_versoleft(); },
        [&s = settings_] { s.Opt_versoleft_Click(); }));
    versoLayout->addWidget(option(
        "Opt_versonone", QStringLiteral("Aucun"), versoGroup,
        [&s = settings_] { return s.Opt_versonone(); },
        [&s = settings_] { s.Opt_versonone_Click(); }));
    layout->addWidget(verso, 0, 0);

    auto* auteur = frame("frame_auteur", QStringLiteral("Fiches Auteurs "));
    auto* auteurLayout = new QVBoxLayout(auteur);
    auto* auteurGroup = new QButtonGroup(auteur);
    auteurLayout->addWidget(option(
        "opt_auteur0", QStringLiteral("Liste des séries "), auteurGroup,
        [&s = settings_] { return s.opt_auteur0(); }, [&s = settings_] { s.opt_auteur0_Click(); }));
    auteurLayout->addWidget(option(
        "opt_auteur1", QStringLiteral("Tableau des Albums"), auteurGroup,
        [&s = settings_] { return s.opt_auteur1(); }, [&s = settings_] { s.opt_auteur1_Click(); }));
    auteurLayout->addWidget(option(
        "opt_auteur2", QStringLiteral("Tableau des Albums et détail"), auteurGroup,
        [&s = settings_] { return s.opt_auteur2(); }, [&s = settings_] { s.opt_auteur2_Click(); }));
    layout->addWidget(auteur, 0, 1);

    auto* colonnes = frame("frame_nbcolonnes", QString());
    auto* colLayout = new QHBoxLayout(colonnes);
    auto* colGroup = new QButtonGroup(colonnes);
    colLayout->addWidget(label("lbl_albums", QStringLiteral("Nombre d'albums par ligne :")));
    QRadioButton* automatic = option(
        "opt_col0", QStringLiteral("Automatique"), colGroup,
        [&s = settings_] { return s.opt_col0(); }, [&s = settings_] { s.opt_col0_Click(); });
    automatic->setToolTip(
        QStringLiteral("pour une meilleure lisibilité : si aucun verso n'est disponible pour la "
                       "série => 2 albums par ligne sinon 1 album par ligne"));
    colLayout->addWidget(automatic);
    colLayout->addWidget(option(
        "opt_col1", QStringLiteral("1"), colGroup, [&s = settings_] { return s.opt_col1(); },
        [&s = settings_] { s.opt_col1_Click(); }));
    colLayout->addWidget(option(
        "opt_col2", QStringLiteral("2"), colGroup, [&s = settings_] { return s.opt_col2(); },
        [&s = settings_] { s.opt_col2_Click(); }));
    colLayout->addStretch(1);
    layout->addWidget(colonnes, 1, 0, 1, 2);

    auto* icones = frame("frame_icones", QStringLiteral("Fiches Albums"));
    auto* iconesLayout = new QVBoxLayout(icones);
    iconesLayout->addWidget(
        check("opt_eo", QStringLiteral("Afficher l'icone EO"), &Settings::opt_eo));
    iconesLayout->addWidget(
        check("opt_int", QStringLiteral("Afficher l'icone Intégrale"), &Settings::opt_int));
    iconesLayout->addWidget(
        check("opt_reliure", QStringLiteral("Afficher l'icone Reliure"), &Settings::opt_reliure));
    iconesLayout->addWidget(
        check("opt_tt", QStringLiteral("Afficher l'icone TT"), &Settings::opt_tt));
    iconesLayout->addWidget(check("opt_colorauteur",
                                  QStringLiteral("Couleur différente pour les auteurs avec photo"),
                                  &Settings::opt_colorauteur));
    iconesLayout->addWidget(check("opt_commentaire",
                                  QStringLiteral("Afficher les commentaires des albums"),
                                  &Settings::opt_commentaire));
    iconesLayout->addWidget(
        check("opt_nb_liste", QStringLiteral("Afficher le nombre d'albums par série et par auteur"),
              &Settings::opt_nb_liste));
    layout->addWidget(icones, 2, 0);

    auto* dedicaces = new QVBoxLayout;
    dedicaces->addWidget(check("opt_dedicace", QStringLiteral("Afficher les dédicaces"),
                               &Settings::opt_dedicace,
                               [&s = settings_] { s.opt_dedicace_Click(); }));
    auto* place = frame("frame_dedicace", QStringLiteral("Emplacement de l'icone dédicace "));
    auto* placeLayout = new QVBoxLayout(place);
    auto* placeGroup = new QButtonGroup(place);
    placeLayout->addWidget(option(
        "opt_dedi_place0", QStringLiteral("Sur la ligne format"), placeGroup,
        [&s = settings_] { return s.opt_dedi_place0(); },
        [&s = settings_] { s.opt_dedi_place0_Click(); }));
    placeLayout->addWidget(option(
        "opt_dedi_place1", QStringLiteral("Sur la ligne du titre"), placeGroup,
        [&s = settings_] { return s.opt_dedi_place1(); },
        [&s = settings_] { s.opt_dedi_place1_Click(); }));
    shown(place, [&s = settings_] { return s.frame_dedicace_Visible; });
    dedicaces->addWidget(place);
    dedicaces->addStretch(1);
    layout->addLayout(dedicaces, 2, 1);
    return page(layout);
}

QWidget* Kalvorform::buildOptions2() {
    auto* layout = new QGridLayout;

    auto* listes = frame("frame_listes", QStringLiteral("Listes et menu"));
    auto* listesLayout = new QVBoxLayout(listes);
    listesLayout->addWidget(check("opt_listecollection", QStringLiteral("Liste par collection"),
                                  &Settings::opt_listecollection));
    listesLayout->addWidget(
        check("opt_listestyle", QStringLiteral("Liste par style"), &Settings::opt_listestyle));
    listesLayout->addWidget(
        check("opt_listedl", QStringLiteral("Liste par dépôt légal"), &Settings::opt_listedl));
    listesLayout->addWidget(check("opt_listeachat", QStringLiteral("Liste par date d'achat"),
                                  &Settings::opt_listeachat));
    listesLayout->addWidget(
        check("opt_listenotes", QStringLiteral("Liste par note"), &Settings::opt_listenotes));
    listesLayout->addWidget(
        check("opt_imprimer", QStringLiteral("Listes imprimables"), &Settings::opt_imprimer));
    listesLayout->addWidget(
        check("opt_moteur", QStringLiteral("Moteur de recherche"), &Settings::opt_moteur));
    listesLayout->addWidget(
        check("opt_icones", QStringLiteral("Icones dans le menu"), &Settings::opt_icones));
    listesLayout->addWidget(check("opt_stats", QStringLiteral("Afficher mes statistiques"),
                                  &Settings::opt_stats, [&s = settings_] { s.opt_stats_Click(); }));
    auto* mail = new QHBoxLayout;
    QCheckBox* showMail = check("opt_email", QStringLiteral("Afficher mon e-mail"),
                                &Settings::opt_email, [&s = settings_] { s.opt_email_Click(); });
    mail->addWidget(showMail);
    QLineEdit* email = named(text("box_email", &Settings::box_email), showMail);
    shown(email, [&s = settings_] { return s.box_email_Visible; });
    mail->addWidget(email);
    listesLayout->addLayout(mail);
    auto* quit = new QHBoxLayout;
    QCheckBox* quitter = check("opt_quitter", QStringLiteral("Afficher Quitter"),
                               &Settings::opt_quitter, [&s = settings_] { s.opt_quitter_Click(); });
    quitter->setToolTip(QStringLiteral("permet de renvoyer vers un site principal"));
    quit->addWidget(quitter);
    QLineEdit* principal = named(text("box_siteprincipal", &Settings::box_siteprincipal), quitter);
    shown(principal, [&s = settings_] { return s.box_siteprincipal_Visible; });
    quit->addWidget(principal);
    listesLayout->addLayout(quit);
    layout->addWidget(listes, 0, 0, 2, 1);

    auto* accueil = frame("frm_accueil", QStringLiteral("Page d'accueil"));
    auto* accueilGrid = new QGridLayout(accueil);
    QLabel* series = label("lbl_series_accueil", QStringLiteral("Nombre de séries :"));
    accueilGrid->addWidget(series, 0, 0);
    accueilGrid->addWidget(named(text("box_series_accueil", &Settings::box_series_accueil), series),
                           0, 1);
    accueilGrid->addWidget(
        check("opt_image_accueil", QStringLiteral("Afficher les miniatures des derniers albums"),
              &Settings::opt_image_accueil, [&s = settings_] { s.opt_image_accueil_Click(); }),
        1, 0, 1, 2);
    QLabel* col = label("lbl_col", QStringLiteral("nb de colonnes :"));
    shown(col, [&s = settings_] { return s.lbl_col_Visible; });
    accueilGrid->addWidget(col, 2, 0);
    QComboBox* colBox =
        combo("box_col_accueil", Settings::ColAccueilItems(), &Settings::box_col_accueil,
              [&s = settings_] { s.box_col_accueil_Click(); });
    shown(colBox, [&s = settings_] { return s.box_col_accueil_Visible; });
    accueilGrid->addWidget(colBox, 2, 1);
    lbl_ligne_ = label("lbl_ligne", settings_.lbl_ligne_Caption);
    shown(lbl_ligne_, [&s = settings_] { return s.lbl_ligne_Visible; });
    accueilGrid->addWidget(lbl_ligne_, 3, 0);
    auto* counts = new QHBoxLayout;
    QComboBox* lignes =
        combo("box_ligne_accueil", Settings::LigneAccueilItems(), &Settings::box_ligne_accueil);
    shown(lignes, [&s = settings_] { return s.box_ligne_accueil_Visible; });
    counts->addWidget(lignes);
    QComboBox* albums =
        combo("box_albums_accueil", Settings::AlbumsAccueilItems(), &Settings::box_albums_accueil);
    shown(albums, [&s = settings_] { return s.box_albums_accueil_Visible; });
    counts->addWidget(albums);
    accueilGrid->addLayout(counts, 3, 1);
    layout->addWidget(accueil, 0, 1);

    auto* baspage = frame("frm_baspage", QStringLiteral("Bas de Page"));
    auto* basGrid = new QGridLayout(baspage);
    basGrid->addWidget(check("opt_baspage", QStringLiteral("Afficher un bas de page"),
                             &Settings::opt_baspage, [&s = settings_] { s.opt_baspage_Click(); }),
                       0, 0, 1, 2);
    QLabel* hauteur = label("lbl_baspage", QStringLiteral("Hauteur du bas de page :"));
    shown(hauteur, [&s = settings_] { return s.lbl_baspage_Visible; });
    basGrid->addWidget(hauteur, 1, 0);
    QLineEdit* height = named(text("box_baspage", &Settings::box_baspage, {},
                                   [this] {
                                       settings_.box_baspage_LostFocus(*prompt_);
                                       return false;
                                   }),
                              hauteur);
    shown(height, [&s = settings_] { return s.box_baspage_Visible; });
    basGrid->addWidget(height, 1, 1);
    layout->addWidget(baspage, 1, 1);

    auto* perso = frame("frame_perso", QStringLiteral("Champs personnalisés"));
    auto* persoLayout = new QHBoxLayout(perso);
    perso_ = {check("opt_perso1", {}, &Settings::opt_perso1),
              check("opt_perso2", {}, &Settings::opt_perso2),
              check("opt_perso3", {}, &Settings::opt_perso3),
              check("opt_perso4", {}, &Settings::opt_perso4)};
    for (QCheckBox* box : perso_) {
        persoLayout->addWidget(box);
    }
    persoLayout->addStretch(1);
    layout->addWidget(perso, 2, 0, 1, 2);

    auto* dialogs = new QHBoxLayout;
    dialogs->addWidget(button("btn_TriPara", QStringLiteral("Ordre de tri du Para-BD"), {},
                              [this] { FrmPara::ShowDefault(settings_, *prompt_); }));
    dialogs->addWidget(button("btn_plugintintin", QStringLiteral("Plugin Tintin"), {},
                              [this] { FrmTintin::ShowDefault(settings_, *prompt_); }));
    dialogs->addStretch(1);
    layout->addLayout(dialogs, 3, 0, 1, 2);
    return page(layout);
}

QWidget* Kalvorform::buildStatistiques() {
    grid_ = new StatsGridWidget(stats_);
    auto* layout = new QVBoxLayout;
    layout->addWidget(grid_, 0, Qt::AlignLeft);
    return page(layout);
}

QWidget* Kalvorform::buildRepertoires() {
    auto* layout = new QVBoxLayout;

    auto* modes =
        frame("frame_repertoire", QStringLiteral("Répertoires utilisés pour les images "));
    auto* modesLayout = new QVBoxLayout(modes);
    auto* modeGroup = new QButtonGroup(modes);
    modesLayout->addWidget(option(
        "Opt_Absolu",
        QStringLiteral("Chemin Absolu (utilisation locale ou utilisation sur plusieurs sites)"),
        modeGroup, [&s = settings_] { return s.Opt_Absolu(); },
        [&s = settings_] { s.Opt_Absolu_Click(); }));
    modesLayout->addWidget(option(
        "Opt_Relatif",
        QStringLiteral("Chemin Relatif (fichiers php dans ../Reports et "
                       "couvertures dans ../Couvertures, Planches dans "
                       "../Planches, etc.)"),
        modeGroup, [&s = settings_] { return s.Opt_Relatif(); },
        [this] { settings_.Opt_Relatif_Click(*prompt_); }));
    modesLayout->addWidget(option(
        "Opt_Sousrep",
        QStringLiteral("Sous-Répertoire (fichiers php sur la racine et "
                       "couvertures dans ./Couvertures, Planches dans "
                       "./Planches)"),
        modeGroup, [&s = settings_] { return s.Opt_Sousrep(); },
        [this] { settings_.Opt_Sousrep_Click(*prompt_); }));

    auto* parabd = new QHBoxLayout;
    auto* parabdGroup = new QButtonGroup(modes);
    QLabel* choix =
        label("lbl_choix_parabd", QStringLiteral("Le répertoire pour le parabd se nomme : "));
    shown(choix, [&s = settings_] { return s.lbl_choix_parabd_Visible; });
    parabd->addWidget(choix);
    QRadioButton* nameParabd = option(
        "opt_path_parabd", QStringLiteral("Parabd"), parabdGroup,
        [&s = settings_] { return s.opt_path_parabd(); },
        [this] { settings_.opt_path_parabd_Click(*prompt_); });
    shown(nameParabd, [&s = settings_] { return s.opt_path_parabd_Visible; });
    parabd->addWidget(nameParabd);
    QRadioButton* nameExlibris = option(
        "opt_path_exlibris", QStringLiteral("Exlibris"), parabdGroup,
        [&s = settings_] { return s.opt_path_exlibris(); },
        [this] { settings_.opt_path_exlibris_Click(*prompt_); });
    shown(nameExlibris, [&s = settings_] { return s.opt_path_exlibris_Visible; });
    parabd->addWidget(nameExlibris);
    parabd->addStretch(1);
    modesLayout->addLayout(parabd);

    struct Folder {
        const char* label;
        QString caption;
        const char* box;
        QString Settings::*member;
        void (Settings::*lostFocus)();
    };
    const Folder folders[] = {
        {"lbl_couvertures", QStringLiteral("Couvertures :"), "path_couvertures",
         &Settings::path_couvertures, &Settings::path_couvertures_LostFocus},
        {"lbl_versos", QStringLiteral("Versos :"), "path_versos", &Settings::path_versos,
         &Settings::path_versos_LostFocus},
        {"lbl_photos", QStringLiteral("Photos :"), "path_photos", &Settings::path_photos,
         &Settings::path_photos_LostFocus},
        {"lbl_planches", QStringLiteral("Planches :"), "path_planches", &Settings::path_planches,
         &Settings::path_planches_LostFocus},
        {"lbl_dedicaces", QStringLiteral("Dédicaces :"), "path_dedicaces",
         &Settings::path_dedicaces, &Settings::path_dedicaces_LostFocus},
        {"lbl_parabd", QStringLiteral("Para-BD :"), "path_parabd", &Settings::path_parabd,
         &Settings::path_parabd_LostFocus},
        {"lbl_revues", QStringLiteral("Revues :"), "path_revues", &Settings::path_revues,
         &Settings::path_revues_LostFocus},
    };
    auto* grid = new QGridLayout;
    int row = 0;
    for (const Folder& f : folders) {
        QLabel* l = label(f.label, f.caption);
        auto lostFocus = f.lostFocus;
        QLineEdit* box = named(text(f.box, f.member, {},
                                    [this, lostFocus] {
                                        (settings_.*lostFocus)();
                                        return false;
                                    }),
                               l);
        shown(l, [&s = settings_] { return s.image_folders_Visible; });
        shown(box, [&s = settings_] { return s.image_folders_Visible; });
        grid->addWidget(l, row, 0);
        grid->addWidget(box, row, 1);
        ++row;
    }
    modesLayout->addLayout(grid);
    layout->addWidget(modes);

    auto* miniatures = new QHBoxLayout;
    miniatures->addWidget(check("opt_miniatures", QStringLiteral("Utilisation des miniatures "),
                                &Settings::opt_miniatures,
                                [&s = settings_] { s.opt_miniatures_Click(); }));
    miniatures->addWidget(check("opt_manual", QStringLiteral("Miniatures préparées à la main"),
                                &Settings::opt_manual));
    miniatures->addStretch(1);
    layout->addLayout(miniatures);
    return page(layout);
}

QWidget* Kalvorform::buildMiniatures() {
    auto* layout = new QVBoxLayout;
    auto* thumbs = frame("frame_miniature",
                         QStringLiteral("Repertoires utilisés pour les miniatures (thumbs) "));
    auto* grid = new QGridLayout(thumbs);
    struct Folder {
        const char* label;
        QString caption;
        const char* box;
        QString Settings::*member;
        void (Settings::*lostFocus)();
    };
    const Folder folders[] = {
        {"lbl_thumb_couvertures", QStringLiteral("Couvertures :"), "box_thumb_couvertures",
         &Settings::box_thumb_couvertures, &Settings::box_thumb_couvertures_LostFocus},
        {"lbl_thumb_versos", QStringLiteral("Versos :"), "box_thumb_versos",
         &Settings::box_thumb_versos, &Settings::box_thumb_versos_LostFocus},
        {"lbl_thumb_photos", QStringLiteral("Photos :"), "box_thumb_photos",
         &Settings::box_thumb_photos, &Settings::box_thumb_photos_LostFocus},
        {"lbl_thumb_planches", QStringLiteral("Planches :"), "box_thumb_planches",
         &Settings::box_thumb_planches, &Settings::box_thumb_planches_LostFocus},
        {"Label1", QStringLiteral("Dedicaces :"), "box_thumb_dedicaces",
         &Settings::box_thumb_dedicaces, &Settings::box_thumb_dedicaces_LostFocus},
        {"lbl_thumb_parabd", QStringLiteral("Para-BD :"), "box_thumb_parabd",
         &Settings::box_thumb_parabd, &Settings::box_thumb_parabd_LostFocus},
        {"lbl_thumb_revues", QStringLiteral("Revues :"), "box_thumb_revues",
         &Settings::box_thumb_revues, &Settings::box_thumb_revues_LostFocus},
    };
    int row = 0;
    for (const Folder& f : folders) {
        auto lostFocus = f.lostFocus;
        QLabel* l = label(f.label, f.caption);
        grid->addWidget(l, row, 0);
        // The image folders of tab 5 have the same labels.
        grid->addWidget(named(text(f.box, f.member, {},
                                   [this, lostFocus] {
                                       (settings_.*lostFocus)();
                                       return false;
                                   }),
                              l, QStringLiteral("miniatures")),
                        row, 1);
        ++row;
    }
    layout->addWidget(thumbs);

    auto* prefix = new QGridLayout;
    QLabel* prefixLabel =
        label("lbl_prefix", QStringLiteral("Préfixe figurant devant le nom du fichier"));
    prefix->addWidget(prefixLabel, 0, 0);
    prefix->addWidget(named(text("box_prefix", &Settings::box_prefix), prefixLabel), 0, 1);
    prefix->addWidget(label("lbl_obligatoire",
                            QStringLiteral("Préfixe obligatoire si le répertoire miniature est "
                                           "identique au répertoire image")),
                      1, 0, 1, 2);
    layout->addLayout(prefix);
    return page(layout);
}

QWidget* Kalvorform::buildGeneration() {
    auto* layout = new QGridLayout;

    auto* exportation = frame("frame_exportation", QStringLiteral("Exportation"));
    auto* expLayout = new QVBoxLayout(exportation);
    expLayout->addWidget(check("opt_albums", QStringLiteral("Albums de la collection"),
                               &Settings::opt_albums, [&s = settings_] { s.opt_albums_Click(); }));
    expLayout->addWidget(check("opt_acheter", QStringLiteral("Albums Recherchés"),
                               &Settings::opt_acheter,
                               [&s = settings_] { s.opt_acheter_Click(); }));
    expLayout->addWidget(check("opt_parabd", QStringLiteral("Para-BD"), &Settings::opt_parabd,
                               [&s = settings_] { s.opt_parabd_Click(); }));
    expLayout->addWidget(check("Opt_Collaborateurs", QStringLiteral("Collaborateurs"),
                               &Settings::Opt_Collaborateurs,
                               [&s = settings_] { s.Opt_Collaborateurs_Click(); }));
    expLayout->addWidget(check("opt_revues", QStringLiteral("Revues"), &Settings::opt_revues,
                               [&s = settings_] { s.opt_revues_Click(); }));
    if (exports_.btn_LastDonnees_SQL_Click) {
        lastDonnees_ = button("btn_LastDonnees_SQL",
                              QStringLiteral("Générer les données depuis la dernière Mise à Jour"),
                              {}, [this] { runExport(exports_.btn_LastDonnees_SQL_Click); });
        expLayout->addWidget(lastDonnees_);
    }
    auto* lastRun = new QHBoxLayout;
    QLabel* lastRunLabel = label("lbl_lastrun", QStringLiteral("après le (jj/mm/aaaa) :"));
    shown(lastRunLabel, [&s = settings_] { return s.lbl_lastrun_Visible; });
    lastRun->addWidget(lastRunLabel);
    QLineEdit* lastRunBox = named(text("box_LastRun", &Settings::box_LastRun, {},
                                       [this] {
                                           settings_.box_LastRun_LostFocus(*prompt_);
                                           return false;
                                       }),
                                  lastRunLabel);
    shown(lastRunBox, [&s = settings_] { return s.box_LastRun_Visible; });
    lastRun->addWidget(lastRunBox);
    expLayout->addLayout(lastRun);
    layout->addWidget(exportation, 0, 0, 2, 1);

    auto* split = frame("frame_split", QStringLiteral("Fichier Données"));
    auto* splitLayout = new QVBoxLayout(split);
    auto* splitGroup = new QButtonGroup(split);
    splitLayout->addWidget(option(
        "Opt_split_no", QStringLiteral("Créer un seul fichier"), splitGroup,
        [&s = settings_] { return s.Opt_split_no(); },
        [&s = settings_] { s.Opt_split_no_Click(); }));
    splitLayout->addWidget(option(
        "Opt_split_yes", QStringLiteral("Scinder en plusieurs fichiers"), splitGroup,
        [&s = settings_] { return s.Opt_split_yes(); },
        [&s = settings_] { s.Opt_split_yes_Click(); }));
    auto* group = new QHBoxLayout;
    QLabel* groupe = label("lbl_groupe", QStringLiteral("regrouper les albums par"));
    shown(groupe, [&s = settings_] { return s.lbl_groupe_Visible; });
    group->addWidget(groupe);
    QLineEdit* size = named(text(
                                "box_SplitGroup", &Settings::box_SplitGroup,
                                [this] { settings_.box_SplitGroup_Change(*prompt_); },
                                [this] { return settings_.box_SplitGroup_LostFocus(*prompt_); }),
                            groupe);
    shown(size, [&s = settings_] { return s.box_SplitGroup_Visible; });
    group->addWidget(size);
    splitLayout->addLayout(group);
    layout->addWidget(split, 0, 1);

    auto* format = frame("frame_format", QString());
    auto* formatLayout = new QHBoxLayout(format);
    auto* formatGroup = new QButtonGroup(format);
    formatLayout->addWidget(label("lbl_format", QStringLiteral("Générer les données au format :")));
    formatLayout->addWidget(option(
        "opt_utf8", QStringLiteral("UTF-8"), formatGroup, [&s = settings_] { return s.opt_utf8(); },
        [&s = settings_] { s.opt_utf8_Click(); }));
    formatLayout->addWidget(option(
        "opt_latin1", QStringLiteral("Latin1"), formatGroup,
        [&s = settings_] { return s.opt_latin1(); }, [&s = settings_] { s.opt_latin1_Click(); }));
    formatLayout->addStretch(1);
    layout->addWidget(format, 1, 1);

    auto* commands = new QVBoxLayout;
    commands->addWidget(button(
        "btn_Create_Config", QStringLiteral("Génération du fichier de configuration"),
        QStringLiteral("crée le fichier require.php qui comporte tous les paramètres pour votre "
                       "site (host, base, verso, ...)"),
        [this] { btn_Create_Config_Click(); }));
    commands->addWidget(button("btn_Create_Structure",
                               QStringLiteral("Génération du script pour la création des tables"),
                               QStringLiteral("crée le fichier tables.sql (structures des tables "
                                              "MySQL)"),
                               [this] { btn_Create_Structure_Click(); }));
    if (exports_.btn_Donnees_SQL_Click) {
        commands->addWidget(button(
            "btn_Donnees_SQL",
            QStringLiteral("Génération du script pour alimenter les tables à partir de la base "
                           "Orme Lo'"),
            QStringLiteral("crée le fichier donnees.sql (données provenant de Orme Lo' pour "
                           "alimenter les tables MySQL)"),
            [this] { runExport(exports_.btn_Donnees_SQL_Click); }));
    }
    commands->addWidget(button("btn_Create_PHP", QStringLiteral("Génération des fichiers PHP"),
                               QStringLiteral("crée les fichiers php à transférer sur le site"),
                               [this] {
                                   grid_->CheckTexte();
                                   sitegen::btn_Create_PHP_Click(settings_, *prompt_);
                               }));
    layout->addLayout(commands, 2, 0, 1, 2);
    return page(layout);
}

void Kalvorform::buildMenus() {
    const auto menu = [this](const QString& caption, const char* name) {
        QMenu* m = menuBar()->addMenu(caption);
        m->setObjectName(QString::fromLatin1(name));
        return m;
    };
    const auto item = [this](QMenu* m, const QString& caption, const char* name,
                             void (Kalvorform::*slot)()) {
        QAction* action = m->addAction(caption);
        action->setObjectName(QString::fromLatin1(name));
        connect(action, &QAction::triggered, this, slot);
    };
    QMenu* fichier = menu(QStringLiteral("&Fichier"), "fichier");
    item(fichier, QStringLiteral("&Ouvrir une Collection"), "fichier_ouvrir",
         &Kalvorform::fichier_ouvrir_Click);
    item(fichier, QStringLiteral("&Quitter"), "fichier_quitter",
         &Kalvorform::fichier_quitter_Click);

    QMenu* application = menu(QStringLiteral("&Application"), "application");
    item(application, QStringLiteral("&Kalvor"), "kalvor", &Kalvorform::kalvor_Click);
    item(application, QStringLiteral("&Renommer"), "Renommer", &Kalvorform::Renommer_Click);
    item(application, QStringLiteral("Recover&y"), "recovery", &Kalvorform::recovery_Click);

    QMenu* aide = menu(QStringLiteral("&?"), "aide");
    item(aide, QStringLiteral("A &propos de"), "aide_propos", &Kalvorform::aide_propos_Click);
    item(aide, QStringLiteral("&Aide"), "aide_aide", &Kalvorform::aide_aide_Click);
}

void Kalvorform::buildStatusBar() {
    QStatusBar* bar = statusBar();
    bar->setObjectName(QStringLiteral("KLVR_StatusBar"));
    bar->setSizeGripEnabled(true);
    for (int i = 0; i < 3; ++i) {
        panels_[i] = new QLabel;
        panels_[i]->setObjectName(QStringLiteral("KLVR_StatusBar_Panel%1").arg(i + 1));
        panels_[i]->setMinimumWidth(i == 0 ? 300 : 90);
        bar->addPermanentWidget(panels_[i], i == 0 ? 1 : 0);
    }
}

QString Kalvorform::statusPanel(int panel) const {
    return panels_[panel - 1]->text();
}

// ------------------------------------------------------------ start-up

void Kalvorform::showCounts() {
    const catalogue::Counts counts = catalogue::ReadCounts(settings_.GV_Chemin_Base);
    panels_[0]->setText(settings_.GV_Chemin_Base);
    panels_[1]->setText(catalogue::AlbumsPanelText(counts));
    panels_[2]->setText(catalogue::SeriesPanelText(counts));
}

void Kalvorform::Form_Load_Interactive() {
    Settings& s = settings_;
    setWindowTitle(kBanner);
    // A catalogue that cannot be read is noted and logged, and the window is
    // still prepared: a grid left unprepared would be saved over the charts
    // at exit, and empty thumbnail boxes over the thumbnail folders.
    try {
        showCounts();
    } catch (const Error& e) {
        start_up::Form_Load_Failed(s, e.Description());
    }
    if (s.opt_miniatures == 1) {
        s.box_thumb_couvertures = s.GV_Thumb_Couvertures;
        s.box_thumb_planches = s.GV_Thumb_Planches;
        s.box_thumb_photos = s.GV_Thumb_Photos;
        s.box_thumb_versos = s.GV_Thumb_Versos;
        s.box_thumb_dedicaces = s.GV_Thumb_Dedicaces;
        s.box_thumb_parabd = s.GV_Thumb_Parabd;
        s.box_thumb_revues = s.GV_Thumb_Revues;
        s.TabNavig_TabEnabled[Settings::kTabMiniatures] = true;
    } else {
        s.TabNavig_TabEnabled[Settings::kTabMiniatures] = false;
    }
    s.TabNavig_TabEnabled[Settings::kTabStatistiques] = s.opt_stats == 1;
    renommer_->Form_Load(s.GV_Rep_Base);
    helpFile_ = s.GV_App_Path + QStringLiteral("/Kalvor.chm");
    grid_->Prepare_Grid(s);
    tabs_->setCurrentIndex(0);
    refresh();
}

// ------------------------------------------------------------ menus

void Kalvorform::fichier_ouvrir_Click() {
    const QString path = QFileDialog::getOpenFileName(
        this, QStringLiteral("Ouvrir une Collection"), settings_.GV_Rep_Base,
        QStringLiteral(
            "Base Ormelo' (*.mdb *.accdb *.sqlite *.sqlite3 *.db);;Tous les fichiers (*)"));
    if (path.isEmpty()) {
        return;
    }
    Open_Collection(path);
}

bool Kalvorform::Open_Collection(const QString& path) {
    catalogue::Counts counts;
    QString refusal;
    try {
        counts = catalogue::ReadCounts(path);
        if (!counts.generation) {
            refusal = QStringLiteral(
                "Ce fichier n'est pas une base Ormelo' : il n'a ni les tables d'une base v6 "
                "(ALBUMS avec la colonne AAcheter) ni celles d'une base v5 ou v4 (ACHETER, "
                "EXLIBRIS).");
        }
    } catch (const Error& e) {
        refusal = e.Description();
    }
    if (!refusal.isEmpty()) {
        prompt_->message(QStringLiteral("Impossible d'ouvrir la collection ") + path +
                             QStringLiteral(" :\n") + refusal,
                         kBanner, PromptIcon::Critical);
        return false;
    }
    settings_.GV_Chemin_Base = path;
    // Every reader picks its tables by the version: it follows the catalogue.
    settings_.GV_Version_Base = start_up::Version_Of(*counts.generation, settings_.GV_Version_Base);
    panels_[0]->setText(path);
    panels_[1]->setText(catalogue::AlbumsPanelText(counts));
    panels_[2]->setText(catalogue::SeriesPanelText(counts));
    return true;
}

void Kalvorform::Form_Unload() {
    if (settings_.Mode_Commande) {
        return;
    }
    grid_->CheckTexte();
    Registry& store = Registry::currentUser();
    Registry::Batch batch(store);  // the settings and the charts in one write
    settings_.save_Config();
    grid_->Save_Stats();
    batch.commit();
    const QString problem = store.takeProblem();
    if (!problem.isEmpty()) {
        prompt_->message(problem, kBanner, PromptIcon::Critical);
    }
    site::Drop_Tables_Temp(settings_.GV_Chemin_Base, *prompt_);
}

// A recovery runs to its end first: what it writes is the user's copy of the
// site. A site check is only stopped: its result goes with the window.
bool Kalvorform::Defer_Close() {
    FrmRecovery* recovery = FrmRecovery::Default();
    return siteCheck_->Defer_Close() || (recovery != nullptr && recovery->Defer_Close(this));
}

void Kalvorform::fichier_quitter_Click() {
    if (Defer_Close()) {
        return;
    }
    Form_Unload();
    ended_ = true;
    close();
    QCoreApplication::quit();
}

void Kalvorform::closeEvent(QCloseEvent* event) {
    if (Defer_Close()) {
        event->ignore();
        return;
    }
    if (!ended_) {
        ended_ = true;
        Form_Unload();
    }
    event->accept();
    QCoreApplication::quit();
}

void Kalvorform::kalvor_Click() {
    renommer_->hide();
    tabs_->show();
}

void Kalvorform::Renommer_Click() {
    tabs_->hide();
    renommer_->show();
}

void Kalvorform::aide_propos_Click() {
    FrmAbout::ShowDefault();
}

void Kalvorform::recovery_Click() {
    FrmRecovery::ShowDefault(settings_, *prompt_, &inetKalvor_, this);
}

void Kalvorform::aide_aide_Click() {
    // The help file is optional: without it F1 does nothing.
    if (!helpFile_.isEmpty() && QFileInfo(helpFile_).isFile()) {
        QDesktopServices::openUrl(QUrl::fromLocalFile(helpFile_));
    }
}

// ------------------------------------------------------------ commands

void Kalvorform::btn_Create_Config_Click() {
    grid_->CheckTexte();
    sitegen::btn_Create_Config_Click(settings_, stats_.Entries(), *prompt_);
}

void Kalvorform::btn_Create_Structure_Click() {
    const SchemaScriptSettings schema{settings_.GV_Export, settings_.GV_Prefixe_Table,
                                      settings_.opt_utf8()};
    BusyPointer busy(*prompt_);
    kalvor::btn_Create_Structure_Click(schema, *prompt_, settings_.GV_Erreurs);
}

void Kalvorform::runExport(const DataExports::Export& run) {
    run(settings_, *prompt_);
    refresh();
}

}  // namespace kalvor
