#include "synthesis/ExpressionProgram.h"

#include "core/StringTable.h"
#include "synthesis/SineCosine.h"

#include <algorithm>
#include <climits>
#include <cmath>
#include <cstdint>
#include <cstring>
#include <limits>
#include <thread>

#if defined(__SSE2__)
#include <emmintrin.h>
#endif

namespace {

constexpr int kBlock = 256;
// Points handed to a worker at a time, and the smallest range worth a second thread.
constexpr long long kChunk = 1 << 15;
constexpr long long kParallelMinimum = 1 << 17;
// A value whose magnitude is provably below this stays finite through one more addition or
// multiplication by a bounded value.
constexpr double kSafeBound = 1e300;
// No tangent of a double comes nearer to a pole than about 2^-61.
constexpr double kTangentBound = 1e20;
constexpr double kIntRange = 2147483648.0;
constexpr double kExactIntegers = 9007199254740992.0; // 2^53

// The index of the first value that is infinite or not a number, or `count`.
int FirstNonFinite(const double* values, int count) {
    std::uint64_t any = 0;
    for (int i = 0; i < count; ++i) {
        std::uint64_t bits;
        std::memcpy(&bits, &values[i], sizeof bits);
        // Carries into the sign bit exactly when every exponent bit is set.
        any |= (bits & 0x7FF0000000000000ULL) + 0x0010000000000000ULL;
    }
    if ((any >> 63) == 0) {
        return count;
    }
    for (int i = 0; i < count; ++i) {
        if (!std::isfinite(values[i])) {
            return i;
        }
    }
    return count;
}

template <class F> void Map(double* target, const double* source, int count, F f) {
    for (int i = 0; i < count; ++i) {
        target[i] = f(source[i]);
    }
}

template <class F>
void Map(double* target, const double* left, const double* right, int count, F f) {
    for (int i = 0; i < count; ++i) {
        target[i] = f(left[i], right[i]);
    }
}

// Both operands below 2^31 in magnitude and the right one at least 1: then the truncated
// quotient is exact, and so is the remainder computed from it.
bool SmallIntegers(double x, double y) {
    const double ax = std::fabs(x);
    const double ay = std::fabs(y);
    return ax < kIntRange && ay >= 1.0 && ay < kIntRange;
}

double SmallRemainder(double x, double y) {
    const double tx = static_cast<double>(static_cast<int>(x));
    const double ty = static_cast<double>(static_cast<int>(y));
    const double quotient = static_cast<double>(static_cast<int>(tx / ty));
    return std::copysign(tx - quotient * ty, x);
}

// fmod of the truncated operands, two at a time where both are small integers. Returns
// false when some pair needs the general rule. The target must not share storage with
// the operands.
bool SmallRemainders(double* target, const double* left, const double* right, int count) {
#if defined(__SSE2__)
    const __m128d sign = _mm_set1_pd(-0.0);
    const __m128d one = _mm_set1_pd(1.0);
    const __m128d range = _mm_set1_pd(kIntRange);
    int fastPairs = 3;
    int i = 0;
    for (; i + 2 <= count; i += 2) {
        const __m128d x = _mm_loadu_pd(left + i);
        const __m128d y = _mm_loadu_pd(right + i);
        const __m128d ax = _mm_andnot_pd(sign, x);
        const __m128d ay = _mm_andnot_pd(sign, y);
        const __m128d fast = _mm_and_pd(_mm_cmplt_pd(ax, range),
                                        _mm_and_pd(_mm_cmpge_pd(ay, one), _mm_cmplt_pd(ay, range)));
        fastPairs &= _mm_movemask_pd(fast);
        // Operands of the other pairs are replaced so that the conversions stay defined.
        const __m128d tx = _mm_cvtepi32_pd(_mm_cvttpd_epi32(_mm_and_pd(fast, x)));
        const __m128d ty = _mm_cvtepi32_pd(
            _mm_cvttpd_epi32(_mm_or_pd(_mm_and_pd(fast, y), _mm_andnot_pd(fast, one))));
        const __m128d quotient = _mm_cvtepi32_pd(_mm_cvttpd_epi32(_mm_div_pd(tx, ty)));
        const __m128d remainder = _mm_sub_pd(tx, _mm_mul_pd(quotient, ty));
        _mm_storeu_pd(target + i, _mm_or_pd(_mm_andnot_pd(sign, remainder), _mm_and_pd(sign, x)));
    }
    bool allFast = fastPairs == 3;
#else
    bool allFast = true;
    int i = 0;
#endif
    for (; i < count; ++i) {
        if (SmallIntegers(left[i], right[i])) {
            target[i] = SmallRemainder(left[i], right[i]);
        } else {
            allFast = false;
        }
    }
    return allFast;
}

void Remainders(double* target, const double* left, const double* right, int count) {
    if (SmallRemainders(target, left, right, count)) {
        return;
    }
    for (int i = 0; i < count; ++i) {
        if (!SmallIntegers(left[i], right[i])) {
            target[i] = ExpressionRemainder(left[i], right[i]);
        }
    }
}

// remainder, remainder + 1, ... wrapping to 0 at the modulus: the remainders of consecutive
// points, each run between two wraps a plain ramp.
void CountRemainders(double* target, long long remainder, long long modulus, int count) {
    int i = 0;
    while (i < count) {
        const int run = static_cast<int>(std::min<long long>(count - i, modulus - remainder));
        const double base = static_cast<double>(remainder);
        for (int j = 0; j < run; ++j) {
            target[i + j] = base + static_cast<double>(j);
        }
        i += run;
        remainder = 0;
    }
}

} // namespace

