#pragma once

#include <QObject>
#include <QString>
#include <QStringList>
#include <functional>
#include <initializer_list>
#include <utility>
#include <vector>

#include "dialogs/accessible_names.h"

class QBoxLayout;
class QButtonGroup;
class QCheckBox;
class QComboBox;
class QGridLayout;
class QGroupBox;
class QLabel;
class QLayout;
class QLineEdit;
class QPushButton;
class QRadioButton;
class QWidget;

namespace kalvor {

class Prompt;
class Settings;

// Binds the controls of the window's tabs to the members of Settings: a
// change made by the user stores the value, runs the control's handler in
// Settings, then redraws every control from Settings.
class FormBinding : public QObject {
  public:
    // `window` parents the dialogs that the tabs open.
    FormBinding(Settings& settings, Prompt& prompt, QWidget* window);

    Settings& settings() const { return settings_; }
    Prompt& prompt() const { return prompt_; }
    QWidget* window() const { return window_; }

    // A handler of Settings that a click runs, with or without the prompt.
    using Click = void (Settings::*)();
    using PromptClick = void (Settings::*)(Prompt&);

    // One option button of a group.
    struct Option {
        const char* name;
        QString caption;
        bool (Settings::*selected)() const;
        Click click = nullptr;
        PromptClick promptClick = nullptr;
    };
    // One check box.
    struct Check {
        const char* name;
        QString caption;
        int Settings::*member;
        Click click = nullptr;
    };
    // One folder box behind its label; leaving it runs `lostFocus`.
    struct Folder {
        const char* label;
        QString caption;
        const char* box;
        QString Settings::*member;
        Click lostFocus;
    };

    QLabel* label(const char* name, const QString& caption);
    QLineEdit* text(const char* name, QString Settings::*member,
                    const std::function<void()>& change = {},
                    const std::function<bool()>& lostFocus = {});
    QCheckBox* check(const char* name, const QString& caption, int Settings::*member,
                     Click click = nullptr);
    QCheckBox* check(const Check& c) { return check(c.name, c.caption, c.member, c.click); }
    // The check boxes, in order, into `into`.
    void checks(QBoxLayout* into, std::initializer_list<Check> boxes);
    // The buttons of one group owned by `owner`, in order, into `into`.
    std::vector<QRadioButton*> options(QBoxLayout* into, QWidget* owner,
                                       std::initializer_list<Option> buttons);
    // The labelled folder boxes, a row each from the first row of `into`;
    // `qualifier` names the boxes apart from others with the same labels.
    std::vector<std::pair<QLabel*, QLineEdit*>> folders(QGridLayout* into,
                                                        std::initializer_list<Folder> rows,
                                                        const QString& qualifier = {});
    QComboBox* combo(const char* name, const QStringList& items, QString Settings::*member,
                     Click click = nullptr);
    void shown(QWidget* widget, const std::function<bool()>& isShown);
    QPushButton* button(const char* name, const QString& caption, const QString& tip,
                        const std::function<void()>& click);
    // What the redraw does besides the bound controls, after them.
    void onRefresh(const std::function<void()>& redraw);

    // Runs a handler of the settings, then redraws.
    void handle(const std::function<void()>& handler);
    // Redraws every control from the settings.
    void refresh();

  protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

  private:
    struct TextBinding {
        QLineEdit* widget;
        QString Settings::*member;
        std::function<bool()> lostFocus;  // true: focus back into the box
    };
    struct CheckBinding {
        QCheckBox* widget;
        int Settings::*member;
    };
    struct OptionBinding {
        QRadioButton* widget;
        bool (Settings::*selected)() const;
    };
    struct ComboBinding {
        QComboBox* widget;
        QString Settings::*member;
    };
    struct ShownBinding {
        QWidget* widget;
        std::function<bool()> shown;
    };

    Settings& settings_;
    Prompt& prompt_;
    QWidget* window_;
    std::vector<TextBinding> texts_;
    std::vector<CheckBinding> checks_;
    std::vector<OptionBinding> options_;
    std::vector<ComboBinding> combos_;
    std::vector<ShownBinding> shownList_;
    std::vector<std::function<void()>> redraws_;
    bool refreshing_ = false;
};

// The control named after its label (Qt would give every box of a frame the
// frame's title).
template <class Control>
Control* named(Control* control, QWidget* label, const QString& qualifier = {}) {
    NameAfter(control, label, qualifier);
    return control;
}

// A frame of the tabs.
QGroupBox* frame(const char* name, const QString& caption);

// A page of the tab control whose contents keep to the top.
QWidget* page(QLayout* contents);

}  // namespace kalvor
