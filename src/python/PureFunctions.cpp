// The rules that need no workspace: the formula language, the sample-code rule of the pulse
// designer and the crossing search of the FM markers.
#include "ModuleParts.h"
#include "NumpyArrays.h"
#include "PythonUserInterface.h"

#include "fm/FmMarkerCrossings.h"
#include "pulse/PulseRenderLimits.h"
#include "synthesis/Expression.h"
#include "synthesis/WaveGenerator.h"

#include <pybind11/stl.h>

#include <climits>
#include <filesystem>
#include <optional>

namespace py = pybind11;
using namespace numpy_arrays;

namespace {

// The longest waveform an instrument holds, as the command-line tool's eval allows.
constexpr long long kMostPoints = 16000000;

std::string FolderWithSeparator(const std::optional<std::string>& folder) {
    std::filesystem::path path =
        std::filesystem::absolute(folder ? std::filesystem::path(*folder) : ".");
    std::string text = path.lexically_normal().string();
    if (text.empty() || text.back() != '/') {
        text += '/';
    }
    return text;
}

int WholeInt(long long value, const char* name) {
    if (value < INT_MIN || value > INT_MAX) {
        RaiseInput(std::string(name) + " must fit a 32-bit integer");
    }
    return static_cast<int>(value);
}

py::array Evaluate(const std::string& formula, long long start, std::optional<long long> stop,
                   long long amp, std::optional<long long> period, bool fm,
                   const std::optional<std::string>& folder, const std::string& dtype) {
    const long long last = stop.value_or(start);
    if (last < start || last - start >= kMostPoints) {
        RaiseInput("the points run from start to stop, start <= stop, at most 16000000 of them");
    }
    if (dtype != "float64" && dtype != "int16") {
        RaiseInput("dtype is \"float64\" (the values) or \"int16\" (the equation's codes)");
    }
    const int amplitude = WholeInt(amp, "amp");
    const int per = WholeInt(period.value_or(last - start + 1), "period");
    PythonUserInterface ui;
    Expression expression(fm, FolderWithSeparator(folder), ui);
    expression.SetAmplitude(amplitude);
    std::string text = formula;
    const auto count = static_cast<std::size_t>(last - start + 1);
    // The values are computed straight into the array handed back; the codes from them.
    auto values = Empty<double>(count);
    ExpressionOutcome outcome;
    {
        py::gil_scoped_release unlocked;
        outcome = expression.EvaluateInto(text, start, last, per, values.mutable_data());
    }
    if (outcome.errorId != 0) {
        const PythonFailure told = ui.Failure(PythonFailure::Kind::Formula, "");
        throw PythonFailure(PythonFailure::Kind::Formula, told.what(), outcome.errorId,
                            outcome.errorPoint);
    }
    if (dtype == "float64") {
        return values;
    }
    auto codes = Empty<std::int16_t>(count);
    std::int16_t* out = codes.mutable_data();
    const double* in = values.data();
    for (std::size_t i = 0; i < count; ++i) {
        WaveGenerator::StoreS2(out[i], in[i]);
    }
    return codes;
}

PulseRenderLimits CodeScale(double vpp, int vpts) {
    if (!(std::isfinite(vpp) && vpp > 0) || vpts <= 0 || vpts > 32767) {
        RaiseInput("vpp must be a positive number of volts and vpts a code from 1 to 32767");
    }
    PulseRenderLimits limits;
    limits.vpp = vpp;
    limits.vpts = vpts;
    return limits;
}

py::array_t<std::int16_t> CodesFromVolts(const py::object& volts, double vpp, int vpts) {
    const PulseRenderLimits limits = CodeScale(vpp, vpts);
    const auto in = Read<double>(volts, "volts");
    auto codes = Empty<std::int16_t>(in.values.size());
    std::int16_t* out = codes.mutable_data();
    const double highest = vpp / 2;
    for (std::size_t i = 0; i < in.values.size(); ++i) {
        // One test refuses NaN, infinities and levels beyond Vpp/2 alike.
        if (!(std::abs(in.values[i]) <= highest)) {
            RequireFinite(in.values.subspan(i, 1), "volts", i);
            RaiseInput("volts holds " + std::to_string(in.values[i]) + " at index " +
                       std::to_string(i) + ", beyond Vpp/2");
        }
        out[i] = static_cast<std::int16_t>(limits.Code(in.values[i]));
    }
    return codes;
}

// The level a code stands for: the inverse of Code, without the truncation.
py::array_t<double> VoltsFromCodes(const py::object& codes, double vpp, int vpts) {
    const PulseRenderLimits limits = CodeScale(vpp, vpts);
    const auto in = Read<std::int16_t>(codes, "codes");
    auto volts = Empty<double>(in.values.size());
    double* out = volts.mutable_data();
    const double perCode = limits.vpp / (2.0 * limits.vpts);
    for (std::size_t i = 0; i < in.values.size(); ++i) {
        out[i] = in.values[i] * perCode;
    }
    return volts;
}

template <class T>
py::array_t<std::int32_t> CrossingsOf(const py::object& samples, const py::object& levels) {
    const auto in = Read<T>(samples, "samples");
    const auto marks = Read<T>(levels, "levels");
    if constexpr (std::is_same_v<T, double>) {
        RequireFinite(in.values, "samples");
        RequireFinite(marks.values, "levels");
    }
    const std::vector<T> levelList(marks.values.begin(), marks.values.end());
    std::vector<std::int32_t> found;
    {
        py::gil_scoped_release unlocked;
        found = FmMarkerCrossings::Find(in.values.data(), in.values.size(), levelList);
    }
    return Own(std::move(found));
}

py::array_t<std::int32_t> MarkerCrossings(const py::object& samples, const py::object& levels) {
    const bool hz = py::isinstance<py::array>(samples) &&
                    py::reinterpret_borrow<py::array>(samples).dtype().kind() == 'f';
    return hz ? CrossingsOf<double>(samples, levels) : CrossingsOf<std::int32_t>(samples, levels);
}

} // namespace

