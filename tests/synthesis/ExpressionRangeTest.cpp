#include "ExpressionTestSupport.h"

#include <cstring>
#include <filesystem>

namespace {

// What a caller of `Evaluate` sees over a range: the values it got and where it stopped.
struct PointByPoint {
    std::vector<double> values;
    int errorId = 0;
    long long errorPoint = 0;
};

class ExpressionRangeTest : public ExpressionFolder {
protected:
    void SetUp() override {
        WriteSamples("w.wav", {0, 100, -1, 32767, -32768, 5, 6, 7, 8, 9, 10, -11}, 2);
        WriteSamples("w.wvf", {0, 1000000000, -1, 2147483647, -2147483647 - 1, 5, 6}, 4);
        std::filesystem::create_directories(folder_ / "dir.wav");
    }

    PointByPoint EvaluateEachPoint(const std::string& formula, long long from, long long to,
                                   int period, bool fm) {
        Expression expression(fm, Folder(), ui_);
        expression.SetAmplitude(amplitude_);
        PointByPoint result;
        for (long long point = from; point <= to; ++point) {
            std::string text = formula;
            const double value = expression.Evaluate(text, static_cast<double>(point), period);
            if (text.compare(0, 3, "Err") == 0) {
                result.errorId = ui_.messages.back().id;
                result.errorPoint = point;
                break;
            }
            result.values.push_back(value);
        }
        return result;
    }

    // Evaluates the formula both ways and compares bits, error and messages.
    void ExpectSameAsEachPoint(const std::string& formula, long long from, long long to,
                               int period = 97, bool fm = false) {
        SCOPED_TRACE("formula \"" + formula.substr(0, 60) + "\" over " + std::to_string(from) +
                     ".." + std::to_string(to) + (fm ? " (FM)" : ""));
        ui_.Clear();
        const PointByPoint expected = EvaluateEachPoint(formula, from, to, period, fm);
        const std::vector<int> expectedMessages = ui_.MessageIds();
        ui_.Clear();

        Expression expression(fm, Folder(), ui_);
        expression.SetAmplitude(amplitude_);
        std::string text = formula;
        const ExpressionRange range = expression.EvaluateRange(text, from, to, period);
        EXPECT_EQ(range.errorId, expected.errorId);
        EXPECT_EQ(range.errorPoint, expected.errorPoint);
        EXPECT_EQ(ui_.MessageIds(), expectedMessages);
        EXPECT_EQ(text, expected.errorId != 0 ? std::string("Error") : formula);
        ASSERT_EQ(range.values.size(), expected.values.size());
        for (std::size_t i = 0; i < range.values.size(); ++i) {
            if (std::memcmp(&range.values[i], &expected.values[i], sizeof(double)) != 0) {
                ADD_FAILURE() << "point " << from + static_cast<long long>(i) << ": "
                              << range.values[i] << " instead of " << expected.values[i];
                return;
            }
        }
    }

