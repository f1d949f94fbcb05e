#include "dialogs/frm_recovery.h"

#include <QCloseEvent>
#include <QFileDialog>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QStatusBar>
#include <QVBoxLayout>

#include "common/banner.h"
#include "dialogs/held_text.h"
#include "platform/inet.h"
#include "platform/long_work.h"
#include "platform/program_folder.h"
#include "platform/prompt.h"
#include "settings/settings.h"

namespace kalvor {
namespace {
QPointer<FrmRecovery> defaultInstance;

// Shown until a site address is known.
const QString kExampleSite = QStringLiteral("http://www.monsite.fr/bd");
}  // namespace

FrmRecovery::FrmRecovery(Settings& settings, Prompt& prompt, LongWork* work, QWidget* parent)
    : QDialog(parent),
      settings_(settings),
      prompt_(prompt),
      ownWork_(work ? nullptr : std::make_unique<LongWork>()),
      work_(work ? work : ownWork_.get()),
      forwarded_(prompt, *work_),
      driver_(*this, forwarded_) {
    setObjectName(QStringLiteral("frmRecovery"));
    setWindowTitle(QStringLiteral("Recovery"));

    auto* caption = new QLabel(QStringLiteral("Site :"), this);
    caption->setObjectName(QStringLiteral("Label8"));
    site_ = new QLineEdit(kExampleSite, this);
    site_->setObjectName(QStringLiteral("box_site"));
    site_->setMinimumWidth(320);
    caption->setBuddy(site_);
    site_->setAccessibleName(QStringLiteral("Site"));
    KeepTextWhileDisabled(site_);
    process_ = new QPushButton(QStringLiteral("Récupérer"), this);
    process_->setObjectName(QStringLiteral("btn_process"));
    fermer_ = new QPushButton(QStringLiteral("Fermer"), this);
    fermer_->setObjectName(QStringLiteral("btn_fermer"));
    connect(process_, &QPushButton::clicked, this, &FrmRecovery::btn_process_Click);
    connect(fermer_, &QPushButton::clicked, this, &QWidget::close);

    const QString designTexts[] = {QStringLiteral("Résultat de la récupération :"),
                                   QStringLiteral("0 albums"),
                                   QStringLiteral("0 albums à acheter"),
                                   QStringLiteral("0 Parabd"),
                                   QStringLiteral("0 revues"),
                                   QStringLiteral("0 Auteurs"),
                                   QStringLiteral("0 Séries"),
                                   QStringLiteral("0 Collaborateurs")};
    auto* results = new QVBoxLayout;
    for (int i = 0; i < 8; ++i) {
        labels_.at(i) = new QLabel(designTexts[i], this);
        labels_.at(i)->setObjectName(QStringLiteral("Label%1").arg(i));
        results->addWidget(labels_.at(i));
    }

    auto* bar = new QStatusBar(this);
    bar->setObjectName(QStringLiteral("RecoveryStatusBar"));
    bar->setSizeGripEnabled(false);
    status_ = new QLabel(this);
    status_->setObjectName(QStringLiteral("RecoveryStatusBar_Panel1"));
    bar->addWidget(status_, 1);

    auto* top = new QHBoxLayout;
    top->addWidget(caption);
    top->addWidget(site_, 1);
    auto* buttons = new QHBoxLayout;
    buttons->addStretch();
    buttons->addWidget(process_);
    buttons->addWidget(fermer_);
    auto* layout = new QVBoxLayout(this);
    layout->addLayout(top);
    layout->addLayout(results);
    layout->addStretch();
    layout->addLayout(buttons);
    layout->addWidget(bar);

    // Other work refuses this one's start, and the reverse.
    connect(work_, &LongWork::runningChanged, this, &FrmRecovery::enableProcess);
    enableProcess();

    // Form_Load
    Labels_Show(false);
    if (!settings_.box_site.isEmpty()) {
        site_->setText(settings_.box_site);
    }
}

// The run uses the driver: it ends before the dialog goes.
FrmRecovery::~FrmRecovery() {
    if (running_ && work_) {
        work_->abandon();
    }
}

FrmRecovery* FrmRecovery::ShowDefault(Settings& settings, Prompt& prompt, LongWork* work,
                                      QWidget* parent) {
    if (!defaultInstance) {
        defaultInstance = new FrmRecovery(settings, prompt, work, parent);
        defaultInstance->setAttribute(Qt::WA_DeleteOnClose);
    }
    defaultInstance->show();
    defaultInstance->raise();
    defaultInstance->activateWindow();
    return defaultInstance;
}

FrmRecovery* FrmRecovery::Default() {
    return defaultInstance;
}

void FrmRecovery::btn_process_Click() {
    // A press that reached the button while it was refused, as an assistive
    // tool's does through the file dialog or the question: the run under
    // way keeps the base it was given.
    if (preparing_ || running_ || work_->running()) {
        prompt_.message(preparing_ || (running_ && driver_.Asking())
                            ? QStringLiteral("Une récupération est déjà lancée : elle "
                                             "attend le choix de la base Recovery ou la "
                                             "réponse à sa question.")
                            : LongWork::Busy_Text(),
                        kBanner, PromptIcon::Exclamation);
        return;
    }
    preparing_ = true;
    enableProcess();
    const bool prepared = driver_.Prepare(site_->text(), settings_.box_password);
    preparing_ = false;
    if (prepared) {
        const int timeout = timeoutMs_;
        if (work_->start(
                [this, timeout] {
                    Inet inet(timeout);
                    driver_.Run(inet);
                },
                [this] { ended(); }, [this] { driver_.Cancel(); })) {
            SetRunning(true);
        } else {
            // Other work began while the base was chosen.
            driver_.Forget_Prepared();
            SetStatus(QString());
            LongWork::Say_Busy(prompt_);
        }
    }
    enableProcess();
}

void FrmRecovery::enableProcess() {
    process_->setEnabled(!preparing_ && !running_ && !work_->running());
    // The site of the run under way is taken: another would not be used.
    site_->setEnabled(!preparing_ && !running_);
}

void FrmRecovery::ended() {
    SetRunning(false);
    if (closeAfterRun_) {
        closeAfterRun_ = false;
        QMetaObject::invokeMethod(this, &QWidget::close, Qt::QueuedConnection);
    }
}

QString FrmRecovery::statusText() const {
    return status_->text();
}

// While a run goes on, Escape cancels it and keeps the dialog, to run again; "Fermer" or closing
// the window cancels it and closes once it has ended.
void FrmRecovery::reject() {
    if (running_) {
        driver_.Cancel();
        return;
    }
    QDialog::reject();
}

void FrmRecovery::closeEvent(QCloseEvent* event) {
    if (running_) {
        closeAfterRun_ = true;
        driver_.Cancel();
        event->ignore();
        return;
    }
    QDialog::closeEvent(event);
}

template <class F>
void FrmRecovery::onWindow(F show) {
    QMetaObject::invokeMethod(this, std::move(show), Qt::AutoConnection);
}

void FrmRecovery::SetStatus(const QString& text) {
    onWindow([this, text] { status_->setText(text); });
}

QString FrmRecovery::ChooseDatabase() {
    if (chooser_) {
        return chooser_();
    }
    return QFileDialog::getOpenFileName(
        this, QStringLiteral("Sélectionner la base Recovery.db"), programFolder(),
        QStringLiteral("Base Recovery (recovery.db recovery.mdb);;Tous les fichiers (*)"));
}

void FrmRecovery::Labels_Show(bool status) {
    onWindow([this, status] {
        for (QLabel* label : labels_) {
            label->setVisible(status);
        }
    });
}

void FrmRecovery::ShowCounts(const recovery::RecoveryCounts& shown) {
    onWindow([this, counts = shown] {
        const auto caption = [](qint64 n, const char* suffix) {
            return QString::number(n) + QString::fromUtf8(suffix);
        };
        labels_[1]->setText(caption(counts.albums, " Albums"));
        labels_[2]->setText(caption(counts.acheter, " Albums à acheter"));
        labels_[3]->setText(caption(counts.exlibris, " ParaBd"));
        labels_[4]->setText(caption(counts.revues, " Revues"));
        labels_[5]->setText(caption(counts.auteurs, " Auteurs"));
        labels_[6]->setText(caption(counts.series, " Séries"));
        labels_[7]->setText(caption(counts.collaborateurs, " Collaborateurs"));
    });
}

void FrmRecovery::SetRunning(bool running) {
    if (running_ != running) {
        running_ = running;
        prompt_.setBusy(running);
    }
    enableProcess();
}

}  // namespace kalvor
