#include "dialogs/frm_about.h"

#include <QApplication>
#include <QFrame>
#include <QHBoxLayout>
#include <QLabel>
#include <QPointer>
#include <QPushButton>
#include <QStyle>
#include <QVBoxLayout>

namespace kalvor {
namespace {
QPointer<FrmAbout> defaultInstance;

QLabel* label(const QString& name, const QString& text, QWidget* parent) {
    auto* l = new QLabel(text, parent);
    l->setObjectName(name);
    l->setWordWrap(true);
    return l;
}

QFrame* line(QWidget* parent) {
    auto* f = new QFrame(parent);
    f->setFrameShape(QFrame::HLine);
    f->setFrameShadow(QFrame::Sunken);
    return f;
}
}  // namespace

const QString& FrmAbout::ProductName() {
    static const QString name = QStringLiteral("Kalvor");
    return name;
}

// Form_Load
FrmAbout::FrmAbout(QWidget* parent) : QDialog(parent) {
    setObjectName(QStringLiteral("frmAbout"));
    setWindowTitle(QStringLiteral("A propos de ") + ProductName());

    auto* icon = new QLabel(this);
    icon->setObjectName(QStringLiteral("picIcon"));
    const QIcon appIcon = QApplication::windowIcon().isNull()
                              ? style()->standardIcon(QStyle::SP_ComputerIcon)
                              : QApplication::windowIcon();
    icon->setPixmap(appIcon.pixmap(32, 32));
    icon->setAlignment(Qt::AlignTop);

    auto* text = new QVBoxLayout;
    text->addWidget(
        label(QStringLiteral("lblDescription"),
              QStringLiteral(
                  "Kalvor est un outil qui vous permet d'exporter votre collection sur internet."),
              this));
    text->addWidget(label(QStringLiteral("Label1"),
                          QStringLiteral("Contrairement à l'exportation HTML proposée dans Orme "
                                         "Lo', cette exportation utilise PHP et une base MySQL."),
                          this));
    text->addWidget(label(QStringLiteral("lbl_merci"),
                          QStringLiteral("Je tiens à remercier tous ceux qui m'ont aidé à la "
                                         "réalisation de cet outil ."),
                          this));
    version_ = label(QStringLiteral("lblVersion"),
                     QStringLiteral("version %1.%2").arg(kVersionMajor).arg(kVersionMinor), this);
    text->addWidget(version_);

    auto* top = new QHBoxLayout;
    top->addWidget(icon);
    top->addLayout(text, 1);

    ok_ = new QPushButton(QStringLiteral("OK"), this);
    ok_->setObjectName(QStringLiteral("cmdOK"));
    ok_->setDefault(true);
    connect(ok_, &QPushButton::clicked, this, &QWidget::close);

    auto* layout = new QVBoxLayout(this);
    layout->addLayout(top);
    layout->addWidget(line(this));
    layout->addWidget(
        label(QStringLiteral("lbl_site"), QStringLiteral("http://www.kalvor.example"), this));
    layout->addWidget(line(this));
    layout->addWidget(
        label(QStringLiteral("lblDisclaimer"),
              QStringLiteral("Kalvor est fourni tel quel, sans garantie d'aucune sorte. Faites "
                             "une sauvegarde de votre catalogue et de votre site avant toute "
                             "publication."),
              this));
    auto* buttons = new QHBoxLayout;
    buttons->addStretch();
    buttons->addWidget(ok_);
    layout->addLayout(buttons);
    setMinimumWidth(420);
}

FrmAbout* FrmAbout::ShowDefault() {
    if (!defaultInstance) {
        defaultInstance = new FrmAbout;
        defaultInstance->setAttribute(Qt::WA_DeleteOnClose);
    }
    defaultInstance->show();
    defaultInstance->raise();
    defaultInstance->activateWindow();
    return defaultInstance;
}

FrmAbout* FrmAbout::Default() {
    return defaultInstance;
}

}  // namespace kalvor
