#include "GeneratorFixture.h"

#include "synthesis/CrtRandom.h"
#include "synthesis/ExponentDialog.h"
#include "synthesis/GaussianDialog.h"
#include "synthesis/GeneratorCommands.h"
#include "synthesis/PulseDialog.h"
#include "synthesis/SincDialog.h"
#include "synthesis/SineDialog.h"
#include "synthesis/SquareDialog.h"
#include "synthesis/TriangleDialog.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <initializer_list>
#include <utility>

namespace {

using Texts = std::initializer_list<std::pair<const char*, const char*>>;

// A 1000-point standard waveform generated over its whole length between -1000 and 1000.
class GeneratorShape : public ::testing::Test {
protected:
    template <class Dialog> std::vector<double> Generate(Texts texts) {
        Dialog form(fixture.document);
        return Run(form, texts);
    }

    std::vector<double> Run(WaveParamDialog& form, Texts texts) {
        form.Initialize();
        form.SetFieldByKey("Prv_bgn", "0");
        form.SetFieldByKey("Prv_end", "999");
        form.SetFieldByKey("Wavmin", "-1000");
        form.SetFieldByKey("Wavmax", "1000");
        for (const auto& [key, text] : texts) {
            EXPECT_TRUE(form.SetFieldByKey(key, text)) << key;
        }
        EXPECT_TRUE(form.Preview());
        halfAmplitude = 1000 * form.CodeFactor();
        centre = form.CodeOffset();
        return fixture.Samples();
    }

    GeneratorFixture fixture;
    double halfAmplitude = 0;
    double centre = 0;
};

bool Rising(const std::vector<double>& v, int from, int to) {
    for (int i = from; i < to; ++i) {
        if (v[i + 1] < v[i]) {
            return false;
        }
    }
    return true;
}

} // namespace

TEST_F(GeneratorShape, SineWithPowerTwoNeverGoesBelowTheCentre) {
    const auto squared = Generate<SineDialog>({{"Cycl", "3"}, {"Phase", "0"}, {"Power", "2"}});
    const double lowest = *std::min_element(squared.begin(), squared.end());
    const double highest = *std::max_element(squared.begin(), squared.end());
    EXPECT_EQ(lowest, std::trunc(centre + 0.5));
    EXPECT_EQ(highest, std::trunc(halfAmplitude + centre + 0.5));
    const auto plain = Generate<SineDialog>({{"Cycl", "3"}, {"Power", "1"}});
    EXPECT_LT(*std::min_element(plain.begin(), plain.end()), -990);
}

TEST_F(GeneratorShape, SinePowerZeroOrNegativeCountsAsOne) {
    const auto one = Generate<SineDialog>({{"Cycl", "2"}, {"Phase", "45"}, {"Power", "1"}});
    fixture.SetFamily("SmWav_Defpar", "Power", "1 Power -5 16");
    EXPECT_EQ(Generate<SineDialog>({{"Cycl", "2"}, {"Phase", "45"}, {"Power", "0"}}), one);
    EXPECT_EQ(Generate<SineDialog>({{"Cycl", "2"}, {"Phase", "45"}, {"Power", "-3"}}), one);
    EXPECT_EQ(Generate<SineDialog>({{"Cycl", "2"}, {"Phase", "45"}, {"Power", "1.9"}}), one);
}

TEST_F(GeneratorShape, TriangleShareHundredRisesOverHalfACycleThenJumpsDown) {
    const auto wave = Generate<TriangleDialog>({{"Cycl", "1"}, {"Share", "100"}, {"Power", "1"}});
    EXPECT_EQ(wave[0], std::trunc(centre));
    EXPECT_TRUE(Rising(wave, 0, 500));
    EXPECT_EQ(wave[500], std::trunc(halfAmplitude + centre));
    EXPECT_EQ(wave[501], std::trunc(-halfAmplitude * (1 - 1.0 / 500) + centre));
    EXPECT_TRUE(Rising(wave, 501, 999));
    EXPECT_LT(wave[999], 0);
    EXPECT_GT(wave[999], -10);
}

