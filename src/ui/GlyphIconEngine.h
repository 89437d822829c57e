#pragma once

#include <QColor>
#include <QIcon>
#include <QIconEngine>
#include <QPainterPath>
#include <QPen>

#include <functional>

// Colours of one painting, taken from the palette at paint time.
struct GlyphInk {
    QColor line;   // outlines and text
    QColor signal; // the waveform and other accents
    QColor paper;  // fills of pages and labels
    QColor body;   // fills of solid parts
    QColor soft;   // secondary fills
};

// An icon drawn as vector art each time it is painted: the glyph draws on a 24 by 24
// grid that the engine scales to the requested size, in the inks of the current palette
// (a disabled icon is drawn faded, a selected one in the highlighted text colour).
class GlyphIconEngine : public QIconEngine {
public:
    using Glyph = std::function<void(QPainter&, const GlyphInk&)>;

    static QIcon IconOf(Glyph glyph);
    // The round-capped pen every glyph draws with.
    static QPen Stroke(const QColor& color, double width = 1.6);
    // `periods` periods of a sine from x0 to x1 around y with amplitude a.
    static QPainterPath SinePath(double x0, double x1, double y, double a, double periods = 1.0);

    explicit GlyphIconEngine(Glyph glyph) : glyph_(std::move(glyph)) {}

    void paint(QPainter* painter, const QRect& rect, QIcon::Mode mode, QIcon::State) override;
    QPixmap pixmap(const QSize& size, QIcon::Mode mode, QIcon::State state) override;
    QIconEngine* clone() const override { return new GlyphIconEngine(glyph_); }

private:
    static GlyphInk InkOf(QIcon::Mode mode);

    Glyph glyph_;
};
