#include "document/FormatConverter.h"

#include "core/AppState.h"
#include "core/CharClass.h"
#include "core/UserInterface.h"
#include "document/DocumentMode.h"
#include "document/PathText.h"
#include "document/TraceImport.h"
#include "settings/FileHelpers.h"
#include "settings/ProfileStore.h"
#include "settings/TextFormat.h"

namespace {

enum TypePosition {
    kBinary = 0,
    kSpaced = 1,
    kComma = 2,
    kTraceNumbered = 3,
    kTrace = 4,
    kPrn = 5,
    kTxt = 6
};

// ".wa" + one digit: the working files of the segment table, binary already.
bool IsWorkingFileExtension(const std::string& extension) {
    return extension.size() == 3 && ToLowerAscii(extension[0]) == 'w' &&
           ToLowerAscii(extension[1]) == 'a' && IsDigit(extension[2]);
}

} // namespace

FormatConverter::FormatConverter(const AppState& state, ProfileStore& store,
                                 const DocumentMode& mode)
    : state_(state), store_(store), mode_(mode) {}

std::string FormatConverter::ScratchPath() const {
    return state_.startupFolder + "$$.asc";
}

ConversionResult FormatConverter::ConvertToBinary(std::string& path, int index, CodeRange range) {
    if (index < 0) {
        bool binary = false;
        if (!ExtensionIndex(path, index, binary)) {
            return ConversionResult::NotConvertible;
        }
        if (binary) {
            return ConversionResult::Converted;
        }
    }
    path = ConvertByIndex(path, index, range);
    return ConversionResult::Converted;
}

bool FormatConverter::ExtensionIndex(const std::string& path, int& index, bool& binary) const {
    const std::size_t dot = ExtensionDot(path);
    if (dot == std::string::npos || !FileExists(path)) {
        return false;
    }
    const std::string extension = path.substr(dot + 1);
    if (extension.size() != 3) {
        return false;
    }
    if (IsWorkingFileExtension(extension)) {
        binary = true;
        return true;
    }
    const std::vector<std::string> extensions = mode_.Extensions();
    for (std::size_t i = 0; i < extensions.size(); ++i) {
        if (EqualsNoCase(extension, extensions[i])) {
            index = static_cast<int>(i);
            return true;
        }
    }
    return false;
}

std::string FormatConverter::ConvertByIndex(const std::string& path, int index, CodeRange range) {
    const bool columnsAndTraces = mode_.ImportsColumnsAndTraces();
    switch (index) {
    case kBinary:
        return path;
    case kSpaced:
        return ConvertSpaced(path);
    case kComma:
    case kPrn:
    case kTxt:
        return columnsAndTraces ? ConvertColumns(path, range) : std::string();
    case kTraceNumbered:
    case kTrace:
        return columnsAndTraces ? ImportTrace(path) : std::string();
    default:
        return {};
    }
}

std::string FormatConverter::ConvertSpaced(const std::string& path) {
    const std::unique_ptr<ProgressDisplay> display = store_.Ui().BeginProgress(ImportTitle(path));
    TextImportProblem problem;
    const std::string target = TextImport::ConvertSpaced(
        path, mode_.Kind(), &problem, [&display](double done) { return display->Report(done); });
    Report(path, problem);
    return target;
}

std::string FormatConverter::ConvertColumns(const std::string& path, CodeRange range) {
    const std::unique_ptr<ProgressDisplay> display = store_.Ui().BeginProgress(ImportTitle(path));
    TextImportProblem problem;
    const std::string target =
        TextImport::ConvertColumns(path, ScratchPath(), range, &problem,
                                   [&display](double done) { return display->Report(done); });
    Report(path, problem);
    return target;
}

std::string FormatConverter::ImportTitle(const std::string& path) {
    const std::size_t slash = path.find_last_of("/\\");
    return "Importing " + (slash == std::string::npos ? path : path.substr(slash + 1));
}

void FormatConverter::Report(const std::string& path, const TextImportProblem& problem) {
    if (problem.GetKind() == TextImportProblem::Kind::Cancelled) {
        cancelled_ = true;
        return;
    }
    if (!problem.Found()) {
        return;
    }
    store_.Ui().ShowText("Cannot import " + path + "\n" + problem.Describe() +
                             "\nThe file was not converted.",
                         "", MessageButtons::Ok, MessageIcon::Exclamation);
    problemShown_ = true;
}

std::string FormatConverter::ImportTrace(const std::string& path) {
    const std::unique_ptr<ProgressDisplay> display = store_.Ui().BeginProgress(ImportTitle(path));
    return TraceImport(store_).ImportTrace(path, [this, &display](double done) {
        cancelled_ = !display->Report(done);
        return !cancelled_;
    });
}
