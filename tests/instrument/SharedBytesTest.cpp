#include "SharedBytes.h"

#include <gtest/gtest.h>

#include <memory>
#include <string>

namespace {

bool Inside(std::string_view part, const std::string& whole) {
    return part.data() >= whole.data() && part.data() + part.size() <= whole.data() + whole.size();
}

} // namespace

TEST(SharedBytes, ABlockThatIsMostOfItsMessageIsKeptWithoutACopy) {
    auto message = std::make_shared<const std::string>(":TRAC:DATA #3900" + std::string(900, 'x'));
    const std::string_view block = std::string_view(*message).substr(16);
    const SharedBytes kept = SharedBytes::ShareOrCopy(message, block);
    EXPECT_TRUE(Inside(kept.View(), *message));
    EXPECT_EQ(kept.View(), block);
    message.reset();
    EXPECT_EQ(kept.View(), std::string(900, 'x')); // still alive through `kept`
}

TEST(SharedBytes, ASmallBlockIsCopiedSoItDoesNotPinALargeMessage) {
    auto message = std::make_shared<const std::string>(std::string(100000, ' ') + "#216" +
                                                       std::string(16, 'y'));
    const std::string_view block = std::string_view(*message).substr(100004);
    const SharedBytes kept = SharedBytes::ShareOrCopy(message, block);
    EXPECT_FALSE(Inside(kept.View(), *message));
    EXPECT_EQ(kept.View(), std::string(16, 'y'));
}
