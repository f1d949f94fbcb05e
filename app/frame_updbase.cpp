#include "app/frame_updbase.h"

#include <QCheckBox>
#include <QGridLayout>
#include <QPushButton>

#include "app/tool_work.h"

namespace kalvor {

FrameUpdbase::FrameUpdbase(Settings& settings, Prompt& prompt, LongWork& work, QWidget* parent)
    : QGroupBox(QStringLiteral("Mise à jour de la base"), parent),
      settings_(settings),
      prompt_(prompt),
      work_(work) {
    setObjectName(QStringLiteral("Frame_updbase"));
    setToolTip(QStringLiteral(
        "Convertion en minuscule/majuscule des noms de fichiers dans la base Ormelo'"));
    auto* grid = new QGridLayout(this);
    albums_ = box("opt_conv_albums", QStringLiteral("Albums (couverture, verso, dédicace)"));
    acheter_ = box("opt_conv_acheter", QStringLiteral("Acheter (couverture, verso, dédicace)"));
    serie_ = box("opt_conv_serie", QStringLiteral("Séries (Planche)"));
    auteur_ = box("opt_conv_auteur", QStringLiteral("Auteurs (Photo)"));
    exlibris_ = box("opt_conv_exlibris", QStringLiteral("Ex-libris"));
    revues_ = box("opt_conv_revues", QStringLiteral("Revues"));
    grid->addWidget(albums_, 0, 0);
    grid->addWidget(acheter_, 1, 0);
    grid->addWidget(serie_, 2, 0);
    grid->addWidget(auteur_, 0, 1);
    grid->addWidget(exlibris_, 1, 1);
    grid->addWidget(revues_, 2, 1);

    auto* majuscule = new QPushButton(QStringLiteral("Majuscule"));
    majuscule->setObjectName(QStringLiteral("cmd_majuscule"));
    connect(majuscule, &QPushButton::clicked, this, &FrameUpdbase::cmd_majuscule_Click);
    auto* minuscule = new QPushButton(QStringLiteral("Minuscule"));
    minuscule->setObjectName(QStringLiteral("cmd_minuscule"));
    connect(minuscule, &QPushButton::clicked, this, &FrameUpdbase::cmd_minuscule_Click);
    grid->addWidget(majuscule, 0, 2);
    grid->addWidget(minuscule, 1, 2);
}

QCheckBox* FrameUpdbase::box(const char* name, const QString& caption) {
    auto* b = new QCheckBox(caption);
    b->setObjectName(QString::fromLatin1(name));
    return b;
}

caseconv::Tables FrameUpdbase::Tables() const {
    const auto value = [](const QCheckBox* b) { return b->isChecked() ? 1 : 0; };
    caseconv::Tables t;
    t.opt_conv_albums = value(albums_);
    t.opt_conv_acheter = value(acheter_);
    t.opt_conv_serie = value(serie_);
    t.opt_conv_auteur = value(auteur_);
    t.opt_conv_exlibris = value(exlibris_);
    t.opt_conv_revues = value(revues_);
    return t;
}

void FrameUpdbase::convert(void (*click)(Settings&, const caseconv::Tables&, Prompt&)) {
    StartTool(work_, prompt_, [this, click, tables = Tables()](Prompt& prompt) {
        click(settings_, tables, prompt);
    });
}

void FrameUpdbase::cmd_majuscule_Click() {
    convert(&caseconv::cmd_majuscule_Click);
}

void FrameUpdbase::cmd_minuscule_Click() {
    convert(&caseconv::cmd_minuscule_Click);
}

}  // namespace kalvor
