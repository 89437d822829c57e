#include "ui/PulseDesignView.h"

#include "app/ToolSession.h"
#include "core/AppServices.h"
#include "core/AppState.h"
#include "document/WaveDoc.h"
#include "link/HostLink.h"
#include "pulse/PulseEditor.h"
#include "pulse/PulseTimeUnits.h"
#include "settings/NumberFormat.h"
#include "settings/TextFormat.h"
#include "synthesis/EditCommands.h"
#include "ui/PlotPainter.h"
#include "ui/PulseDesignRenderer.h"
#include "ui/PulseEditorWidget.h"
#include "ui/PulseItemTable.h"
#include "ui/ViewPrinter.h"
#include "ui/WavePlotRenderer.h"
#include "view/AxisLabels.h"
#include "view/ViewMode.h"

#include <QFontMetrics>
#include <QGuiApplication>
#include <QMouseEvent>
#include <QPaintEvent>
#include <QPainter>
#include <QTimer>
#include <QWheelEvent>

#include <algorithm>
#include <cmath>

namespace {

QString Trimmed(const char* format, double value) {
    std::string text = CrtFormat(format, value);
    TrimZeros(text);
    return QString::fromStdString(text);
}

// A value to the decimals that tell apart values one pixel apart (at most nine, the
// precision of the stored times), trailing zeros removed.
QString ToPixelPrecision(double value, double perPixel) {
    const double decimals = perPixel > 0.0 ? std::ceil(-std::log10(perPixel)) : 9.0;
    const int digits = static_cast<int>(std::clamp(decimals, 0.0, 9.0));
    std::string text = QString::number(value, 'f', digits).toStdString();
    TrimZeros(text);
    return QString::fromStdString(text == "-0" ? "0" : text);
}

} // namespace

PulseDesignView::PulseDesignView(ToolSession& session, QWidget* parent)
    : PulseDesignView(session.Document(), session.Services(), parent) {
    session_ = &session;
    applicationState_ = QGuiApplication::applicationState();
    connect(qApp, &QGuiApplication::applicationStateChanged, this,
            &PulseDesignView::OnApplicationStateChanged);
}

PulseDesignView::PulseDesignView(WaveDoc& document, AppServices& services, QWidget* parent)
    : QWidget(parent), document_(document), design_(services) {
    setMouseTracking(true);
    setAttribute(Qt::WA_OpaquePaintEvent);
    // A click on the plot takes the focus from the parameter bar's fields, which confirms
    // what was typed there and lets the window's shortcuts reach their commands.
    setFocusPolicy(Qt::ClickFocus);
    setMinimumSize(200, 120);
    document_.SetView(this);
}

PulseDesignView::~PulseDesignView() {
    if (document_.View() == this) {
        document_.SetView(nullptr);
    }
    delete window_.data();
}

void PulseDesignView::InitialUpdate() {
    document_.ApplyTitle();
    design_.Open(design_.Services().state.activeChannel);
    Refresh();
    // The editor's window comes up once the frame is on the screen, as it always has.
    QTimer::singleShot(0, this, &PulseDesignView::CreateEditorWindow);
}

void PulseDesignView::Refresh() {
    const int selected = editor_ != nullptr ? editor_->SelectedLine().value_or(-1) : -1;
    design_.Reload();
    std::vector<PulseSection> sections = design_.Sections();
    NoteContent(sections);
    picture_ = PulseDesignPicture::From(sections, design_.ActiveSection(), design_.TimeUnit(),
                                        design_.Duration(), design_.Vpp(), selected);
    const auto active = static_cast<std::size_t>(design_.ActiveSection());
    activeSection_ = active < sections.size() ? std::move(sections[active]) : PulseSection{};
    FitRanges();
    ShowBarTexts();
    update();
}

// The channel, the amplitude and every value a render reads; the shown section and the
// time units only change how the design is shown.
void PulseDesignView::NoteContent(const std::vector<PulseSection>& sections) {
    std::string content =
        std::to_string(design_.Channel()) + ' ' + CrtFormat("%.17g", design_.Vpp());
    for (const PulseSection& section : sections) {
        content += '\n' + std::to_string(static_cast<int>(section.train)) + ' ' +
                   CrtFormat("%.17g", section.start) + ' ' + CrtFormat("%.17g", section.locDur) +
                   ' ' + std::to_string(section.repeat);
        for (const PulseItem& item : section.items) {
            content += ' ' + item.time + '/' + item.level;
        }
    }
    if (content != content_) {
        content_ = std::move(content);
        emit DesignContentChanged();
    }
}

// An empty design has no duration and a level range that may be empty: the axes then
// show 0 .. 1 rather than keep mappings of nothing.
void PulseDesignView::FitRanges() {
    const double duration = picture_.duration > 0.0 ? picture_.duration : 1.0;
    const double half = picture_.vpp > 0.0 ? 0.5 * picture_.vpp : 1.0;
    geometry_.SetRanges(0.0, duration, -half, half);
    Relayout();
}

