#pragma once

#include "core/StringTable.h"
#include "platform/recording/RecordingUserInterface.h"
#include "settings/ScratchFolder.h"
#include "synthesis/Expression.h"

#include <gtest/gtest.h>

#include <cmath>
#include <filesystem>
#include <string>
#include <utility>
#include <vector>

// A start-up folder of its own, with a recording user interface, for evaluating formulas
// that may name waveform files.
class ExpressionFolder : public ::testing::Test {
protected:
    std::string Folder() const { return scratch_.Path() + "/"; }

    // Writes little-endian samples of `width` bytes each.
    void WriteSamples(const std::string& name, const std::vector<long long>& samples,
                      int width) const {
        std::string bytes;
        for (const long long sample : samples) {
            for (int i = 0; i < width; ++i) {
                bytes += static_cast<char>((static_cast<unsigned long long>(sample) >> (8 * i)));
            }
        }
        scratch_.Write(name, bytes);
    }

    ScratchFolder scratch_;
    const std::filesystem::path folder_{scratch_.Path()};
    RecordingUserInterface ui_;
};

// Formulas of the language with their value at a point (amplitude 1000), and formulas that
// fail with the message of their fault; the range evaluation must agree on every one.
inline constexpr double kPi = 3.14159265358979323846;

struct ValueCase {
    const char* formula;
    double point;
    int period;
    double value;
};

inline const ValueCase kValueCases[] = {
    // omg and f have six significant digits; the constants keep their own precision.
    {"amp*sin(1.5*omg*(p+500))", 0, 1000, 1000 * std::sin(1.5 * 0.00628319 * 500)},
    {"omg", 0, 1000, 0.00628319},
    {"omg", 0, 1, 6.28319},
    {"f", 0, 1, 1.0},
    {"f", 0, 100000, 1e-5},
    {"f", 0, 3, 0.333333},
    {"per", 0, 4096, 4096.0},
    {"amp", 0, 1000, 1000.0},
    {"pi", 0, 1000, kPi},
    {"e", 0, 1000, 2.718281828},
    {"p", 12345, 1000, 12345.0},
    // Names and functions ignore case.
    {"PI*Amp", 0, 1000, kPi * 1000},
    {"SIN(P)", 2, 1000, std::sin(2.0)},
    {"CoTaN(p)", 2, 1000, 1 / std::tan(2.0)},
    {"Abs(-p)+LOG(100)+Ln(e)", 3, 1000, 3 + 2 + std::log(2.718281828)},
    // Unary minus binds tighter than the power, which associates to the right.
    {"-2^2", 0, 1000, 4.0},
    {"2^-1", 0, 1000, 0.5},
    {"-p*2", 3, 1000, -6.0},
    {"--p", 3, 1000, 3.0},
    {"2^3^2", 0, 1000, 512.0},
    // The other levels associate to the left.
    {"8/2/2", 0, 1000, 2.0},
    {"8-2-1", 0, 1000, 5.0},
    {"1+2*3", 0, 1000, 7.0},
    {"1<2<3", 0, 1000, 1.0},
    {"3>2>0", 0, 1000, 1.0},
    {"2=2", 0, 1000, 1.0},
    {"1+1=2", 0, 1000, 1.0},
    // The remainder truncates both operands and keeps the left sign.
    {"7%-3", 0, 1000, 1.0},
    {"-7%3", 0, 1000, -1.0},
    {"7.9%2.5", 0, 1000, 1.0},
    {"1e17%7", 0, 1000, std::fmod(1e17, 7.0)},
    // | and & combine only once: what follows the second one is never read.
    {"1|0|0", 0, 1000, 1.0},
    {"0|0|1", 0, 1000, 0.0},
    {"1&1&0", 0, 1000, 1.0},
    {"0&1|1", 0, 1000, 1.0},
    {"1|0|x", 0, 1000, 1.0},
    // Tokens after a complete expression are not examined.
    {"2)", 0, 1000, 2.0},
    {"2p", 7, 1000, 2.0},
    {"(p))", 7, 1000, 7.0},
    {"psin(p)", 7, 1000, 7.0},
    {" \t2 +  p", 1, 1000, 3.0},
    // A closing parenthesis as an operand counts as zero and closes a group.
    {"())", 0, 1000, 0.0},
    {"2*)", 0, 1000, 0.0},
    {"cos())", 0, 1000, 1.0},
    {"+p)", 4, 1000, 4.0},
    {"*p)", 4, 1000, 4.0},
    {"1e-999", 0, 1000, 0.0},
    {"1e", 0, 1000, 1.0},
    {"2e+", 0, 1000, 2.0},
};

inline const std::pair<std::string, int> kFailureCases[] = {
    {"5%0", MsgDomainError},
    {"5%0.9", MsgDomainError},
    // The token after an expression is still read; the domain test waits for the end
    // of the level.
    {"p+1x", MsgUnknownComponent},
    {"2 x", MsgUnknownComponent},
    {"0x10", MsgUnknownComponent},
    {"1/0*x", MsgUnknownComponent},
    {"ln(0)x", MsgUnknownComponent},
    {"1/0+x", MsgDomainError},
    {"p +1", MsgUnknownComponent}, // white space ends no word
    {"", MsgExpressionEmpty},
    {"   ", MsgExpressionEmpty},
    {"#", MsgExpressionEmpty},
    {")", 0}, // a closing parenthesis is a token
    // A missing operand or closing parenthesis leaves its group unbalanced.
    {"2*", MsgUnbalanced},
    {"2*#", MsgUnbalanced},
    {"sin(", MsgUnbalanced},
    {"-", MsgUnbalanced},
    {"2^", MsgUnbalanced},
    {"()", MsgUnbalanced},
    {"sin()", MsgUnbalanced},
    {"sin(p", MsgUnbalanced},
    {"(p", MsgUnbalanced},
    {"+p", MsgUnbalanced},
    // Values that are not finite.
    {"1/0", MsgDomainError},
    {"ln(0)", MsgDomainError},
    {"log(-1)", MsgDomainError},
    {"cotan(0)", MsgDomainError},
    {"(-8)^(1/3)", MsgDomainError},
    {"1e999", MsgDomainError},
    {"10^400-10^400", MsgDomainError},
    {"(1/0)<1", MsgDomainError},
    // Unknown words, tokens longer than 79 characters, text beyond ASCII.
    {"ctn(p)", MsgUnknownComponent},
    {"x", MsgUnknownComponent},
    {"p1", MsgUnknownComponent},
    {"sinx", MsgUnknownComponent},
    {"pie", MsgUnknownComponent},
    {"amp2", MsgUnknownComponent},
    {"2*omega", MsgUnknownComponent},
    {std::string(80, '1'), MsgUnknownComponent},
    {"p+" + std::string(80, 'a'), MsgUnknownComponent},
    {std::string(76, 'a') + ".wav", MsgUnknownComponent},
    {"\xC3\xA9", MsgExpressionEmpty},
    {"p+\xC3\xA9", MsgUnbalanced},
    {"p\xC3\xA9", MsgUnknownComponent},
    {"sin(\xCF\x80)", MsgUnbalanced},
};