class ExpressionProgram::Registers {
public:
    explicit Registers(const ExpressionProgram& program)
        : values_(static_cast<std::size_t>(program.registerCount_) * kBlock) {
        for (int i = 0; i < kBlock; ++i) {
            values_[static_cast<std::size_t>(i)] = i;
        }
        for (const auto& [index, value] : program.constants_) {
            std::fill_n(At(index), kBlock, value);
        }
    }
    double* At(int index) { return values_.data() + static_cast<std::size_t>(index) * kBlock; }

private:
    std::vector<double> values_;
};

ExpressionProgram::ExpressionProgram(const char* text, const ExpressionSettings& settings,
                                     long long from, long long to)
    : from_(from), to_(to) {
    if (to < from) {
        return; // no point is evaluated, so the text is not even read
    }
    code_ = ExpressionCompiler(settings, from, to).Compile(text);
    Plan();
}

void ExpressionProgram::Plan() {
    Schedule(DynamicChecks());
}

// The checks that can fail at some point of the range. A point fails when any checked
// value is not finite, whichever check comes first, so a value checked earlier may be taken
// as finite when deciding about a later one.
std::vector<bool> ExpressionProgram::DynamicChecks() const {
    struct Fact {
        double bound = HUGE_VAL; // magnitude bound; HUGE_VAL when unknown
        bool finite = false;
    };
    const auto& nodes = code_.nodes;
    std::vector<Fact> facts(nodes.size());
    std::vector<bool> dynamic(nodes.size(), false);
    const double pointBound =
        std::max(std::fabs(static_cast<double>(from_)), std::fabs(static_cast<double>(to_)));
    for (std::size_t n = 0; n < nodes.size(); ++n) {
        const ExpressionNode& node = nodes[n];
        const Fact left = node.left >= 0 ? facts[static_cast<std::size_t>(node.left)] : Fact{};
        const Fact right = node.right >= 0 ? facts[static_cast<std::size_t>(node.right)] : Fact{};
        const ExpressionNode* rightNode =
            node.right >= 0 ? &nodes[static_cast<std::size_t>(node.right)] : nullptr;
        const bool constantRight = rightNode != nullptr && rightNode->op == ExpressionOp::Const;
        Fact fact;
        switch (node.op) {
        case ExpressionOp::Const:
            fact = {std::fabs(node.value), std::isfinite(node.value)};
            break;
        case ExpressionOp::Point:
            fact = {pointBound, true};
            break;
        case ExpressionOp::File:
            fact = {kIntRange, true};
            break;
        case ExpressionOp::Neg:
        case ExpressionOp::Abs:
            fact = left;
            break;
        case ExpressionOp::Sin:
        case ExpressionOp::Cos:
            fact = left.finite ? Fact{1.0, true} : Fact{};
            break;
        case ExpressionOp::Tan:
            fact = left.finite ? Fact{kTangentBound, true} : Fact{};
            break;
        case ExpressionOp::Or:
        case ExpressionOp::And:
        case ExpressionOp::Less:
        case ExpressionOp::Greater:
        case ExpressionOp::Equal:
            fact = {1.0, true};
            break;
        case ExpressionOp::Add:
        case ExpressionOp::Sub:
            fact.bound = left.bound + right.bound;
            break;
        case ExpressionOp::Mul:
            fact.bound = left.bound * right.bound;
            break;
        case ExpressionOp::Div:
            if (constantRight && rightNode->value != 0) {
                fact.bound = left.bound / std::fabs(rightNode->value);
            }
            break;
        case ExpressionOp::Rem:
            if (constantRight && left.finite && std::fabs(std::trunc(rightNode->value)) >= 1.0) {
                fact = {std::min(left.bound, std::fabs(std::trunc(rightNode->value))), true};
            }
            break;
        default:
            break;
        }
        if (fact.bound < kSafeBound) {
            fact.finite = true;
        }
        dynamic[n] = node.checked && !fact.finite;
        if (node.checked) {
            fact.finite = true;
        }
        facts[n] = fact;
    }
    return dynamic;
}

