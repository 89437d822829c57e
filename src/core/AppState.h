#pragma once

#include "core/OperatingMode.h"

#include <string>

// Process-wide facts fixed at start-up, plus the few process-wide values that the
// document keeps current (active channel and segment, vertical span, last file).
// Paths use the platform separator; folders named "...Folder" end without one except
// startupFolder, which ends with it so that file names can be appended directly.
struct AppState {
    // The start-up facts the mode types are made from (DocumentMode::For, FrameMode::For,
    // ViewMode::For); elsewhere only the mode's title and word are read from them.
    OperatingMode mode = OperatingMode::Standard;
    std::string familyName;
    bool wideFmSamples = false;

    std::string startupFolder; // current folder at start, with trailing separator
    std::string userTag;       // "$" + first three letters of the user name
    std::string userFolder;    // startupFolder + userTag
    std::string contextFile;   // userFolder + "/TempGlyp.cad"
    std::string familyFile;    // startupFolder + familyName + ".fam"
    std::string logFile;       // startupFolder + "Glyp.log"
    std::string hostKey = "Software\\Quellwerk\\Consolux\\3.1";
    std::string commandLine;               // upper-cased full command line
    unsigned long long physicalMemory = 0; // bytes; 0 when the platform cannot tell

    int activeChannel = 0;
    int activeSegment = 0;
    int verticalSpan = 0;
    std::string lastFilePath;
};

// The platform's path separator, used wherever the original rules write "\".
inline constexpr char kPathSeparator = '/';
