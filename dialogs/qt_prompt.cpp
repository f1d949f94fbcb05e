#include "dialogs/qt_prompt.h"

#include <QApplication>
#include <QEventLoop>
#include <QFileDialog>
#include <QMessageBox>
#include <QPushButton>
#include <memory>

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

// A message box shows the normal pointer even inside a long operation.
bool pausePointer() {
    if (QApplication::overrideCursor() == nullptr) {
        return false;
    }
    QApplication::setOverrideCursor(Qt::ArrowCursor);
    return true;
}
}  // namespace

QtPrompt::QtPrompt(QWidget* parent) : parent_(parent), context_(std::make_unique<QObject>()) {}

QtPrompt::~QtPrompt() = default;

// A file dialog or another box goes before the box is read: the window
// that opened it owns the box.
QWidget* QtPrompt::owner() const {
    for (QWidget* w = QApplication::activeWindow(); w != nullptr;
         w = w->parentWidget() != nullptr ? w->parentWidget()->window() : nullptr) {
        if (w->isVisible() && qobject_cast<QMessageBox*>(w) == nullptr &&
            qobject_cast<QFileDialog*>(w) == nullptr) {
            return w;
        }
    }
    return parent_;
}

void QtPrompt::message(const QString& text, const QString& title, PromptIcon icon) {
    said_.push_back({text, title, icon, owner()});
    QMetaObject::invokeMethod(
        context_.get(), [this] { showNext(); }, Qt::QueuedConnection);
}

void QtPrompt::showNext() {
    if (shown_ != nullptr || said_.empty()) {
        return;
    }
    const Said next = said_.front();
    said_.pop_front();
    QWidget* parent =
        next.owner != nullptr && next.owner->isVisible() ? next.owner.data() : parent_;
    auto* box = new QMessageBox(toQt(next.icon), next.title, next.text, QMessageBox::Ok, parent);
    box->setAttribute(Qt::WA_DeleteOnClose);
    box->setWindowModality(Qt::ApplicationModal);
    const bool paused = pausePointer();
    // Read, or gone with its window: the next box comes either way, once.
    auto over = std::make_shared<bool>(false);
    const auto ended = [this, paused, over] {
        if (*over) {
            return;
        }
        *over = true;
        if (paused) {
            QApplication::restoreOverrideCursor();
        }
        shown_ = nullptr;
        QMetaObject::invokeMethod(
            context_.get(), [this] { showNext(); }, Qt::QueuedConnection);
    };
    QObject::connect(box, &QDialog::finished, context_.get(), ended);
    QObject::connect(box, &QObject::destroyed, context_.get(), ended);
    shown_ = box;
    box->show();
}

void QtPrompt::waitForBoxes() {
    while (shown_ != nullptr || !said_.empty()) {
        if (shown_ == nullptr) {
            showNext();
        }
        QEventLoop loop;
        QObject::connect(shown_.data(), &QDialog::finished, &loop, &QEventLoop::quit);
        QObject::connect(shown_.data(), &QObject::destroyed, &loop, &QEventLoop::quit);
        loop.exec();
    }
}

bool QtPrompt::askYesNo(const QString& text, const QString& title, PromptIcon icon) {
    waitForBoxes();
    const bool paused = pausePointer();
    QMessageBox box(toQt(icon), title, text, QMessageBox::Yes | QMessageBox::No, owner());
    box.button(QMessageBox::Yes)->setText(QStringLiteral("&Oui"));
    box.button(QMessageBox::No)->setText(QStringLiteral("&Non"));
    const bool yes = box.exec() == QMessageBox::Yes;
    if (paused) {
        QApplication::restoreOverrideCursor();
    }
    return yes;
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
