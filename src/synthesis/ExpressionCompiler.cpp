#include "synthesis/ExpressionCompiler.h"

#include "core/StringTable.h"
#include "synthesis/ExpressionMath.h"

#include <cmath>

ExpressionCompiler::ExpressionCompiler(const ExpressionSettings& settings, long long from,
                                       long long to)
    : settings_(settings), from_(from), to_(to), tokenizer_(settings) {}

ExpressionCode ExpressionCompiler::Compile(const char* text) {
    code_ = ExpressionCode();
    nesting_ = 0;
    point_ = -1;
    // Every error is found at the same token, and after the same computations, as the
    // point-by-point evaluator finds it.
    try {
        tokenizer_.Start(text);
        NextToken();
        if (token_.text.empty()) {
            throw static_cast<int>(MsgExpressionEmpty);
        }
        code_.result = ParseLevel(0);
    } catch (int id) {
        code_.raiseId = id;
        code_.result = -1;
    }
    return std::move(code_);
}

void ExpressionCompiler::NextToken() {
    tokenizer_.Next(token_);
}

void ExpressionCompiler::EnterNesting() {
    if (++nesting_ > kExpressionMaxNesting) {
        throw static_cast<int>(MsgUnbalanced);
    }
}

int ExpressionCompiler::ParseLevel(int level) {
    int result = -1;
    if (level <= 4) {
        result = ParseLevel(level + 1);
        for (int column = ExpressionTokenizer::FindOperator(token_, level); column >= 0;
             column = ExpressionTokenizer::FindOperator(token_, level)) {
            NextToken();
            const int right = ParseLevel(level + 1);
            result = Binary(kExpressionBinaryOps[level][column], result, right);
            if (level <= 1) {
                break;
            }
        }
    } else if (level == 5) {
        result = ParseLevel(6);
        if (ExpressionTokenizer::FindOperator(token_, 5) == 0) {
            EnterNesting();
            NextToken();
            const int right = ParseLevel(5);
            --nesting_;
            result = Binary(ExpressionOp::Pow, result, right);
        }
    } else {
        result = ParseOperand();
    }
    Check(result);
    return result;
}

int ExpressionCompiler::ParseOperand() {
    switch (token_.kind) {
    case TokenKind::Variable: {
        const int node = Point();
        NextToken();
        return node;
    }
    case TokenKind::Number: {
        const int node = Constant(token_.number);
        NextToken();
        return node;
    }
    case TokenKind::None:
        throw static_cast<int>(MsgUnbalanced);
    default:
        break;
    }
    const int column = ExpressionTokenizer::FindOperator(token_, 6);
    if (column == kMinusColumn) {
        EnterNesting();
        NextToken();
        const int operand = ParseLevel(6);
        --nesting_;
        return Unary(ExpressionOp::Neg, operand);
    }
    if (column == kFileColumn) {
        const int node = token_.kind == TokenKind::WaveFile ? File() : Constant(0.0);
        NextToken();
        return node;
    }
    EnterNesting();
    NextToken();
    int result = ParseLevel(0);
    --nesting_;
    if (token_.text.empty() || token_.text[0] != ')') {
        throw static_cast<int>(MsgUnbalanced);
    }
    if (column >= 0 && column < kOpenColumn) {
        result = Unary(kExpressionFunctions[column], result);
    }
    NextToken();
    return result;
}

int ExpressionCompiler::Constant(double value) {
    ExpressionNode node;
    node.op = ExpressionOp::Const;
    node.value = value;
    code_.nodes.push_back(node);
    return static_cast<int>(code_.nodes.size()) - 1;
}

int ExpressionCompiler::Unary(ExpressionOp op, int operand) {
    const ExpressionNode& source = code_.nodes[static_cast<std::size_t>(operand)];
    if (source.op == ExpressionOp::Const) {
        return Constant(ApplyExpressionUnary(op, source.value));
    }
    ExpressionNode node;
    node.op = op;
    node.left = operand;
    code_.nodes.push_back(node);
    return static_cast<int>(code_.nodes.size()) - 1;
}

int ExpressionCompiler::Binary(ExpressionOp op, int left, int right) {
    const ExpressionNode& a = code_.nodes[static_cast<std::size_t>(left)];
    const ExpressionNode& b = code_.nodes[static_cast<std::size_t>(right)];
    if (a.op == ExpressionOp::Const && b.op == ExpressionOp::Const) {
        return Constant(ApplyExpressionBinary(op, a.value, b.value));
    }
    ExpressionNode node;
    node.op = op;
    node.left = left;
    node.right = right;
    code_.nodes.push_back(node);
    return static_cast<int>(code_.nodes.size()) - 1;
}

int ExpressionCompiler::Point() {
    if (point_ < 0) {
        ExpressionNode node;
        node.op = ExpressionOp::Point;
        code_.nodes.push_back(node);
        point_ = static_cast<int>(code_.nodes.size()) - 1;
    }
    return point_;
}

int ExpressionCompiler::File() {
    int index = 0;
    while (index < static_cast<int>(code_.files.size()) &&
           code_.files[static_cast<std::size_t>(index)].Path() != token_.path) {
        ++index;
    }
    if (index == static_cast<int>(code_.files.size())) {
        code_.files.emplace_back(token_.path, settings_.fm, from_, to_);
    }
    ExpressionNode node;
    node.op = ExpressionOp::File;
    node.file = index;
    code_.nodes.push_back(node);
    return static_cast<int>(code_.nodes.size()) - 1;
}

void ExpressionCompiler::Check(int node) {
    ExpressionNode& value = code_.nodes[static_cast<std::size_t>(node)];
    if (value.op != ExpressionOp::Const) {
        value.checked = true;
    } else if (!std::isfinite(value.value)) {
        throw static_cast<int>(MsgDomainError); // fails at every point
    }
}
