#include "common/operation.h"

#include <gtest/gtest.h>

#include "platform/error.h"

namespace kalvor {
namespace {

// A scheduled job's log reads one line per failure, whatever line ends the
// cause holds (a value edited on Windows brings CR LF).
TEST(Operation, AnUnattendedFailureIsOneLineWhateverItsCauseHolds) {
    for (const char* cause : {"a\nb", "a\r\nb", "a\rb"}) {
        RecordingPrompt prompt;
        OnFailure onFailure;
        onFailure.message = QStringLiteral("Échec");
        onFailure.unattended = true;
        EXPECT_FALSE(
            RunOperation(prompt, onFailure, [&] { throw Error(1, QString::fromUtf8(cause)); }));
        ASSERT_EQ(prompt.shown().size(), 1u);
        EXPECT_EQ(prompt.shown()[0].text, QStringLiteral("Échec : a b")) << cause;
    }
}

}  // namespace
}  // namespace kalvor