// The wheel shows half or twice the time around the cursor, never more than the whole
// design; the next change of the design shows the whole of it again.
void PulseDesignView::Zoom(double factor, double pixelX) {
    const double whole = picture_.duration > 0.0 ? picture_.duration : 1.0;
    const double left = geometry_.Xmin();
    const double width = geometry_.Xmax() - left;
    const double at = std::clamp(geometry_.PixelToX(pixelX), left, left + width);
    const double shown = std::clamp(width * factor, whole * 1e-6, whole);
    const double start = std::clamp(at - (at - left) * (shown / width), 0.0, whole - shown);
    geometry_.SetRanges(start, start + shown, geometry_.Vmin(), geometry_.Vmax());
    Relayout();
    update();
}

// The plot stands where the waveform view puts its own: room on the left for the wider of
// a five-digit sample label and the level labels of a 0 .. 1 range, and raised a little.
PixelRect PulseDesignView::PlotFor(int width, int height) {
    const int m = height / 20;
    const int plotHeight = (height - m) - (m + m / 2);
    const QFontMetrics metrics(
        PlotPainter::LabelFont(ViewGeometry::LabelFontHeight(plotHeight, false)));
    ViewGeometry unit;
    unit.SetRanges(0.0, 1.0, 0.0, 1.0);
    const int labelRoom = std::max(
        WavePlotRenderer::SampleLabelWidth(metrics, ViewMode::Standard()),
        PlotPainter::VerticalLabelRoom(AxisLabels::Compute(unit, AxisStyle::Pulse), metrics));
    const int unitWidth = metrics.horizontalAdvance(QStringLiteral("Points"));
    return ViewGeometry::LayoutPlot(width, height, labelRoom, unitWidth, true);
}

void PulseDesignView::Relayout() {
    geometry_.ComputeMappings(plot_);
    labelFont_ = PlotPainter::LabelFont(ViewGeometry::LabelFontHeight(plot_.Height(), false));
    labels_.Place(picture_, geometry_, QFontMetrics(labelFont_));
}

void PulseDesignView::ShowBarTexts() {
    emit DurationTextChanged(Trimmed("%.9f", design_.Duration()));
    emit AmplitudeTextChanged(Trimmed("%.3f", design_.Vpp()));
    emit AmplitudeEnabledChanged(design_.Train() != TrainStyle::PulseSequence);
}

void PulseDesignView::resizeEvent(QResizeEvent* event) {
    QWidget::resizeEvent(event);
    plot_ = PlotFor(width(), height());
    Relayout();
}

void PulseDesignView::paintEvent(QPaintEvent* event) {
    QPainter painter(this);
    painter.setClipRect(event->rect());
    painter.setRenderHint(QPainter::TextAntialiasing, true);
    // The design is drawn only while the editor exists, as its marks come from it.
    static const PulseDesignPicture kNoDesign;
    static const PulseSectionPicker kNoLabels;
    const bool drawn = window_ != nullptr;
    PulseDesignRenderer::Paint(painter, {rect(), labelFont_, EditorVisible()}, geometry_,
                               drawn ? picture_ : kNoDesign, drawn ? labels_ : kNoLabels);
}

void PulseDesignView::wheelEvent(QWheelEvent* event) {
    if (event->angleDelta().y() != 0) {
        Zoom(event->angleDelta().y() > 0 ? 0.5 : 2.0, event->position().x());
    }
}

void PulseDesignView::mousePressEvent(QMouseEvent* event) {
    if (event->button() == Qt::LeftButton) {
        Click(event->position().toPoint());
    }
}

void PulseDesignView::mouseMoveEvent(QMouseEvent* event) {
    emit PositionChanged(PositionText(event->position().toPoint()));
}

void PulseDesignView::leaveEvent(QEvent* event) {
    emit PositionChanged(QString());
    QWidget::leaveEvent(event);
}

// A selection reads nothing: the active section as the last change left it is enough.
void PulseDesignView::MarkLine(int line) {
    picture_.MarkLine(activeSection_, line);
    update();
}

void PulseDesignView::PaintPage(QPainter& painter, const QSizeF& page, qreal resolution) {
    // Laid out in 1/96 inch so that the page reads like the screen at any resolution.
    const qreal scale = resolution / 96.0;
    painter.save();
    painter.scale(scale, scale);
    const int width = static_cast<int>(page.width() / scale);
    const int height = static_cast<int>(page.height() / scale);
    const PixelRect background = ViewGeometry::PrintBackground({0, 0, width, height}, width);
    const QFontMetrics pageMetrics(PlotPainter::LabelFont(13));
    const PixelRect plot = ViewGeometry::PrintPlot(
        background, WavePlotRenderer::SampleLabelWidth(pageMetrics, ViewMode::Standard()),
        pageMetrics.height());
    ViewGeometry geometry = geometry_;
    geometry.ComputeMappings(plot);
    const QFont font = PlotPainter::LabelFont(ViewGeometry::LabelFontHeight(plot.Height(), true));
    PulseSectionPicker labels;
    labels.Place(picture_, geometry, QFontMetrics(font));
    const QRect area(background.left, background.top, background.Width(), background.Height());
    painter.setRenderHint(QPainter::TextAntialiasing, true);
    PulseDesignRenderer::Paint(painter, {area, font, EditorVisible()}, geometry, picture_, labels);
    painter.restore();
}

