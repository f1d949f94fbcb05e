#include "dialogs/frm_para.h"

#include <QCloseEvent>
#include <QComboBox>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QPointer>
#include <QPushButton>
#include <QSignalBlocker>
#include <QVBoxLayout>

#include "common/banner.h"
#include "dialogs/accessible_names.h"
#include "platform/prompt.h"

namespace kalvor {
namespace {
QPointer<FrmPara> defaultInstance;
}

FrmPara::FrmPara(Settings& settings, Prompt& prompt, QWidget* parent)
    : QDialog(parent), model_(settings), prompt_(prompt) {
    setObjectName(QStringLiteral("frmPara"));
    setWindowTitle(QStringLiteral("Ordre de Tri pour le Para-BD"));

    auto* grid = new QGridLayout;
    for (int n = 1; n <= ParaSort::kRanks; ++n) {
        auto* label = new QLabel(QString::number(n), this);
        auto* combo = new QComboBox(this);
        combo->setObjectName(QStringLiteral("cbo_para_tri_%1").arg(n));
        combo->setEditable(false);
        combo->setMinimumContentsLength(18);
        // A rank alone says little when heard.
        label->setBuddy(combo);
        NameAs(combo, QStringLiteral("Rang ") + label->text());
        grid->addWidget(label, n - 1, 0);
        grid->addWidget(combo, n - 1, 1);
        combos_.at(n - 1) = combo;
        connect(combo, &QComboBox::activated, this, [this, n, combo](int index) {
            model_.Choose(n, combo->itemText(index));
            refresh();
        });
    }
    defaut_ = new QPushButton(QStringLiteral("Défaut"), this);
    defaut_->setObjectName(QStringLiteral("btn_tri_defaut"));
    annuler_ = new QPushButton(QStringLiteral("Fermer"), this);
    annuler_->setObjectName(QStringLiteral("btn_annuler"));
    connect(defaut_, &QPushButton::clicked, this, [this] {
        model_.btn_tri_defaut_Click();
        refresh();
    });
    connect(annuler_, &QPushButton::clicked, this, &QWidget::close);

    auto* buttons = new QHBoxLayout;
    buttons->addWidget(defaut_);
    buttons->addStretch();
    buttons->addWidget(annuler_);
    auto* layout = new QVBoxLayout(this);
    layout->addLayout(grid);
    layout->addLayout(buttons);

    model_.Form_Load();
    refresh();
}

FrmPara* FrmPara::ShowDefault(Settings& settings, Prompt& prompt) {
    if (!defaultInstance) {
        defaultInstance = new FrmPara(settings, prompt);
        defaultInstance->setAttribute(Qt::WA_DeleteOnClose);
    }
    defaultInstance->show();
    defaultInstance->raise();
    defaultInstance->activateWindow();
    return defaultInstance;
}

FrmPara* FrmPara::Default() {
    return defaultInstance;
}

void FrmPara::refresh() {
    for (int n = 1; n <= ParaSort::kRanks; ++n) {
        QComboBox* combo = combos_.at(n - 1);
        const QSignalBlocker block(combo);
        combo->clear();
        combo->addItems(model_.List(n));
        combo->setCurrentIndex(int(model_.List(n).indexOf(model_.Shown(n))));
    }
}

void FrmPara::reject() {
    close();
}

void FrmPara::Discard() {
    discarding_ = true;
    close();
}

// Form_Unload
void FrmPara::closeEvent(QCloseEvent* event) {
    if (!discarding_ && !model_.CanClose()) {
        prompt_.message(QStringLiteral("Tous les champs doivent être renseignés"), kBanner,
                        PromptIcon::Critical);
        event->ignore();
        return;
    }
    event->accept();
}

}  // namespace kalvor