// The divisor of "p % c" with a constant c when the remainders of the range can be counted:
// every point is a whole number from 0 to below 2^53, so fmod of the truncated operands is
// the non-negative integer remainder by |trunc(c)|. 0 when the node is anything else.
long long ExpressionProgram::PointModulus(const ExpressionNode& node) const {
    if (node.op != ExpressionOp::Rem || node.left < 0 || node.right < 0 || from_ < 0 ||
        static_cast<double>(to_) + kBlock >= kExactIntegers) {
        return 0;
    }
    const auto& nodes = code_.nodes;
    const ExpressionNode& left = nodes[static_cast<std::size_t>(node.left)];
    const ExpressionNode& right = nodes[static_cast<std::size_t>(node.right)];
    if (left.op != ExpressionOp::Point || right.op != ExpressionOp::Const) {
        return 0;
    }
    const double divisor = std::fabs(std::trunc(right.value));
    if (!(divisor >= 1.0) || divisor >= kExactIntegers) {
        return 0;
    }
    return static_cast<long long>(divisor);
}

// Turns the needed nodes into block steps and gives each value a register for as long as
// later steps read it.
void ExpressionProgram::Schedule(const std::vector<bool>& dynamicCheck) {
    const auto& nodes = code_.nodes;
    const int count = static_cast<int>(nodes.size());
    std::vector<bool> needed(nodes.size(), false);
    if (code_.result >= 0) {
        needed[static_cast<std::size_t>(code_.result)] = true;
    }
    std::vector<int> lastUse(nodes.size(), -1);
    for (int n = count - 1; n >= 0; --n) {
        const ExpressionNode& node = nodes[static_cast<std::size_t>(n)];
        if (dynamicCheck[static_cast<std::size_t>(n)]) {
            needed[static_cast<std::size_t>(n)] = true;
        }
        if (!needed[static_cast<std::size_t>(n)] || node.op == ExpressionOp::Const) {
            continue;
        }
        if (PointModulus(node) > 0) {
            continue; // counts the points itself and reads no operand
        }
        for (const int operand : {node.left, node.right}) {
            if (operand >= 0) {
                needed[static_cast<std::size_t>(operand)] = true;
                lastUse[static_cast<std::size_t>(operand)] =
                    std::max(lastUse[static_cast<std::size_t>(operand)], n);
            }
        }
    }
    if (code_.result >= 0) {
        lastUse[static_cast<std::size_t>(code_.result)] = count;
    }

    std::vector<int> registerOf(nodes.size(), -1);
    std::vector<int> freeRegisters;
    auto allocate = [&]() {
        if (freeRegisters.empty()) {
            return registerCount_++;
        }
        const int index = freeRegisters.back();
        freeRegisters.pop_back();
        return index;
    };
    auto registerFor = [&](int operand) {
        int& index = registerOf[static_cast<std::size_t>(operand)];
        if (index < 0) { // only constants are met before they have a register
            index = registerCount_++;
            constants_.emplace_back(index, nodes[static_cast<std::size_t>(operand)].value);
        }
        return index;
    };
    auto release = [&](int operand, int n) {
        if (operand >= 0 && lastUse[static_cast<std::size_t>(operand)] == n &&
            nodes[static_cast<std::size_t>(operand)].op != ExpressionOp::Const) {
            freeRegisters.push_back(registerOf[static_cast<std::size_t>(operand)]);
        }
    };
    for (int n = 0; n < count; ++n) {
        const ExpressionNode& node = nodes[static_cast<std::size_t>(n)];
        if (!needed[static_cast<std::size_t>(n)] || node.op == ExpressionOp::Const) {
            continue;
        }
        Step step;
        step.op = node.op;
        step.file = node.file;
        step.check = dynamicCheck[static_cast<std::size_t>(n)];
        step.modulus = PointModulus(node);
        if (step.modulus > 0) {
            step.target = allocate();
            registerOf[static_cast<std::size_t>(n)] = step.target;
            steps_.push_back(step);
            if (lastUse[static_cast<std::size_t>(n)] < 0) {
                freeRegisters.push_back(step.target);
            }
            continue;
        }
        step.left = node.left >= 0 ? registerFor(node.left) : 0;
        step.right = node.right >= 0 ? registerFor(node.right) : 0;
        // A remainder reads its operands again after writing, so it never works in place.
        const bool inPlace = node.op != ExpressionOp::Rem;
        if (inPlace) {
            release(node.left, n);
            if (node.right != node.left) {
                release(node.right, n);
            }
        }
        step.target = allocate();
        if (!inPlace) {
            release(node.left, n);
            if (node.right != node.left) {
                release(node.right, n);
            }
        }
        registerOf[static_cast<std::size_t>(n)] = step.target;
        steps_.push_back(step);
        if (lastUse[static_cast<std::size_t>(n)] < 0) {
            freeRegisters.push_back(step.target); // only checked, never read again
        }
    }
    if (code_.result >= 0) {
        resultRegister_ = registerFor(code_.result);
        resultIsLastStep_ = !steps_.empty() && steps_.back().target == resultRegister_;
    }
}

