#pragma once

#include <pybind11/pybind11.h>

class PythonWorkspace;

// The pulse designer's part of Workspace: the design, the options and the render.
void BindPulse(pybind11::module_& module, pybind11::class_<PythonWorkspace>& workspace);
