#pragma once

#include <QColor>

// The colours of the waveform view and its controls, as the product has always shown
// them.
struct ViewPalette {
    static constexpr QRgb kBackground = 0xFFE7F7FF;   // window and text background
    static constexpr QRgb kAxis = 0xFF000081;         // frame, ticks, labels, waveform
    static constexpr QRgb kGrid = 0xFFC0C0C0;         // division lines
    static constexpr QRgb kBrushLight = 0xFFB5D7DE;   // unit tags, handle triangles
    static constexpr QRgb kBrushDark = 0xFFA8CAD7;    // tag borders
    static constexpr QRgb kShadeXor = 0xFF1D1D09;     // XORed over the range outside the anchors
    static constexpr QRgb kMapMarkXor = 0xFF484800;   // XORed over the map's visible part
    static constexpr QRgb kRubberBand = 0xFF80DC00;   // Autoline rubber band (XOR)
    static constexpr QRgb kMarker = 0xFF808080;       // Autoline point marker (XOR)
    static constexpr QRgb kGuide = 0xFF00C0C0;        // anchor drag guide line (XOR)
    static constexpr QRgb kMarkerDot = 0xFF0000FF;    // FM marker crossings
    static constexpr QRgb kHandleLine = 0xFF00009F;   // the anchor line of a handle
    static constexpr QRgb kHandleHot = 0xFF00D7DE;    // a highlighted handle's triangle
    static constexpr QRgb kModifiedText = 0xFFE40000; // a numeric field not yet confirmed
};
