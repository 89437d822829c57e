#include "platform/console/ConsoleUserInterface.h"
#include "core/StringTable.h"

#include <gtest/gtest.h>

// Scripts find a message by its id: a built text under a table text as caption carries the
// caption's id, and a question is followed by the answer the run gave.
TEST(ConsoleUserInterface, MessagesPrintTheirIdAndQuestionsTheirAnswer) {
    struct Case {
        const char* name;
        Message message;
        ConsoleUserInterface::Policy policy;
        std::string expected;
    };
    const Case cases[] = {
        {"table text",
         {MsgIllegalExtension, MessageText(MsgIllegalExtension), "", MessageButtons::Ok},
         ConsoleUserInterface::Policy::FirstButton,
         std::string("message 3009: ") + MessageText(MsgIllegalExtension) + "\n"},
        {"table caption",
         {0, "Parameter 1 value = 9.00", MessageText(MsgValueOutOfRange), MessageButtons::Ok},
         ConsoleUserInterface::Policy::FirstButton,
         std::string("message 3002: ") + MessageText(MsgValueOutOfRange) +
             ": Parameter 1 value = 9.00\n"},
        {"own caption, question",
         {0, "Save changes?", "Wavesmith", MessageButtons::YesNoCancel},
         ConsoleUserInterface::Policy::No,
         "message 0: Wavesmith: Save changes?\nanswer: No\n"},
    };
    for (const Case& each : cases) {
        ConsoleUserInterface ui(each.policy);
        testing::internal::CaptureStderr();
        ui.Show(each.message);
        EXPECT_EQ(testing::internal::GetCapturedStderr(), each.expected) << each.name;
    }
}
