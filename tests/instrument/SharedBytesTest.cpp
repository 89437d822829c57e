#include "SharedBytes.h"

#include <gtest/gtest.h>

#include <memory>
#include <string>

namespace {

bool Inside(std::string_view part, const MessageBuffer& whole) {
    const std::string_view bytes = whole.View();
    return part.data() >= bytes.data() && part.data() + part.size() <= bytes.data() + bytes.size();
}

} // namespace

TEST(SharedBytes, ABlockThatIsMostOfItsMessageIsKeptWithoutACopy) {
    auto message =
        std::make_shared<const MessageBuffer>(":TRAC:DATA #3900" + std::string(900, 'x'));
    const std::string_view block = message->View().substr(16);
    const SharedBytes kept = SharedBytes::ShareOrCopy(message, block);
    EXPECT_TRUE(Inside(kept.View(), *message));
    EXPECT_EQ(kept.View(), block);
    message.reset();
    EXPECT_EQ(kept.View(), std::string(900, 'x')); // still alive through `kept`
}

TEST(SharedBytes, ASmallBlockIsCopiedSoItDoesNotPinALargeMessage) {
    auto message = std::make_shared<const MessageBuffer>(std::string(100000, ' ') + "#216" +
                                                         std::string(16, 'y'));
    const std::string_view block = message->View().substr(100004);
    const SharedBytes kept = SharedBytes::ShareOrCopy(message, block);
    EXPECT_FALSE(Inside(kept.View(), *message));
    EXPECT_EQ(kept.View(), std::string(16, 'y'));
}
