#pragma once

#include "synthesis/ExpressionCompiler.h"

#include <atomic>
#include <vector>

// Where the evaluation of a range stopped: the message id and point of the first failing
// point, or id 0 when every point has its value.
struct ExpressionOutcome {
    int errorId = 0;
    long long errorPoint = 0;
};

// A formula prepared for the points from..to: read once, then computed a block of points
// at a time, operation by operation, on up to two cores. Every value is bit for bit what
// the point-by-point evaluator gives, and the first failing point and its message are the
// ones it would stop at.
class ExpressionProgram {
public:
    // Reads the text and the file operands it names; errors are kept for `Run`.
    ExpressionProgram(const char* text, const ExpressionSettings& settings, long long from,
                      long long to);

    // Writes the values of points from..to to values[0..]. Stops at the first failing
    // point; the values before it are written, those from it on are unspecified. A large
    // range without file operands is shared among `workers` threads (the caller's included).
    ExpressionOutcome Run(double* values, int workers = 2) const;

private:
    struct Step {
        ExpressionOp op = ExpressionOp::Const;
        int target = 0;
        int left = 0;
        int right = 0;
        int file = -1;
        bool check = false;
        long long modulus = 0; // of a point remainder: the points counted round, no division
    };
    class Registers;

    void Plan();
    std::vector<bool> DynamicChecks() const;
    long long PointModulus(const ExpressionNode& node) const;
    void Schedule(const std::vector<bool>& dynamicCheck);
    void Work(std::atomic<long long>& nextChunk, std::atomic<long long>& firstError,
              double* values) const;
    int RunBlock(Registers& registers, long long first, int count, double* values) const;
    void RunStep(const Step& step, double* target, Registers& registers, long long first,
                 int count) const;

    ExpressionCode code_;
    long long from_;
    long long to_;
    std::vector<Step> steps_;
    std::vector<std::pair<int, double>> constants_; // register, value
    int registerCount_ = 1;                         // register 0 holds 0, 1, 2, ...
    int resultRegister_ = -1;
    bool resultIsLastStep_ = false;
};
