#include "ExpressionTestSupport.h"

#include "core/StringTable.h"

#include <cmath>
#include <filesystem>
#include <string>
#include <utility>

namespace {

class ExpressionLanguage : public ExpressionFolder {
protected:
    // Value at `point` with amplitude 1000 and period 1000; fails the test on an error.
    double Value(const std::string& formula, double point = 0, int period = 1000, bool fm = false) {
        Expression expression(fm, Folder(), ui_);
        expression.SetAmplitude(1000);
        std::string text = formula;
        const double value = expression.Evaluate(text, point, period);
        EXPECT_EQ(text, formula) << "failed with message " << LastMessage();
        return value;
    }
    // Message id the formula fails with (0 when it does not), and checks the "Error" mark.
    int Failure(const std::string& formula, double point = 0, bool fm = false) {
        ui_.Clear();
        Expression expression(fm, Folder(), ui_);
        expression.SetAmplitude(1000);
        std::string text = formula;
        expression.Evaluate(text, point, 1000);
        if (ui_.messages.empty()) {
            EXPECT_EQ(text, formula);
            return 0;
        }
        EXPECT_EQ(text, "Error");
        EXPECT_EQ(ui_.messages.size(), 1u);
        return ui_.messages.back().id;
    }
    int LastMessage() const { return ui_.messages.empty() ? 0 : ui_.messages.back().id; }
};

struct ValueCase {
    const char* formula;
    double point;
    int period;
    double value;
};

TEST_F(ExpressionLanguage, FormulasEvaluateByTheLanguageRules) {
    const double pi = 3.14159265358979323846;
    const ValueCase cases[] = {
        // omg and f have six significant digits; the constants keep their own precision.
        {"amp*sin(1.5*omg*(p+500))", 0, 1000, 1000 * std::sin(1.5 * 0.00628319 * 500)},
        {"omg", 0, 1000, 0.00628319},
        {"omg", 0, 1, 6.28319},
        {"f", 0, 1, 1.0},
        {"f", 0, 100000, 1e-5},
        {"f", 0, 3, 0.333333},
        {"per", 0, 4096, 4096.0},
        {"amp", 0, 1000, 1000.0},
        {"pi", 0, 1000, pi},
        {"e", 0, 1000, 2.718281828},
        {"p", 12345, 1000, 12345.0},
        // Names and functions ignore case.
        {"PI*Amp", 0, 1000, pi * 1000},
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
    for (const ValueCase& c : cases) {
        EXPECT_EQ(Value(c.formula, c.point, c.period), c.value) << c.formula;
    }
    EXPECT_TRUE(std::signbit(Value("-0.5%3")));
}

TEST_F(ExpressionLanguage, FormulasFailWithTheMessageOfTheirFault) {
    const std::pair<std::string, int> cases[] = {
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
    for (const auto& [formula, message] : cases) {
        EXPECT_EQ(Failure(formula), message) << formula.substr(0, 20);
    }
    EXPECT_EQ(Value(std::string(79, '1') + "*0"), 0.0);
}

TEST_F(ExpressionLanguage, DeepNestingIsRefusedAsUnbalanced) {
    const auto nested = [](int depth) {
        return std::string(static_cast<std::size_t>(depth), '(') + "p" +
               std::string(static_cast<std::size_t>(depth), ')');
    };
    EXPECT_EQ(Value(nested(1000), 3), 3.0);
    EXPECT_EQ(Failure(nested(1001)), MsgUnbalanced);
    EXPECT_EQ(Failure(nested(100000)), MsgUnbalanced);
    EXPECT_EQ(Value(std::string(1000, '-') + "p", 3), 3.0);
    EXPECT_EQ(Failure(std::string(100000, '-') + "p"), MsgUnbalanced);
    std::string powers = "1";
    for (int i = 0; i < 1001; ++i) {
        powers += "^1";
    }
    EXPECT_EQ(Failure(powers), MsgUnbalanced);
}

TEST_F(ExpressionLanguage, LongFormulasAreEvaluatedWhole) {
    std::string text = "p";
    while (text.size() < 10000) {
        text += "+p";
    }
    EXPECT_EQ(Value(text, 2), 2.0 * static_cast<double>((text.size() + 1) / 2));
}

TEST_F(ExpressionLanguage, AnErrorShowsItsMessageOnceAndTheNextEvaluationStartsAfresh) {
    Expression expression(false, Folder(), ui_);
    std::string text = "1/(p-1)";
    expression.Evaluate(text, 1, 1000);
    ASSERT_EQ(ui_.MessageIds(), std::vector<int>{MsgDomainError});
    EXPECT_EQ(ui_.messages[0].text, "Domain error.");
    EXPECT_EQ(text, "Error");
    text = "1/(p-1)";
    EXPECT_EQ(expression.Evaluate(text, 3, 1000), 0.5);
    EXPECT_EQ(ui_.messages.size(), 1u);
}

TEST_F(ExpressionLanguage, FileOperandsReadTheModesSampleAtThePoint) {
    WriteSamples("w.wav", {100, -1, 7}, 2);
    WriteSamples("w.wvf", {-70000, 123456789}, 4);
    EXPECT_EQ(Value("w.wav", 0), 100.0);
    EXPECT_EQ(Value("w.wav*2", 1), -2.0) << "bytes FF FF are -1";
    EXPECT_EQ(Value("w.wav", 2.9), 7.0);
    EXPECT_EQ(Value("w.wav", 3), 0.0) << "past the end";
    EXPECT_EQ(Value("w.wav", -1), 0.0);
    EXPECT_EQ(Value("w.wvf", 0, 1000, true), -70000.0);
    EXPECT_EQ(Value("w.wvf", 1, 1000, true), 123456789.0);
    EXPECT_EQ(Value("-w.wvf+1", 0, 1000, true), 70001.0);
}

TEST_F(ExpressionLanguage, TheOtherModesFileIsNoOperand) {
    WriteSamples("w.wav", {100}, 2);
    WriteSamples("w.wvf", {100}, 4);
    EXPECT_EQ(Failure("w.wvf"), MsgUnbalanced);
    EXPECT_EQ(Failure("w.wav", 0, true), MsgUnbalanced);
    EXPECT_EQ(Value("w.wvf-2)", 0), -2.0) << "it opens a group like an operator";
}

TEST_F(ExpressionLanguage, FileNamesResolveFromTheStartupFolder) {
    std::filesystem::create_directories(folder_ / "kr4810");
    WriteSamples("kr4810/s.wav", {5, 6}, 2);
    EXPECT_EQ(Value("kr4810\\s.wav", 1), 6.0);
    EXPECT_EQ(Failure("s.wav"), MsgWaveformFileMissing);
    EXPECT_EQ(Failure("c:\\none\\s.wav"), MsgWaveformFileMissing);
}

TEST_F(ExpressionLanguage, MissingFilesAndFoldersAsOperands) {
    EXPECT_EQ(Failure("none.wav"), MsgWaveformFileMissing);
    EXPECT_EQ(Failure("p+none.txt"), MsgWaveformFileMissing);
    std::filesystem::create_directories(folder_ / "dir.wav");
    EXPECT_EQ(Value("dir.wav+1"), 1.0) << "a folder exists but holds no samples";
}

TEST_F(ExpressionLanguage, AFileDeletedBetweenTwoPointsFailsAtTheSecond) {
    WriteSamples("w.wav", {1, 2, 3}, 2);
    Expression expression(false, Folder(), ui_);
    std::string text = "w.wav";
    EXPECT_EQ(expression.Evaluate(text, 0, 1000), 1.0);
    std::filesystem::remove(folder_ / "w.wav");
    expression.Evaluate(text, 1, 1000);
    EXPECT_EQ(text, "Error");
    EXPECT_EQ(ui_.MessageIds(), std::vector<int>{MsgWaveformFileMissing});
}

TEST_F(ExpressionLanguage, NumbersAreReadAsInTheCLocale) {
    for (const char* text :
         {"0", "1.", ".5", "1.e5", "1e+3", "2.5E-3", "123456789012345678901234567890", "4.9e-324",
          "2.4e-324", "1.7976931348623157e308", "0.1", "9007199254740993"}) {
        EXPECT_EQ(ExpressionTokenizer::ReadNumber(text), std::strtod(text, nullptr)) << text;
    }
}

} // namespace
