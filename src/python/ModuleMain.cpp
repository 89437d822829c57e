#include "ModuleParts.h"
#include "PythonFailure.h"

#include <pybind11/pybind11.h>

PYBIND11_MODULE(wavesmith, module) {
    module.doc() = "The Wavesmith engine from Python: formulas, standard waveforms, sample "
                   "codes, waveform files, pulse designs and FM markers, computed by the same "
                   "code as the tool, with numpy arrays in and out.";
    module.attr("__version__") = WAVESMITH_VERSION;
    PythonFailure::Register(module);
    BindPureFunctions(module);
    BindWorkspace(module);
#ifdef WAVESMITH_INSTRUMENT_CLIENT
    BindInstrument(module);
#endif
}
