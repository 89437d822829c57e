#include "panel/ControlPanel.h"

#include "core/HostBus.h"
#include "panel/SegmentPlot.h"
#include "session/DemoSession.h"
#include "settings/IniFile.h"
#include "workspace/ContextDefaults.h"
#include "workspace/SegmentCatalog.h"

#include <QCloseEvent>
#include <QComboBox>
#include <QFontDatabase>
#include <QFormLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QProgressBar>
#include <QPushButton>
#include <QScreen>
#include <QScrollArea>
#include <QScrollBar>
#include <QSignalBlocker>
#include <QSpinBox>
#include <QSplitter>
#include <QStatusBar>
#include <QTime>
#include <QTreeWidget>
#include <QVBoxLayout>

#include <algorithm>

namespace {

constexpr int kChannels = 2;
constexpr int kMaxLogLines = 2000;
constexpr int kProgressSteps = 1000;
// The size the panel asks for, and what a window manager's frame takes around it.
constexpr QSize kPreferredSize(980, 640);
constexpr QSize kFrameAllowance(8, 32);

QString ModeTitle(const std::string& mode) {
    if (mode == "fm") {
        return QStringLiteral("FM");
    }
    return mode == "pulse" ? QStringLiteral("pulse") : QStringLiteral("standard");
}

QPushButton* Button(const QString& text, QWidget* parent) {
    auto* button = new QPushButton(text, parent);
    button->setAutoDefault(false);
    return button;
}

} // namespace

ControlPanel::ControlPanel(DemoSession& session, QWidget* parent)
    : QMainWindow(parent), session_(session) {
    const Workspace& workspace = session_.CurrentWorkspace();
    setWindowTitle(
        QStringLiteral("Consolux — %1, %2 mode")
            .arg(QString::fromStdString(workspace.Family()), ModeTitle(session_.Mode())));

    auto* left = new QWidget(this);
    auto* leftLayout = new QVBoxLayout(left);
    leftLayout->addWidget(BuildContextGroup());
    leftLayout->addWidget(BuildRequestGroup());
    leftLayout->addStretch();
    // On a small screen the context and the requests scroll rather than squeeze, and the
    // notifications and the memory keep the room they need.
    auto* leftScroll = new QScrollArea(this);
    leftScroll->setWidget(left);
    leftScroll->setWidgetResizable(true);
    leftScroll->setFrameShape(QFrame::NoFrame);
    leftScroll->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    leftScroll->setMinimumWidth(left->minimumSizeHint().width() +
                                leftScroll->verticalScrollBar()->sizeHint().width());

    auto* right = new QSplitter(Qt::Vertical, this);
    right->addWidget(BuildNotificationGroup());
    right->addWidget(BuildMemoryGroup());

    auto* splitter = new QSplitter(Qt::Horizontal, this);
    splitter->addWidget(leftScroll);
    splitter->addWidget(right);
    splitter->setChildrenCollapsible(false);
    splitter->setStretchFactor(1, 1);
    splitter->setSizes({leftScroll->minimumWidth(), kPreferredSize.width()});
    setCentralWidget(splitter);

    identity_ = new QLabel(this);
    // A long identity or error is cut rather than widening the window.
    identity_->setSizePolicy(QSizePolicy::Ignored, QSizePolicy::Preferred);
    statusBar()->addWidget(identity_, 1);
    // The instrument's address, in any form the one parser takes; Enter connects to it.
    connection_ =
        new QLineEdit(QString::fromStdString(session_.Service().Address().ToString()), this);
    connection_->setObjectName(QStringLiteral("connection"));
    connection_->setToolTip(tr("TCPIP::HOST::PORT::SOCKET, HOST:PORT, TCPIP::HOST::INSTR (VXI-11) "
                               "or a USBTMC device file; Enter connects"));
    connection_->setMinimumWidth(fontMetrics().horizontalAdvance(QLatin1Char('x')) * 22);
    connect(connection_, &QLineEdit::returnPressed, this, &ControlPanel::OnConnectionEntered);
    statusBar()->addPermanentWidget(connection_);

    connect(&session_, &DemoSession::Logged, this, &ControlPanel::AppendLog);
    connect(&session_, &DemoSession::ToolStateChanged, this, &ControlPanel::OnToolStateChanged);
    ConnectInstrument();
    FitToScreen();
    session_.Service().Instrument().ReadIdentity();
    RefreshMemory();
}

