#pragma once

#include <QAbstractButton>
#include <QApplication>
#include <QFocusEvent>
#include <QLineEdit>
#include <QTest>

#include <gtest/gtest.h>

#include "app/command_line.h"
#include "app/kalvorform.h"
#include "app/start_up.h"
#include "platform/prompt.h"
#include "settings/settings.h"
#include "support/work_end.h"

namespace kalvor::test {

// One run of the program: the settings, the window, the start-up as main()
// does it.
struct ProgramRun {
    RecordingPrompt prompt;
    Settings settings;
    Kalvorform window{settings, &prompt};
    explicit ProgramRun(const QString& arguments = QString()) {
        start_up::Form_Load(settings, CommandLine::Parse(arguments), prompt);
        window.Form_Load_Interactive();
    }
    template <class W>
    W* find(const char* name) {
        W* w = window.findChild<W*>(QString::fromLatin1(name));
        EXPECT_NE(w, nullptr) << name;
        return w;
    }
    // A click on a button, then the wait for the work it started.
    void press(const char* name) {
        find<QAbstractButton>(name)->click();
        waitForWork(window.work());
    }
    // The user types into a box and leaves it.
    void type(const char* name, const QString& text) {
        auto* box = find<QLineEdit>(name);
        box->selectAll();
        QTest::keyClick(box, Qt::Key_Delete);
        box->insert(text);
        QFocusEvent out(QEvent::FocusOut, Qt::TabFocusReason);
        QApplication::sendEvent(box, &out);
    }
};

}  // namespace kalvor::test
