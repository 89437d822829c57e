#pragma once

#include "document/SegmentTable.h"

#include <cstddef>
#include <string>

class WaveDoc;
class DocumentMode;
class FileChooser;
class SampleBuffer;
class UserInterface;
struct AppServices;

// The File menu's waveform commands and Undo: New (32771), Open (32772), Save (32773),
// Save As (32774) and Undo (32799), with the file dialog rules of the formats.
class FileCommands {
public:
    static constexpr int kNewCommand = 32771;
    static constexpr int kOpenCommand = 32772;
    static constexpr int kSaveCommand = 32773;
    static constexpr int kSaveAsCommand = 32774;
    static constexpr int kUndoCommand = 32799;

    FileCommands(WaveDoc& document, FileChooser& chooser);

    // Each command is false when it was refused or a file could not be written (the user
    // was told); the files on disk then hold what they held before.
    bool OnNew();
    // A new waveform of `points` neutral points (New builds one of the current length).
    bool NewWaveformOf(std::size_t points);
    // Asks for a file (the open dialog) and loads it. False when nothing was opened.
    bool OnOpen();
    bool OnSave();
    // Asks for a file (the save dialog) and writes the chosen format.
    bool OnSaveAs();
    bool OnUndo();
    bool CanUndo() const;

    // Writes the waveform to path in the format of its extension (binary or text export),
    // without touching the document's paths: the command-line "export".
    bool ExportTo(const std::string& path);
    // The same for any samples: by extension among the mode's save types, message 3009 for
    // one the mode does not write; an existing file is replaced only after a Yes.
    static bool ExportSamples(const SampleBuffer& samples, const std::string& path,
                              UserInterface& ui, const DocumentMode& mode);

private:
    bool OpenChosen(const std::string& path, int filterIndex);
    void AfterSave(const std::string& path, SavedMark mark);

    WaveDoc& document_;
    FileChooser& chooser_;
};
