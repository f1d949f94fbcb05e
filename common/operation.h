#pragma once

#include <QString>
#include <functional>
#include <optional>

#include "platform/prompt.h"

namespace kalvor {

// A failure as an operation catches it: the error's number (0 for a standard
// exception) and its French description.
struct Failure {
    int number = 0;
    QString description;
};

// Runs `work`; returns what it raised, a kalvor::Error or a standard
// exception, or nothing when it ran to its end.
std::optional<Failure> Attempt(const std::function<void()>& work);

// How an operation reports its failure: each keeps its own box, its own line
// in GV_Erreurs and its own log label, which its users know.
struct OnFailure {
    QString title{};
    // The box's text; the cause follows it when `withCause`. No box when the
    // message is empty and the cause is not shown.
    QString message{};
    PromptIcon icon = PromptIcon::Critical;
    bool withCause = false;
    // A setting the writers refuse (err::InvalidSetting) is shown by its own
    // text: the user must correct it.
    bool settingShown = false;
    // Nobody reads the log of an unattended run: the box is one line that
    // holds the cause.
    bool unattended = false;
    // GV_Erreurs, which gets `erreursPrefix` and the cause, then goes to the
    // log under `logLabel` when one is given.
    QString* erreurs = nullptr;
    QString erreursPrefix = QStringLiteral("\nerreur : ");
    QString logLabel{};
    bool busy = false;  // the hourglass while `work` runs
};

// The one failure path of the operations: runs `work`, and reports its
// failure as `onFailure` says. True when `work` ran to its end.
bool RunOperation(Prompt& prompt, const OnFailure& onFailure, const std::function<void()>& work);

}  // namespace kalvor
