#include "app/kalvorform.h"

#include <QApplication>
#include <QCloseEvent>
#include <QDesktopServices>
#include <QFileDialog>
#include <QFileInfo>
#include <QLabel>
#include <QMenuBar>
#include <QShortcut>
#include <QStatusBar>
#include <QTabBar>
#include <QTabWidget>
#include <QUrl>
#include <QVBoxLayout>

#include "app/form_binding.h"
#include "app/renamer_frame.h"
#include "app/site_check_tab.h"
#include "app/start_up.h"
#include "app/tabs.h"
#include "catalogue/catalogue_counts.h"
#include "common/operation.h"
#include "dialogs/accessible_names.h"
#include "dialogs/accessible_tab_bar.h"
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

namespace kalvor {

Kalvorform::Kalvorform(Settings& settings, Prompt* prompt, DataExports exports, QWidget* parent)
    : QMainWindow(parent), settings_(settings), prompt_(prompt), exports_(std::move(exports)) {
    InstallAccessibleInterfaces();
    setObjectName(QStringLiteral("Kalvorform"));
    if (prompt_ == nullptr) {
        auto own = std::make_unique<QtPrompt>(this);
        qtPrompt_ = own.get();
        ownPrompt_ = std::move(own);
        prompt_ = ownPrompt_.get();
    }
    binding_ = new FormBinding(settings_, *prompt_, this);
    tabs_ = new QTabWidget;
    tabs_->setObjectName(QStringLiteral("TabNavig"));
    // Every tab stays in sight: the window is made wide enough for them.
    tabs_->tabBar()->setUsesScrollButtons(false);
    tabs_->addTab(tabs::Configuration(*binding_), QStringLiteral("1. Configuration"));
    tabs_->addTab(tabs::Options1(*binding_), QStringLiteral("2. Options (1/2)"));
    tabs_->addTab(tabs::Options2(*binding_), QStringLiteral("3. Options (2/2)"));
    grid_ = new StatsGridWidget(stats_, *prompt_);
    auto* statistiques = new QVBoxLayout;
    statistiques->addWidget(grid_, 0, Qt::AlignLeft);
    tabs_->addTab(page(statistiques), QStringLiteral("4. Statistiques"));
    tabs_->addTab(tabs::Repertoires(*binding_), QStringLiteral("5. Répertoires"));
    tabs_->addTab(tabs::Miniatures(*binding_), QStringLiteral("6. Miniatures"));
    // A catalogue that cannot be counted keeps the counts shown: the export
    // has said why it could not read it.
    tabs_->addTab(tabs::Generation(*binding_, exports_, *grid_, stats_, work_,
                                   [this] { (void)Attempt([this] { showCounts(); }); }),
                  QStringLiteral("7. Génération"));
    siteCheck_ = new SiteCheckTab(settings_, *prompt_, work_,
                                  [this](const QString& text) { panels_[0]->setText(text); });
    tabs_->addTab(siteCheck_, QStringLiteral("Vérification Site"));
    // The tabs and the renamer view take turns in the window.
    renommer_ = new RenamerFrame(settings_, *prompt_, work_);
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
    binding_->onRefresh([this] {
        for (int i = 0; i < tabs_->count(); ++i) {
            const bool enabled = settings_.window.TabNavig_TabEnabled.at(i);
            if (tabs_->isTabEnabled(i) != enabled) {
                tabs_->setTabEnabled(i, enabled);
                TabStateChanged(tabs_->tabBar(), i);
            }
        }
    });
    connect(&work_, &LongWork::runningChanged, this, &Kalvorform::lockForWork);
    refresh();
}

// The work uses the settings and the views of this window.
Kalvorform::~Kalvorform() {
    work_.abandon();
}

void Kalvorform::lockForWork(bool running) {
    if (!running && closeAfterWork_) {
        closeAfterWork_ = false;
        QMetaObject::invokeMethod(this, &QWidget::close, Qt::QueuedConnection);
    }
    for (int i = 0; i < tabs_->count(); ++i) {
        tabs_->widget(i)->setEnabled(!running);
    }
    renommer_->setEnabled(!running);
    for (const char* name : {"fichier_ouvrir", "Renommer"}) {
        if (auto* action = findChild<QAction*>(QString::fromLatin1(name))) {
            action->setEnabled(!running);
        }
    }
    // The dialogs left open change what the work reads; the recovery's
    // follows its own run.
    for (QWidget* dialog :
         std::initializer_list<QWidget*>{FrmPara::Default(), FrmTintin::Default(),
                                         FrmChoixDir::Default(), FrmAbout::Default()}) {
        if (dialog != nullptr) {
            dialog->setEnabled(!running);
        }
    }
}

void Kalvorform::setRequestTimeout(int ms) {
    requestTimeoutMs_ = ms;
    siteCheck_->setRequestTimeout(ms);
    if (FrmRecovery* recovery = FrmRecovery::Default()) {
        recovery->setRequestTimeout(ms);
    }
}

void Kalvorform::refresh() {
    binding_->refresh();
}

// ------------------------------------------------------------ menus and status bar

void Kalvorform::buildMenus() {
    const auto menu = [this](const QString& caption, const char* name) {
        QMenu* m = menuBar()->addMenu(caption);
        m->setObjectName(QString::fromLatin1(name));
        return m;
    };
    // An item that opens a dialog does so once the menu's call has returned:
    // an assistive tool's call would wait for the dialog to close.
    const auto item = [this](QMenu* m, const QString& caption, const char* name,
                             void (Kalvorform::*slot)(),
                             Qt::ConnectionType type = Qt::AutoConnection) {
        QAction* action = m->addAction(caption);
        action->setObjectName(QString::fromLatin1(name));
        connect(action, &QAction::triggered, this, slot, type);
    };
    QMenu* fichier = menu(QStringLiteral("&Fichier"), "fichier");
    item(fichier, QStringLiteral("&Ouvrir une Collection"), "fichier_ouvrir",
         &Kalvorform::fichier_ouvrir_Click, Qt::QueuedConnection);
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
    // Said as such, not as a file of no name that cannot be found.
    if (settings_.GV_Chemin_Base.isEmpty()) {
        throw Error(0, start_up::noCatalogueNamed());
    }
    const catalogue::Counts counts = catalogue::ReadCatalogueCounts(settings_.GV_Chemin_Base);
    panels_[0]->setText(sample_
                            ? QStringLiteral("Catalogue d'exemple : ") + settings_.GV_Chemin_Base
                            : settings_.GV_Chemin_Base);
    panels_[1]->setText(catalogue::AlbumsPanelText(counts));
    panels_[2]->setText(catalogue::SeriesPanelText(counts));
}

void Kalvorform::Form_Load_Interactive() {
    Settings& s = settings_;
    setWindowTitle(kBanner);
    if (const auto sample = start_up::Sample_Catalogue(); sample && s.GV_Chemin_Base.isEmpty()) {
        start_up::Use_Catalogue(s, *sample);
        sample_ = true;
    }
    // A catalogue that cannot be read is noted and logged, and the window is
    // still prepared: a grid left unprepared would be saved over the charts
    // at exit, and empty thumbnail boxes over the thumbnail folders.
    if (const auto failure = Attempt([this] { showCounts(); })) {
        start_up::Form_Load_Failed(s, failure->description);
    }
    if (s.opt_miniatures == 1) {
        s.box_thumb_couvertures = s.GV_Thumb_Couvertures;
        s.box_thumb_planches = s.GV_Thumb_Planches;
        s.box_thumb_photos = s.GV_Thumb_Photos;
        s.box_thumb_versos = s.GV_Thumb_Versos;
        s.box_thumb_dedicaces = s.GV_Thumb_Dedicaces;
        s.box_thumb_parabd = s.GV_Thumb_Parabd;
        s.box_thumb_revues = s.GV_Thumb_Revues;
        s.window.TabNavig_TabEnabled[Settings::kTabMiniatures] = true;
    } else {
        s.window.TabNavig_TabEnabled[Settings::kTabMiniatures] = false;
    }
    s.window.TabNavig_TabEnabled[Settings::kTabStatistiques] = s.opt_stats == 1;
    renommer_->Form_Load(s.GV_Rep_Base);
    helpFile_ = s.GV_App_Path + QStringLiteral("/Kalvor.chm");
    grid_->Prepare_Grid(s);
    tabs_->setCurrentIndex(0);
    refresh();
}

void Kalvorform::fichier_ouvrir_Click() {
    if (work_.running()) {
        return;
    }
    const QString path = QFileDialog::getOpenFileName(
        this, QStringLiteral("Ouvrir une Collection"), settings_.GV_Rep_Base,
        QStringLiteral(
            "Base Ormelo' (*.mdb *.accdb *.sqlite *.sqlite3 *.db);;Tous les fichiers (*)"));
    if (path.isEmpty()) {
        return;
    }
    // Work may have begun while the file was chosen: it alone reads the
    // catalogue meanwhile.
    if (work_.running()) {
        LongWork::Say_Busy(*prompt_);
        return;
    }
    Open_Collection(path);
}

bool Kalvorform::Open_Collection(const QString& path) {
    catalogue::Counts counts;
    if (const auto failure = Attempt([&] { counts = catalogue::ReadCatalogueCounts(path); })) {
        prompt_->message(QStringLiteral("Impossible d'ouvrir la collection ") + path +
                             QStringLiteral(" :\n") + failure->description,
                         kBanner, PromptIcon::Critical);
        return false;
    }
    settings_.GV_Chemin_Base = path;
    sample_ = false;
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
    start_up::Report_Store_Problem(*prompt_);
    site::Drop_Tables_Temp(settings_.GV_Chemin_Base, *prompt_);
}

// Long work runs to its end first, the window closing then: a recovery or an
// export writes the user's files. A site check is only stopped: its result
// goes with the window.
bool Kalvorform::Defer_Close() {
    if (!work_.running()) {
        return false;
    }
    siteCheck_->Defer_Close();
    closeAfterWork_ = true;
    return true;
}

void Kalvorform::fichier_quitter_Click() {
    if (Defer_Close()) {
        return;
    }
    Form_Unload();
    ended_ = true;
    close();
    waitForBoxes();
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
    waitForBoxes();
    // A dialog that refuses to close would keep the program running with no
    // window: what it holds unfinished goes with the program.
    if (FrmPara* para = FrmPara::Default()) {
        para->Discard();
    }
    QCoreApplication::quit();
}

void Kalvorform::waitForBoxes() {
    if (qtPrompt_ != nullptr) {
        qtPrompt_->waitForBoxes();
    }
}

void Kalvorform::kalvor_Click() {
    renommer_->hide();
    tabs_->show();
}

void Kalvorform::Renommer_Click() {
    if (work_.running()) {
        return;
    }
    tabs_->hide();
    renommer_->show();
}

void Kalvorform::aide_propos_Click() {
    FrmAbout::ShowDefault()->setEnabled(!work_.running());
}

void Kalvorform::recovery_Click() {
    FrmRecovery::ShowDefault(settings_, *prompt_, &work_, this)
        ->setRequestTimeout(requestTimeoutMs_);
}

void Kalvorform::aide_aide_Click() {
    // No help file is shipped: a key that does nothing visible would look
    // broken, so its absence is said.
    const QString file =
        helpFile_.isEmpty() ? settings_.GV_App_Path + QStringLiteral("/Kalvor.chm") : helpFile_;
    if (!QFileInfo(file).isFile()) {
        prompt_->message(
            QStringLiteral("Aucun fichier d'aide : ") + file + QStringLiteral(" n'existe pas."),
            kBanner, PromptIcon::Information);
    } else if (!QDesktopServices::openUrl(QUrl::fromLocalFile(file))) {
        prompt_->message(QStringLiteral("Le fichier d'aide ") + file +
                             QStringLiteral(" n'a pas pu être ouvert : aucun programme de ce "
                                            "système ne lit les fichiers .chm."),
                         kBanner, PromptIcon::Exclamation);
    }
}

}  // namespace kalvor
