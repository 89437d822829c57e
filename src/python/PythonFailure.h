#pragma once

#include <optional>
#include <stdexcept>
#include <string>

namespace pybind11 {
class module_;
}

// A failure the module reports to Python. Each kind is one subclass of wavesmith.Error;
// the message id is the string table's number when a rule's message says why (0
// otherwise), the point is where a formula failed.
class PythonFailure : public std::runtime_error {
public:
    enum class Kind {
        Error,      // wavesmith.Error itself
        Formula,    // FormulaError: a formula could not be evaluated
        Input,      // InputError (also a ValueError): an argument the module cannot take
        File,       // FileError (also an OSError): a file is unreadable or not what its name says
        Rule,       // RuleError: a rule of the tool refused the input, with its message
        Render,     // RenderError: a pulse design could not be rendered
        Instrument, // InstrumentError (also an OSError): the instrument did not take the data
    };

    PythonFailure(Kind kind, const std::string& text, int messageId = 0,
                  std::optional<long long> point = std::nullopt)
        : std::runtime_error(text), kind_(kind), messageId_(messageId), point_(point) {}

    Kind kind() const { return kind_; }
    int messageId() const { return messageId_; }
    std::optional<long long> point() const { return point_; }

    // Creates the exception classes in the module and the translation of this type.
    static void Register(pybind11::module_& module);

private:
    Kind kind_;
    int messageId_;
    std::optional<long long> point_;
};

[[noreturn]] inline void RaiseInput(const std::string& text) {
    throw PythonFailure(PythonFailure::Kind::Input, text);
}