    int amplitude_ = 1000;
};

// Formulas whose value, or whether they fail, changes from point to point; with the formulas
// of the language tests they cover every operator, function, named value and quirk.
const char* const kCorpus[] = {
    // Formulas as users write them.
    "amp*sin(omg*p)+amp/2*sin(3*omg*p)", "(p%100)<50", "abs(p%40-20)*50-500",
    // Unary minus, powers and the left-associative levels.
    "-p", "--p*2", "-p^2", "2^-p", "p^0.5", "(p-50)^0.5", "2^3^2+p", "p^p^0.1", "8/2/2*p",
    "p/(p-50)", "1/(p-50)", "1/(p-50)+x", "1/p+x", "p-1-2-3", "p*3/7",
    // Remainders, with divisors that truncate to zero at some points.
    "p%7", "p%-7", "-p%7", "(p-50)%7.9", "p%(p-60)", "p%0.5", "1e17+p%3", "p*4.3e7%(p*0.37-3)",
    "(p-50)*1e8%(p%7-3)", "p*1e300*1e10%3",
    // Comparisons, and | and & that combine only once.
    "p<50", "p>50", "p=50", "1<2<p", "p>30>0", "p<30|p>70", "p<30|p>70|p=50", "p>30&p<70",
    "p>30&p<70&0", "(p>30)&(p<70)|(p=5)",
    // Functions and named values.
    "sin(p)", "cos(p*f)", "tan(p)", "cotan(p)", "cotan(p-50)", "ln(p)", "ln(p+1)", "log(p-10)",
    "abs(p-50)", "SIN(P)+Cos(p)", "pi*e*p", "amp*per*f*omg", "p*omg/f",
    // Parentheses and missing operands.
    "(p)", "((p+1)*(p-1))", "p*)", "p*", "p*#",
    // Values beyond the range of a double, or outside a function's domain.
    "1e999*p", "1e-999+p", "(-8)^(p/3)", "10^p", "p*10^306", "exp(p)", "p*(1/0)", "0*(1/0)",
    "(p<50)*1/0",
    // File operands of either mode, folders and missing files.
    "w.wav", "w.wav*p", "w.wav+w.wav/2", "-w.wav", "w.wvf", "w.wvf-p)", "dir.wav+p", "none.wav+p",
    "p+none.txt", "sin(p)+none.txt", "0*ln(p-20)+none.txt"};

TEST_F(ExpressionRangeTest, CorpusGivesTheSameBitsAndErrorsAsEachPoint) {
    std::vector<std::string> formulas(std::begin(kCorpus), std::end(kCorpus));
    for (const ValueCase& c : kValueCases) {
        formulas.emplace_back(c.formula);
    }
    for (const auto& [formula, message] : kFailureCases) {
        formulas.push_back(formula);
    }
    for (const std::string& formula : formulas) {
        ExpectSameAsEachPoint(formula, -3, 100);
        ExpectSameAsEachPoint(formula, 40, 60, 1000, true);
    }
}

TEST_F(ExpressionRangeTest, NamedValuesFollowAmplitudeAndPeriod) {
    amplitude_ = -32768;
    for (int period : {1, 3, 1000, 65536, -7, 0}) {
        ExpectSameAsEachPoint("amp*sin(omg*p)+f+per", 0, 20, period);
    }
}

// Remainders of the point by a constant are counted instead of divided: the count must wrap
// at the divisor across block boundaries, from any first point, for divisors that truncate.
TEST_F(ExpressionRangeTest, CountedRemaindersMatchEachPoint) {
    for (const char* formula : {"p%7", "p%-300", "p%256.9", "p%1", "p%0.5", "p%1e20",
                                "abs(p%2000-1000)*amp/1000", "(p%100)<50+p%3"}) {
        ExpectSameAsEachPoint(formula, 0, 2100);
        ExpectSameAsEachPoint(formula, 255, 1300);
    }
}

// Ranges beyond one block of the evaluator (on both cores), stopping at their first failing
// point, reading a file shorter than the range, of a long formula, nested too deep (refused
// once for the range), or empty (nothing read, not even the unknown word).
TEST_F(ExpressionRangeTest, RangesOfEveryExtentMatchEachPoint) {
    std::string longFormula = "p";
    for (int i = 0; longFormula.size() < 10000; ++i) {
        longFormula +=
            i % 3 == 0 ? "+sin(p*" + std::to_string(i) + ")" : "-p/" + std::to_string(i + 1);
    }
    ExpectSameAsEachPoint("amp*sin(1.5*omg*(p+500))-(p%1000<300)", 0, 200000, 200001);
    ExpectSameAsEachPoint("1/((p-150000)*(p-190000))", 0, 200000);
    ExpectSameAsEachPoint("1/((p-190000)*(p-40000))", 0, 200000);
    ExpectSameAsEachPoint("ln(p-1)", 0, 200000);
    ExpectSameAsEachPoint("p*(1/(p-199999))", 0, 200000);
    ExpectSameAsEachPoint("w.wvf*2", 0, 40, 97, true);
    ExpectSameAsEachPoint(longFormula, 0, 50);
    ExpectSameAsEachPoint(std::string(100000, '(') + "p" + std::string(100000, ')'), 0, 1000);
    ExpectSameAsEachPoint("x", 5, 4);
}

} // namespace
