#include "ui/MainFrame.h"

#include "app/ToolSession.h"
#include "core/AppState.h"
#include "core/HostBus.h"
#include "document/FileCommands.h"
#include "document/SegmentCommands.h"
#include "link/HostRequest.h"
#include "settings/NumberFormat.h"
#include "settings/ProfileStore.h"
#include "ui/AboutDialog.h"
#include "ui/BarIcons.h"
#include "ui/CommandIds.h"
#include "ui/FramePlacement.h"
#include "ui/MainMenuBuilder.h"
#include "ui/ParameterBar.h"
#include "ui/WaveParamDialogWidget.h"
#include "ui/WaveView.h"

#include <QAction>
#include <QComboBox>
#include <QDragEnterEvent>
#include <QDropEvent>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QMimeData>
#include <QStatusBar>
#include <QTimer>
#include <QToolBar>

#include <cstdlib>

namespace {

using namespace CommandId;

constexpr int kSeparator = MainMenuBuilder::kSeparator;
constexpr int kBandTimerMs = 100;
constexpr int kBarStateVersion = 1;

struct BandDescription {
    int toggleId;
    const char* flagName; // value under "ViewsSM"
    const char* objectName;
};

constexpr BandDescription kBands[MainFrame::kBandCount] = {
    {kFileBar, "visFile", "fileBar"},           {kEditBar, "visTool", "editBar"},
    {kParameterBar, "visParm", "parameterBar"}, {kInstrumentBar, "visCtl", "instrumentBar"},
    {kMarkerBar, "visMarker", "markerBar"},
};

} // namespace

MainFrame::MainFrame(ToolSession& session, QWidget* parent)
    : QMainWindow(parent), session_(session), mode_(session.State().mode) {
    setObjectName(QStringLiteral("MainFrame"));
    setWindowTitle(QString::fromLatin1(ModeTitle(mode_)));
    setWindowIcon(BarIcons::Application());
    setAcceptDrops(true);

    view_ = new WaveView(session_, this);
    setCentralWidget(view_);
    ReadBandFlags();
    BuildCommands();
    BuildBands();
    BuildStatusBar();
    ConnectView();
    ApplyMinimumSize();

    session_.Services().bus.SetRequestHandler(
        [this](std::uint32_t code, std::int64_t data) { OnHostCommand(code, data); });
}

MainFrame::~MainFrame() {
    session_.Services().bus.SetRequestHandler({});
    SavePlacement();
    WriteBandFlags();
}

std::unique_ptr<MainFrame> MainFrame::Launch(ToolSession& session,
                                             const std::function<void(MainFrame&)>& prepare) {
    if (!session.Start()) {
        return nullptr;
    }
    auto frame = std::make_unique<MainFrame>(session);
    if (prepare) {
        prepare(*frame);
    }
    frame->ShowPlaced();
    return frame;
}

// --- construction ---------------------------------------------------------------------

void MainFrame::BuildCommands() {
    MainMenuBuilder builder(*this, mode_, actions_);
    builder.BuildActions([this](int commandId) { OnCommand(commandId); });
    editMenu_ = builder.BuildMenus([this] { UpdateCommandStates(); });
}

QToolBar* MainFrame::AddBand(int band, std::initializer_list<int> commandIds) {
    const BandDescription& description = kBands[band];
    bands_[band] = MainMenuBuilder(*this, mode_, actions_)
                       .AddBand(description.toggleId, description.objectName, commandIds);
    return bands_[band];
}

void MainFrame::BuildBands() {
    AddBand(FileBand, {kNew, kOpen, kSave, kSaveAs, kPrint});
    if (mode_ != OperatingMode::Pulse) {
        AddBand(EditBand, {kAutoline, kSketch, kFilter, kSmooth, kInvert, kUnmark, kUndo,
                           kSeparator, kZoomIn, kZoomOut, kSeparator, kTrimLeft, kTrimRight});
        addToolBarBreak(Qt::TopToolBarArea);
    }
    QToolBar* parameterBar = AddBand(ParameterBand, {});
    parameters_ = new ParameterBar(session_, parameterBar);
    parameterBar->addWidget(parameters_);
    connect(parameters_, &ParameterBar::Confirmed, this, &MainFrame::UpdateCommandStates);

    QToolBar* instrumentBar = AddBand(InstrumentBand, {kDownload});
    if (mode_ != OperatingMode::Fm && InstrumentHasTwoChannels()) {
        instrumentBar->addSeparator();
        instrumentBar->addAction(Action(kChannel1));
        instrumentBar->addAction(Action(kChannel2));
    }
    if (mode_ == OperatingMode::Fm) {
        BuildMarkerBand();
    }
}

