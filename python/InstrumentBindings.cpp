#include "ModuleParts.h"

#include <pybind11/pybind11.h>

void BindInstrument(pybind11::module_&) {}
