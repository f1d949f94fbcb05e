#include "dialogs/held_text.h"

#include <QLineEdit>
#include <QSignalBlocker>

namespace kalvor {

void KeepTextWhileDisabled(QLineEdit* box) {
    static const char* const kHeld = "kalvorHeldText";
    box->setProperty(kHeld, box->text());
    QObject::connect(box, &QLineEdit::textChanged, box, [box](const QString& text) {
        if (box->isEnabled()) {
            box->setProperty(kHeld, text);
            return;
        }
        const QSignalBlocker block(box);
        box->setText(box->property(kHeld).toString());
    });
}

}  // namespace kalvor
