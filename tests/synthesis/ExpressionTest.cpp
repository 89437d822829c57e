#include "ExpressionTestSupport.h"

#include "core/StringTable.h"

#include <cmath>
#include <filesystem>

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

TEST_F(ExpressionLanguage, DefaultEquationUsesOmegaWithSixDigits) {
    EXPECT_EQ(Value("amp*sin(1.5*omg*(p+500))"), 1000 * std::sin(1.5 * 0.00628319 * (0 + 500)));
    EXPECT_EQ(Value("omg", 0, 1000), 0.00628319);
    EXPECT_EQ(Value("omg", 0, 1), 6.28319);
    EXPECT_EQ(Value("f", 0, 1), 1.0);
    EXPECT_EQ(Value("f", 0, 100000), 1e-5);
    EXPECT_EQ(Value("f", 0, 3), 0.333333);
    EXPECT_EQ(Value("per", 0, 4096), 4096.0);
    EXPECT_EQ(Value("amp"), 1000.0);
}

TEST_F(ExpressionLanguage, ConstantsKeepTheirOwnPrecision) {
    EXPECT_EQ(Value("pi"), 3.14159265358979323846);
    EXPECT_EQ(Value("e"), 2.718281828);
    EXPECT_EQ(Value("p", 12345), 12345.0);
}

TEST_F(ExpressionLanguage, NamesAndFunctionsIgnoreCase) {
    EXPECT_EQ(Value("PI*Amp"), 3.14159265358979323846 * 1000);
    EXPECT_EQ(Value("SIN(P)", 2), std::sin(2.0));
    EXPECT_EQ(Value("CoTaN(p)", 2), 1 / std::tan(2.0));
    EXPECT_EQ(Value("Abs(-p)+LOG(100)+Ln(e)", 3), 3 + 2 + std::log(2.718281828));
}

TEST_F(ExpressionLanguage, UnaryMinusBindsTighterThanPower) {
    EXPECT_EQ(Value("-2^2"), 4.0);
    EXPECT_EQ(Value("2^-1"), 0.5);
    EXPECT_EQ(Value("-p*2", 3), -6.0);
    EXPECT_EQ(Value("--p", 3), 3.0);
    EXPECT_EQ(Value("2^3^2"), 512.0);
}

TEST_F(ExpressionLanguage, ArithmeticLevelsAssociateToTheLeft) {
    EXPECT_EQ(Value("8/2/2"), 2.0);
    EXPECT_EQ(Value("8-2-1"), 5.0);
    EXPECT_EQ(Value("1+2*3"), 7.0);
    EXPECT_EQ(Value("1<2<3"), 1.0);
    EXPECT_EQ(Value("3>2>0"), 1.0);
    EXPECT_EQ(Value("2=2"), 1.0);
    EXPECT_EQ(Value("1+1=2"), 1.0);
}

TEST_F(ExpressionLanguage, RemainderTruncatesBothOperandsAndKeepsTheLeftSign) {
    EXPECT_EQ(Value("7%-3"), 1.0);
    EXPECT_EQ(Value("-7%3"), -1.0);
    EXPECT_EQ(Value("7.9%2.5"), 1.0);
    EXPECT_EQ(Value("1e17%7"), std::fmod(1e17, 7.0));
    EXPECT_TRUE(std::signbit(Value("-0.5%3")));
    EXPECT_EQ(Failure("5%0"), MsgDomainError);
    EXPECT_EQ(Failure("5%0.9"), MsgDomainError);
}

TEST_F(ExpressionLanguage, OrAndAndCombineOnlyOnce) {
    EXPECT_EQ(Value("1|0|0"), 1.0);
    EXPECT_EQ(Value("0|0|1"), 0.0);
    EXPECT_EQ(Value("1&1&0"), 1.0);
    EXPECT_EQ(Value("0&1|1"), 1.0);
    EXPECT_EQ(Value("1|0|x"), 1.0) << "what follows the second | is never read";
}

TEST_F(ExpressionLanguage, TokensAfterACompleteExpressionAreNotExamined) {
    EXPECT_EQ(Value("2)"), 2.0);
    EXPECT_EQ(Value("2p", 7), 2.0);
    EXPECT_EQ(Value("(p))", 7), 7.0);
    EXPECT_EQ(Value("psin(p)", 7), 7.0);
}

TEST_F(ExpressionLanguage, TheTokenAfterAnExpressionIsStillRead) {
    EXPECT_EQ(Failure("p+1x"), MsgUnknownComponent);
    EXPECT_EQ(Failure("2 x"), MsgUnknownComponent);
    EXPECT_EQ(Failure("0x10"), MsgUnknownComponent);
    EXPECT_EQ(Failure("1/0*x"), MsgUnknownComponent) << "the domain test waits for the level end";
    EXPECT_EQ(Failure("ln(0)x"), MsgUnknownComponent);
    EXPECT_EQ(Failure("1/0+x"), MsgDomainError);
}

