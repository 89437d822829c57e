#pragma once

#include "ScpiArgument.h"

#include <cstddef>
#include <cstdint>
#include <string_view>
#include <vector>

// Typed access to the parameters of a message unit. Each accessor throws the SCPI error a
// well-behaved instrument reports: -109 missing, -108 surplus, -104 wrong type, -131 a
// unit where none fits, -222 a value outside the range.
class ArgumentList {
public:
    // Range of a real parameter and the values of its MINimum, MAXimum and DEFault forms.
    struct RealRange {
        double min = 0.0;
        double max = 0.0;
        double byDefault = 0.0;
        bool frequency = false; // accepts HZ, KHZ, MHZ, MAHZ and GHZ
    };

    explicit ArgumentList(const std::vector<ScpiArgument>& arguments);

    std::size_t Count() const { return arguments_.size(); }
    void ExpectCount(std::size_t least, std::size_t most) const;
    // A whole number (a fraction is rounded); MIN and MAX give the range ends.
    std::int64_t Integer(std::size_t index, std::int64_t min, std::int64_t max) const;
    double Real(std::size_t index, const RealRange& range) const;
    // Character data, upper-cased.
    std::string_view Word(std::size_t index) const;
    std::string_view Block(std::size_t index) const;
    bool IsWord(std::size_t index) const;

private:
    const ScpiArgument& At(std::size_t index) const;

    const std::vector<ScpiArgument>& arguments_;
};
