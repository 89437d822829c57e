#pragma once

#include <cmath>

// The operations of the formula language. The point-by-point evaluator and the prepared
// program both compute through these functions, so that they give the same bits.
enum class ExpressionOp : unsigned char {
    Const,
    Point,
    File,
    Neg,
    Sin,
    Cos,
    Tan,
    Cotan,
    Ln,
    Log,
    Abs,
    Or,
    And,
    Less,
    Greater,
    Equal,
    Add,
    Sub,
    Mul,
    Div,
    Rem,
    Pow,
};

// The operations of the operator table's rows 0 to 4 (by row and column) and of its
// function row, shared by the interpreter and the compiler so that both read the same
// operators.
inline constexpr ExpressionOp kExpressionBinaryOps[5][3] = {
    {ExpressionOp::Or},
    {ExpressionOp::And},
    {ExpressionOp::Less, ExpressionOp::Greater, ExpressionOp::Equal},
    {ExpressionOp::Add, ExpressionOp::Sub},
    {ExpressionOp::Mul, ExpressionOp::Div, ExpressionOp::Rem},
};

inline constexpr ExpressionOp kExpressionFunctions[7] = {
    ExpressionOp::Sin, ExpressionOp::Cos, ExpressionOp::Tan, ExpressionOp::Cotan,
    ExpressionOp::Ln,  ExpressionOp::Log, ExpressionOp::Abs};

// Groups, function calls, unary minus and the right operand of "^" each nest one level
// deeper; a formula nested deeper than this is refused as unbalanced rather than being
// allowed to exhaust the stack.
inline constexpr int kExpressionMaxNesting = 1000;

// The remainder of the truncated operands, with the sign of the left one. fmod is exact, so
// this is the remainder of the integer division for every magnitude; a right operand that
// truncates to 0 gives NaN and so a domain error, like a division by zero.
inline double ExpressionRemainder(double left, double right) {
    return std::fmod(std::trunc(left), std::trunc(right));
}

inline double ApplyExpressionUnary(ExpressionOp op, double x) {
    switch (op) {
    case ExpressionOp::Neg:
        return -x;
    case ExpressionOp::Sin:
        return std::sin(x);
    case ExpressionOp::Cos:
        return std::cos(x);
    case ExpressionOp::Tan:
        return std::tan(x);
    case ExpressionOp::Cotan:
        return 1.0 / std::tan(x);
    case ExpressionOp::Ln:
        return std::log(x);
    case ExpressionOp::Log:
        return std::log10(x);
    case ExpressionOp::Abs:
        return std::fabs(x);
    default:
        return x;
    }
}

inline double ApplyExpressionBinary(ExpressionOp op, double left, double right) {
    switch (op) {
    case ExpressionOp::Or:
        return (left != 0 || right != 0) ? 1.0 : 0.0;
    case ExpressionOp::And:
        return (left != 0 && right != 0) ? 1.0 : 0.0;
    case ExpressionOp::Less:
        return left < right ? 1.0 : 0.0;
    case ExpressionOp::Greater:
        return left > right ? 1.0 : 0.0;
    case ExpressionOp::Equal:
        return left == right ? 1.0 : 0.0;
    case ExpressionOp::Add:
        return left + right;
    case ExpressionOp::Sub:
        return left - right;
    case ExpressionOp::Mul:
        return left * right;
    case ExpressionOp::Div:
        return left / right;
    case ExpressionOp::Rem:
        return ExpressionRemainder(left, right);
    case ExpressionOp::Pow:
        return std::pow(left, right);
    default:
        return left;
    }
}
