#include "ui/MainFrame.h"

#include "app/ToolSession.h"
#include "core/AppState.h"
#include "core/HostBus.h"
#include "document/DocumentMode.h"
#include "document/FileCommands.h"
#include "document/SegmentCommands.h"
#include "document/WaveDoc.h"
#include "link/HostRequest.h"
#include "pulse/PulseDownload.h"
#include "pulse/PulseEditor.h"
#include "settings/ProfileStore.h"
#include "synthesis/GeneratorCommands.h"
#include "ui/AboutDialog.h"
#include "ui/BarIcons.h"
#include "ui/CentralView.h"
#include "ui/CommandIds.h"
#include "ui/FmMarkersDialogWidget.h"
#include "ui/FrameMode.h"
#include "ui/FramePlacer.h"
#include "ui/FrameStatusBar.h"
#include "ui/MainMenuBuilder.h"
#include "ui/ParameterBar.h"
#include "ui/PulseDesignView.h"
#include "ui/ToolBands.h"
#include "ui/WaveParamDialogWidget.h"
#include "ui/WaveView.h"

#include <QAction>
#include <QDragEnterEvent>
#include <QDropEvent>
#include <QLineEdit>
#include <QMenu>
#include <QMimeData>
#include <QTimer>
#include <QToolBar>

namespace {

using namespace CommandId;

constexpr int kBandTimerMs = 100;

// What either central view asks of the frame: its title, its closing and the readout of
// the point under the cursor.
template <class View>
void ConnectFrameRequests(View* view, QMainWindow* frame, FrameStatusBar* status) {
    QObject::connect(view, &View::MainTitleRequested, frame, &QWidget::setWindowTitle);
    // The request is posted: the document that asks is still in the middle of its work.
    QObject::connect(view, &View::CloseRequested, frame, &QWidget::close, Qt::QueuedConnection);
    QObject::connect(view, &View::PositionChanged, status, &FrameStatusBar::ShowPosition);
}

} // namespace

MainFrame::MainFrame(ToolSession& session, QWidget* parent)
    : QMainWindow(parent), session_(session), frameMode_(FrameMode::For(session.State())) {
    setObjectName(QStringLiteral("MainFrame"));
    setWindowTitle(frameMode_->Title());
    setWindowIcon(BarIcons::Application());
    setAcceptDrops(true);

    const CentralView central = CentralViewFor(*frameMode_, session_, this);
    view_ = central.wave;
    pulse_ = central.pulse;
    frameView_ = central.Frame();
    setCentralWidget(central.Widget());
    bands_ = std::make_unique<ToolBands>(*this, session_.Store());
    placer_ = std::make_unique<FramePlacer>(*this, frameMode_->Placement());
    BuildCommands();
    BuildBands();
    BuildStatusBar();
    ConnectView();
    placer_->ApplyMinimumSize(session_.Store());

    session_.Services().bus.SetRequestHandler(
        [this](std::uint32_t code, std::int64_t data) { OnHostCommand(code, data); });
    if (bands_->MarkerList() != nullptr) {
        session_.Document().ShowMarkerBarWith(
            [this] { bands_->ShowMarkerItems(session_.Document().FmMarkers().BarItems()); });
    }
}

MainFrame::~MainFrame() {
    session_.Services().bus.SetRequestHandler({});
    session_.Document().ShowMarkerBarWith(nullptr);
    session_.Pulse().onRendered = nullptr;
    placer_->Save();
    bands_->WriteFlags();
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
    MainMenuBuilder builder(*this, *frameMode_, actions_);
    builder.BuildActions([this](int commandId) { OnCommand(commandId); });
    editMenu_ = builder.BuildMenus([this] { UpdateCommandStates(); });
}

void MainFrame::BuildBands() {
    bands_->Build(*frameMode_, actions_, InstrumentHasTwoChannels(), [this](QToolBar* bar) {
        parameters_ = new ParameterBar(session_, frameMode_, bar);
        bar->addWidget(parameters_);
        connect(parameters_, &ParameterBar::Confirmed, this, &MainFrame::UpdateCommandStates);
    });
}

void MainFrame::BuildStatusBar() {
    status_ = new FrameStatusBar(this);
    setStatusBar(status_);
    session_.Pulse().onRendered = [this](const PulseRenderOutcome& outcome) {
        status_->ShowPulseRender(QString::fromStdString(PulseRenderer::Summary(outcome)));
    };
}

void MainFrame::ConnectView() {
    if (pulse_ != nullptr) {
        return ConnectPulseView();
    }
    connect(view_, &WaveView::LengthTextRequested, parameters_, &ParameterBar::ShowLengthText);
    connect(view_, &WaveView::SegmentTextRequested, parameters_, &ParameterBar::ShowSecondText);
    ConnectFrameRequests(view_, this, status_);
    connect(view_, &WaveView::CommandStateChanged, this, &MainFrame::UpdateCommandStates);
    connect(view_, &WaveView::StatusTextChanged, status_, &FrameStatusBar::ShowPrompt);
    connect(view_, &WaveView::ContextMenuRequested, this, [this](const QPoint& globalPos) {
        if (editMenu_ != nullptr) {
            UpdateCommandStates();
            editMenu_->popup(globalPos);
        }
    });
}

