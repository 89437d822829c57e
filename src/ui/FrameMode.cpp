#include "ui/FrameMode.h"

#include "app/ToolSession.h"
#include "core/AppState.h"
#include "document/SegmentCommands.h"
#include "ui/CommandIds.h"
#include "ui/FmFrameMode.h"
#include "ui/MainMenuBuilder.h"
#include "ui/PulseFrameMode.h"
#include "ui/StandardFrameMode.h"
#include "ui/WideFmFrameMode.h"

#include <QCoreApplication>

#include <utility>

namespace {

using namespace CommandId;

constexpr int kSeparator = MainMenuBuilder::kSeparator;

// The menu titles keep the translation context they had in the window.
QString MenuTitle(const char* text) {
    return QCoreApplication::translate("MainFrame", text);
}

} // namespace

std::unique_ptr<FrameMode> FrameMode::For(const AppState& state) {
    switch (state.mode) {
    case OperatingMode::Fm:
        if (state.wideFmSamples) {
            return std::make_unique<WideFmFrameMode>();
        }
        return std::make_unique<FmFrameMode>();
    case OperatingMode::Pulse:
        return std::make_unique<PulseFrameMode>();
    default:
        return std::make_unique<StandardFrameMode>();
    }
}

QString FrameMode::Title() const {
    return QString::fromLatin1(ModeTitle(mode_));
}

QString FrameMode::LengthDescription() const {
    return QObject::tr("Waveform length in points");
}

NumericField::CharacterFilter FrameMode::SecondFilter() const {
    return NumericField::IsDigit;
}

// The segment field: the segment commands take the number as typed.
void FrameMode::ApplySecondField(ToolSession& session, const std::string& text,
                                 const std::function<void(const QString&)>& /*show*/) const {
    session.Segments().OnSegmentField(text);
}

// The accelerators of the standard editor and the pulse designer.
QKeySequence FrameMode::Shortcut(int commandId) const {
    switch (commandId) {
    case kNew:
        return QKeySequence::New;
    case kOpen:
        return QKeySequence::Open;
    case kSave:
        return QKeySequence::Save;
    case kPrint:
        return QKeySequence::Print;
    case kUndo:
        return QKeySequence::Undo;
    default:
        return {};
    }
}

// The FM markers belong to the FM editor alone.
bool FrameMode::Allows(int commandId) const {
    return commandId != kFmMarkers;
}

// The channel buttons go beside the Download button only when there is a second channel
// to switch to.
std::vector<int> FrameMode::InstrumentBandCommands(bool twoChannels) const {
    if (!twoChannels) {
        return {kDownload};
    }
    return {kDownload, kSeparator, kChannel1, kChannel2};
}

QStringList FrameMode::ContextParts(const AppState& state) const {
    return QStringList{QString::fromStdString(state.familyName)} + EditedParts(state);
}

PlacementKeys FrameMode::Placement() const {
    return {"Rect", "Bars", 0};
}

std::vector<int> FrameMode::CommonCommands() {
    return {kNew,   kOpen,    kSave,         kSaveAs,        kPrint,    kExit,    kDownload,
            kAbout, kFileBar, kParameterBar, kInstrumentBar, kChannel1, kChannel2};
}

std::vector<int> FrameMode::SampleEditorCommands() {
    std::vector<int> ids = CommonCommands();
    ids.insert(ids.end(), {kAutoline, kSketch, kSmooth, kFilter, kInvert, kTrimLeft, kTrimRight,
                           kUnmark, kUndo, kZoomIn, kZoomOut, kEditBar});
    const std::vector<int> wave = MainMenuBuilder::WaveCommands();
    ids.insert(ids.end(), wave.begin(), wave.end());
    return ids;
}

MenuLayout FrameMode::FileMenu() {
    return {MenuTitle("&File"),
            {kNew, kOpen, kSave, kSaveAs, kSeparator, kPrint, kSeparator, kExit}};
}

MenuLayout FrameMode::EditMenu() {
    return {MenuTitle("&Edit"),
            {kAutoline, kSketch, kSmooth, kFilter, kInvert, kSeparator, kTrimLeft, kTrimRight,
             kUnmark, kSeparator, kUndo},
            true};
}

MenuLayout FrameMode::ViewMenu() {
    return {MenuTitle("&View"),
            {kZoomIn, kZoomOut, kSeparator, kFileBar, kEditBar, kParameterBar, kInstrumentBar}};
}

MenuLayout FrameMode::WaveMenu() {
    return {QStringLiteral("Wave"), MainMenuBuilder::WaveMenuItems()};
}

MenuLayout FrameMode::DownloadMenu(std::vector<int> items) {
    return {MenuTitle("&Download"), std::move(items)};
}

std::vector<int> FrameMode::SampleEditBand() {
    return {kAutoline,  kSketch, kFilter,  kSmooth,    kInvert,   kUnmark,   kUndo,
            kSeparator, kZoomIn, kZoomOut, kSeparator, kTrimLeft, kTrimRight};
}