ExpressionOutcome ExpressionProgram::Run(double* values, int workers) const {
    if (to_ < from_) {
        return {};
    }
    if (code_.raiseId != 0) {
        // The text is wrong, so the first point fails: with a domain error if one of the
        // values computed before the wrong token is not finite, else with the text's error.
        Registers registers(*this);
        const bool finite = RunBlock(registers, from_, 1, nullptr) == 1;
        return {finite ? code_.raiseId : static_cast<int>(MsgDomainError), from_};
    }
    std::atomic<long long> nextChunk{0};
    std::atomic<long long> firstError{LLONG_MAX};
    const long long total = to_ - from_ + 1;
    // File operands keep to one thread, whatever their snapshot allows.
    std::vector<std::thread> helpers;
    if (code_.files.empty() && total >= kParallelMinimum) {
        for (int i = 1; i < workers; ++i) {
            helpers.emplace_back([&] { Work(nextChunk, firstError, values); });
        }
    }
    Work(nextChunk, firstError, values);
    for (std::thread& helper : helpers) {
        helper.join();
    }
    if (firstError.load() == LLONG_MAX) {
        return {};
    }
    return {static_cast<int>(MsgDomainError), firstError.load()};
}

// Takes chunks in order until the range is done or an earlier point has failed, so every
// point before the first failing one is computed.
void ExpressionProgram::Work(std::atomic<long long>& nextChunk, std::atomic<long long>& firstError,
                             double* values) const {
    Registers registers(*this);
    for (;;) {
        const long long start = from_ + nextChunk.fetch_add(1) * kChunk;
        if (start > to_ || start >= firstError.load()) {
            return;
        }
        const long long end = std::min(to_ + 1, start + kChunk);
        for (long long first = start; first < end; first += kBlock) {
            const int count = static_cast<int>(std::min<long long>(kBlock, end - first));
            const int good = RunBlock(registers, first, count, values + (first - from_));
            if (good < count) {
                long long failed = first + good;
                long long known = firstError.load();
                while (failed < known && !firstError.compare_exchange_weak(known, failed)) {
                }
                break;
            }
        }
    }
}

