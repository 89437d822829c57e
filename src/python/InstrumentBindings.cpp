// The instrument client: a connection for queries, and the host's download of what a
// workspace's Download leaves for it, with progress and the completion check.
#include "ModuleParts.h"
#include "PythonInstrument.h"
#include "PythonWorkspace.h"

#include "core/HostBus.h"
#include "core/StringTable.h"
#include "download/DownloadAgent.h"
#include "download/ToolNotice.h"
#include "platform/posix/PosixProcessFacts.h"
#include "pulse/PulseDownload.h"

#include <pybind11/functional.h>
#include <pybind11/numpy.h>
#include <pybind11/stl.h>

#include <algorithm>
#include <map>

namespace py = pybind11;
using Kind = PythonFailure::Kind;

namespace {

// The last download code the run posted: what the host is to send.
int DownloadCode(const std::vector<int>& posted) {
    const auto found = std::find_if(posted.rbegin(), posted.rend(), [](int code) {
        return code == NotifyDownloadSegment || code == NotifyDownloadFm ||
               code == NotifyDownloadSequence;
    });
    return found == posted.rend() ? 0 : *found;
}

Workspace HostView(const PythonWorkspace& workspace) {
    const auto opened = Workspace::Open(workspace.Folder(),
                                        Workspace::UserTagFor(PosixProcessFacts().LogonUserName()));
    if (!opened) {
        throw PythonFailure(Kind::File, "no context file in " + workspace.Folder());
    }
    return *opened;
}

py::dict Download(PythonWorkspace& workspace, PythonInstrument& instrument,
                  const std::optional<py::function>& progress, bool sequenceIfTooLong,
                  bool lowerClock) {
    instrument.Connection(); // a closed or unreachable instrument fails before the run
    const auto answer = [](bool yes) { return yes ? MessageAnswer::Yes : MessageAnswer::No; };
    PythonUserInterface ui(
        std::map<int, MessageAnswer>{{MsgMemoryRestriction, answer(sequenceIfTooLong)},
                                     {MsgClockRestriction, answer(lowerClock)}});
    return workspace.Run(ui, [&](ToolSession& session, PythonUserInterface& asked) {
        session.DownloadWaveform();
        if (session.Mode().RendersFromDesign() && !session.Pulse().Last().succeeded) {
            throw PythonFailure(Kind::Render, session.Pulse().Last().problem);
        }
        const int code = DownloadCode(workspace.Notices());
        if (code == 0) {
            throw asked.Failure(Kind::Rule, "the Download left nothing for the instrument");
        }
        // The download file lives as long as the run: it is sent before the run ends.
        const Workspace host = HostView(workspace);
        DownloadAgent agent(host, instrument.Address());
        agent.Instrument().SetTimeouts(instrument.Timeouts());
        std::optional<py::error_already_set> callbackError;
        InstrumentTransport::Progress report;
        if (progress) {
            report = [&](std::size_t sent, std::size_t total) {
                if (!callbackError) {
                    try {
                        (*progress)(sent, total);
                    } catch (py::error_already_set& error) {
                        callbackError = std::move(error);
                    }
                }
            };
        }
        const DownloadAgent::Outcome outcome = agent.Perform(ToolNotice::Read(host, code), report);
        if (callbackError) {
            throw std::move(*callbackError);
        }
        if (!outcome.succeeded) {
            throw PythonFailure(Kind::Instrument, outcome.line);
        }
        py::dict done;
        done["line"] = outcome.line;
        done["result"] = outcome.result;
        done["markers"] = outcome.markers;
        return done;
    });
}

} // namespace

void BindInstrument(py::module_& module) {
    py::class_<PythonInstrument>(
        module, "Instrument",
        R"(A connection to an instrument, over the transport its address names.

address is a VISA resource string: "TCPIP::HOST::PORT::SOCKET" (or "HOST", "HOST:PORT";
port 5025 by default, as awg-sim listens) for a raw SCPI socket, "TCPIP::HOST::INSTR" for
VXI-11, or a USBTMC device file ("/dev/usbtmc0"); every wait for the instrument ends after
timeout seconds (a piece of a block may take the host's longer write timeout). A wrong address, an instrument that does
not answer, and any use after close() raise InstrumentError. Use it in a with block to
close it at the end.)")
        .def(py::init<const std::string&, double>(), py::arg("address") = "127.0.0.1:5025",
             py::arg("timeout") = 10.0)
        .def("write", &PythonInstrument::Write, py::arg("message"), "Sends one program message.")
        .def("query", &PythonInstrument::Query, py::arg("message"),
             "Sends a query and returns its one-line answer.")
        .def(
            "query_block",
            [](PythonInstrument& self, const std::string& message) {
                return py::bytes(self.QueryBlock(message));
            },
            py::arg("message"),
            "Sends a query answered with a definite-length block and returns the block's "
            "bytes (np.frombuffer(..., '<i2') for :TRAC:DATA?).")
        .def("close", &PythonInstrument::Close)
        .def_property_readonly("closed", &PythonInstrument::Closed)
        .def("__enter__", [](PythonInstrument& self) -> PythonInstrument& { return self; })
        .def("__exit__", [](PythonInstrument& self, py::args) { self.Close(); });

    auto workspace = py::reinterpret_borrow<py::class_<PythonWorkspace>>(module.attr("Workspace"));
    workspace.def("download", &Download, py::arg("instrument"), py::kw_only(),
                  py::arg("progress") = py::none(), py::arg("sequence_if_too_long") = true,
                  py::arg("lower_clock") = true,
                  R"(The Download command of the mode, performed to the instrument as the host
performs it: the active segment (std), the FM waveform with its deviation and markers
(fm), or the rendered pulse design as a single segment or a sequence (pulse; the two
questions answered as in render). The same SCPI commands as the host's, then *OPC? and
the error queue. progress(sent, total) is called as the bytes leave. Returns the host's
report (line, result, markers); InstrumentError when the instrument refused or failed.)");
}
