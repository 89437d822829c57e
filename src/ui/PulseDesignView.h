#pragma once

#include "pulse/PulseDesign.h"
#include "ui/PulseDesignPicture.h"
#include "ui/PulseSectionPicker.h"
#include "view/ViewGeometry.h"

#include <QFont>
#include <QObject>
#include <QPointer>
#include <QRect>
#include <QSizeF>
#include <QString>

#include <memory>
#include <string>
#include <vector>

class PulseEditor;
class PulseEditorWidget;
class QPainter;
class QWidget;
class WaveViewState;

// The waveform view in the pulse designer: the design of the active channel drawn over a
// time axis in the shown section's unit and a level axis of -Vpp/2 .. +Vpp/2, the section
// labels that pick a section by a click, and the parameter bar's duration and amplitude.
// It opens the design, owns the pulse editor (the core form and its window) and redraws
// whenever the editor reports a change. It takes the view's paint and mouse presses (an
// event filter on the view), so the view itself only creates it; the labels are placed
// at every paint, as the clicks find them.
class PulseDesignView : public QObject {
    Q_OBJECT
public:
    PulseDesignView(QWidget& widget, const WaveViewState& state, AppServices& services);
    ~PulseDesignView() override;

    // The view's first update: opens the design of the active channel, shows its values
    // and creates the editor window once the event loop runs again.
    void Open();
    // Opens the design of the channel that is active now (after a channel command).
    void Reopen();

    // One printed page: the design laid out on a page of the given size (in the painter's
    // units) at the given resolution in dots per inch, as the standard view prints.
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

public slots:
    // The design changed: read it again, fit the ranges and show the bar's values.
    void Refresh();
    // The editor's selected table line changed (-1 none).
    void MarkLine(int line);

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

signals:
    void DurationTextChanged(const QString& text);
    void AmplitudeTextChanged(const QString& text);
    // The amplitude field is usable unless the shown section is a Pulse Sequence.
    void AmplitudeEnabledChanged(bool enabled);
    void EditorVisibilityChanged();
    // What a render would make of the design changed (an edit, another channel): whatever
    // was said about the last render no longer describes it.
    void DesignContentChanged();

private:
    void CreateEditorWindow();
    void Paint(const QRect& dirty);
    void Relayout();
    void FitRanges();
    void ShowBarTexts();
    void NoteContent(const std::vector<PulseSection>& sections);

    QWidget& widget_;
    const WaveViewState& state_;
    PulseDesign design_;
    std::unique_ptr<PulseEditor> editor_;
    QPointer<PulseEditorWidget> window_;
    PulseDesignPicture picture_;
    PulseSection activeSection_;
    std::string content_;
    PulseSectionPicker labels_;
    ViewGeometry geometry_;
    QFont labelFont_;
};
