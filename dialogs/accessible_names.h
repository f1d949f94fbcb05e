#pragma once

#include <QString>

class QWidget;

namespace kalvor {

// Screen readers, and the tools that drive the windows, name a control after
// its label: the label's text (a QLabel, a button or a frame's title)
// without its closing colon, with `qualifier` where two labels agree. A
// QLabel becomes the control's buddy.
void NameAfter(QWidget* control, QWidget* label, const QString& qualifier = {});

// Names a control that has no label of its own.
void NameAs(QWidget* control, const QString& name);

}  // namespace kalvor
