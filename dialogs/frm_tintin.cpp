#include "dialogs/frm_tintin.h"

#include <QButtonGroup>
#include <QCloseEvent>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPointer>
#include <QPushButton>
#include <QRadioButton>
#include <QVBoxLayout>

#include "common/operation.h"
#include "dialogs/held_text.h"
#include "platform/prompt.h"
#include "settings/settings.h"

namespace kalvor {
namespace {
QPointer<FrmTintin> defaultInstance;

QPushButton* button(const QString& name, const QString& caption, QWidget* parent) {
    auto* b = new QPushButton(caption, parent);
    b->setObjectName(name);
    return b;
}
}  // namespace

FrmTintin::FrmTintin(Settings& settings, Prompt& prompt, QWidget* parent)
    : QDialog(parent), settings_(settings), prompt_(prompt) {
    setObjectName(QStringLiteral("frmTintin"));
    setWindowTitle(QStringLiteral("Configuration du plugin Tintin"));

    auto* layout = new QVBoxLayout(this);
    auto* serie = new QLabel(QStringLiteral("Sélectionnez la série :"), this);
    serie->setObjectName(QStringLiteral("lbl_plugintintin"));
    layout->addWidget(serie);
    group_ = new QButtonGroup(this);
    for (int i = 0; i < kOptions; ++i) {
        auto* option = new QRadioButton(this);
        option->setObjectName(QStringLiteral("opt_tintin_%1").arg(i));
        group_->addButton(option, i);
        layout->addWidget(option);
        options_.at(i) = option;
    }
    none_ =
        new QLabel(QStringLiteral("Aucune série contenant « Tintin » n'a d'objet Para-BD dans le "
                                  "catalogue : le plugin ne peut pas être activé."),
                   this);
    none_->setObjectName(QStringLiteral("lbl_aucune_serie"));
    none_->setWordWrap(true);
    none_->hide();
    layout->addWidget(none_);
    auto* rep = new QLabel(QStringLiteral("Répertoire du site contenant les animations :"), this);
    rep->setObjectName(QStringLiteral("lbl_rep_anim"));
    layout->addWidget(rep);
    path_ = new QLineEdit(this);
    path_->setObjectName(QStringLiteral("box_plugin_tintin_path"));
    KeepTextWhileDisabled(path_);
    path_->setMinimumWidth(360);
    rep->setBuddy(path_);
    path_->setAccessibleName(QStringLiteral("Répertoire du site contenant les animations"));
    layout->addWidget(path_);

    activer_ = button(QStringLiteral("btn_activer"), QStringLiteral("Activer"), this);
    desactiver_ = button(QStringLiteral("btn_desactiver"), QStringLiteral("Désactiver"), this);
    default_ = button(QStringLiteral("btn_default"), QStringLiteral("Kalvor"), this);
    annuler_ = button(QStringLiteral("btn_annuler"), QStringLiteral("Fermer"), this);
    auto* buttons = new QHBoxLayout;
    buttons->addWidget(activer_);
    buttons->addWidget(desactiver_);
    buttons->addWidget(default_);
    buttons->addStretch();
    buttons->addWidget(annuler_);
    layout->addLayout(buttons);

    connect(activer_, &QPushButton::clicked, this, &FrmTintin::btn_activer_Click);
    connect(desactiver_, &QPushButton::clicked, this, &FrmTintin::btn_desactiver_Click);
    connect(default_, &QPushButton::clicked, this, &FrmTintin::btn_default_Click);
    connect(annuler_, &QPushButton::clicked, this, &FrmTintin::btn_annuler_Click);
    clearOptions();
}

void FrmTintin::clearOptions() {
    group_->setExclusive(false);
    for (QRadioButton* option : options_) {
        option->setChecked(false);
        option->setVisible(false);
        option->setText(QString());
    }
    group_->setExclusive(true);
}

bool FrmTintin::Form_Load() {
    clearOptions();
    Nb_Find = 0;
    Tablo_Plugin.clear();
    QList<TintinSeries> found;
    const OnFailure onFailure{
        .title = kBanner,
        .message = QStringLiteral("Impossible de lire les séries du catalogue ") +
                   settings_.GV_Chemin_Base + QStringLiteral(" :\n"),
        .withCause = true};
    if (!RunOperation(prompt_, onFailure, [&] {
            found = Find_Tintin_Series(settings_.GV_Chemin_Base, settings_.GV_Version_Base);
        })) {
        return false;
    }
    if (found.size() > kOptions) {
        prompt_.message(QStringLiteral("Prévu jusqu'à 6 séries contenant Tintin"), kBanner,
                        PromptIcon::Critical);
        return false;
    }
    Nb_Find = int(found.size());
    Tablo_Plugin = found;
    group_->setExclusive(false);
    for (int i = 0; i < Nb_Find; ++i) {
        QRadioButton* option = options_.at(i);
        option->setText(Tablo_Plugin.at(i).titre);
        option->setVisible(true);
        option->setChecked(Tablo_Plugin.at(i).idserie == settings_.GV_Plugin_Tintin_Id);
    }
    group_->setExclusive(true);
    // Without a series, "Activer" could save nothing.
    none_->setVisible(Nb_Find == 0);
    activer_->setEnabled(Nb_Find > 0);
    desactiver_->setEnabled(settings_.GV_Plugin_Tintin_Id != 0);
    path_->setText(settings_.GV_Plugin_Tintin_Path);
    return true;
}

FrmTintin* FrmTintin::ShowDefault(Settings& settings, Prompt& prompt) {
    if (!defaultInstance) {
        auto* dialog = new FrmTintin(settings, prompt);
        dialog->setAttribute(Qt::WA_DeleteOnClose);
        if (!dialog->Form_Load()) {
            delete dialog;
            return nullptr;
        }
        defaultInstance = dialog;
    }
    defaultInstance->show();
    defaultInstance->raise();
    defaultInstance->activateWindow();
    return defaultInstance;
}

FrmTintin* FrmTintin::Default() {
    return defaultInstance;
}

void FrmTintin::btn_activer_Click() {
    for (int i = 0; i < Nb_Find; ++i) {
        if (options_.at(i)->isChecked()) {
            settings_.GV_Plugin_Tintin_Id = Tablo_Plugin.at(i).idserie;
            settings_.GV_Plugin_Tintin_Path = path_->text();
            close();
            return;
        }
    }
    prompt_.message(QStringLiteral("Veuillez Sélectionner la série"), kBanner,
                    PromptIcon::Question);
}

void FrmTintin::btn_desactiver_Click() {
    settings_.GV_Plugin_Tintin_Id = 0;
    settings_.GV_Plugin_Tintin_Path = Settings::PluginTintinDefaultPath();
    path_->setText(settings_.GV_Plugin_Tintin_Path);
    close();
}

void FrmTintin::btn_default_Click() {
    settings_.GV_Plugin_Tintin_Path = Settings::PluginTintinDefaultPath();
    path_->setText(settings_.GV_Plugin_Tintin_Path);
}

void FrmTintin::btn_annuler_Click() {
    close();
}

void FrmTintin::reject() {
    close();
}

void FrmTintin::closeEvent(QCloseEvent* event) {
    if (Nb_Find > 0 && path_->text() != settings_.GV_Plugin_Tintin_Path &&
        !prompt_.askYesNo(QStringLiteral("L'adresse saisie n'est enregistrée que par « Activer ». "
                                         "Fermer sans l'enregistrer ?"),
                          kBanner)) {
        event->ignore();
        return;
    }
    event->accept();
}

}  // namespace kalvor
