#pragma once

#include "view/ViewGeometry.h"

// A geometry that maps the positions xmin..xmax and the values vmin..vmax onto `plot`, as
// the views compute theirs; standard codes span 16384 (the QW2182 family).
inline ViewGeometry MappedGeometry(const PixelRect& plot, double xmin, double xmax, double vmin,
                                   double vmax, CodeEncoding encoding = CodeEncoding::Standard) {
    ViewGeometry geometry;
    geometry.SetEncoding(encoding, 16384);
    geometry.SetRanges(xmin, xmax, vmin, vmax);
    geometry.ComputeMappings(plot);
    return geometry;
}