void ControlPanel::FitToScreen() {
    const QScreen* screen = this->screen();
    if (screen == nullptr) {
        resize(kPreferredSize);
        return;
    }
    const QRect room = screen->availableGeometry();
    resize(kPreferredSize.boundedTo(room.size() - kFrameAllowance).expandedTo(minimumSizeHint()));
    move(room.topLeft() + QPoint(std::max(0, (room.width() - frameGeometry().width()) / 2),
                                 std::max(0, (room.height() - frameGeometry().height()) / 2)));
}

void ControlPanel::ConnectInstrument() {
    HostService& service = session_.Service();
    InstrumentWorker& instrument = service.Instrument();
    connect(&service, &HostService::Ignored, this, &ControlPanel::OnIgnored);
    connect(&service, &HostService::Handled, this, &ControlPanel::OnHandled);
    connect(&instrument, &InstrumentWorker::Started, this, &ControlPanel::OnStarted);
    connect(&instrument, &InstrumentWorker::Progress, this, &ControlPanel::OnProgress);
    connect(&instrument, &InstrumentWorker::IdentityRead, this, &ControlPanel::OnIdentityRead);
    connect(&instrument, &InstrumentWorker::MemoryRead, this, &ControlPanel::OnMemoryRead);
    connect(&instrument, &InstrumentWorker::SegmentRead, this, &ControlPanel::OnSegmentRead);
    connect(&instrument, &InstrumentWorker::FmMarkersRead, this, &ControlPanel::OnFmMarkersRead);
}

QWidget* ControlPanel::BuildContextGroup() {
    const Workspace& workspace = session_.CurrentWorkspace();
    const std::string segments =
        IniFile(workspace.FamilyFile()).Read("ParmLst", "ActiveSeg").value_or("");
    auto* group = new QGroupBox(tr("Tool context"), this);
    auto* form = new QFormLayout(group);

    channel_ = new QComboBox(group);
    for (int channel = 1; channel <= kChannels; ++channel) {
        channel_->addItem(tr("Channel %1").arg(channel));
    }
    segment_ = new QSpinBox(group);
    segment_->setRange(static_cast<int>(ContextDefaults::ParameterField(segments, 2, 1)),
                       static_cast<int>(ContextDefaults::ParameterField(segments, 3, 1)));
    SyncContextFields();
    connect(channel_, &QComboBox::currentIndexChanged, this, &ControlPanel::OnChannelChosen);
    connect(segment_, &QSpinBox::valueChanged, this, &ControlPanel::OnSegmentChosen);

    auto* folder = new QLabel(QString::fromStdString(workspace.Folder()), group);
    folder->setTextInteractionFlags(Qt::TextSelectableByMouse);
    folder->setWordWrap(true);
    toolState_ = new QLabel(tr("not started"), group);

    form->addRow(tr("Active channel"), channel_);
    form->addRow(tr("Active segment"), segment_);
    form->addRow(tr("Family"), new QLabel(QString::fromStdString(workspace.Family()), group));
    form->addRow(tr("Workspace"), folder);
    form->addRow(tr("Tool"), toolState_);
    return group;
}

