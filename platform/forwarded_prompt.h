#pragma once

#include "platform/prompt.h"

namespace kalvor {

class LongWork;

// The window's prompt as long work sees it: a box or a question asked from
// the work's thread is shown by the window's thread, the work waiting for its
// answer. A question left unanswered because the window is going gets No.
class ForwardedPrompt : public Prompt {
  public:
    ForwardedPrompt(Prompt& window, LongWork& work) : window_(window), work_(work) {}
    void message(const QString& text, const QString& title, PromptIcon icon) override;
    bool askYesNo(const QString& text, const QString& title, PromptIcon icon) override;
    void setBusy(bool busy) override;

  private:
    Prompt& window_;
    LongWork& work_;
};

}  // namespace kalvor
