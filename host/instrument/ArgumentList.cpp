#include "ArgumentList.h"

#include "ScpiError.h"

#include <charconv>
#include <cmath>
#include <string>

namespace {

bool IsMinimum(std::string_view word) {
    return word == "MIN" || word == "MINIMUM";
}
bool IsMaximum(std::string_view word) {
    return word == "MAX" || word == "MAXIMUM";
}
bool IsDefault(std::string_view word) {
    return word == "DEF" || word == "DEFAULT";
}

double FrequencyMultiplier(const std::string& suffix) {
    if (suffix.empty() || suffix == "HZ") {
        return 1.0;
    }
    if (suffix == "KHZ") {
        return 1e3;
    }
    // In SCPI "M" is milli, but MHZ is kept as megahertz because nobody means millihertz.
    if (suffix == "MHZ" || suffix == "MAHZ") {
        return 1e6;
    }
    if (suffix == "GHZ") {
        return 1e9;
    }
    throw ScpiError(scpi_errors::kInvalidSuffix, suffix);
}

std::string Number(double value) {
    char buffer[32];
    const auto result =
        std::to_chars(buffer, buffer + sizeof buffer, value, std::chars_format::general, 12);
    return std::string(buffer, result.ptr);
}

} // namespace

ArgumentList::ArgumentList(const std::vector<ScpiArgument>& arguments) : arguments_(arguments) {}

void ArgumentList::ExpectCount(std::size_t least, std::size_t most) const {
    if (arguments_.size() < least) {
        throw ScpiError(scpi_errors::kMissingParameter, "expected " + std::to_string(least) +
                                                            ", got " +
                                                            std::to_string(arguments_.size()));
    }
    if (arguments_.size() > most) {
        throw ScpiError(scpi_errors::kParameterNotAllowed,
                        "at most " + std::to_string(most) + " expected");
    }
}

const ScpiArgument& ArgumentList::At(std::size_t index) const {
    if (index >= arguments_.size()) {
        throw ScpiError(scpi_errors::kMissingParameter);
    }
    return arguments_[index];
}

bool ArgumentList::IsWord(std::size_t index) const {
    return index < arguments_.size() && arguments_[index].kind == ScpiArgument::Kind::Word;
}

std::int64_t ArgumentList::Integer(std::size_t index, std::int64_t min, std::int64_t max) const {
    const ScpiArgument& argument = At(index);
    if (argument.kind == ScpiArgument::Kind::Word) {
        if (IsMinimum(argument.text)) {
            return min;
        }
        if (IsMaximum(argument.text)) {
            return max;
        }
        throw ScpiError(scpi_errors::kInvalidCharacterData, argument.text);
    }
    if (argument.kind != ScpiArgument::Kind::Number) {
        throw ScpiError(scpi_errors::kDataTypeError,
                        std::string(argument.KindName()) + " where a number was expected");
    }
    if (!argument.suffix.empty()) {
        throw ScpiError(scpi_errors::kInvalidSuffix, argument.suffix);
    }
    const double rounded = std::round(argument.number);
    if (!(rounded >= static_cast<double>(min) && rounded <= static_cast<double>(max))) {
        throw ScpiError(scpi_errors::kDataOutOfRange, Number(argument.number) + " not in " +
                                                          std::to_string(min) + ".." +
                                                          std::to_string(max));
    }
    return static_cast<std::int64_t>(rounded);
}

double ArgumentList::Real(std::size_t index, const RealRange& range) const {
    const ScpiArgument& argument = At(index);
    if (argument.kind == ScpiArgument::Kind::Word) {
        if (IsMinimum(argument.text)) {
            return range.min;
        }
        if (IsMaximum(argument.text)) {
            return range.max;
        }
        if (IsDefault(argument.text)) {
            return range.byDefault;
        }
        throw ScpiError(scpi_errors::kInvalidCharacterData, argument.text);
    }
    if (argument.kind != ScpiArgument::Kind::Number) {
        throw ScpiError(scpi_errors::kDataTypeError,
                        std::string(argument.KindName()) + " where a number was expected");
    }
    double value = argument.number;
    if (range.frequency) {
        value *= FrequencyMultiplier(argument.suffix);
    } else if (!argument.suffix.empty()) {
        throw ScpiError(scpi_errors::kInvalidSuffix, argument.suffix);
    }
    if (!(value >= range.min && value <= range.max)) {
        throw ScpiError(scpi_errors::kDataOutOfRange,
                        Number(value) + " not in " + Number(range.min) + ".." + Number(range.max));
    }
    return value;
}

std::string_view ArgumentList::Word(std::size_t index) const {
    const ScpiArgument& argument = At(index);
    if (argument.kind != ScpiArgument::Kind::Word) {
        throw ScpiError(scpi_errors::kDataTypeError,
                        std::string(argument.KindName()) + " where a name was expected");
    }
    return argument.text;
}

std::string_view ArgumentList::Block(std::size_t index) const {
    const ScpiArgument& argument = At(index);
    if (argument.kind != ScpiArgument::Kind::Block) {
        throw ScpiError(scpi_errors::kDataTypeError,
                        std::string(argument.KindName()) + " where a block was expected");
    }
    return argument.block;
}
