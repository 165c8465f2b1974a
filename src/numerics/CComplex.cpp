#include "numerics/CComplex.h"

#include <cmath>

namespace kv {

double SinReduced(double x) {
    return std::sin(std::fmod(x, kTwoPi));
}

double CosReduced(double x) {
    return std::cos(std::fmod(x, kTwoPi));
}

CComplex CComplex::Divide(CComplex a, CComplex b) {
    if (b.re == 0.0 && b.im == 0.0) {
        return a;
    }
    const double d = b.re * b.re + b.im * b.im;
    return {(a.re * b.re + a.im * b.im) / d, (a.im * b.re - a.re * b.im) / d};
}

double CComplex::Abs(CComplex a) {
    return std::sqrt(a.re * a.re + a.im * a.im);
}

double CComplex::Arg(CComplex a) {
    if (a.re == 0.0) {
        return a.im >= 0.0 ? kHalfPi : -kHalfPi;
    }
    double t = std::atan(a.im / a.re);
    if (a.re < 0.0) {
        // -0.0 is not below zero, so (-1, -0.0) lies at +pi like (-1, 0).
        t += a.im >= 0.0 ? kPi : -kPi;
    }
    return t;
}

CComplex CComplex::Sqrt(CComplex a) {
    const double m = std::sqrt(Abs(a));
    const double t = Arg(a) * 0.5;
    return {m * CosReduced(t), m * SinReduced(t)};
}

CComplex CComplex::Pow(CComplex a, double x) {
    const double m = std::pow(Abs(a), x);
    const double t = x * Arg(a);
    return {m * CosReduced(t), m * SinReduced(t)};
}

int CComplex::Invert(const CComplex* source, CComplex* target, int n) {
    if (n < 1 || n > 4) {
        return -1;
    }
    const int width = 2 * n;
    CComplex work[4][8];
    CComplex* row[4];
    for (int r = 0; r < n; ++r) {
        row[r] = work[r];
        for (int c = 0; c < n; ++c) {
            work[r][c] = source[r * n + c];
            work[r][n + c] = (r == c) ? CComplex(1.0, 0.0) : CComplex();
        }
    }

    for (int k = 0; k < n - 1; ++k) {
        // Pivot search from the bottom up; only a strictly larger magnitude replaces the best, so
        // row k wins ties and among equal lower rows the lowest one wins.
        int best = k;
        double bestMagnitude = Abs(row[k][k]);
        for (int r = n - 1; r > k; --r) {
            const double m = Abs(row[r][k]);
            if (m > bestMagnitude) {
                bestMagnitude = m;
                best = r;
            }
        }
        CComplex* swap = row[k];
        row[k] = row[best];
        row[best] = swap;

        if (Abs(row[k][k]) == 0.0) {
            return -1;
        }
        const CComplex pivot = row[k][k];
        for (int c = 0; c < width; ++c) {
            row[k][c] = Divide(row[k][c], pivot);
        }
        for (int r = n - 1; r > k; --r) {
            const CComplex f = row[r][k];
            for (int c = 0; c < width; ++c) {
                row[r][c] = Subtract(row[r][c], Multiply(f, row[k][c]));
            }
        }
    }

    const CComplex last = row[n - 1][n - 1];
    if (Abs(last) == 0.0) {
        return -1;
    }
    for (int c = 0; c < width; ++c) {
        row[n - 1][c] = Divide(row[n - 1][c], last);
    }

    for (int i = n - 1; i >= 1; --i) {
        for (int r = i - 1; r >= 0; --r) {
            const CComplex f = row[r][i];
            for (int c = 0; c < width; ++c) {
                row[r][c] = Subtract(row[r][c], Multiply(f, row[i][c]));
            }
        }
    }

    for (int r = 0; r < n; ++r) {
        for (int c = 0; c < n; ++c) {
            target[r * n + c] = row[r][n + c];
        }
    }
    return 0;
}

int CComplex::MatrixProduct(const CComplex* a, int rowsA, int colsA, const CComplex* b,
                            int /*rowsB*/, int colsB, CComplex* p) {
    if (rowsA != colsA) {
        return -1;
    }
    for (int r = 0; r < rowsA; ++r) {
        for (int c = 0; c < colsB; ++c) {
            CComplex sum;
            for (int k = 0; k < colsA; ++k) {
                sum = Add(sum, Multiply(a[r * colsA + k], b[k * colsB + c]));
            }
            p[r * colsB + c] = sum;
        }
    }
    return 0;
}

}  // namespace kv
