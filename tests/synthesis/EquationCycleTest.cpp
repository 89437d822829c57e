#include "synthesis/EquationCycle.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <vector>

namespace {

// A cycle of 10 values of a 25-point range in blocks of 4, its values 100 + offset.
EquationCycle MakeCycle(bool kept, std::vector<long long>& evaluated) {
    return EquationCycle(10, 25, 4, kept, [&evaluated](long long from, long long to) {
        evaluated.push_back(from);
        std::vector<double> values;
        for (long long i = from; i <= to; ++i) {
            values.push_back(100.0 + static_cast<double>(i));
        }
        return values;
    });
}

} // namespace

// A kept cycle takes the first pass's blocks; a long one is evaluated again, one block
// at a time, the same block only when the second pass comes back to it.
TEST(EquationCycle, KeptAndEvaluatedAgainGiveTheFirstPassValues) {
    for (const bool kept : {true, false}) {
        std::vector<long long> evaluated;
        EquationCycle cycle = MakeCycle(kept, evaluated);
        for (long long from = 0; from < 25; from += 4) {
            std::vector<double> block;
            for (long long i = from; i < std::min(from + 4, 25LL); ++i) {
                block.push_back(100.0 + static_cast<double>(i));
            }
            cycle.Offer(from, block);
        }
        for (int round = 0; round < 2; ++round) {
            for (std::size_t offset = 0; offset < cycle.Length(); ++offset) {
                EXPECT_EQ(cycle.At(offset), 100.0 + static_cast<double>(offset)) << kept;
            }
        }
        const std::vector<long long> blocks =
            kept ? std::vector<long long>{} : std::vector<long long>{0, 4, 8, 0, 4, 8};
        EXPECT_EQ(evaluated, blocks) << kept;
    }
}