// Computes points first..first+count-1 and writes the values of those before the first
// failing one; returns how many that is.
int ExpressionProgram::RunBlock(Registers& registers, long long first, int count,
                                double* values) const {
    int good = count;
    for (std::size_t s = 0; s < steps_.size(); ++s) {
        const Step& step = steps_[s];
        // The last step computes the result, straight into the caller's values.
        const bool intoValues = values != nullptr && resultIsLastStep_ && s + 1 == steps_.size();
        double* target = intoValues ? values : registers.At(step.target);
        RunStep(step, target, registers, first, count);
        if (step.check) {
            good = std::min(good, FirstNonFinite(target, count));
        }
    }
    if (values != nullptr && !resultIsLastStep_ && resultRegister_ >= 0) {
        std::memcpy(values, registers.At(resultRegister_),
                    sizeof(double) * static_cast<std::size_t>(good));
    }
    return good;
}

void ExpressionProgram::RunStep(const Step& step, double* target, Registers& registers,
                                long long first, int count) const {
    const double* a = registers.At(step.left);
    const double* b = registers.At(step.right);
    if (step.modulus > 0) {
        CountRemainders(target, first % step.modulus, step.modulus, count);
        return;
    }
    switch (step.op) {
    case ExpressionOp::Point: {
        const double* index = registers.At(0);
        const double base = static_cast<double>(first);
        if (std::fabs(base) + kBlock < kExactIntegers) {
            Map(target, index, count, [base](double i) { return base + i; });
        } else {
            for (int i = 0; i < count; ++i) {
                target[i] = static_cast<double>(first + i);
            }
        }
        break;
    }
    case ExpressionOp::File:
        code_.files[static_cast<std::size_t>(step.file)].Samples(first, count, target);
        break;
    case ExpressionOp::Neg:
        Map(target, a, count, [](double x) { return -x; });
        break;
    case ExpressionOp::Abs:
        Map(target, a, count, [](double x) { return std::fabs(x); });
        break;
    case ExpressionOp::Sin:
        SineCosine::Sines(a, target, count);
        break;
    case ExpressionOp::Cos:
        SineCosine::Cosines(a, target, count);
        break;
    case ExpressionOp::Tan:
    case ExpressionOp::Cotan:
    case ExpressionOp::Ln:
    case ExpressionOp::Log: {
        const ExpressionOp op = step.op;
        Map(target, a, count, [op](double x) { return ApplyExpressionUnary(op, x); });
        break;
    }
    case ExpressionOp::Or:
        Map(target, a, b, count, [](double x, double y) { return (x != 0 || y != 0) ? 1.0 : 0.0; });
        break;
    case ExpressionOp::And:
        Map(target, a, b, count, [](double x, double y) { return (x != 0 && y != 0) ? 1.0 : 0.0; });
        break;
    case ExpressionOp::Less:
        Map(target, a, b, count, [](double x, double y) { return x < y ? 1.0 : 0.0; });
        break;
    case ExpressionOp::Greater:
        Map(target, a, b, count, [](double x, double y) { return x > y ? 1.0 : 0.0; });
        break;
    case ExpressionOp::Equal:
        Map(target, a, b, count, [](double x, double y) { return x == y ? 1.0 : 0.0; });
        break;
    case ExpressionOp::Add:
        Map(target, a, b, count, [](double x, double y) { return x + y; });
        break;
    case ExpressionOp::Sub:
        Map(target, a, b, count, [](double x, double y) { return x - y; });
        break;
    case ExpressionOp::Mul:
        Map(target, a, b, count, [](double x, double y) { return x * y; });
        break;
    case ExpressionOp::Div:
        Map(target, a, b, count, [](double x, double y) { return x / y; });
        break;
    case ExpressionOp::Rem:
        Remainders(target, a, b, count);
        break;
    case ExpressionOp::Pow:
        Map(target, a, b, count, [](double x, double y) { return std::pow(x, y); });
        break;
    default:
        break;
    }
}