TEST_F(ExpressionLanguage, WhiteSpaceIsSkippedOnlyBeforeATokenAndEndsNoWord) {
    EXPECT_EQ(Value(" \t2 +  p", 1), 3.0);
    EXPECT_EQ(Failure("p +1"), MsgUnknownComponent);
}

TEST_F(ExpressionLanguage, NothingToReadAtTheStartIsAnEmptyExpression) {
    EXPECT_EQ(Failure(""), MsgExpressionEmpty);
    EXPECT_EQ(Failure("   "), MsgExpressionEmpty);
    EXPECT_EQ(Failure("#"), MsgExpressionEmpty);
    EXPECT_EQ(Failure(")"), 0) << "a closing parenthesis is a token";
}

TEST_F(ExpressionLanguage, AMissingOperandLeavesItsGroupUnbalanced) {
    EXPECT_EQ(Failure("2*"), MsgUnbalanced);
    EXPECT_EQ(Failure("2*#"), MsgUnbalanced);
    EXPECT_EQ(Failure("sin("), MsgUnbalanced);
    EXPECT_EQ(Failure("-"), MsgUnbalanced);
    EXPECT_EQ(Failure("2^"), MsgUnbalanced);
}

TEST_F(ExpressionLanguage, ClosingParenthesisAsOperandCountsAsZero) {
    EXPECT_EQ(Failure("()"), MsgUnbalanced);
    EXPECT_EQ(Failure("sin()"), MsgUnbalanced);
    EXPECT_EQ(Value("())"), 0.0);
    EXPECT_EQ(Value("2*)"), 0.0);
    EXPECT_EQ(Value("cos())"), 1.0);
}

TEST_F(ExpressionLanguage, GroupsNeedTheirClosingParenthesis) {
    EXPECT_EQ(Failure("sin(p"), MsgUnbalanced);
    EXPECT_EQ(Failure("(p"), MsgUnbalanced);
    EXPECT_EQ(Failure("+p"), MsgUnbalanced);
    EXPECT_EQ(Value("+p)", 4), 4.0);
    EXPECT_EQ(Value("*p)", 4), 4.0);
}

TEST_F(ExpressionLanguage, NonFiniteValuesAreDomainErrors) {
    EXPECT_EQ(Failure("1/0"), MsgDomainError);
    EXPECT_EQ(Failure("ln(0)"), MsgDomainError);
    EXPECT_EQ(Failure("log(-1)"), MsgDomainError);
    EXPECT_EQ(Failure("cotan(0)"), MsgDomainError);
    EXPECT_EQ(Failure("(-8)^(1/3)"), MsgDomainError);
    EXPECT_EQ(Failure("1e999"), MsgDomainError);
    EXPECT_EQ(Failure("10^400-10^400"), MsgDomainError);
    EXPECT_EQ(Value("1e-999"), 0.0);
    EXPECT_EQ(Failure("(1/0)<1"), MsgDomainError);
}

TEST_F(ExpressionLanguage, UnknownWordsAreUnknownComponents) {
    for (const char* text : {"ctn(p)", "x", "p1", "sinx", "pie", "amp2", "2*omega"}) {
        EXPECT_EQ(Failure(text), MsgUnknownComponent) << text;
    }
}

TEST_F(ExpressionLanguage, TokensLongerThan79CharactersAreRefused) {
    EXPECT_EQ(Value(std::string(79, '1') + "*0"), 0.0);
    EXPECT_EQ(Failure(std::string(80, '1')), MsgUnknownComponent);
    EXPECT_EQ(Failure("p+" + std::string(80, 'a')), MsgUnknownComponent);
    EXPECT_EQ(Failure(std::string(76, 'a') + ".wav"), MsgUnknownComponent);
}

TEST_F(ExpressionLanguage, NonAsciiTextIsRefused) {
    EXPECT_EQ(Failure("\xC3\xA9"), MsgExpressionEmpty);
    EXPECT_EQ(Failure("p+\xC3\xA9"), MsgUnbalanced);
    EXPECT_EQ(Failure("p\xC3\xA9"), MsgUnknownComponent);
    EXPECT_EQ(Failure("sin(\xCF\x80)"), MsgUnbalanced);
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
    EXPECT_EQ(Value("1e"), 1.0);
    EXPECT_EQ(Value("2e+"), 2.0);
}

} // namespace
