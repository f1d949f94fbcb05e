#include "platform/long_work.h"

#include <QCoreApplication>
#include <QThread>
#include <atomic>

#include <gtest/gtest.h>

#include "platform/forwarded_prompt.h"
#include "platform/prompt.h"
#include "support/work_end.h"

namespace kalvor {
namespace {

// The work's questions are answered on the window's thread, in order with
// its boxes; its end is seen there once, then a new piece may start.
TEST(LongWork, TheWorksPromptsReachTheWindowsThreadAndItsEndComesOnce) {
    LongWork work;
    RecordingPrompt window;
    window.queueAnswers({true});
    ForwardedPrompt forwarded(window, work);
    QList<bool> running;
    QObject::connect(&work, &LongWork::runningChanged, [&](bool r) { running << r; });
    bool answer = false;
    int ended = 0;
    ASSERT_TRUE(work.start(
        [&] {
            forwarded.message(QStringLiteral("un"), QString(), PromptIcon::None);
            answer = forwarded.askYesNo(QStringLiteral("deux ?"), QString(), PromptIcon::Question);
        },
        [&] {
            ++ended;
            EXPECT_TRUE(work.running());  // still while its end is shown
        }));
    test::waitForWork(work);
    EXPECT_TRUE(answer);
    EXPECT_EQ(window.texts(), (QStringList{"un", "deux ?"}));
    EXPECT_EQ(ended, 1);
    EXPECT_EQ(running, (QList<bool>{true, false}));
    EXPECT_TRUE(work.start([] {}, {}));
    test::waitForWork(work);
}

// A window that goes while its work asks a question does not wait for an
// answer it will never give: the work gets No, is cancelled, and its end is
// not shown.
TEST(LongWork, AbandonedWhileTheWorkAsksItGetsNoAndNothingHangs) {
    RecordingPrompt window;
    window.queueAnswers({true});
    std::atomic<bool> asked{false};
    std::atomic<bool> cancelled{false};
    bool answer = true;
    bool ended = false;
    {
        LongWork work;
        ForwardedPrompt forwarded(window, work);
        ASSERT_TRUE(work.start(
            [&] {
                asked = true;
                answer = forwarded.askYesNo(QStringLiteral("?"), QString(), PromptIcon::Question);
            },
            [&] { ended = true; }, [&] { cancelled = true; }));
        while (!asked) {
            QThread::msleep(1);
        }
    }
    EXPECT_FALSE(answer);
    EXPECT_TRUE(cancelled);
    QCoreApplication::processEvents();
    EXPECT_FALSE(ended);
    EXPECT_TRUE(window.texts().isEmpty());
}

}  // namespace
}  // namespace kalvor
