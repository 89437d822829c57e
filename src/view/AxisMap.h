#pragma once

// A linear map between two axes: y = slope * x + intercept, built from two points.
struct AxisMap {
    double slope = 1.0;
    double intercept = 0.0;

    // Slope 1e20 when x0 equals x1.
    static AxisMap FromPoints(double x0, double x1, double y0, double y1);
    // The image of x, truncated toward zero.
    int Apply(double x) const;
    double ApplyExact(double x) const { return slope * x + intercept; }
};