TEST_F(GeneratorShape, TriangleShareZeroJumpsUpThenFallsOverTheCycle) {
    const auto wave = Generate<TriangleDialog>({{"Cycl", "1"}, {"Share", "0"}, {"Power", "1"}});
    EXPECT_EQ(wave[0], std::trunc(centre));
    EXPECT_EQ(wave[1], std::trunc(halfAmplitude * (1 - 2.0 / 1000) + centre));
    for (int i = 1; i < 999; ++i) {
        ASSERT_GE(wave[i], wave[i + 1]) << i;
    }
    EXPECT_EQ(wave[999], std::trunc(halfAmplitude * (1 - 2.0 * 999 / 1000) + centre));
}

TEST_F(GeneratorShape, TriangleShareFiftyPeaksAtAQuarterAndThreeQuarters) {
    const auto wave = Generate<TriangleDialog>({{"Cycl", "2"}, {"Share", "50"}, {"Power", "1"}});
    const double top = std::trunc(halfAmplitude + centre);
    const double bottom = std::trunc(-halfAmplitude + centre);
    EXPECT_EQ(wave[125], top);
    EXPECT_EQ(wave[375], bottom);
    EXPECT_EQ(wave[625], top);
    EXPECT_EQ(wave[875], bottom);
}

TEST_F(GeneratorShape, SquareIsHighForTheDutyShareOfEachCycle) {
    const auto wave = Generate<SquareDialog>({{"Cycl", "2"}, {"Duty", "25"}});
    const double high = std::trunc(halfAmplitude + centre);
    const double low = std::trunc(-halfAmplitude + centre);
    for (int i = 0; i < 1000; ++i) {
        const bool isHigh = i % 500 < 125;
        ASSERT_EQ(wave[i], isHigh ? high : low) << i;
    }
}

TEST_F(GeneratorShape, SincPeaksInTheMiddleOfTheCycleWithItsZeroCrossings) {
    const auto wave = Generate<SincDialog>({{"Cycl", "1"}, {"Zeros", "10"}});
    const double peak = std::trunc(centre) + std::trunc(halfAmplitude);
    EXPECT_EQ(wave[500], peak);
    EXPECT_EQ(*std::max_element(wave.begin(), wave.end()), peak);
    // m * W reaches pi one hundred points from the middle.
    EXPECT_EQ(wave[600], std::trunc(centre));
    EXPECT_EQ(wave[400], std::trunc(centre));
    EXPECT_LT(wave[650], std::trunc(centre));
}

TEST_F(GeneratorShape, GaussianIsABellOfTheGivenWidthPerCycle) {
    const auto wave = Generate<GaussianDialog>({{"Cycl", "1"}, {"Width", "64"}});
    EXPECT_EQ(wave[500], std::trunc(halfAmplitude + centre));
    EXPECT_EQ(wave[564], std::trunc((2 * std::exp(-1.0) - 1) * halfAmplitude + centre));
    for (int d = 1; d < 500; ++d) {
        ASSERT_EQ(wave[500 - d], wave[500 + d]) << d;
    }
}

TEST_F(GeneratorShape, ExponentRisesOrDecaysWithinTheLevelRange) {
    const auto rising = Generate<ExponentDialog>({{"Cycl", "1"}, {"Tau", "100"}, {"Inv", "0"}});
    const double top = std::trunc(halfAmplitude + centre);
    const double bottom = std::trunc(-halfAmplitude + centre);
    EXPECT_EQ(rising[0], bottom);
    EXPECT_TRUE(Rising(rising, 0, 999));
    EXPECT_EQ(rising[999], top);
    EXPECT_EQ(rising[50], std::trunc((2 * (std::exp(0.5) - 1) - 1) * halfAmplitude + centre));

    const auto decaying = Generate<ExponentDialog>({{"Cycl", "1"}, {"Tau", "-100"}, {"Inv", "0"}});
    EXPECT_EQ(decaying[0], top);
    EXPECT_EQ(decaying[999], bottom);

    const auto inverted = Generate<ExponentDialog>({{"Cycl", "1"}, {"Tau", "100"}, {"Inv", "1"}});
    EXPECT_EQ(inverted[0], std::trunc(halfAmplitude + centre));
    EXPECT_EQ(inverted[999], std::trunc(-halfAmplitude + centre));
}

