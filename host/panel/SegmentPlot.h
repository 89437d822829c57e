#pragma once

#include "panel/SampleEnvelope.h"

#include <QString>
#include <QWidget>

#include <cstdint>
#include <vector>

// A small oscilloscope-like picture of one segment of the instrument's memory, drawn
// against the family's full code range so that amplitudes compare between segments.
class SegmentPlot : public QWidget {
    Q_OBJECT
public:
    explicit SegmentPlot(QWidget* parent = nullptr);

    void SetCodeRange(int lowest, int highest);
    void ShowSamples(std::vector<std::int16_t> samples, const QString& caption);
    void Clear(const QString& caption);

    QSize sizeHint() const override { return {420, 180}; }

protected:
    void paintEvent(QPaintEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;

private:
    QRect PlotArea() const;
    int CodeToY(int code, const QRect& area) const;

    std::vector<std::int16_t> samples_;
    SampleEnvelope envelope_;
    QString caption_;
    int lowest_ = -32768;
    int highest_ = 32767;
};
