#include <QGridLayout>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QVBoxLayout>

#include "app/form_binding.h"
#include "app/tabs.h"
#include "settings/settings.h"

namespace kalvor::tabs {

QWidget* Miniatures(FormBinding& bind) {
    using S = Settings;
    auto* layout = new QVBoxLayout;
    auto* thumbs = frame("frame_miniature",
                         QStringLiteral("Repertoires utilisés pour les miniatures (thumbs) "));
    // The image folders of tab 5 have the same labels.
    bind.folders(
        new QGridLayout(thumbs),
        {{"lbl_thumb_couvertures", QStringLiteral("Couvertures :"), "box_thumb_couvertures",
          &S::box_thumb_couvertures, &S::box_thumb_couvertures_LostFocus},
         {"lbl_thumb_versos", QStringLiteral("Versos :"), "box_thumb_versos", &S::box_thumb_versos,
          &S::box_thumb_versos_LostFocus},
         {"lbl_thumb_photos", QStringLiteral("Photos :"), "box_thumb_photos", &S::box_thumb_photos,
          &S::box_thumb_photos_LostFocus},
         {"lbl_thumb_planches", QStringLiteral("Planches :"), "box_thumb_planches",
          &S::box_thumb_planches, &S::box_thumb_planches_LostFocus},
         {"Label1", QStringLiteral("Dedicaces :"), "box_thumb_dedicaces", &S::box_thumb_dedicaces,
          &S::box_thumb_dedicaces_LostFocus},
         {"lbl_thumb_parabd", QStringLiteral("Para-BD :"), "box_thumb_parabd", &S::box_thumb_parabd,
          &S::box_thumb_parabd_LostFocus},
         {"lbl_thumb_revues", QStringLiteral("Revues :"), "box_thumb_revues", &S::box_thumb_revues,
          &S::box_thumb_revues_LostFocus}},
        QStringLiteral("miniatures"));
    layout->addWidget(thumbs);

    auto* prefix = new QGridLayout;
    QLabel* prefixLabel =
        bind.label("lbl_prefix", QStringLiteral("Préfixe figurant devant le nom du fichier"));
    prefix->addWidget(prefixLabel, 0, 0);
    prefix->addWidget(named(bind.text("box_prefix", &S::box_prefix), prefixLabel), 0, 1);
    prefix->addWidget(bind.label("lbl_obligatoire",
                                 QStringLiteral("Préfixe obligatoire si le répertoire miniature "
                                                "est identique au répertoire image")),
                      1, 0, 1, 2);
    layout->addLayout(prefix);
    return page(layout);
}

}  // namespace kalvor::tabs