TEST_F(GeneratorShape, PulseRunsThroughDelayRiseHighAndFall) {
    const auto wave = Generate<PulseDialog>(
        {{"Cycl", "1"}, {"Delay", "10"}, {"Rise", "10"}, {"High", "30"}, {"Fall", "10"}});
    const double hi = halfAmplitude + centre;
    const double lo = -halfAmplitude + centre;
    EXPECT_EQ(wave[0], std::trunc(lo));
    EXPECT_EQ(wave[100], std::trunc(lo));
    EXPECT_EQ(wave[150], std::trunc(lo + (hi - lo) * 0.5));
    EXPECT_EQ(wave[200], std::trunc(hi));
    EXPECT_EQ(wave[500], std::trunc(hi));
    EXPECT_EQ(wave[550], std::trunc(hi + (lo - hi) * 0.5));
    EXPECT_EQ(wave[600], std::trunc(lo));
    EXPECT_EQ(wave[999], std::trunc(lo));
}

TEST_F(GeneratorShape, PulseWithoutRiseOrFallSwitchesAtOnce) {
    const auto wave = Generate<PulseDialog>(
        {{"Cycl", "2"}, {"Delay", "0"}, {"Rise", "0"}, {"High", "50"}, {"Fall", "0"}});
    const double hi = std::trunc(halfAmplitude + centre);
    const double lo = std::trunc(-halfAmplitude + centre);
    EXPECT_EQ(wave[0], lo);
    EXPECT_EQ(wave[1], hi);
    EXPECT_EQ(wave[250], hi);
    EXPECT_EQ(wave[251], lo);
    EXPECT_EQ(wave[501], hi);
}

TEST_F(GeneratorShape, OnlyTheAnchorRangeChanges) {
    const auto before = fixture.Samples();
    SquareDialog form(fixture.document);
    form.Initialize();
    form.SetFieldByKey("Prv_bgn", "300");
    form.SetFieldByKey("Prv_end", "309");
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

// A new program run starts the C library's generator afresh; two fresh generators stand for
// two runs. The default source is the process-wide one, which is never reseeded.
TEST_F(GeneratorShape, NoiseIsTheSameForEveryFreshStartOfTheGenerator) {
    CrtRandom firstRun;
    CrtRandom secondRun;
    WaveParamDialog first(fixture.document, 171, "ArbNoise");
    first.UseRandomSource(firstRun);
    const auto noise = Run(first, {});
    WaveParamDialog second(fixture.document, 171, "ArbNoise");
    second.UseRandomSource(secondRun);
    EXPECT_EQ(Run(second, {}), noise);

    CrtRandom reference;
    const double k = first.CodeFactor();
    for (int i = 0; i < 1000; ++i) {
        const double r = reference.Next();
        ASSERT_EQ(noise[i], std::trunc((r / 32767 - 0.5) * 2000 * k + 0)) << i;
    }
    EXPECT_NE(*std::min_element(noise.begin(), noise.end()),
              *std::max_element(noise.begin(), noise.end()));
}

TEST_F(GeneratorShape, NoiseContinuesTheProcessSequenceFromOneDialogToTheNext) {
    const auto first = Run(*GeneratorCommands::CreateParamForm(fixture.document, 32797), {});
    const auto second = Run(*GeneratorCommands::CreateParamForm(fixture.document, 32797), {});
    EXPECT_NE(first, second);
}
