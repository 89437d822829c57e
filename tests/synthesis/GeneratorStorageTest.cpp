#include "GeneratorFixture.h"

#include "synthesis/CrtRandom.h"
#include "synthesis/GeneratorCommands.h"
#include "synthesis/PulseDialog.h"
#include "synthesis/SincDialog.h"
#include "synthesis/SineDialog.h"
#include "synthesis/SquareDialog.h"

#include <gtest/gtest.h>

#include <cmath>
#include <string>

// The storage rules S1-S5 in the three sample kinds, checked point by point against the
// rules written out plainly: the C casts of the original platform, no clipping.
namespace {

constexpr double kPi = 3.14159265358979323846;
constexpr int kLength = 1000;

struct Setup {
    const char* name;
    const char* family;
    OperatingMode mode;
    SampleKind kind;
};

class GeneratorStorage : public ::testing::TestWithParam<Setup> {
protected:
    GeneratorStorage() : fixture(GetParam().family, GetParam().mode, kLength) {
        EXPECT_EQ(fixture.document.Samples().Kind(), GetParam().kind);
        const bool fm = fixture.document.IsFmDocument();
        vlo = fm ? fixture.document.Fm().Fmin() : fixture.document.Limits().VerticalLow();
        vhi = fm ? fixture.document.Fm().Fmax() : fixture.document.Limits().VerticalHigh();
        const double width = vhi - vlo;
        if (!fm) {
            const int span = fixture.workspace.state.verticalSpan;
            k = span / (vhi - vlo + 1);
            c = -(span / 2) - k * vlo;
            low = -1000.3;
            high = 1000.6;
        } else if (fixture.workspace.state.wideFmSamples) {
            k = 1;
            c = 0;
            low = vlo + width * 0.1 + 0.25;
            high = vhi - width * 0.1 - 0.5;
        } else {
            k = 1e9 / (vhi - vlo + 1);
            c = -k * vlo;
            low = vlo + width * 0.1 + 0.3;
            high = vhi - width * 0.1;
        }
    }

    SampleKind Kind() const { return GetParam().kind; }

    double S1(double v) const {
        switch (Kind()) {
        case SampleKind::Code16:
            return Low16(static_cast<int>(v + 0.5));
        case SampleKind::Code32:
            return static_cast<int>(v + 0.5);
        default:
            return v;
        }
    }
    double S2(double v) const {
        const int w = static_cast<int>(v);
        switch (Kind()) {
        case SampleKind::Code16:
            return Low16(w);
        case SampleKind::Code32:
            return w < 0 ? static_cast<int>(w + 0.5) : w;
        default:
            return w;
        }
    }
    double S3(int y, double centreCode) const {
        switch (Kind()) {
        case SampleKind::Code16:
            return Low16(static_cast<int>(centreCode) + y);
        case SampleKind::Code32:
            return static_cast<int>(y + 0.5) + static_cast<int>(centreCode);
        default:
            return y + centreCode;
        }
    }
    double S4(double v) const {
        switch (Kind()) {
        case SampleKind::Code16:
            return Low16(static_cast<int>(v));
        case SampleKind::Code32:
            return static_cast<int>(v + 0.5);
        default:
            return v;
        }
    }
    double S5(double v) const {
        return Kind() == SampleKind::Code16 ? Low16(static_cast<int>(v)) : static_cast<int>(v);
    }

    void Generate(WaveParamDialog& form, const TypedTexts& texts) {
        TypedTexts typed{{"Prv_bgn", "0"},
                         {"Prv_end", std::to_string(kLength - 1)},
                         {"Wavmin", std::to_string(low)},
                         {"Wavmax", std::to_string(high)}};
        typed.insert(typed.end(), texts.begin(), texts.end());
        OpenAndType(form, typed);
        ASSERT_TRUE(form.Preview());
        ASSERT_TRUE(fixture.workspace.ui.messages.empty());
        // The levels were typed with six decimals; the rules use them as read.
        low = std::stod(std::to_string(low));
        high = std::stod(std::to_string(high));
        a = (high - low) * k / 2;
        centre = (high + low) * k / 2 + c;
        EXPECT_DOUBLE_EQ(form.CodeFactor(), k);
        EXPECT_DOUBLE_EQ(form.CodeOffset(), c);
    }

    GeneratorFixture fixture;
    double vlo = 0, vhi = 0, k = 0, c = 0, low = 0, high = 0, a = 0, centre = 0;
};

} // namespace

TEST_P(GeneratorStorage, SineStoresByRuleS1) {
    SineDialog form(fixture.document);
    Generate(form, {{"Cycl", "3"}, {"Phase", "30"}, {"Power", "1"}});
    const auto samples = fixture.Samples();
    int roundedTowardZero = 0;
    for (int i = 0; i < kLength; ++i) {
        const double v = std::sin(i * (2 * kPi) * 3.0 / kLength + 30 * kPi / 180) * a + centre;
        ASSERT_EQ(samples[i], S1(v)) << i;
        roundedTowardZero += v + 0.5 < 0 && std::trunc(v + 0.5) != std::floor(v + 0.5);
    }
    if (Kind() == SampleKind::Code16) {
        EXPECT_GT(roundedTowardZero, 0) << "negative codes round toward zero";
    }
}