QWidget* ControlPanel::BuildRequestGroup() {
    auto* group = new QGroupBox(tr("Host requests"), this);
    auto* layout = new QFormLayout(group);

    auto* close = Button(tr("Close"), group);
    auto* reload = Button(tr("Reload"), group);
    auto* simple = new QHBoxLayout;
    simple->addWidget(close);
    simple->addWidget(reload);
    layout->addRow(simple);

    placeX_ = new QSpinBox(group);
    placeY_ = new QSpinBox(group);
    for (QSpinBox* box : {placeX_, placeY_}) {
        box->setRange(-32768, 32767);
        box->setValue(100);
    }
    auto* place = Button(tr("Place"), group);
    auto* placeRow = new QHBoxLayout;
    placeRow->addWidget(placeX_);
    placeRow->addWidget(placeY_);
    placeRow->addWidget(place);
    layout->addRow(tr("x, y"), placeRow);

    tileRect_ = new QLineEdit(QStringLiteral("10 20 810 620"), group);
    tileRect_->setToolTip(tr("left top right bottom, in screen pixels"));
    auto* tile = Button(tr("Tile"), group);
    auto* tileRow = new QHBoxLayout;
    tileRow->addWidget(tileRect_);
    tileRow->addWidget(tile);
    layout->addRow(tr("Rectangle"), tileRow);

    connect(close, &QPushButton::clicked, &session_, &DemoSession::RequestClose);
    connect(reload, &QPushButton::clicked, &session_, &DemoSession::RequestReload);
    connect(place, &QPushButton::clicked, this,
            [this] { session_.RequestPlace(placeX_->value(), placeY_->value()); });
    connect(tile, &QPushButton::clicked, this, [this] { session_.RequestTile(tileRect_->text()); });
    return group;
}

QWidget* ControlPanel::BuildNotificationGroup() {
    auto* group = new QGroupBox(tr("Notifications"), this);
    auto* layout = new QVBoxLayout(group);
    notifications_ = new QListWidget(group);
    notifications_->setFont(QFontDatabase::systemFont(QFontDatabase::FixedFont));
    notifications_->setUniformItemSizes(true);
    layout->addWidget(notifications_);

    auto* downloadRow = new QHBoxLayout;
    downloadRow->addWidget(new QLabel(tr("Last download:"), group));
    downloadResult_ = new QLabel(tr("none yet"), group);
    downloadResult_->setObjectName(QStringLiteral("downloadResult"));
    downloadResult_->setTextInteractionFlags(Qt::TextSelectableByMouse);
    downloadResult_->setWordWrap(true);
    downloadRow->addWidget(downloadResult_, 1);
    progress_ = new QProgressBar(group);
    progress_->setObjectName(QStringLiteral("downloadProgress"));
    progress_->setRange(0, kProgressSteps);
    // With its Cancel button beside it, as wide as the bar alone once was.
    progress_->setFixedWidth(100);
    progress_->hide();
    downloadRow->addWidget(progress_);
    cancel_ = new QPushButton(tr("Cancel"), group);
    cancel_->setObjectName(QStringLiteral("cancelDownload"));
    cancel_->hide();
    connect(cancel_, &QPushButton::clicked, this, &ControlPanel::OnCancelClicked);
    downloadRow->addWidget(cancel_);
    layout->addLayout(downloadRow);

    auto* markerRow = new QHBoxLayout;
    markerRow->addWidget(new QLabel(tr("FM markers:"), group));
    fmMarkers_ = new QLabel(tr("no FM download yet"), group);
    fmMarkers_->setObjectName(QStringLiteral("fmMarkers"));
    fmMarkers_->setTextInteractionFlags(Qt::TextSelectableByMouse);
    fmMarkers_->setWordWrap(true);
    markerRow->addWidget(fmMarkers_, 1);
    layout->addLayout(markerRow);
    if (session_.Mode() != "fm") {
        for (int i = 0; i < markerRow->count(); ++i) {
            markerRow->itemAt(i)->widget()->hide();
        }
    }
    return group;
}

QWidget* ControlPanel::BuildMemoryGroup() {
    auto* group = new QGroupBox(tr("Instrument memory"), this);
    auto* layout = new QHBoxLayout(group);

    auto* listColumn = new QVBoxLayout;
    memory_ = new QTreeWidget(group);
    memory_->setHeaderLabels({tr("Channel"), tr("Segment"), tr("Points")});
    memory_->setRootIsDecorated(false);
    memory_->setUniformRowHeights(true);
    memory_->header()->setSectionResizeMode(QHeaderView::ResizeToContents);
    auto* refresh = Button(tr("Refresh"), group);
    listColumn->addWidget(memory_);
    listColumn->addWidget(refresh);

    plot_ = new SegmentPlot(group);
    const Workspace& workspace = session_.CurrentWorkspace();
    const IniFile context(workspace.ContextFile());
    const std::string codes =
        IniFile(workspace.FamilyFile())
            .Read("Axis", "Vpts" + context.Read("Settings", "Wfmt").value_or(""))
            .value_or("");
    plot_->SetCodeRange(static_cast<int>(ContextDefaults::ParameterField(codes, 0, -32768)),
                        static_cast<int>(ContextDefaults::ParameterField(codes, 1, 32767)));
    plot_->Clear(tr("choose a segment"));

    layout->addLayout(listColumn, 1);
    layout->addWidget(plot_, 1);
    connect(refresh, &QPushButton::clicked, this, &ControlPanel::RefreshMemory);
    connect(memory_, &QTreeWidget::itemSelectionChanged, this, &ControlPanel::ShowSelectedSegment);
    return group;
}

