#include "ui/CommandTable.h"

#include "ui/CommandIds.h"
#include "ui/FrameMode.h"
#include "ui/WaveView.h"

namespace {

using namespace CommandId;

constexpr CommandText kCommands[] = {
    {kNew, "&New Waveform", "Create a new waveform of the current length\nNew Waveform"},
    {kOpen, "&Open Waveform...", "Open a waveform file\nOpen Waveform"},
    {kSave, "&Save Waveform", "Save the waveform\nSave Waveform"},
    {kSaveAs, "Save Waveform &As...",
     "Save the waveform under a new name, as binary or as text\nSave Waveform As"},
    {kPrint, "&Print", ""},
    {kExit, "E&xit", "Quit the application\nExit"},
    {kAutoline, "&Autoline", ""},
    {kSketch, "S&ketch", ""},
    {kSmooth, "S&mooth", ""},
    {kFilter, "&Filter...", ""},
    {kInvert, "&Invert", ""},
    {kTrimLeft, "Trim &Left", ""},
    {kTrimRight, "Trim &right", ""},
    {kUnmark, "U&nmark", ""},
    {kUndo, "&Undo", "Undo the last change of the waveform\nUndo"},
    {kFmMarkers, "FM Mark&ers...", "Edit the table of FM markers\nFM Markers"},
    {kZoomIn, "Zoom i&n", ""},
    {kZoomOut, "Zoom &out", ""},
    {kFileBar, "&File Operation Bar", "Show or hide the file operation bar\nFile Operation Bar"},
    {kEditBar, "Wave &Edit Bar", "Show or hide the wave edit bar\nWave Edit Bar"},
    {kParameterBar, "&Wave Parameter Bar",
     "Show or hide the wave parameter bar\nWave Parameter Bar"},
    {kInstrumentBar, "&Instrument Control Bar",
     "Show or hide the instrument control bar\nInstrument Control Bar"},
    {kMarkerBar, "&Marker Bar", "Show or hide the marker bar\nMarker Bar"},
    {kChannel1, "Channel &1", "Edit the waveforms of channel 1\nChannel 1"},
    {kChannel2, "Channel &2", "Edit the waveforms of channel 2\nChannel 2"},
    {kSine, "&Sine...", "Generate a sine wave between the anchors\nSine"},
    {kTriangle, "&Triangle...", "Generate a triangle wave between the anchors\nTriangle"},
    {kSquare, "S&quare...", "Generate a square wave between the anchors\nSquare"},
    {kSinc, "Si&nc...", "Generate a sinc pulse between the anchors\nSinc"},
    {kGaussian, "&Gaussian...", "Generate a Gaussian pulse between the anchors\nGaussian"},
    {kExponent, "&Exponent...", "Generate an exponential wave between the anchors\nExponent"},
    {kPulse, "&Pulse...", "Generate a pulse wave between the anchors\nPulse"},
    {kNoise, "N&oise...", "Generate noise between the anchors\nNoise"},
    {kEquation, "Equ&ation...", "Generate a waveform from an equation\nEquation"},
    {kDownload, "&Waveform", "Download the waveform to the instrument\nDownload Waveform"},
    {kPulseEditor, "&Pulse Editor...", "Open Pulse Editor\nPulse Editor"},
    {kAbout, "&About ...", "Show the program's version and build\nAbout"},
};

const CommandText* Find(int commandId, const FrameMode& mode) {
    for (const CommandText& command : mode.OwnCommandTexts()) {
        if (command.id == commandId) {
            return &command;
        }
    }
    for (const CommandText& command : kCommands) {
        if (command.id == commandId) {
            return &command;
        }
    }
    return nullptr;
}

} // namespace

QString CommandTable::MenuText(int commandId, const FrameMode& mode) {
    const CommandText* command = Find(commandId, mode);
    return command == nullptr ? QString() : QString::fromLatin1(command->menuText);
}

QString CommandTable::Prompt(int commandId, const FrameMode& mode) {
    if (WaveView::HandlesCommand(commandId)) {
        return WaveView::CommandPrompt(commandId);
    }
    const CommandText* command = Find(commandId, mode);
    return command == nullptr ? QString() : QString::fromLatin1(command->prompt);
}

QString CommandTable::StatusText(int commandId, const FrameMode& mode) {
    return Prompt(commandId, mode).section(QLatin1Char('\n'), 0, 0);
}

QString CommandTable::ToolTip(int commandId, const FrameMode& mode) {
    return Prompt(commandId, mode).section(QLatin1Char('\n'), 1, 1);
}