TEST_P(GeneratorStorage, SquareStoresByRuleS2) {
    SquareDialog form(fixture.document);
    Generate(form, {{"Cycl", "3"}, {"Duty", "40"}});
    const double period = kLength / 3.0;
    const auto samples = fixture.Samples();
    for (int i = 0; i < kLength; ++i) {
        const double t = std::fmod(double(i), period);
        const double v = t < 40 * 0.01 * period ? high * k + c : low * k + c;
        ASSERT_EQ(samples[i], S2(v)) << i;
    }
}

TEST_P(GeneratorStorage, SincStoresByRuleS3) {
    SincDialog form(fixture.document);
    Generate(form, {{"Cycl", "2"}, {"Zeros", "6"}});
    const double period = kLength / 2.0;
    const double w = 6 * kPi / period;
    const auto samples = fixture.Samples();
    int negativeLobes = 0;
    for (int i = 0; i < kLength; ++i) {
        const int m = static_cast<int>(std::fmod(double(i), period) - period / 2);
        const int y =
            m == 0 ? static_cast<int>(a) : static_cast<int>(a * std::sin(m * w) / (m * w));
        ASSERT_EQ(samples[i], S3(y, centre)) << i;
        negativeLobes += y < 0;
    }
    EXPECT_GT(negativeLobes, 0);
}

TEST_P(GeneratorStorage, PulseStoresByRuleS4) {
    PulseDialog form(fixture.document);
    Generate(form,
             {{"Cycl", "2"}, {"Delay", "10"}, {"Rise", "20"}, {"High", "30"}, {"Fall", "15"}});
    const double period = kLength / 2.0;
    const double hi = high * k + c;
    const double lo = low * k + c;
    const double x1 = period * 0.10, x2 = x1 + period * 0.20, x3 = x2 + period * 0.30,
                 x4 = x3 + period * 0.15;
    const auto samples = fixture.Samples();
    for (int i = 0; i < kLength; ++i) {
        const double t = std::fmod(double(i), period);
        double v = lo;
        if (t > x1 && t <= x2) {
            v = lo + (hi - lo) * (t - x1) / (period * 0.20);
        } else if (t > x2 && t <= x3) {
            v = hi;
        } else if (t > x3 && t <= x4) {
            v = hi + (lo - hi) * (t - x3) / (period * 0.15);
        }
        ASSERT_EQ(samples[i], S4(v)) << i;
    }
}

// A new program run starts the C library's generator afresh; a fresh generator stands for
// a run, so every run gives the same noise.
TEST_P(GeneratorStorage, NoiseStoresByRuleS5) {
    CrtRandom random;
    WaveParamDialog form(fixture.document, 171, "ArbNoise");
    form.UseRandomSource(random);
    Generate(form, {});
    const double offCentre = fixture.document.IsFmDocument() ? 0.0 : 0.5;
    CrtRandom reference;
    const auto samples = fixture.Samples();
    for (int i = 0; i < kLength; ++i) {
        const double r = reference.Next();
        const double v = (r / 32767 - offCentre) * (high - low) * k + (high + low) / 2;
        ASSERT_EQ(samples[i], S5(v)) << i;
    }
}

INSTANTIATE_TEST_SUITE_P(
    AllSampleKinds, GeneratorStorage,
    ::testing::Values(Setup{"Codes16", "QW2182", OperatingMode::Standard, SampleKind::Code16},
                      Setup{"FmCodes32", "QW2182", OperatingMode::Fm, SampleKind::Code32},
                      Setup{"WideFmHz64", "G4270", OperatingMode::Fm, SampleKind::Hz64}),
    [](const ::testing::TestParamInfo<Setup>& info) { return std::string(info.param.name); });

TEST(GeneratorStorageWide, SixteenBitCodesKeepTheLowBitsWithoutClipping) {
    GeneratorFixture fixture(
        "QW2182", OperatingMode::Standard, kLength, [](TempWorkspace& workspace) {
            IniFile(workspace.state.familyFile).Write("Axis", "Vpts0", "-40000 40000");
        });
    ASSERT_EQ(fixture.document.Limits().VerticalHigh(), 40000);
    SquareDialog form(fixture.document);
    OpenAndType(form, {{"Prv_bgn", "0"},
                       {"Prv_end", "999"},
                       {"Wavmin", "-39000"},
                       {"Wavmax", "39000"},
                       {"Duty", "50"},
                       {"Cycl", "1"}});
    ASSERT_TRUE(form.Preview());
    const double highCode = std::trunc(39000 * form.CodeFactor() + form.CodeOffset());
    ASSERT_GT(highCode, 32767);
    EXPECT_EQ(fixture.document.Samples().Codes16()[0], Low16(static_cast<long long>(highCode)));
    EXPECT_LT(fixture.document.Samples().Codes16()[0], 0);
    EXPECT_GT(fixture.document.Samples().Codes16()[999], 0);
}
