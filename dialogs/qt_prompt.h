#pragma once

#include <QPointer>
#include <deque>
#include <memory>

#include "platform/prompt.h"

class QMessageBox;
class QObject;
class QWidget;

namespace kalvor {

// Message boxes and the hourglass of the window. A message box is shown once
// the action that called it has returned, so that an assistive tool's call
// is never held by a box it cannot read yet; boxes follow one another in
// order. A question waits for the boxes before it, then for its answer.
class QtPrompt : public Prompt {
  public:
    explicit QtPrompt(QWidget* parent = nullptr);
    ~QtPrompt() override;
    void message(const QString& text, const QString& title, PromptIcon icon) override;
    bool askYesNo(const QString& text, const QString& title, PromptIcon icon) override;
    void setBusy(bool busy) override;

    // Waits until every box said so far has been read: before the program
    // ends, which would take them away unread.
    void waitForBoxes();

  private:
    struct Said {
        QString text;
        QString title;
        PromptIcon icon;
        QPointer<QWidget> owner;
    };
    void showNext();
    // The window the user is in: its box keeps the focus there.
    QWidget* owner() const;

    QWidget* parent_;
    std::unique_ptr<QObject> context_;  // ends the pending calls with the prompt
    std::deque<Said> said_;
    QPointer<QMessageBox> shown_;
    int busyDepth_ = 0;
};

}  // namespace kalvor
