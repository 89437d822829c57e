#pragma once

#include "document/SampleBuffer.h"
#include "document/TextImport.h"

#include <string>

struct AppState;
class DocumentMode;
class ProfileStore;

enum class ConversionResult {
    Converted,      // the path now names the binary file, or is empty when none resulted
    NotConvertible, // the path failed the extension rules: the document starts anew
};

// Turns any file the program can read into a binary waveform file of the mode.
class FormatConverter {
public:
    // The mode gives the file types, which conversions apply and the sample kind written.
    FormatConverter(const AppState& state, ProfileStore& store, const DocumentMode& mode);

    // index is the file's position in the mode's Extensions(), or below 0 to decide it
    // by the extension, in which case the path must name an existing file with a
    // three-character extension of the mode (".wa" + digit is binary already); a path
    // that fails these tests gives NotConvertible and is left unchanged. Otherwise the
    // path is replaced by the binary file's (empty when the conversion produced none).
    // `range` is the document's vertical code range, onto which column text is scaled.
    ConversionResult ConvertToBinary(std::string& path, int index, CodeRange range);

    // The conversions of the mode, by type. Text that a conversion refuses is reported
    // here, naming the line and its text (an exclamation box), before the empty path is
    // returned.
    std::string ConvertSpaced(const std::string& path);
    std::string ConvertColumns(const std::string& path, CodeRange range);
    std::string ImportTrace(const std::string& path);

    // True once a conversion has told the user why it refused the file, so that a caller
    // need not add a message of its own about the missing binary file.
    bool ProblemShown() const { return problemShown_; }
    // True when the user stopped a conversion: nothing was converted and nothing need be
    // said about it.
    bool Cancelled() const { return cancelled_; }

    // The scratch file of the column conversion: StartupFolder + "$$.asc".
    std::string ScratchPath() const;

private:
    std::string ConvertByIndex(const std::string& path, int index, CodeRange range);
    bool ExtensionIndex(const std::string& path, int& index, bool& binary) const;
    void Report(const std::string& path, const TextImportProblem& problem);
    // "Importing <file name>", the title of a conversion's progress.
    static std::string ImportTitle(const std::string& path);

    const AppState& state_;
    ProfileStore& store_;
    const DocumentMode& mode_;
    bool problemShown_ = false;
    bool cancelled_ = false;
};
