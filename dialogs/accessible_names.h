#pragma once

#include <QString>

class QWidget;

namespace kalvor {

// Screen readers, and the tools that drive the windows, name a control after
// its label: the label's text (a QLabel, a button or a frame's title)
// without its closing colon, with `qualifier` where two labels agree. A
// QLabel becomes the control's buddy.
void NameAfter(QWidget* control, QWidget* label, const QString& qualifier = {});

// Combo boxes and tab bars as assistive tools need them: before the first
// widget, since a widget's interface is made once, as soon as it is asked.
void InstallAccessibleInterfaces();

// Names a control that has no label of its own.
void NameAs(QWidget* control, const QString& name);

}  // namespace kalvor