void ControlPanel::AppendLog(const QString& line) {
    notifications_->addItem(QTime::currentTime().toString(QStringLiteral("HH:mm:ss.zzz  ")) + line);
    notifications_->item(notifications_->count() - 1)->setToolTip(line);
    while (notifications_->count() > kMaxLogLines) {
        delete notifications_->takeItem(0);
    }
    notifications_->scrollToBottom();
}

void ControlPanel::closeEvent(QCloseEvent* event) {
    statusBar()->showMessage(tr("closing the tool and the instrument..."));
    session_.ShutDown();
    event->accept();
}

void ControlPanel::OnChannelChosen(int index) {
    const Workspace& workspace = session_.CurrentWorkspace();
    workspace.SetActiveChannel(index);
    const QSignalBlocker block(segment_);
    segment_->setValue(workspace.ActiveSegment(index));
    AppendLog(tr("context: ActiveCh=%1").arg(index));
}

void ControlPanel::OnSegmentChosen(int segment) {
    const Workspace& workspace = session_.CurrentWorkspace();
    workspace.SetActiveSegment(channel_->currentIndex(), segment);
    AppendLog(
        tr("context: ActiveSeg=%1")
            .arg(QString::fromStdString(
                IniFile(workspace.ContextFile()).Read("Settings", "ActiveSeg").value_or(""))));
}

void ControlPanel::OnToolStateChanged(bool running) {
    toolState_->setText(running ? tr("running") : tr("not running"));
}

void ControlPanel::OnIgnored(const QString& line) {
    AppendLog(line);
    notifications_->item(notifications_->count() - 1)
        ->setForeground(palette().brush(QPalette::Disabled, QPalette::Text));
}

void ControlPanel::OnStarted(uint code) {
    if (!IsDownloadNotice(static_cast<int>(code))) {
        return;
    }
    progress_->setValue(0);
    progress_->setFormat(tr("sending %p%"));
    progress_->show();
    cancel_->setEnabled(true);
    cancel_->show();
    downloadResult_->setStyleSheet(QString());
    downloadResult_->setText(tr("downloading..."));
}

void ControlPanel::OnCancelClicked() {
    cancel_->setEnabled(false);
    session_.Service().Instrument().CancelDownload();
}

void ControlPanel::OnProgress(qint64 sent, qint64 total) {
    if (total > 0) {
        progress_->setValue(static_cast<int>(sent * kProgressSteps / total));
    }
}

void ControlPanel::OnHandled(uint code, bool succeeded, const QString& result) {
    SyncContextFields();
    if (IsDownloadNotice(static_cast<int>(code))) {
        progress_->hide();
        cancel_->hide();
        ShowDownloadResult(succeeded, result);
        const int channel = session_.CurrentWorkspace().ActiveChannel();
        rowToSelect_ = {channel + 1, session_.CurrentWorkspace().ActiveSegment(channel)};
    }
    if (code == NotifyCommand || IsDownloadNotice(static_cast<int>(code))) {
        RefreshMemory();
    }
}

void ControlPanel::ShowDownloadResult(bool succeeded, const QString& text) {
    const QString time = QTime::currentTime().toString(QStringLiteral("HH:mm:ss"));
    downloadResult_->setText(succeeded ? tr("%1  done: %2").arg(time, text)
                                       : tr("%1  FAILED: %2").arg(time, text));
    downloadResult_->setStyleSheet(succeeded ? QString()
                                             : QStringLiteral("QLabel { color: #d32f2f; }"));
}

