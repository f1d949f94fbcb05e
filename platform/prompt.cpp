#include "platform/prompt.h"

#include <cstdio>

namespace kalvor {

void RecordingPrompt::message(const QString& text, const QString& title, PromptIcon icon) {
    shown_.push_back({text, title, icon, false});
}

bool RecordingPrompt::askYesNo(const QString& text, const QString& title, PromptIcon icon) {
    shown_.push_back({text, title, icon, true});
    if (answers_.empty()) {
        return false;
    }
    const bool answer = answers_.front();
    answers_.pop_front();
    return answer;
}

void RecordingPrompt::setBusy(bool busy) {
    if (busy != busy_) {
        ++busyChanges_;
    }
    busy_ = busy;
}

void RecordingPrompt::queueAnswers(std::initializer_list<bool> answers) {
    answers_.insert(answers_.end(), answers.begin(), answers.end());
}

QStringList RecordingPrompt::texts() const {
    QStringList out;
    for (const Shown& s : shown_) {
        out << s.text;
    }
    return out;
}

void RecordingPrompt::clear() {
    shown_.clear();
    answers_.clear();
}

void ConsolePrompt::message(const QString& text, const QString& title, PromptIcon) {
    std::fprintf(stderr, "[%s] %s\n", qPrintable(title), qPrintable(text));
    std::fflush(stderr);
}

bool ConsolePrompt::askYesNo(const QString& text, const QString& title, PromptIcon) {
    std::fprintf(stderr, "[%s] %s (%s)\n", qPrintable(title), qPrintable(text),
                 defaultAnswer_ ? "Oui" : "Non");
    std::fflush(stderr);
    return defaultAnswer_;
}

}  // namespace kalvor
