#include "support/TempWorkspace.h"

#include "core/HostBus.h"
#include "link/HostRequest.h"

#include <gtest/gtest.h>

#include <array>
#include <utility>

namespace {

constexpr OperatingMode kAllModes[] = {OperatingMode::Standard, OperatingMode::Fm,
                                       OperatingMode::Pulse};

const DocumentMode& ModeOf(OperatingMode mode) {
    return DocumentMode::For(mode, false);
}

HostAction ActionOf(std::uint32_t code, OperatingMode mode) {
    return HostRequest::Decode(code, 0, ModeOf(mode), std::string("1 2 3 4")).action;
}

std::int64_t PackCorner(int x, int y) {
    return static_cast<std::int64_t>((static_cast<std::uint32_t>(y) & 0xFFFF) << 16 |
                                     (static_cast<std::uint32_t>(x) & 0xFFFF));
}

} // namespace

// Close and place have one code for the FM editor and one for the others; reload and tile
// act in every mode; every other code is ignored.
TEST(HostRequestDecoding, EachCodeActsInItsModesOnly) {
    using enum HostAction;
    const std::pair<std::uint32_t, std::array<HostAction, 3>> cases[] = {
        {HostCloseStandard, {Close, None, None}},  {HostCloseFm, {None, Close, None}},
        {HostPlaceStandard, {Place, None, Place}}, {HostPlaceFm, {None, Place, None}},
        {HostReload, {Reload, Reload, Reload}},    {HostTile, {Tile, Tile, Tile}},
    };
    for (const auto& [code, actions] : cases) {
        for (std::size_t m = 0; m < actions.size(); ++m) {
            EXPECT_EQ(ActionOf(code, kAllModes[m]), actions[m]) << code << " in mode " << m;
        }
    }
    for (OperatingMode mode : kAllModes) {
        for (std::uint32_t code : {0u, 1u, 2u, 5u, 8u, 9u, 11u, 12u, 14u, 18u, 0xFFFFFFFFu}) {
            EXPECT_EQ(ActionOf(code, mode), HostAction::None) << code;
        }
    }
}

TEST(HostRequestDecoding, PlacementCarriesSignedSixteenBitCoordinates) {
    const HostRequest right = HostRequest::Decode(HostPlaceStandard, PackCorner(1200, 35),
                                                  ModeOf(OperatingMode::Standard), std::string());
    EXPECT_EQ(right.x, 1200);
    EXPECT_EQ(right.y, 35);

    const HostRequest left = HostRequest::Decode(HostPlaceFm, PackCorner(-1280, -5),
                                                 ModeOf(OperatingMode::Fm), std::string());
    EXPECT_EQ(left.action, HostAction::Place);
    EXPECT_EQ(left.x, -1280);
    EXPECT_EQ(left.y, -5);

    // Bits above the low 32 carry nothing.
    const HostRequest high =
        HostRequest::Decode(HostPlaceStandard, (std::int64_t{0x7F} << 32) | PackCorner(-1, 32767),
                            ModeOf(OperatingMode::Pulse), std::string());
    EXPECT_EQ(high.x, -1);
    EXPECT_EQ(high.y, 32767);
}

TEST(HostRequestDecoding, TileTakesFourNumbersWithNegativeEdgesAndBlanksOrDoesNothing) {
    const HostRequest request = HostRequest::TileTo("  -1920\t0  -960 1080 ");
    EXPECT_EQ(request.action, HostAction::Tile);
    EXPECT_EQ(request.x, -1920);
    EXPECT_EQ(request.width, 960);
    EXPECT_EQ(request.height, 1080);

    TempWorkspace workspace;
    EXPECT_EQ(HostRequest::Decode(HostTile, 0, ModeOf(OperatingMode::Fm), workspace.store).action,
              HostAction::None);
    EXPECT_EQ(HostRequest::TileTo("10 20 810").action, HostAction::None);
    EXPECT_EQ(HostRequest::TileTo("10 20 x 620").action, HostAction::None);
    EXPECT_EQ(HostRequest::TileTo("-2147483648 0 2147483647 10").action, HostAction::None);
    EXPECT_EQ(HostRequest::TileTo("10 20 810 99999999999").action, HostAction::None);
}