void ControlPanel::SyncContextFields() {
    const Workspace& workspace = session_.CurrentWorkspace();
    const QSignalBlocker blockChannel(channel_);
    const QSignalBlocker blockSegment(segment_);
    const int channel = workspace.ActiveChannel();
    channel_->setCurrentIndex(channel);
    segment_->setValue(workspace.ActiveSegment(channel));
}

void ControlPanel::SelectMemoryRow(int channel, int segment) {
    for (int row = 0; row < memory_->topLevelItemCount(); ++row) {
        QTreeWidgetItem* item = memory_->topLevelItem(row);
        if (item->text(0).toInt() == channel && item->text(1).toInt() == segment) {
            memory_->setCurrentItem(item);
            return;
        }
    }
}

int ControlPanel::ActiveInstrumentChannel() const {
    return session_.CurrentWorkspace().ActiveChannel() + 1;
}

void ControlPanel::OnFmMarkersRead(const QString& markers) {
    fmMarkers_->setText(markers);
}

void ControlPanel::OnConnectionEntered() {
    const std::string text = connection_->text().trimmed().toStdString();
    const auto address = InstrumentAddress::Parse(text);
    if (!address) {
        const QString error = QString::fromStdString(InstrumentAddress::ParseError(text));
        identity_->setText(error);
        AppendLog(error);
        return;
    }
    AppendLog(tr("instrument: %1 over %2")
                  .arg(QString::fromStdString(address->ToString()),
                       QString::fromStdString(address->TransportName())));
    InstrumentWorker& instrument = session_.Service().Instrument();
    instrument.Reconnect(*address);
    instrument.ReadIdentity();
    RefreshMemory();
}

void ControlPanel::OnIdentityRead(const QString& identity, bool known) {
    identity_->setText(known ? identity : tr("instrument: %1").arg(identity));
}

void ControlPanel::RefreshMemory() {
    session_.Service().Instrument().ReadMemory(kChannels, ActiveInstrumentChannel());
}

void ControlPanel::OnMemoryRead(const QStringList& catalogues, const QString& error) {
    memory_->clear();
    for (int index = 0; index < catalogues.size(); ++index) {
        const auto catalog = SegmentCatalog::Parse(catalogues[index].toStdString());
        if (!catalog) {
            statusBar()->showMessage(tr("unreadable catalogue of channel %1").arg(index + 1));
            continue;
        }
        for (const auto& entry : catalog->entries) {
            auto* item = new QTreeWidgetItem(memory_, {QString::number(index + 1),
                                                       QString::number(entry.segment),
                                                       QString::number(entry.points)});
            item->setTextAlignment(2, Qt::AlignRight | Qt::AlignVCenter);
        }
    }
    if (!error.isEmpty()) {
        statusBar()->showMessage(tr("instrument memory: %1").arg(error));
        plot_->Clear(tr("instrument memory unreadable"));
    }
    if (rowToSelect_) {
        SelectMemoryRow(rowToSelect_->first, rowToSelect_->second);
        rowToSelect_.reset();
    }
}

void ControlPanel::ShowSelectedSegment() {
    const auto selected = memory_->selectedItems();
    if (selected.isEmpty()) {
        return;
    }
    const int channel = selected.front()->text(0).toInt();
    const int segment = selected.front()->text(1).toInt();
    plot_->Clear(tr("reading channel %1 segment %2...").arg(channel).arg(segment));
    session_.Service().Instrument().ReadSegment(channel, segment, ActiveInstrumentChannel());
}

void ControlPanel::OnSegmentRead(int channel, int segment, const QByteArray& data,
                                 const QString& error) {
    if (!error.isEmpty()) {
        plot_->Clear(tr("channel %1 segment %2: %3").arg(channel).arg(segment).arg(error));
        return;
    }
    auto samples = SampleEnvelope::DecodeSamples(data.toStdString());
    const QString caption =
        tr("channel %1, segment %2, %3 points").arg(channel).arg(segment).arg(samples.size());
    plot_->ShowSamples(std::move(samples), caption);
}
