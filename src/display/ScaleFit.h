#pragma once

// Scale fitting of the chart: a pair of axis limits is widened to a window of round width
// (1, 2 or 5 times a power of ten, at least 0.01) around a round centre.

namespace kv {

// Extents of the values an autoscale looks at. Values that are not finite (a trace-math quotient
// with a zero reference) are left out.
struct AxisExtents {
    double min = 1e99;
    double max = -1e99;
    bool any = false;

    void Add(double value);
};

// The first window width of 0.01, 0.02, 0.05, 0.1, 0.2, 0.5, 1, 2, 5, 10, ... not smaller than
// `span`; the widths are the nearest doubles to those decimals.
double FitStep(double span);

// The multiple of 10^p nearest to c; halves go away from zero.
double NearestMultiple(double c, int p);

// Fits max and min in place:
// 1. equal limits: 9999 (the tangent of a zero real part) gives 9998 to 9999 and ends; else the
//    minimum goes down by 0.05;
// 2. a minimum of exactly 0 becomes 1e-10, a maximum of exactly 0 becomes 1;
// 3. lo, hi = the limits now; the window width is FitStep(hi - lo);
// 4. the window is centred on the multiple of 10^p nearest to the centre c = (max + min) / 2,
//    p starting at the order of c and going down by one until the window covers lo to hi;
// 5. a window reaching below 0 for data above 0 is shifted to start at 0.
// When the width equals the span, the rounded centre may never give a covering window; the
// refinement then ends once 10^p no longer gives a usable centre, and the window of the same
// width is moved to cover lo to hi (its top at hi when it ended below hi, its bottom at lo when
// it started above lo). Limits that are not finite are left as they are.
void FitScale(double& max, double& min);

}  // namespace kv
