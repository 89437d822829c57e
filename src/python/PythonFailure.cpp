#include "PythonFailure.h"

#include <pybind11/pybind11.h>

#include <array>

namespace py = pybind11;

namespace {

struct FailureClass {
    PythonFailure::Kind kind;
    const char* name;
    const char* also; // the built-in exception it also is, or nullptr
    const char* doc;
};

constexpr std::array kClasses{
    FailureClass{PythonFailure::Kind::Formula, "FormulaError", nullptr,
                 "A formula could not be evaluated: its message text, message_id (3004 to "
                 "3008) and point, the first point at which it failed."},
    FailureClass{PythonFailure::Kind::Input, "InputError", "ValueError",
                 "An argument the module cannot take: a wrong dtype or shape, NaN or "
                 "infinity, a length beyond the family's limits."},
    FailureClass{PythonFailure::Kind::File, "FileError", "OSError",
                 "A file could not be read or written, or is not what its name says; a "
                 "refused write leaves the old file as it was."},
    FailureClass{PythonFailure::Kind::Rule, "RuleError", nullptr,
                 "A rule of the tool refused the input; message_id and text are the "
                 "message the tool shows."},
    FailureClass{PythonFailure::Kind::Render, "RenderError", nullptr,
                 "A pulse design could not be rendered (or a question about it was "
                 "answered No); nothing was written."},
    FailureClass{PythonFailure::Kind::Instrument, "InstrumentError", "OSError",
                 "The instrument could not be reached or did not take the data."},
};

// The classes live as long as the interpreter: the module holds them.
py::handle& ClassOf(PythonFailure::Kind kind) {
    static std::array<py::handle, kClasses.size() + 1> classes;
    return classes[static_cast<std::size_t>(kind)];
}

py::handle MakeClass(py::module_& module, const char* name, py::tuple bases, const char* doc) {
    const std::string qualified = std::string("wavesmith.") + name;
    py::dict attributes;
    attributes["message_id"] = 0;
    attributes["text"] = "";
    attributes["point"] = py::none();
    PyObject* made =
        PyErr_NewExceptionWithDoc(qualified.c_str(), doc, bases.ptr(), attributes.ptr());
    if (made == nullptr) {
        throw py::error_already_set();
    }
    module.attr(name) = py::handle(made);
    return made;
}

void Raise(const PythonFailure& failure) {
    const py::handle type = ClassOf(failure.kind());
    py::object instance = type(failure.what());
    instance.attr("message_id") = failure.messageId();
    instance.attr("text") = failure.what();
    if (failure.point()) {
        instance.attr("point") = *failure.point();
    }
    PyErr_SetObject(type.ptr(), instance.ptr());
}

} // namespace

void PythonFailure::Register(py::module_& module) {
    const py::handle base =
        MakeClass(module, "Error", py::make_tuple(py::handle(PyExc_Exception)),
                  "Every failure of the module: text is the message, message_id its number in the "
                  "tool's string table (0 when the tool has none).");
    ClassOf(Kind::Error) = base;
    py::module_ builtins = py::module_::import("builtins");
    for (const FailureClass& entry : kClasses) {
        py::tuple bases = entry.also != nullptr ? py::make_tuple(base, builtins.attr(entry.also))
                                                : py::make_tuple(base);
        ClassOf(entry.kind) = MakeClass(module, entry.name, bases, entry.doc);
    }
    py::register_exception_translator([](std::exception_ptr thrown) {
        try {
            if (thrown) {
                std::rethrow_exception(thrown);
            }
        } catch (const PythonFailure& failure) {
            Raise(failure);
        }
    });
}