// The marker list of the FM editor. Its entries come from the FM markers table, which
// this build does not have yet: the list is shown empty and disabled.
void MainFrame::BuildMarkerBand() {
    QToolBar* bar = AddBand(MarkerBand, {});
    bar->addWidget(new QLabel(tr("Marker list") + QLatin1Char(' '), bar));
    auto* list = new QComboBox(bar);
    list->setObjectName(QStringLiteral("markerList"));
    list->setProperty("controlId", ControlId::kMarkerList);
    list->setMinimumWidth(list->fontMetrics().horizontalAdvance(QStringLiteral("0000000000000")));
    list->setEnabled(false);
    bar->addWidget(list);
}

void MainFrame::BuildStatusBar() {
    statusText_ = new QLabel(tr("Ready"), this);
    statusText_->setObjectName(QStringLiteral("statusText"));
    statusBar()->addWidget(statusText_, 1);
    // The cursor's point and value have their own place, so that a drawing mode's prompt
    // stays readable while the mouse draws.
    positionText_ = new QLabel(this);
    positionText_->setObjectName(QStringLiteral("positionText"));
    positionText_->setContentsMargins(0, 0, positionText_->fontMetrics().averageCharWidth() * 2, 0);
    statusBar()->addPermanentWidget(positionText_);
    contextText_ = new QLabel(this);
    contextText_->setObjectName(QStringLiteral("contextText"));
    contextText_->setToolTip(tr("Instrument family, active channel and segment"));
    statusBar()->addPermanentWidget(contextText_);
}

// The instrument, channel and segment being edited: the host may change them while the
// window is in the background, so they are shown where the user can always see them.
void MainFrame::ShowInstrumentContext() {
    const AppState& state = session_.State();
    QStringList parts{QString::fromStdString(state.familyName)};
    if (mode_ == OperatingMode::Fm) {
        parts << tr("FM waveform");
    } else {
        parts << tr("Channel %1").arg(state.activeChannel + 1);
        if (mode_ == OperatingMode::Standard) {
            parts << tr("Segment %1").arg(state.activeSegment);
        }
    }
    const QString text = parts.join(QStringLiteral("  \u00b7  "));
    if (contextText_->text() != text) {
        contextText_->setText(text);
    }
}

void MainFrame::ConnectView() {
    connect(view_, &WaveView::LengthTextRequested, parameters_, &ParameterBar::ShowLengthText);
    connect(view_, &WaveView::SegmentTextRequested, parameters_, &ParameterBar::ShowSecondText);
    connect(view_, &WaveView::MainTitleRequested, this, &QWidget::setWindowTitle);
    // The request is posted: the document that asks is still in the middle of its work.
    connect(view_, &WaveView::CloseRequested, this, &QWidget::close, Qt::QueuedConnection);
    connect(view_, &WaveView::CommandStateChanged, this, &MainFrame::UpdateCommandStates);
    connect(view_, &WaveView::StatusTextChanged, this, [this](const QString& text) {
        statusText_->setText(text.isEmpty() ? tr("Ready") : text);
    });
    // While the cursor is on the plot the position keeps a steady width; off the plot
    // it takes no room from the prompts of the menus and buttons.
    connect(view_, &WaveView::PositionChanged, this, [this](const QString& text) {
        const int steady = positionText_->fontMetrics().horizontalAdvance(
                               QStringLiteral("Point 16000000   Value -8192")) +
                           positionText_->contentsMargins().right();
        positionText_->setMinimumWidth(text.isEmpty() ? 0 : steady);
        positionText_->setText(text);
    });
    connect(view_, &WaveView::ContextMenuRequested, this, [this](const QPoint& globalPos) {
        if (editMenu_ != nullptr) {
            UpdateCommandStates();
            editMenu_->popup(globalPos);
        }
    });
}

// --- placement ------------------------------------------------------------------------

void MainFrame::ApplyMinimumSize() {
    const std::string text = session_.Store().ReadHostValue("DrawRect", "minSMrct");
    const char* cursor = text.data();
    const char* end = text.data() + text.size();
    int width = 0;
    int height = 0;
    if (!ReadLeadingInt(cursor, end, width) || !ReadLeadingInt(cursor, end, height)) {
        width = 0;
        height = 0;
    }
    setMinimumSize(qMax(width, 0), qMax(height, 0) + 50);
}

