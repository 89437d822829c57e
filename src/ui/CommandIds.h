#pragma once

// Menu and control ids. The numbers are the system's own: the host, the generator
// dialogs and the view route commands by them, so they never change.
namespace CommandId {

// File
inline constexpr int kNew = 32771;
inline constexpr int kOpen = 32772;
inline constexpr int kSave = 32773;
inline constexpr int kSaveAs = 32774;
inline constexpr int kPrint = 32775;
inline constexpr int kExit = 57665;

// Edit
inline constexpr int kAutoline = 32777;
inline constexpr int kSketch = 32778;
inline constexpr int kFilter = 32780;
inline constexpr int kSmooth = 32781;
inline constexpr int kInvert = 32782;
inline constexpr int kUnmark = 32783;
inline constexpr int kUndo = 32799;
inline constexpr int kTrimLeft = 32807;
inline constexpr int kTrimRight = 32808;
inline constexpr int kFmMarkers = 32809;

// View
inline constexpr int kZoomIn = 32801;
inline constexpr int kZoomOut = 32802;
inline constexpr int kPulseEditor = 32821;

// Bar toggles, in band order
inline constexpr int kFileBar = 32786;
inline constexpr int kEditBar = 32789;
inline constexpr int kParameterBar = 32788;
inline constexpr int kInstrumentBar = 32816;
inline constexpr int kMarkerBar = 32826;

// Channels (View in the standard editor, Download in the others)
inline constexpr int kChannel1 = 32810;
inline constexpr int kChannel2 = 32811;

// The Wave menu's ids are those of the waveform kinds (synthesis/WaveformKinds).

// Download
inline constexpr int kDownload = 32701;

// About
inline constexpr int kAbout = 57664;

} // namespace CommandId

// Controls of the parameter bar and the marker bar.
namespace ControlId {

inline constexpr int kLengthField = 2000;
inline constexpr int kSecondField = 2001; // segment (standard), deviation (FM), amplitude (pulse)
inline constexpr int kMarkerList = 1998;

} // namespace ControlId
