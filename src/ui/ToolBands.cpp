#include "ui/ToolBands.h"

#include "settings/NumberFormat.h"
#include "settings/ProfileStore.h"
#include "ui/CommandIds.h"
#include "ui/FrameMode.h"
#include "ui/MainMenuBuilder.h"

#include <QComboBox>
#include <QLabel>
#include <QMainWindow>
#include <QStyle>
#include <QStyleOptionComboBox>
#include <QToolBar>

namespace {

using namespace CommandId;

struct BandDescription {
    int toggleId;
    const char* flagName; // value under "ViewsSM"
    const char* objectName;
};

constexpr BandDescription kBands[ToolBands::kBandCount] = {
    {kFileBar, "visFile", "fileBar"},           {kEditBar, "visTool", "editBar"},
    {kParameterBar, "visParm", "parameterBar"}, {kInstrumentBar, "visCtl", "instrumentBar"},
    {kMarkerBar, "visMarker", "markerBar"},
};

} // namespace

ToolBands::ToolBands(QMainWindow& frame, ProfileStore& store) : frame_(frame), store_(store) {
    for (int band = 0; band < kBandCount; ++band) {
        const std::string text = store_.ReadHostValue("ViewsSM", kBands[band].flagName);
        shown_[band] = text.empty() || LeadingInt(text) != 0;
    }
}

void ToolBands::WriteFlags() const {
    for (int band = 0; band < kBandCount; ++band) {
        store_.WriteHostValue(kBands[band].flagName, shown_[band] ? "1" : "0", "ViewsSM");
    }
}

QToolBar* ToolBands::Add(const FrameMode& mode, std::map<int, QAction*>& actions, int band,
                         const std::vector<int>& commandIds) {
    const BandDescription& description = kBands[band];
    bars_[band] = MainMenuBuilder(frame_, mode, actions)
                      .AddBand(description.toggleId, description.objectName, commandIds);
    return bars_[band];
}

void ToolBands::Build(const FrameMode& mode, std::map<int, QAction*>& actions, bool twoChannels,
                      const std::function<void(QToolBar*)>& fillParameters) {
    Add(mode, actions, FileBand, {kNew, kOpen, kSave, kSaveAs, kPrint});
    if (const std::vector<int> editing = mode.EditBandCommands(); !editing.empty()) {
        Add(mode, actions, EditBand, editing);
        frame_.addToolBarBreak(Qt::TopToolBarArea);
    }
    fillParameters(Add(mode, actions, ParameterBand, {}));
    Add(mode, actions, InstrumentBand, mode.InstrumentBandCommands(twoChannels));
    if (mode.HasMarkerList()) {
        BuildMarkerList(Add(mode, actions, MarkerBand, {}));
    }
}

// The marker list of the FM editor: the stored markers inside the frequency window, as the
// document rebuilds them.
void ToolBands::BuildMarkerList(QToolBar* bar) {
    bar->addWidget(new QLabel(QObject::tr("Marker list") + QLatin1Char(' '), bar));
    markerList_ = new QComboBox(bar);
    markerList_->setObjectName(QStringLiteral("markerList"));
    markerList_->setProperty("controlId", ControlId::kMarkerList);
    markerList_->setEditable(true);
    markerList_->setInsertPolicy(QComboBox::NoInsert);
    markerList_->setMinimumWidth(MarkerListWidth(*markerList_));
    bar->addWidget(markerList_);
}

// Room for the longest marker, a whole 32-bit number, beside the arrow: the frame, the
// arrow and the edit's margins come from the style, so that no font or style cuts off the
// first digits of a marker the bar receives after it was first shown.
int ToolBands::MarkerListWidth(const QComboBox& box) {
    QStyleOptionComboBox option;
    option.initFrom(&box);
    option.editable = true;
    const QFontMetrics& metrics = box.fontMetrics();
    constexpr int kEditMargins = 2 * 2 + 1; // the edit's text margins and its cursor
    const QSize text(metrics.horizontalAdvance(QStringLiteral("-2147483648")) + kEditMargins,
                     metrics.height());
    return box.style()->sizeFromContents(QStyle::CT_ComboBox, &option, text, &box).width();
}

void ToolBands::ShowMarkerItems(const std::vector<std::string>& items) {
    if (markerList_ == nullptr) {
        return;
    }
    markerList_->clear();
    for (const std::string& item : items) {
        markerList_->addItem(QString::fromStdString(item));
    }
    markerList_->setCurrentIndex(0);
}

void ToolBands::ApplyVisibility() {
    for (int band = 0; band < kBandCount; ++band) {
        if (bars_[band] != nullptr && bars_[band]->isVisibleTo(&frame_) != shown_[band]) {
            bars_[band]->setVisible(shown_[band]);
        }
    }
}

void ToolBands::Toggle(int band) {
    shown_[band] = !shown_[band];
    ApplyVisibility();
}

int ToolBands::BandOfToggle(int commandId) {
    for (int band = 0; band < kBandCount; ++band) {
        if (kBands[band].toggleId == commandId) {
            return band;
        }
    }
    return -1;
}

int ToolBands::ToggleOf(int band) {
    return kBands[band].toggleId;
}

QToolBar* ToolBands::Bar(int band) const {
    return band >= 0 && band < kBandCount ? bars_[band] : nullptr;
}

bool ToolBands::Shown(int band) const {
    return band >= 0 && band < kBandCount && shown_[band];
}
