#include "display/ScaleFit.h"

#include <cmath>

namespace kv {

void AxisExtents::Add(double value) {
    if (!std::isfinite(value)) {
        return;
    }
    any = true;
    if (value < min) {
        min = value;
    }
    if (value > max) {
        max = value;
    }
}

namespace {

// 10^p with p >= 0 multiplied in, p < 0 divided out: exact powers for |p| <= 22, so that a
// decimal such as 0.05 or 4.975 is the nearest double to it.
double ScaleUp(double value, int p) {
    return p >= 0 ? value * std::pow(10.0, p) : value / std::pow(10.0, -p);
}

double ScaleDown(double value, int p) {
    return p >= 0 ? value / std::pow(10.0, p) : value * std::pow(10.0, -p);
}

}  // namespace

double FitStep(double span) {
    static constexpr double kMantissas[] = {1.0, 2.0, 5.0};
    // Beyond the largest double there is no step: the span itself is returned.
    for (int exponent = -2; exponent <= 308; ++exponent) {
        for (double m : kMantissas) {
            const double step = ScaleUp(m, exponent);
            if (!(step < span)) {
                return step;
            }
        }
    }
    return span;
}

double NearestMultiple(double c, int p) {
    const double q = ScaleDown(c, p);
    double whole = 0.0;
    const double fraction = std::modf(q, &whole);
    return ScaleUp(whole + std::trunc(2.0 * fraction), p);
}

void FitScale(double& max, double& min) {
    if (!std::isfinite(max) || !std::isfinite(min)) {
        return;
    }
    if (max == min) {
        if (max == 9999.0) {
            min = 9998.0;
            return;
        }
        min -= 0.05;
    }
    if (min == 0.0) {
        min = 1e-10;
    }
    if (max == 0.0) {
        max = 1.0;
    }

    const double lo = min;
    const double hi = max;
    const double span = hi - lo;
    const double c = (max + min) / 2.0;
    if (!std::isfinite(span) || !std::isfinite(c)) {
        return;
    }
    const double step = FitStep(span);

    int p = 0;
    double g = 0.0;
    if (c > 0.0) {
        p = static_cast<int>(std::trunc(std::log10(c)));
        g = NearestMultiple(c, p);
    } else if (c < 0.0) {
        p = static_cast<int>(std::trunc(std::log10(-c))) + 1;
        g = NearestMultiple(c, p);
    }

    for (;;) {
        min = g - step / 2.0;
        max = g + step / 2.0;
        if (min <= lo && max >= hi) {
            break;
        }
        // The refinement has reached the end of what 10^p can express (it underflows near
        // 10^-323): place the window over the data instead.
        --p;
        const double next = c == 0.0 ? 0.0 : NearestMultiple(c, p);
        if (p < -330 || !std::isfinite(next)) {
            if (max < hi) {
                max = hi;
                min = hi - step;
            }
            if (min > lo) {
                min = lo;
                max = lo + step;
            }
            if (min > lo) {
                min = lo;
            }
            if (max < hi) {
                max = hi;
            }
            break;
        }
        g = next;
    }

    if (min < 0.0 && lo > 0.0) {
        max = max - min;
        min = 0.0;
    }
}

}  // namespace kv