void MainFrame::ShowPlaced() {
    const FramePlacement placement(mode_ == OperatingMode::Fm);
    const WindowRect rect = placement.ReadRect();
    restoreState(QByteArray::fromBase64(QByteArray::fromStdString(placement.ReadBarState(mode_))),
                 kBarStateVersion);
    move(rect.left, rect.top);
    resize(rect.Width(), rect.Height());
    normalRect_ = QRect(rect.left, rect.top, rect.Width(), rect.Height());
    ApplyBandVisibility();
    view_->InitialUpdate();
    UpdateCommandStates();
    // The view, not the length field, has the focus at start: the window's shortcuts
    // (Undo above all) then reach their commands.
    view_->setFocus(Qt::OtherFocusReason);

    if (placement.ReadMinimized()) {
        setWindowState(placement.ReadMaximized() ? Qt::WindowMinimized | Qt::WindowMaximized
                                                 : Qt::WindowMinimized);
        show();
    } else if (placement.ReadMaximized()) {
        showMaximized();
    } else {
        show();
    }
    raise();
    activateWindow();
    timer_.start(kBandTimerMs, this);
}

void MainFrame::RememberNormalRect() {
    if ((windowState() & (Qt::WindowMinimized | Qt::WindowMaximized | Qt::WindowFullScreen)) == 0) {
        normalRect_ = QRect(pos(), size());
    }
}

void MainFrame::moveEvent(QMoveEvent* event) {
    QMainWindow::moveEvent(event);
    RememberNormalRect();
}

void MainFrame::resizeEvent(QResizeEvent* event) {
    QMainWindow::resizeEvent(event);
    RememberNormalRect();
}

void MainFrame::SavePlacement() const {
    if (!normalRect_.isValid()) {
        return; // never placed: nothing worth remembering
    }
    const FramePlacement placement(mode_ == OperatingMode::Fm);
    placement.Write({normalRect_.left(), normalRect_.top(),
                     normalRect_.left() + normalRect_.width(),
                     normalRect_.top() + normalRect_.height()},
                    (windowState() & Qt::WindowMaximized) != 0);
    placement.WriteBarState(mode_, saveState(kBarStateVersion).toBase64().toStdString());
}

// --- bands ----------------------------------------------------------------------------

void MainFrame::ReadBandFlags() {
    for (int band = 0; band < kBandCount; ++band) {
        const std::string text = session_.Store().ReadHostValue("ViewsSM", kBands[band].flagName);
        bandShown_[band] = text.empty() || std::atoi(text.c_str()) != 0;
    }
}

void MainFrame::WriteBandFlags() const {
    for (int band = 0; band < kBandCount; ++band) {
        session_.Store().WriteHostValue(kBands[band].flagName, bandShown_[band] ? "1" : "0",
                                        "ViewsSM");
    }
}

void MainFrame::ApplyBandVisibility() {
    for (int band = 0; band < kBandCount; ++band) {
        if (bands_[band] != nullptr && bands_[band]->isVisibleTo(this) != bandShown_[band]) {
            bands_[band]->setVisible(bandShown_[band]);
        }
    }
}

void MainFrame::ToggleBand(int band) {
    bandShown_[band] = !bandShown_[band];
    ApplyBandVisibility();
}

int MainFrame::BandOfToggle(int commandId) const {
    for (int band = 0; band < kBandCount; ++band) {
        if (kBands[band].toggleId == commandId) {
            return band;
        }
    }
    return -1;
}

QMenu* MainFrame::createPopupMenu() {
    auto* menu = new QMenu(this);
    for (int band = 0; band < kBandCount; ++band) {
        if (bands_[band] != nullptr) {
            menu->addAction(Action(kBands[band].toggleId));
        }
    }
    UpdateCommandStates();
    return menu;
}

void MainFrame::timerEvent(QTimerEvent* event) {
    if (event->timerId() != timer_.timerId()) {
        QMainWindow::timerEvent(event);
        return;
    }
    ApplyBandVisibility();
    UpdateCommandStates();
}

bool MainFrame::InstrumentHasTwoChannels() const {
    return session_.Store().ReadProfileNumber("Channels", 0, "Instrument", kMissingNumber) >= 2;
}

// --- commands -------------------------------------------------------------------------

bool MainFrame::IsEnabled(int commandId) const {
    if (WaveView::HandlesCommand(commandId)) {
        return view_->IsCommandEnabled(commandId);
    }
    switch (commandId) {
    case kUndo:
        return session_.Files().CanUndo();
    case kChannel1:
    case kChannel2:
        return session_.Segments().ChannelCommandEnabled();
    case kFmMarkers:
    case kPulseEditor:
        return false; // the FM markers table and the pulse editor are not part of it yet
    case kOpen:
    case kSave:
    case kSaveAs:
    case kDownload:
        // In the pulse designer these act on the rendered pulse design, and the rendering
        // is not part of this build: an empty waveform would be written and entered in
        // the segment table.
        return mode_ != OperatingMode::Pulse;
    default:
        return true;
    }
}

