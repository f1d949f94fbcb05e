#include "common/operation.h"

#include <exception>

#include "common/general.h"
#include "platform/error.h"

namespace kalvor {

std::optional<Failure> Attempt(const std::function<void()>& work) {
    try {
        work();
        return std::nullopt;
    } catch (const Error& e) {
        return Failure{e.Number(), e.Description()};
    } catch (const std::exception& e) {
        return Failure{0, QString::fromLocal8Bit(e.what())};
    }
}

bool RunOperation(Prompt& prompt, const OnFailure& onFailure, const std::function<void()>& work) {
    std::optional<Failure> failure;
    {
        std::optional<BusyPointer> busy;
        if (onFailure.busy) {
            busy.emplace(prompt);
        }
        failure = Attempt(work);
    }
    if (!failure) {
        return true;
    }
    const QString& cause = failure->description;
    // The trace first: it is kept even when the box is never closed.
    if (onFailure.erreurs != nullptr) {
        *onFailure.erreurs += onFailure.erreursPrefix + cause;
        if (!onFailure.logLabel.isEmpty()) {
            general::Write_Log(onFailure.logLabel, *onFailure.erreurs);
        }
    }
    QString text = onFailure.message;
    bool causeShown = onFailure.withCause;
    if (onFailure.settingShown && failure->number == err::InvalidSetting) {
        text = cause;
        causeShown = true;
    } else if (onFailure.withCause) {
        text += cause;
    }
    if (onFailure.unattended) {
        // One line in the scheduled job's log, with its cause.
        if (!causeShown) {
            text += QStringLiteral(" : ") + cause;
        }
        text.replace(QStringLiteral("\r\n"), QStringLiteral(" "));
        text.replace(u'\r', u' ');
        text.replace(u'\n', u' ');
    }
    if (!onFailure.message.isEmpty() || causeShown) {
        prompt.message(text, onFailure.title, onFailure.icon);
    }
    return false;
}

}  // namespace kalvor
