#pragma once

#include <QApplication>
#include <QCheckBox>
#include <QCoreApplication>
#include <QFocusEvent>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QTest>

#include "app/kalvorform.h"
#include "app/start_up.h"
#include "platform/prompt.h"
#include "settings/settings.h"
#include "support/work_end.h"

namespace kalvor::e2e {

// One run of the program, started as main() starts it.
struct ProgramRun {
    RecordingPrompt prompt;
    Settings settings;
    Kalvorform window{settings, &prompt};
    ProgramRun() {
        start_up::Form_Load(settings, CommandLine::Parse(QString()), prompt);
        window.Form_Load_Interactive();
    }
    template <class W>
    W* find(const QString& name) {
        return window.findChild<W*>(name);
    }
    bool type(const QString& name, const QString& text) {
        auto* box = find<QLineEdit>(name);
        if (!box) {
            return false;
        }
        box->selectAll();
        QTest::keyClick(box, Qt::Key_Delete);
        box->insert(text);
        QFocusEvent out(QEvent::FocusOut, Qt::TabFocusReason);
        QApplication::sendEvent(box, &out);
        return true;
    }
    bool tick(const QString& name) {
        auto* box = find<QCheckBox>(name);
        if (!box) {
            return false;
        }
        if (!box->isChecked()) {
            box->click();
        }
        return box->isChecked();
    }
    bool choose(const QString& name) {
        auto* option = find<QRadioButton>(name);
        if (!option) {
            return false;
        }
        option->click();
        QCoreApplication::processEvents();  // a question comes once the click has returned
        return option->isChecked();
    }
    // Clicks a button; the text of what it showed, or why it could not.
    QString click(const QString& name) {
        auto* button = find<QPushButton>(name);
        if (!button) {
            return QStringLiteral("no button ") + name;
        }
        const size_t before = prompt.shown().size();
        button->click();
        test::waitForWork(window.work());
        QString failed;
        for (size_t i = before; i < prompt.shown().size(); ++i) {
            if (prompt.shown()[i].icon != PromptIcon::Information) {
                failed += name + QStringLiteral(": ") + prompt.shown()[i].text + u'\n';
            }
        }
        if (prompt.shown().size() == before) {
            failed += name + QStringLiteral(": nothing shown");
        }
        return failed;
    }
};

}  // namespace kalvor::e2e