void BindPureFunctions(py::module_& module) {
    module.def("evaluate", &Evaluate, py::arg("formula"), py::arg("start") = 0,
               py::arg("stop") = py::none(), py::kw_only(), py::arg("amp") = 1,
               py::arg("period") = py::none(), py::arg("fm") = false,
               py::arg("folder") = py::none(), py::arg("dtype") = "float64",
               R"(Evaluates a formula of the equation editor at the points start..stop.

stop is included and defaults to start; amp is the value of "amp", period the value
of "per" (default: the number of points); fm reads the formula as the FM editor does;
folder is where relative waveform-file operands are found (default: the current folder).
Returns float64 values, or with dtype="int16" the codes the equation editor stores (the
truncated value's low 16 bits). The returned array owns the buffer the evaluation
filled. Raises FormulaError carrying text, message_id and point (the first failing
point) when the formula is wrong or fails at a point.)");
    module.def("codes_from_volts", &CodesFromVolts, py::arg("volts"), py::arg("vpp"),
               py::arg("vpts"),
               R"(The pulse designer's sample codes of levels in volts: v x vpts / (vpp / 2),
truncated toward zero, as int16. vpts is the family's highest code (Workspace.pulse_limits).
volts is read in place when it is a C-contiguous float64 array; a list or a lossless
dtype is converted once. NaN, infinities and levels beyond vpp/2 raise InputError.)");
    module.def("volts_from_codes", &VoltsFromCodes, py::arg("codes"), py::arg("vpp"),
               py::arg("vpts"),
               R"(The level in volts each int16 code stands for: code x (vpp / 2) / vpts.)");
    module.def("marker_crossings", &MarkerCrossings, py::arg("samples"), py::arg("levels"),
               R"(The FM markers' sample positions: for every p from 1 on, the first level (in
the order given) between samples p-1 and p (both included) that sample p does not equal
marks the nearer of the two positions. samples are int32 FM codes or float64 values in Hz
(levels of the same kind); returns int32 positions.)");
}
