#pragma once

#include "document/DocumentView.h"
#include "pulse/PulseDesign.h"
#include "ui/FrameView.h"
#include "ui/PulseDesignPicture.h"
#include "ui/PulseSectionPicker.h"
#include "view/ViewGeometry.h"

#include <QFont>
#include <QPointer>
#include <QSizeF>
#include <QString>
#include <QWidget>

#include <memory>
#include <string>
#include <vector>

class PulseEditor;
class PulseEditorWidget;
class QPainter;
class ToolSession;
class WaveDoc;

// The view of the pulse designer: the design of the active channel drawn over a time axis
// in the shown section's unit and a level axis of -Vpp/2 .. +Vpp/2, the section labels that
// pick a section by a click, and the parameter bar's duration and amplitude. It owns the
// pulse editor (the core form and its window).
//
// The design is read when it is said to have changed (the editor's change signal, another
// active channel, the amplitude field); what is drawn is kept from then on, so that a
// paint never touches the context file. As the document's view it takes the title and
// the channel switches; it has no samples, anchors or map.
class PulseDesignView : public QWidget, public DocumentView, public FrameView {
    Q_OBJECT
public:
    // The GUI's view: the session's document, and the host link that hears when the
    // application goes to the background.
    PulseDesignView(ToolSession& session, QWidget* parent = nullptr);
    // A view of a document without a host link (tests).
    PulseDesignView(WaveDoc& document, AppServices& services, QWidget* parent = nullptr);
    ~PulseDesignView() override;

    // The first update: applies the title, opens the design of the active channel, shows
    // its values and creates the editor window once the event loop runs again.
    void InitialUpdate() override;
    // Opens the design of the channel that is active now (after a channel command).
    void Reopen();
    // Reopens when the active channel is no longer the one shown.
    void FollowActiveChannel();
    void FollowHostReload() override { FollowActiveChannel(); }

    // The Edit and View menu commands: only Print applies to a design.
    bool IsCommandEnabled(int id) const override;
    bool IsCommandChecked(int) const override { return false; }
    bool OnCommand(int id) override;
    // One printed page: the design laid out on a page of the given size (in the painter's
    // units) at the given resolution in dots per inch, as the waveform view prints.
    void PaintPage(QPainter& painter, const QSizeF& page, qreal resolution);
    // A left click: a section label picks its section. True when the click picked one.
    bool Click(const QPoint& point);
    // Shows `factor` times the visible time around a pixel column (the mouse wheel).
    void Zoom(double factor, double pixelX);
    // The status bar's readout at a point of the view: the time in the shown section's
    // unit and the level in volts, to the precision a pixel resolves; empty off the plot.
    QString PositionText(const QPoint& point) const;
    // The parameter bar's amplitude field was confirmed with this text.
    void ConfirmAmplitude(const QString& text);

    // The editor window exists and is visible (View "Pulse Editor..." is then disabled).
    bool EditorVisible() const;
    void ShowEditor();
    PulseEditorWidget* EditorWindow() const;
    PulseEditor* Editor() const { return editor_.get(); }
    PulseDesign& Design() { return design_; }

    const PulseDesignPicture& Picture() const { return picture_; }
    const PulseSectionPicker& Labels() const { return labels_; }
    const ViewGeometry& Geometry() const { return geometry_; }

    // --- DocumentView: the design has no samples, so no anchors, map or length --------
    void SetAnchors(double, double) override {}
    double LeftAnchor() const override { return 0.0; }
    double RightAnchor() const override { return 0.0; }
    void HideWaveformMap() override {}
    // The bar shows the design's duration and amplitude, not the document's texts.
    void ShowLengthText(const std::string&) override {}
    void ShowSegmentText(const std::string&) override {}
    void SetMainTitle(const std::string& title) override {
        emit MainTitleRequested(QString::fromStdString(title));
    }
    // A channel command or the host may have switched the channel.
    void UpdateAllViews() override;
    void RequestClose() override { emit CloseRequested(); }

public slots:
    // The design changed: read it again, fit the ranges and show the bar's values.
    void Refresh();
    // The editor's selected table line changed (-1 none).
    void MarkLine(int line);

signals:
    void DurationTextChanged(const QString& text);
    void AmplitudeTextChanged(const QString& text);
    // The amplitude field is usable unless the shown section is a Pulse Sequence.
    void AmplitudeEnabledChanged(bool enabled);
    void EditorVisibilityChanged();
    // What a render would make of the design changed (an edit, another channel): whatever
    // was said about the last render no longer describes it.
    void DesignContentChanged();
    // The time and level under the cursor; empty when the cursor is off the plot.
    void PositionChanged(const QString& text);
    void MainTitleRequested(const QString& title);
    void CloseRequested();

protected:
    void paintEvent(QPaintEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;
    void wheelEvent(QWheelEvent* event) override;
    void leaveEvent(QEvent* event) override;

private:
    static PixelRect PlotFor(int width, int height);
    void OnApplicationStateChanged(Qt::ApplicationState state);
    void CreateEditorWindow();
    void Relayout();
    void FitRanges();
    void ShowBarTexts();
    void NoteContent(const std::vector<PulseSection>& sections);

    WaveDoc& document_;
    ToolSession* session_ = nullptr;
    Qt::ApplicationState applicationState_ = Qt::ApplicationInactive;
    PulseDesign design_;
    std::unique_ptr<PulseEditor> editor_;
    QPointer<PulseEditorWidget> window_;
    PulseDesignPicture picture_;
    PulseSection activeSection_;
    std::string content_;
    PulseSectionPicker labels_;
    PixelRect plot_;
    ViewGeometry geometry_;
    QFont labelFont_;
};
