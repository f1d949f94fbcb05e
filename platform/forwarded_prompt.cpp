#include "platform/forwarded_prompt.h"

#include "platform/long_work.h"

namespace kalvor {

void ForwardedPrompt::message(const QString& text, const QString& title, PromptIcon icon) {
    work_.callOnWindow([&] { window_.message(text, title, icon); });
}

bool ForwardedPrompt::askYesNo(const QString& text, const QString& title, PromptIcon icon) {
    bool yes = false;
    work_.callOnWindow([&] { yes = window_.askYesNo(text, title, icon); });
    return yes;
}

void ForwardedPrompt::setBusy(bool busy) {
    work_.callOnWindow([&] { window_.setBusy(busy); });
}

}  // namespace kalvor
