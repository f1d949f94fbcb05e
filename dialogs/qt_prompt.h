#pragma once

#include "platform/prompt.h"

class QWidget;

namespace kalvor {

// Message boxes and the hourglass of the window.
class QtPrompt : public Prompt {
  public:
    explicit QtPrompt(QWidget* parent = nullptr) : parent_(parent) {}
    void message(const QString& text, const QString& title, PromptIcon icon) override;
    bool askYesNo(const QString& text, const QString& title, PromptIcon icon) override;
    void setBusy(bool busy) override;

  private:
    QWidget* parent_;
    int busyDepth_ = 0;
};

}  // namespace kalvor
