#pragma once

#include "synthesis/ExpressionMath.h"
#include "synthesis/ExpressionTokenizer.h"
#include "synthesis/ExpressionWaveFile.h"

#include <string>
#include <vector>

// One value the evaluation of a point computes.
struct ExpressionNode {
    ExpressionOp op = ExpressionOp::Const;
    int left = -1;  // operand node
    int right = -1; // second operand node
    double value = 0;
    int file = -1;
    bool checked = false; // the value must be finite, else the point fails with 3006
};

// A formula read once for a range of points: the values in the order in which the
// point-by-point evaluator computes them, with constants already computed.
struct ExpressionCode {
    std::vector<ExpressionNode> nodes;
    int result = -1;
    // A message every point fails with once its nodes have been computed (0 when the text
    // is sound): the text itself is wrong from that position on.
    int raiseId = 0;
    std::vector<ExpressionWaveFile> files;
};

// Reads formula text the way the point-by-point evaluator does, token by token and level
// by level, but builds the computation instead of carrying it out.
class ExpressionCompiler {
public:
    // File operands are read for points from..to.
    ExpressionCompiler(const ExpressionSettings& settings, long long from, long long to);

    ExpressionCode Compile(const char* text);

private:
    void NextToken();
    int ParseLevel(int level);
    int ParseOperand();
    void EnterNesting();
    int Constant(double value);
    int Unary(ExpressionOp op, int operand);
    int Binary(ExpressionOp op, int left, int right);
    int Point();
    int File();
    void Check(int node);

    ExpressionSettings settings_;
    long long from_;
    long long to_;
    ExpressionTokenizer tokenizer_;
    ExpressionToken token_;
    int nesting_ = 0;
    int point_ = -1;
    ExpressionCode code_;
};