bool MainFrame::IsChecked(int commandId) const {
    const int band = BandOfToggle(commandId);
    if (band >= 0) {
        return bandShown_[band];
    }
    if (commandId == kChannel1 || commandId == kChannel2) {
        return session_.Segments().ChannelCommandChecked(commandId);
    }
    return WaveView::HandlesCommand(commandId) && view_->IsCommandChecked(commandId);
}

void MainFrame::UpdateCommandStates() {
    for (const auto& [id, action] : actions_) {
        action->setEnabled(IsEnabled(id));
        if (action->isCheckable()) {
            action->setChecked(IsChecked(id));
        }
    }
    ShowInstrumentContext();
}

void MainFrame::OnCommand(int commandId) {
    if (!IsEnabled(commandId)) {
        UpdateCommandStates();
        return;
    }
    const int band = BandOfToggle(commandId);
    if (band >= 0) {
        ToggleBand(band);
    } else if (WaveView::HandlesCommand(commandId)) {
        view_->OnCommand(commandId);
    } else if (MainMenuBuilder::IsWaveCommand(commandId)) {
        WaveParamDialogWidget::RunWaveCommand(this, session_.Document(), commandId);
    } else {
        switch (commandId) {
        case kNew:
            session_.Files().OnNew();
            break;
        case kOpen:
            session_.Files().OnOpen();
            break;
        case kSave:
            session_.Files().OnSave();
            break;
        case kSaveAs:
            session_.Files().OnSaveAs();
            break;
        case kUndo:
            session_.Files().OnUndo();
            break;
        case kChannel1:
        case kChannel2:
            session_.Segments().OnChannelCommand(commandId);
            break;
        case kDownload:
            session_.DownloadWaveform();
            break;
        case kAbout:
            AboutDialog(this).exec();
            break;
        case kExit:
            close();
            break;
        default:
            break;
        }
    }
    UpdateCommandStates();
}

void MainFrame::OnHostCommand(std::uint32_t code, std::int64_t data) {
    const HostRequest request = HostRequest::Decode(code, data, mode_, session_.Store());
    switch (request.action) {
    case HostAction::Close:
        close();
        break;
    case HostAction::Reload:
        session_.Segments().ReloadSharedState();
        UpdateCommandStates();
        view_->update();
        break;
    case HostAction::Place:
        move(request.x, request.y);
        raise();
        activateWindow();
        break;
    case HostAction::Tile:
        setWindowState(windowState() & ~(Qt::WindowMinimized | Qt::WindowMaximized));
        move(request.x, request.y);
        resize(request.width, request.height);
        update();
        break;
    case HostAction::None:
        break;
    }
}

// --- dropped files --------------------------------------------------------------------

void MainFrame::SetDroppedFileAnswer(std::function<void(const std::string&)> answer) {
    droppedFileAnswer_ = std::move(answer);
}

void MainFrame::OpenDroppedFile(const QString& path) {
    if (!droppedFileAnswer_ || !IsEnabled(kOpen)) {
        return;
    }
    droppedFileAnswer_(path.toStdString());
    OnCommand(kOpen);
}

void MainFrame::dragEnterEvent(QDragEnterEvent* event) {
    const QList<QUrl> urls = event->mimeData()->urls();
    if (droppedFileAnswer_ && IsEnabled(kOpen) && !urls.isEmpty() &&
        urls.constFirst().isLocalFile()) {
        event->acceptProposedAction();
    }
}

void MainFrame::dropEvent(QDropEvent* event) {
    const QList<QUrl> urls = event->mimeData()->urls();
    if (urls.isEmpty() || !urls.constFirst().isLocalFile()) {
        return;
    }
    event->acceptProposedAction();
    // Opened after the drop has finished, so that message boxes do not run inside it.
    const QString path = urls.constFirst().toLocalFile();
    QTimer::singleShot(0, this, [this, path] { OpenDroppedFile(path); });
}

// --- lookup ---------------------------------------------------------------------------

QAction* MainFrame::Action(int commandId) const {
    const auto found = actions_.find(commandId);
    return found == actions_.end() ? nullptr : found->second;
}

QToolBar* MainFrame::BandBar(int band) const {
    return band >= 0 && band < kBandCount ? bands_[band] : nullptr;
}

bool MainFrame::BandShown(int band) const {
    return band >= 0 && band < kBandCount && bandShown_[band];
}

QLineEdit* MainFrame::GetBarControl(int controlId) const {
    return parameters_->Control(controlId);
}
