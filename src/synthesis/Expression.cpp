#include "synthesis/Expression.h"

#include "core/LargePages.h"
#include "core/StringTable.h"
#include "core/UserInterface.h"
#include "synthesis/ExpressionMath.h"
#include "synthesis/ExpressionWaveFile.h"

#include <cmath>
#include <utility>

Expression::Expression(bool fm, std::string startupFolder, UserInterface& ui)
    : fm_(fm), folder_(std::move(startupFolder)), ui_(ui), tokenizer_(Settings(1)) {}

ExpressionSettings Expression::Settings(int period) const {
    ExpressionSettings settings;
    settings.fm = fm_;
    settings.folder = folder_;
    settings.amplitude = amplitude_;
    settings.period = period;
    return settings;
}

double Expression::Evaluate(std::string& text, double point, int period) {
    point_ = point;
    period_ = period;
    nesting_ = 0;
    tokenizer_ = ExpressionTokenizer(Settings(period));
    try {
        tokenizer_.Start(text.c_str());
        NextToken();
        if (token_.text.empty()) {
            throw static_cast<int>(MsgExpressionEmpty);
        }
        double result = 0;
        ParseLevel(0, result);
        return result;
    } catch (int id) {
        Fail(id, text);
        return 0;
    }
}

ExpressionRange Expression::EvaluateRange(std::string& text, long long from, long long to,
                                          int period) {
    ExpressionRange range;
    if (to < from) {
        return range;
    }
    // A long range is filled once by the program, after the zeroing here: large pages
    // make both passes cheaper than thousands of first-touch faults.
    const auto count = static_cast<std::size_t>(to - from + 1);
    range.values.reserve(count);
    PreferLargePages(range.values.data(), count * sizeof(double));
    range.values.resize(count);
    const ExpressionOutcome outcome = EvaluateInto(text, from, to, period, range.values.data());
    if (outcome.errorId != 0) {
        range.values.resize(static_cast<std::size_t>(outcome.errorPoint - from));
        range.errorId = outcome.errorId;
        range.errorPoint = outcome.errorPoint;
    }
    return range;
}

ExpressionOutcome Expression::EvaluateInto(std::string& text, long long from, long long to,
                                           int period, double* values) {
    if (to < from) {
        return {};
    }
    const ExpressionProgram program(text.c_str(), Settings(period), from, to);
    const ExpressionOutcome outcome = program.Run(values);
    if (outcome.errorId != 0) {
        Fail(outcome.errorId, text);
    }
    return outcome;
}

// Every error of an evaluation ends here.
void Expression::Fail(int id, std::string& text) {
    ui_.ShowMessage(id);
    text = "Error";
}

void Expression::NextToken() {
    tokenizer_.Next(token_);
}

int Expression::FindOperator(int level) const {
    return ExpressionTokenizer::FindOperator(token_, level);
}

void Expression::EnterNesting() {
    if (++nesting_ > kExpressionMaxNesting) {
        throw static_cast<int>(MsgUnbalanced);
    }
}

void Expression::ParseLevel(int level, double& result) {
    if (level <= 4) {
        ParseLevel(level + 1, result);
        for (int column = FindOperator(level); column >= 0; column = FindOperator(level)) {
            NextToken();
            double right = 0;
            ParseLevel(level + 1, right);
            result = ApplyExpressionBinary(kExpressionBinaryOps[level][column], result, right);
            if (level <= 1) {
                break; // "|" and "&" combine once; the rest of the text is left over
            }
        }
    } else if (level == 5) {
        ParseLevel(6, result);
        if (FindOperator(5) == 0) {
            EnterNesting();
            NextToken();
            double right = 0;
            ParseLevel(5, right);
            --nesting_;
            result = std::pow(result, right);
        }
    } else {
        ParseOperand(result);
    }
    if (!std::isfinite(result)) {
        throw static_cast<int>(MsgDomainError);
    }
}

void Expression::ParseOperand(double& result) {
    switch (token_.kind) {
    case TokenKind::Variable:
        result = point_;
        NextToken();
        return;
    case TokenKind::Number:
        result = token_.number;
        NextToken();
        return;
    case TokenKind::None:
        // Nothing where an operand belongs (the end of the text or an unknown character):
        // the group or operator it belongs to is left open.
        throw static_cast<int>(MsgUnbalanced);
    default:
        break;
    }
    const int column = FindOperator(6);
    if (column == kMinusColumn) {
        // Unary minus takes one operand, so it binds tighter than "^".
        EnterNesting();
        NextToken();
        ParseLevel(6, result);
        --nesting_;
        result = -result;
        return;
    }
    if (column == kFileColumn) {
        // A ")" in operand position lands here too and counts as 0.
        result = token_.kind == TokenKind::WaveFile
                     ? ExpressionWaveFile::ReadSample(token_.path, fm_, point_)
                     : 0.0;
        NextToken();
        return;
    }
    // A function, "(", or anything else that opens a group needing its ")".
    EnterNesting();
    NextToken();
    ParseLevel(0, result);
    --nesting_;
    if (token_.text.empty() || token_.text[0] != ')') {
        throw static_cast<int>(MsgUnbalanced);
    }
    if (column >= 0 && column < kOpenColumn) {
        result = ApplyExpressionUnary(kExpressionFunctions[column], result);
    }
    NextToken();
}
