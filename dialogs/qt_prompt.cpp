#include "dialogs/qt_prompt.h"

#include <QApplication>
#include <QMessageBox>
#include <QPushButton>

namespace kalvor {
namespace {
QMessageBox::Icon toQt(PromptIcon icon) {
    switch (icon) {
        case PromptIcon::Critical:
            return QMessageBox::Critical;
        case PromptIcon::Question:
            return QMessageBox::Question;
        case PromptIcon::Exclamation:
            return QMessageBox::Warning;
        case PromptIcon::Information:
            return QMessageBox::Information;
        case PromptIcon::None:
            break;
    }
    return QMessageBox::NoIcon;
}

// A message box must show the normal pointer even inside a long operation.
class PointerPause {
  public:
    PointerPause() : active_(QApplication::overrideCursor() != nullptr) {
        if (active_) {
            QApplication::setOverrideCursor(Qt::ArrowCursor);
        }
    }
    ~PointerPause() {
        if (active_) {
            QApplication::restoreOverrideCursor();
        }
    }

  private:
    bool active_;
};
}  // namespace

void QtPrompt::message(const QString& text, const QString& title, PromptIcon icon) {
    PointerPause pause;
    QMessageBox box(toQt(icon), title, text, QMessageBox::Ok, parent_);
    box.exec();
}

bool QtPrompt::askYesNo(const QString& text, const QString& title, PromptIcon icon) {
    PointerPause pause;
    QMessageBox box(toQt(icon), title, text, QMessageBox::Yes | QMessageBox::No, parent_);
    box.button(QMessageBox::Yes)->setText(QStringLiteral("&Oui"));
    box.button(QMessageBox::No)->setText(QStringLiteral("&Non"));
    return box.exec() == QMessageBox::Yes;
}

void QtPrompt::setBusy(bool busy) {
    if (busy) {
        if (busyDepth_++ == 0) {
            QApplication::setOverrideCursor(Qt::WaitCursor);
        }
    } else if (busyDepth_ > 0 && --busyDepth_ == 0) {
        QApplication::restoreOverrideCursor();
    }
}

}  // namespace kalvor
