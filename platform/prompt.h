#pragma once

#include <QString>
#include <QStringList>
#include <deque>
#include <vector>

namespace kalvor {

enum class PromptIcon { None, Critical, Question, Exclamation, Information };

// Message boxes, Yes/No questions and the busy pointer. The window uses the Qt
// implementation; tests record; an unattended run without a display prints.
class Prompt {
  public:
    virtual ~Prompt() = default;
    virtual void message(const QString& text, const QString& title, PromptIcon icon) = 0;
    // True for Yes.
    virtual bool askYesNo(const QString& text, const QString& title,
                          PromptIcon icon = PromptIcon::Question) = 0;
    virtual void setBusy(bool busy) = 0;
};

// The hourglass for the span of a scope, restored also when an error leaves it.
class BusyPointer {
  public:
    explicit BusyPointer(Prompt& prompt) : prompt_(prompt) { prompt_.setBusy(true); }
    ~BusyPointer() { prompt_.setBusy(false); }
    BusyPointer(const BusyPointer&) = delete;
    BusyPointer& operator=(const BusyPointer&) = delete;

  private:
    Prompt& prompt_;
};

class RecordingPrompt : public Prompt {
  public:
    struct Shown {
        QString text;
        QString title;
        PromptIcon icon;
        bool question;
    };

    void message(const QString& text, const QString& title, PromptIcon icon) override;
    bool askYesNo(const QString& text, const QString& title, PromptIcon icon) override;
    void setBusy(bool busy) override;

    // Answers given to the next questions, in order; No once they run out.
    void queueAnswers(std::initializer_list<bool> answers);

    const std::vector<Shown>& shown() const { return shown_; }
    QStringList texts() const;
    bool busy() const { return busy_; }
    int busyChanges() const { return busyChanges_; }
    void clear();

  private:
    std::vector<Shown> shown_;
    std::deque<bool> answers_;
    bool busy_ = false;
    int busyChanges_ = 0;
};

// For runs without a display: prints to standard error and never waits.
// Questions take their default answer.
class ConsolePrompt : public Prompt {
  public:
    explicit ConsolePrompt(bool defaultAnswer = false) : defaultAnswer_(defaultAnswer) {}
    void message(const QString& text, const QString& title, PromptIcon icon) override;
    bool askYesNo(const QString& text, const QString& title, PromptIcon icon) override;
    void setBusy(bool) override {}

  private:
    bool defaultAnswer_;
};

}  // namespace kalvor
