#include "GeneratorFixture.h"

#include "synthesis/GeneratorCommands.h"
#include "synthesis/SineDialog.h"
#include "synthesis/SquareDialog.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <vector>

namespace {

using Texts = TypedTexts;

// A 1000-point standard waveform generated over its whole length between -1000 and 1000.
class GeneratorShape : public ::testing::Test {
protected:
    template <class Dialog> std::vector<double> Generate(const Texts& texts) {
        Dialog form(fixture.document);
        return Run(form, texts);
    }

    std::vector<double> Run(WaveParamDialog& form, const Texts& texts) {
        Texts typed{{"Prv_bgn", "0"}, {"Prv_end", "999"}, {"Wavmin", "-1000"}, {"Wavmax", "1000"}};
        typed.insert(typed.end(), texts.begin(), texts.end());
        OpenAndType(form, typed);
        EXPECT_TRUE(form.Preview());
        halfAmplitude = 1000 * form.CodeFactor();
        centre = form.CodeOffset();
        return fixture.Samples();
    }

    GeneratorFixture fixture;
    double halfAmplitude = 0;
    double centre = 0;
};

} // namespace

TEST_F(GeneratorShape, SineWithPowerTwoNeverGoesBelowTheCentre) {
    const auto squared = Generate<SineDialog>({{"Cycl", "3"}, {"Phase", "0"}, {"Power", "2"}});
    const double lowest = *std::min_element(squared.begin(), squared.end());
    const double highest = *std::max_element(squared.begin(), squared.end());
    EXPECT_EQ(lowest, std::trunc(centre + 0.5));
    EXPECT_EQ(highest, std::trunc(halfAmplitude + centre + 0.5));
}

TEST_F(GeneratorShape, SinePowerZeroOrNegativeCountsAsOne) {
    const auto one = Generate<SineDialog>({{"Cycl", "2"}, {"Phase", "45"}, {"Power", "1"}});
    fixture.SetFamily("SmWav_Defpar", "Power", "1 Power -5 16");
    EXPECT_EQ(Generate<SineDialog>({{"Cycl", "2"}, {"Phase", "45"}, {"Power", "0"}}), one);
    EXPECT_EQ(Generate<SineDialog>({{"Cycl", "2"}, {"Phase", "45"}, {"Power", "-3"}}), one);
    EXPECT_EQ(Generate<SineDialog>({{"Cycl", "2"}, {"Phase", "45"}, {"Power", "1.9"}}), one);
}

// A level at a point as a share of the half amplitude around the centre: 1 is the highest
// level, -1 the lowest. A slope never falls (rising) or never rises over its points.
struct Level {
    int point;
    double share;
};
struct Slope {
    int from, to;
    bool rising;
};
struct ShapeCase {
    const char* shape;
    int command;
    Texts texts;
    std::vector<Level> levels;
    std::vector<Slope> slopes = {};
    int mirroredAround = 0;
};

TEST_F(GeneratorShape, ShapesReachTheirLevelsAtTheirPoints) {
    using C = GeneratorCommands;
    const ShapeCase cases[] = {
        {"triangle, share 100: rises over half a cycle, then jumps down",
         *C::CommandOfName("triangle"),
         {{"Cycl", "1"}, {"Share", "100"}, {"Power", "1"}},
         {{0, 0}, {500, 1}, {501, -(1 - 1.0 / 500)}, {999, -(1 - 499.0 / 500)}},
         {{0, 500, true}, {501, 999, true}}},
        {"triangle, share 0: jumps up, then falls over the cycle",
         *C::CommandOfName("triangle"),
         {{"Cycl", "1"}, {"Share", "0"}, {"Power", "1"}},
         {{0, 0}, {1, 1 - 2.0 / 1000}, {999, 1 - 2.0 * 999 / 1000}},
         {{1, 999, false}}},
        {"triangle, share 50: peaks at a quarter and three quarters",
         *C::CommandOfName("triangle"),
         {{"Cycl", "2"}, {"Share", "50"}, {"Power", "1"}},
         {{125, 1}, {375, -1}, {625, 1}, {875, -1}}},
        {"gaussian: a bell of the given width per cycle",
         *C::CommandOfName("gaussian"),
         {{"Cycl", "1"}, {"Width", "64"}},
         {{500, 1}, {564, 2 * std::exp(-1.0) - 1}},
         {},
         500},
        {"exponent, positive tau: rises",
         *C::CommandOfName("exponent"),
         {{"Cycl", "1"}, {"Tau", "100"}, {"Inv", "0"}},
         {{0, -1}, {50, 2 * (std::exp(0.5) - 1) - 1}, {999, 1}},
         {{0, 999, true}}},
        {"exponent, negative tau: decays",
         *C::CommandOfName("exponent"),
         {{"Cycl", "1"}, {"Tau", "-100"}, {"Inv", "0"}},
         {{0, 1}, {999, -1}}},
        {"exponent, inverted",
         *C::CommandOfName("exponent"),
         {{"Cycl", "1"}, {"Tau", "100"}, {"Inv", "1"}},
         {{0, 1}, {999, -1}}},
        {"pulse without rise or fall switches at once",
         *C::CommandOfName("pulse"),
         {{"Cycl", "2"}, {"Delay", "0"}, {"Rise", "0"}, {"High", "50"}, {"Fall", "0"}},
         {{0, -1}, {1, 1}, {250, 1}, {251, -1}, {501, 1}}},
    };
    for (const ShapeCase& c : cases) {
        SCOPED_TRACE(c.shape);
        const auto wave =
            Run(*GeneratorCommands::CreateParamForm(fixture.document, c.command), c.texts);
        for (const Level& level : c.levels) {
            EXPECT_EQ(wave[level.point], std::trunc(level.share * halfAmplitude + centre))
                << "point " << level.point;
        }
        for (const Slope& slope : c.slopes) {
            for (int i = slope.from; i < slope.to; ++i) {
                const double step = wave[i + 1] - wave[i];
                ASSERT_TRUE(slope.rising ? step >= 0 : step <= 0) << "point " << i;
            }
        }
        for (int d = 1; d < c.mirroredAround; ++d) {
            ASSERT_EQ(wave[c.mirroredAround - d], wave[c.mirroredAround + d]) << d;
        }
    }
}

TEST_F(GeneratorShape, OnlyTheAnchorRangeChanges) {
    const auto before = fixture.Samples();
    SquareDialog form(fixture.document);
    OpenAndType(form, {{"Prv_bgn", "300"}, {"Prv_end", "309"}});
    ASSERT_TRUE(form.Preview());
    const auto after = fixture.Samples();
    for (int i = 0; i < 1000; ++i) {
        if (i < 300 || i > 309) {
            ASSERT_EQ(after[i], before[i]) << i;
        }
    }
    EXPECT_NE(std::vector<double>(after.begin() + 300, after.begin() + 310),
              std::vector<double>(before.begin() + 300, before.begin() + 310));
}

TEST_F(GeneratorShape, NoiseContinuesTheProcessSequenceFromOneDialogToTheNext) {
    const auto first = Run(*GeneratorCommands::CreateParamForm(fixture.document, 32797), {});
    const auto second = Run(*GeneratorCommands::CreateParamForm(fixture.document, 32797), {});
    EXPECT_NE(first, second);
}
