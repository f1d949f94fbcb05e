#include "platform/prompt.h"

#include <gtest/gtest.h>

#include "platform/error.h"

using namespace kalvor;

TEST(Prompt, RecordsMessagesAndAnswersQuestionsInOrder) {
    RecordingPrompt prompt;
    prompt.queueAnswers({true});
    prompt.message(QStringLiteral("Fini"), QStringLiteral("Kalvor 1.8.3"), PromptIcon::Information);
    EXPECT_TRUE(prompt.askYesNo(QStringLiteral("Sûr ?"), QStringLiteral("Kalvor 1.8.3"),
                                PromptIcon::Question));
    EXPECT_FALSE(prompt.askYesNo(QStringLiteral("Encore ?"), QStringLiteral("Kalvor 1.8.3"),
                                 PromptIcon::Question));
    ASSERT_EQ(prompt.shown().size(), 3u);
    EXPECT_EQ(prompt.shown()[0].icon, PromptIcon::Information);
    EXPECT_TRUE(prompt.shown()[1].question);
}

TEST(Prompt, BusyPointerIsRestoredWhenAnErrorLeavesTheScope) {
    RecordingPrompt prompt;
    try {
        BusyPointer busy(prompt);
        EXPECT_TRUE(prompt.busy());
        throw Error(5, QStringLiteral("x"));
    } catch (const Error&) {
    }
    EXPECT_FALSE(prompt.busy());
    EXPECT_EQ(prompt.busyChanges(), 2);
}
