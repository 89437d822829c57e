#pragma once

#include "synthesis/ExpressionProgram.h"
#include "synthesis/ExpressionTokenizer.h"

#include <string>
#include <vector>

class UserInterface;

// The values of a formula over a range of points, or where it failed.
struct ExpressionRange {
    std::vector<double> values; // one per point from the first on, up to the failing one
    int errorId = 0;            // message id of the first failing point; 0 when none failed
    long long errorPoint = 0;
};

// The formula language of the equation editor: numbers, the named values p, pi, e, amp,
// per, f and omg, seven functions, eleven binary operators, unary minus and waveform files
// as operands. `Evaluate` interprets the text afresh at every point; `EvaluateRange` gives
// exactly the same values and errors for a whole range of points, much faster.
//
// An error shows its message and leaves "Error" in the caller's text, which is how callers
// notice it.
class Expression {
public:
    // `startupFolder` ends with the path separator; relative file names are taken from it.
    Expression(bool fm, std::string startupFolder, UserInterface& ui);

    // The value of "amp", set once before a run of evaluations.
    void SetAmplitude(int amplitude) { amplitude_ = amplitude; }
    int Amplitude() const { return amplitude_; }

    // The formula's value at `point`; `period` is the value of "per". On failure the
    // message is shown, `text` becomes "Error" and the result is meaningless.
    double Evaluate(std::string& text, double point, int period);

    // The values at points from..to, as `Evaluate` gives them one by one, stopping at the
    // first failing point as a caller of `Evaluate` does (same message, same "Error").
    // A waveform file operand is read once for the range: a file changed by another program
    // while the range is evaluated is seen as it was at the start.
    ExpressionRange EvaluateRange(std::string& text, long long from, long long to, int period);

    // The same into values[0 .. to - from], memory of the caller's that is first written
    // here (an array handed on without a copy, whose pages the workers then fault in side
    // by side). Values from the failing point on are unspecified.
    ExpressionOutcome EvaluateInto(std::string& text, long long from, long long to, int period,
                                   double* values);

private:
    void NextToken();
    void ParseLevel(int level, double& result);
    void ParseOperand(double& result);
    int FindOperator(int level) const;
    void EnterNesting();
    void Fail(int id, std::string& text);
    ExpressionSettings Settings(int period) const;

    bool fm_;
    std::string folder_;
    UserInterface& ui_;
    int amplitude_ = 0;
    int period_ = 1;
    double point_ = 0;
    int nesting_ = 0;
    ExpressionTokenizer tokenizer_;
    ExpressionToken token_;
};
