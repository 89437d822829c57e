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

TEST_F(ExpressionLanguage, FormulasEvaluateByTheLanguageRules) {
    for (const ValueCase& c : kValueCases) {
        EXPECT_EQ(Value(c.formula, c.point, c.period), c.value) << c.formula;
    }
    EXPECT_TRUE(std::signbit(Value("-0.5%3")));
}

TEST_F(ExpressionLanguage, FormulasFailWithTheMessageOfTheirFault) {
    for (const auto& [formula, message] : kFailureCases) {
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

// A file operand reads the mode's sample at the point (zero outside the file), named from
// the start-up folder; the other mode's file, or one that is missing, is no operand.
TEST_F(ExpressionLanguage, FileOperandsReadTheModesSampleAtThePoint) {
    WriteSamples("w.wav", {100, -1, 7}, 2);
    WriteSamples("w.wvf", {-70000, 123456789}, 4);
    std::filesystem::create_directories(folder_ / "kr4810");
    WriteSamples("kr4810/s.wav", {5, 6}, 2);
    std::filesystem::create_directories(folder_ / "dir.wav");
    const struct {
        const char* formula;
        double point;
        bool fm;
        double value;
        int failure = 0;
    } cases[] = {
        {"w.wav", 0, false, 100},
        {"w.wav*2", 1, false, -2}, // bytes FF FF are -1
        {"w.wav", 2.9, false, 7},
        {"w.wav", 3, false, 0}, // past the end
        {"w.wav", -1, false, 0},
        {"w.wvf", 0, true, -70000},
        {"w.wvf", 1, true, 123456789},
        {"-w.wvf+1", 0, true, 70001},
        {"w.wvf-2)", 0, false, -2}, // the other mode's file opens a group like an operator
        {"kr4810\\s.wav", 1, false, 6},
        {"dir.wav+1", 0, false, 1}, // a folder exists but holds no samples
        {"w.wvf", 0, false, 0, MsgUnbalanced},
        {"w.wav", 0, true, 0, MsgUnbalanced},
        {"s.wav", 0, false, 0, MsgWaveformFileMissing},
        {"c:\\none\\s.wav", 0, false, 0, MsgWaveformFileMissing},
        {"none.wav", 0, false, 0, MsgWaveformFileMissing},
        {"p+none.txt", 0, false, 0, MsgWaveformFileMissing},
    };
    for (const auto& c : cases) {
        if (c.failure != 0) {
            EXPECT_EQ(Failure(c.formula, c.point, c.fm), c.failure) << c.formula;
        } else {
            EXPECT_EQ(Value(c.formula, c.point, 1000, c.fm), c.value)
                << c.formula << " " << c.point;
        }
    }
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

} // namespace
