#include "app/form_binding.h"

#include <QBoxLayout>
#include <QButtonGroup>
#include <QCheckBox>
#include <QComboBox>
#include <QFocusEvent>
#include <QGridLayout>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QSignalBlocker>
#include <QVBoxLayout>
#include <optional>

#include "platform/prompt.h"
#include "settings/settings.h"

namespace kalvor {
namespace {

// Runs an option's handler without holding the call that chose the option
// while its question waits: the handler goes on as if answered No, and the
// question comes once the call has returned. A Yes runs the handler again
// with that answer; every such handler gives the same result run twice.
class QuestionAfterwards : public Prompt {
  public:
    QuestionAfterwards(Prompt& out, std::optional<bool> answer = std::nullopt)
        : out_(out), answer_(answer) {}

    void message(const QString& text, const QString& title, PromptIcon icon) override {
        out_.message(text, title, icon);
    }
    bool askYesNo(const QString& text, const QString& title, PromptIcon icon) override {
        if (answer_) {
            return *answer_;
        }
        asked_ = RecordingPrompt::Shown{text, title, icon, true};
        return false;
    }
    void setBusy(bool busy) override { out_.setBusy(busy); }

    const std::optional<RecordingPrompt::Shown>& asked() const { return asked_; }

  private:
    Prompt& out_;
    std::optional<bool> answer_;
    std::optional<RecordingPrompt::Shown> asked_;
};

}  // namespace

QGroupBox* frame(const char* name, const QString& caption) {
    auto* box = new QGroupBox(caption);
    box->setObjectName(QString::fromLatin1(name));
    return box;
}

QWidget* page(QLayout* contents) {
    auto* widget = new QWidget;
    auto* outer = new QVBoxLayout(widget);
    outer->addLayout(contents);
    outer->addStretch(1);
    return widget;
}

FormBinding::FormBinding(Settings& settings, Prompt& prompt, QWidget* window)
    : QObject(window), settings_(settings), prompt_(prompt), window_(window) {}

QLabel* FormBinding::label(const char* name, const QString& caption) {
    auto* l = new QLabel(caption);
    l->setObjectName(QString::fromLatin1(name));
    return l;
}

QLineEdit* FormBinding::text(const char* name, QString Settings::*member,
                             const std::function<void()>& change,
                             const std::function<bool()>& lostFocus) {
    auto* edit = new QLineEdit;
    edit->setObjectName(QString::fromLatin1(name));
    // Any change but the redraw's own: a screen reader or a dictation tool
    // sets the text without key presses, and what the box shows is the value.
    // Such a text is whole at once, so a box that acts when left acts on it
    // then: no focus change may follow.
    // A box of a disabled tab takes nothing, though assistive tools can
    // still set its text. A text set whole is judged once, as left.
    connect(edit, &QLineEdit::textChanged, this,
            [this, edit, member, change, lostFocus](const QString& value) {
                if (!edit->isEnabled()) {
                    const QSignalBlocker block(edit);
                    edit->setText(settings_.*member);
                    return;
                }
                settings_.*member = value;
                const bool whole = lostFocus && !edit->isModified();
                if (change && !whole) {
                    handle(change);
                }
                if (whole) {
                    handle([&lostFocus] { lostFocus(); });
                }
            });
    edit->installEventFilter(this);
    texts_.push_back({edit, member, lostFocus});
    return edit;
}

QCheckBox* FormBinding::check(const char* name, const QString& caption, int Settings::*member,
                              Click click) {
    auto* box = new QCheckBox(caption);
    box->setObjectName(QString::fromLatin1(name));
    // Any change of state but the redraw's own: a screen reader or a voice
    // tool ticks the box through its Toggle action, without a click.
    connect(box, &QCheckBox::stateChanged, this, [this, member, click](int state) {
        settings_.*member = state == Qt::Unchecked ? 0 : 1;
        handle([this, click] {
            if (click != nullptr) {
                (settings_.*click)();
            }
        });
    });
    checks_.push_back({box, member});
    return box;
}

void FormBinding::checks(QBoxLayout* into, std::initializer_list<Check> boxes) {
    for (const Check& c : boxes) {
        into->addWidget(check(c));
    }
}

std::vector<QRadioButton*> FormBinding::options(QBoxLayout* into, QWidget* owner,
                                                std::initializer_list<Option> buttons) {
    auto* group = new QButtonGroup(owner);
    std::vector<QRadioButton*> made;
    for (const Option& o : buttons) {
        auto* button = new QRadioButton(o.caption);
        button->setObjectName(QString::fromLatin1(o.name));
        group->addButton(button);
        // Only a change of choice runs the handler, as a second click on the
        // chosen option changes nothing.
        connect(button, &QRadioButton::toggled, this,
                [this, button, click = o.click, promptClick = o.promptClick](bool on) {
                    if (!on || refreshing_) {
                        return;
                    }
                    if (click != nullptr) {
                        handle([this, click] { (settings_.*click)(); });
                        return;
                    }
                    QuestionAfterwards first(prompt_);
                    handle([&] { (settings_.*promptClick)(first); });
                    if (!first.asked()) {
                        return;
                    }
                    QMetaObject::invokeMethod(
                        this,
                        [this, button, promptClick, question = *first.asked()] {
                            if (!button->isChecked() ||
                                !prompt_.askYesNo(question.text, question.title, question.icon)) {
                                return;
                            }
                            QuestionAfterwards yes(prompt_, true);
                            handle([&] { (settings_.*promptClick)(yes); });
                        },
                        Qt::QueuedConnection);
                });
        options_.push_back({button, o.selected});
        into->addWidget(button);
        made.push_back(button);
    }
    return made;
}

std::vector<std::pair<QLabel*, QLineEdit*>> FormBinding::folders(QGridLayout* into,
                                                                 std::initializer_list<Folder> rows,
                                                                 const QString& qualifier) {
    std::vector<std::pair<QLabel*, QLineEdit*>> made;
    int row = 0;
    for (const Folder& f : rows) {
        QLabel* l = label(f.label, f.caption);
        QLineEdit* box = named(text(f.box, f.member, {},
                                    [this, lostFocus = f.lostFocus] {
                                        (settings_.*lostFocus)();
                                        return false;
                                    }),
                               l, qualifier);
        into->addWidget(l, row, 0);
        into->addWidget(box, row, 1);
        made.emplace_back(l, box);
        ++row;
    }
    return made;
}

QComboBox* FormBinding::combo(const char* name, const QStringList& items, QString Settings::*member,
                              Click click) {
    auto* box = new QComboBox;
    box->setObjectName(QString::fromLatin1(name));
    box->addItems(items);
    connect(box, &QComboBox::activated, this, [this, box, member, click](int) {
        settings_.*member = box->currentText();
        handle([this, click] {
            if (click != nullptr) {
                (settings_.*click)();
            }
        });
    });
    combos_.push_back({box, member});
    return box;
}

void FormBinding::shown(QWidget* widget, const std::function<bool()>& isShown) {
    shownList_.push_back({widget, isShown});
}

QPushButton* FormBinding::button(const char* name, const QString& caption, const QString& tip,
                                 const std::function<void()>& click) {
    auto* b = new QPushButton(caption);
    b->setObjectName(QString::fromLatin1(name));
    if (!tip.isEmpty()) {
        b->setToolTip(tip);
    }
    connect(b, &QPushButton::clicked, this, [click] { click(); });
    return b;
}

void FormBinding::onRefresh(const std::function<void()>& redraw) {
    redraws_.push_back(redraw);
}

void FormBinding::handle(const std::function<void()>& handler) {
    handler();
    refresh();
}

void FormBinding::refresh() {
    refreshing_ = true;
    for (const TextBinding& t : texts_) {
        if (t.widget->text() != settings_.*t.member) {
            const QSignalBlocker block(t.widget);
            t.widget->setText(settings_.*t.member);
        }
    }
    for (const CheckBinding& c : checks_) {
        const int state = settings_.*c.member;
        const Qt::CheckState wanted = state == 1   ? Qt::Checked
                                      : state == 2 ? Qt::PartiallyChecked
                                                   : Qt::Unchecked;
        if (c.widget->checkState() != wanted || c.widget->isTristate() != (state == 2)) {
            const QSignalBlocker block(c.widget);
            c.widget->setTristate(state == 2);
            c.widget->setCheckState(wanted);
        }
    }
    for (const OptionBinding& o : options_) {
        if ((settings_.*o.selected)() && !o.widget->isChecked()) {
            o.widget->setChecked(true);
        }
    }
    for (const ComboBinding& c : combos_) {
        // Only a choice of the user runs the handler (activated): the
        // change of item is told, to assistive tools too.
        const int index = c.widget->findText(settings_.*c.member);
        if (c.widget->currentIndex() != index) {
            c.widget->setCurrentIndex(index);
        }
    }
    for (const ShownBinding& s : shownList_) {
        s.widget->setVisible(s.shown());
    }
    for (const auto& redraw : redraws_) {
        redraw();
    }
    refreshing_ = false;
}

bool FormBinding::eventFilter(QObject* watched, QEvent* event) {
    if (event->type() == QEvent::FocusOut) {
        const auto reason = static_cast<QFocusEvent*>(event)->reason();
        // Menus, message boxes and other windows take the focus for a while
        // without the user leaving the box.
        if (reason != Qt::PopupFocusReason && reason != Qt::ActiveWindowFocusReason) {
            for (const TextBinding& t : texts_) {
                if (t.widget == watched && t.lostFocus) {
                    bool back = false;
                    handle([&] { back = t.lostFocus(); });
                    if (back) {
                        t.widget->setFocus();
                    }
                    break;
                }
            }
        }
    }
    return QObject::eventFilter(watched, event);
}

}  // namespace kalvor
