#pragma once

namespace pybind11 {
class module_;
}

// The parts of the wavesmith module, each binding one area of the tool.
void BindPureFunctions(pybind11::module_& module);
void BindWorkspace(pybind11::module_& module);
void BindInstrument(pybind11::module_& module);