void MainFrame::ConnectPulseView() {
    ConnectFrameRequests(pulse_, this, status_);
    parameters_->FollowPulseDesign(*pulse_);
    connect(pulse_, &PulseDesignView::DesignContentChanged, status_,
            [this] { status_->ShowPulseRender({}); });
}

// --- placement ------------------------------------------------------------------------

void MainFrame::ShowPlaced() {
    placer_->Restore();
    bands_->ApplyVisibility();
    frameView_->InitialUpdate();
    UpdateCommandStates();
    // The view, not the length field, has the focus at start: the window's shortcuts
    // (Undo above all) then reach their commands.
    centralWidget()->setFocus(Qt::OtherFocusReason);
    placer_->Show();
    raise();
    activateWindow();
    timer_.start(kBandTimerMs, this);
}

void MainFrame::moveEvent(QMoveEvent* event) {
    QMainWindow::moveEvent(event);
    placer_->Remember();
}

void MainFrame::resizeEvent(QResizeEvent* event) {
    QMainWindow::resizeEvent(event);
    placer_->Remember();
}

// --- bands ----------------------------------------------------------------------------

QMenu* MainFrame::createPopupMenu() {
    auto* menu = new QMenu(this);
    for (int band = 0; band < ToolBands::kBandCount; ++band) {
        if (bands_->Bar(band) != nullptr) {
            menu->addAction(Action(ToolBands::ToggleOf(band)));
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
    bands_->ApplyVisibility();
    UpdateCommandStates();
}

bool MainFrame::InstrumentHasTwoChannels() const {
    return session_.Store().ReadProfileNumber("Channels", 0, "Instrument", kMissingNumber) >= 2;
}

// --- commands -------------------------------------------------------------------------

bool MainFrame::IsEnabled(int commandId) const {
    if (!frameMode_->Allows(commandId)) {
        return false;
    }
    if (WaveView::HandlesCommand(commandId)) {
        return frameView_->IsCommandEnabled(commandId);
    }
    switch (commandId) {
    case kUndo:
        return session_.Files().CanUndo();
    case kChannel1:
    case kChannel2:
        return session_.Segments().ChannelCommandEnabled();
    case kPulseEditor:
        return pulse_ != nullptr && !pulse_->EditorVisible();
    default:
        return true;
    }
}

bool MainFrame::IsChecked(int commandId) const {
    const int band = ToolBands::BandOfToggle(commandId);
    if (band >= 0) {
        return bands_->Shown(band);
    }
    if (commandId == kChannel1 || commandId == kChannel2) {
        return session_.Segments().ChannelCommandChecked(commandId);
    }
    return WaveView::HandlesCommand(commandId) && frameView_->IsCommandChecked(commandId);
}

void MainFrame::UpdateCommandStates() {
    for (const auto& [id, action] : actions_) {
        action->setEnabled(IsEnabled(id));
        if (action->isCheckable()) {
            action->setChecked(IsChecked(id));
        }
    }
    status_->ShowContext(frameMode_->ContextParts(session_.State()));
}

void MainFrame::OnCommand(int commandId) {
    if (!IsEnabled(commandId)) {
        UpdateCommandStates();
        return;
    }
    const int band = ToolBands::BandOfToggle(commandId);
    if (band >= 0) {
        bands_->Toggle(band);
    } else if (WaveView::HandlesCommand(commandId)) {
        frameView_->OnCommand(commandId);
    } else if (GeneratorCommands::IsWaveCommand(commandId)) {
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
        case kPulseEditor:
            pulse_->ShowEditor();
            break;
        case kDownload:
            if (pulse_ != nullptr && pulse_->Editor() != nullptr) {
                // The render follows the options the editor holds, so that a switch to
                // the sequence form after message 3023 shows in its dialog at once.
                session_.Pulse().UseOptions(&pulse_->Editor()->Options());
            }
            status_->ShowDownloadNotice(QString::fromStdString(session_.DownloadWaveform()));
            break;
        case kFmMarkers:
            FmMarkersDialogWidget::EditFmMarkers(this, session_.Document(), session_.Services());
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
    const HostRequest request = HostRequest::Decode(code, data, session_.Mode(), session_.Store());
    switch (request.action) {
    case HostAction::Close:
        close();
        break;
    case HostAction::Reload:
        session_.Segments().ReloadSharedState();
        UpdateCommandStates();
        frameView_->FollowHostReload();
        centralWidget()->update();
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
    return bands_->Bar(band);
}

bool MainFrame::BandShown(int band) const {
    return bands_->Shown(band);
}

QLineEdit* MainFrame::GetBarControl(int controlId) const {
    return parameters_->Control(controlId);
}
