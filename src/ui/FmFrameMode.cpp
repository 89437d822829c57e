#include "ui/FmFrameMode.h"

#include "app/ToolSession.h"
#include "document/DocumentView.h"
#include "document/WaveDoc.h"
#include "ui/CommandIds.h"
#include "ui/MainMenuBuilder.h"

#include <QCoreApplication>

using namespace CommandId;

QString FmFrameMode::SecondCaption() const {
    return QObject::tr("Deviation");
}

QString FmFrameMode::SecondDescription() const {
    return QObject::tr("Peak frequency deviation of the FM waveform");
}

NumericField::CharacterFilter FmFrameMode::SecondFilter() const {
    return NumericField::IsNumberCharacter;
}

// The document answers with the deviation it kept, and the views redraw with it.
void FmFrameMode::ApplySecondField(ToolSession& session, const std::string& text,
                                   const std::function<void(const QString&)>& show) const {
    WaveDoc& document = session.Document();
    show(QString::fromStdString(document.SetFmDeviation(text)));
    if (DocumentView* view = document.View()) {
        view->UpdateAllViews();
    }
}

std::vector<int> FmFrameMode::CommandIds() const {
    std::vector<int> ids = SampleEditorCommands();
    ids.insert(ids.end(), {kFmMarkers, kMarkerBar});
    return ids;
}

std::vector<MenuLayout> FmFrameMode::Menus() const {
    MenuLayout edit = EditMenu();
    edit.items.insert(edit.items.end(), {MainMenuBuilder::kSeparator, kFmMarkers});
    MenuLayout view = ViewMenu();
    view.items.push_back(kMarkerBar);
    return {FileMenu(), edit, view, WaveMenu(),
            DownloadMenu({kDownload, MainMenuBuilder::kSeparator, kChannel1, kChannel2})};
}

std::vector<int> FmFrameMode::InstrumentBandCommands(bool /*twoChannels*/) const {
    return {kDownload};
}

QStringList FmFrameMode::EditedParts(const AppState& /*state*/) const {
    return {QCoreApplication::translate("FrameStatusBar", "FM waveform")};
}
