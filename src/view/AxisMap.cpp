#include "view/AxisMap.h"

#include <climits>
#include <cmath>

AxisMap AxisMap::FromPoints(double x0, double x1, double y0, double y1) {
    AxisMap map;
    map.slope = x0 == x1 ? 1e20 : (y1 - y0) / (x1 - x0);
    map.intercept = y0 - map.slope * x0;
    return map;
}

int AxisMap::Apply(double x) const {
    const double image = ApplyExact(x);
    // Far-off points (the 1e20 slope of a degenerate axis) land on the edge of the int
    // range instead of being undefined.
    if (std::isnan(image)) {
        return 0;
    }
    if (image >= static_cast<double>(INT_MAX)) {
        return INT_MAX;
    }
    if (image <= static_cast<double>(INT_MIN)) {
        return INT_MIN;
    }
    return static_cast<int>(image);
}