bool PulseDesignView::Click(const QPoint& point) {
    const int section = labels_.SectionAt(point);
    if (section < 0 || section == design_.ActiveSection()) {
        return false;
    }
    if (editor_ != nullptr) {
        editor_->SelectSection(section);
        if (window_ != nullptr) {
            window_->Refresh();
            window_->Table()->setFocus(Qt::OtherFocusReason);
        }
    } else {
        design_.SetActiveSection(section);
    }
    Refresh();
    return true;
}

QString PulseDesignView::PositionText(const QPoint& point) const {
    const PixelRect& plot = geometry_.Plot();
    if (!plot.Contains(point.x(), point.y()) || plot.Width() <= 0 || plot.Height() <= 0) {
        return {};
    }
    const AxisMap& y = geometry_.YMap();
    const double time = geometry_.PixelToX(point.x());
    const double level = (point.y() - y.intercept) / y.slope;
    const double timePerPixel = (geometry_.Xmax() - geometry_.Xmin()) / plot.Width();
    const double voltsPerPixel = (geometry_.Vmax() - geometry_.Vmin()) / plot.Height();
    return QStringLiteral("Time %1 %2   Level %3 V")
        .arg(ToPixelPrecision(time, timePerPixel),
             QString::fromLatin1(PulseTimeUnits::Name(design_.TimeUnit())),
             ToPixelPrecision(level, voltsPerPixel));
}

void PulseDesignView::ConfirmAmplitude(const QString& text) {
    design_.ChangeAmplitude(text.toStdString());
    Refresh();
}

PulseEditorWidget* PulseDesignView::EditorWindow() const {
    return window_.data();
}

bool PulseDesignView::EditorVisible() const {
    return window_ != nullptr && window_->isVisible();
}

void PulseDesignView::ShowEditor() {
    if (window_ == nullptr) {
        CreateEditorWindow();
        return;
    }
    window_->show();
    window_->raise();
    window_->activateWindow();
}

// The form reads the instrument limits and the options and shows the active section;
// the window stays over the main window, which it belongs to.
void PulseDesignView::CreateEditorWindow() {
    if (window_ != nullptr) {
        return;
    }
    if (editor_ == nullptr) {
        editor_ = std::make_unique<PulseEditor>(design_);
    }
    window_ = new PulseEditorWidget(*editor_, window());
    connect(window_, &PulseEditorWidget::DesignChanged, this, &PulseDesignView::Refresh);
    connect(window_, &PulseEditorWidget::SelectedLineChanged, this, &PulseDesignView::MarkLine);
    connect(window_, &PulseEditorWidget::VisibilityChanged, this, [this] {
        update();
        emit EditorVisibilityChanged();
    });
    Refresh();
    ShowEditor();
}

void PulseDesignView::Reopen() {
    design_.Open(design_.Services().state.activeChannel);
    if (editor_ != nullptr) {
        editor_->SelectLine(std::nullopt);
        editor_->ShowSection();
    }
    if (window_ != nullptr) {
        window_->Refresh();
    }
    Refresh();
}

void PulseDesignView::FollowActiveChannel() {
    if (design_.IsOpen() && design_.Channel() != design_.Services().state.activeChannel) {
        Reopen();
    }
}

void PulseDesignView::UpdateAllViews() {
    FollowActiveChannel();
    update();
}

bool PulseDesignView::IsCommandEnabled(int id) const {
    return id == EditCommands::kPrint;
}

bool PulseDesignView::OnCommand(int id) {
    if (!IsCommandEnabled(id)) {
        return false;
    }
    ViewPrinter([this](QPainter& painter, const QSizeF& page, qreal resolution) {
        PaintPage(painter, page, resolution);
    }).PreviewAndPrint(this);
    return true;
}

// The host hears when the tool goes to the background, as from the waveform view.
void PulseDesignView::OnApplicationStateChanged(Qt::ApplicationState state) {
    if (state == applicationState_ || session_ == nullptr) {
        return;
    }
    const bool wasActive = applicationState_ == Qt::ApplicationActive;
    applicationState_ = state;
    if (state != Qt::ApplicationActive && wasActive) {
        session_->Link().NotifyDeactivated();
    }
}
