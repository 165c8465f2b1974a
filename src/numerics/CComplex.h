#pragma once

// Double-precision complex value of the probe engine, with the arithmetic, the elementary functions
// and the small dense-matrix routines that the calibration and the probe model are built on.
//
// Every comparison against zero is exact; division by an exact zero returns the dividend; no
// operation reports an error, allocates memory or throws.

namespace kv {

// Constants with the digits the program has always used (not the nearest doubles to the true
// values): results must agree bit for bit with files and references computed with them.
inline constexpr double kHalfPi = 1.570796326794895;
inline constexpr double kPi = 3.14159265358979;
inline constexpr double kTwoPi = 6.28318530717958;

// sin and cos of x reduced by fmod(x, two pi); every sine and cosine of the complex functions
// goes through these.
double SinReduced(double x);
double CosReduced(double x);

class CComplex {
public:
    double re = 0.0;
    double im = 0.0;

    constexpr CComplex() = default;
    constexpr CComplex(double real, double imag) : re(real), im(imag) {}

    // Member operators: the object is the left operand.
    CComplex operator-(CComplex a) const { return Subtract(*this, a); }
    CComplex operator/(CComplex a) const { return Divide(*this, a); }
    double Magnitude() const { return Abs(*this); }

    static CComplex Add(CComplex a, CComplex b) { return {a.re + b.re, a.im + b.im}; }
    static CComplex Subtract(CComplex a, CComplex b) { return {a.re - b.re, a.im - b.im}; }
    static CComplex Multiply(CComplex a, CComplex b) {
        return {a.re * b.re - a.im * b.im, a.im * b.re + a.re * b.im};
    }
    static CComplex Divide(CComplex a, CComplex b);
    static double Abs(CComplex a);
    static double Arg(CComplex a);
    static CComplex Sqrt(CComplex a);
    static CComplex Pow(CComplex a, double x);

    // Inverse of an n x n matrix (n in 1..4, row-major) by Gauss-Jordan elimination with partial
    // pivoting in a fixed 4 x 8 workspace. Returns 0, or -1 for a bad order or an exact zero pivot
    // (target is then left untouched).
    static int Invert(const CComplex* source, CComplex* target, int n);

    // P = A * B for a square A (rowsA x colsA) and B (at least colsA rows x colsB). Returns 0, or
    // -1 when A is not square (P is then left untouched).
    static int MatrixProduct(const CComplex* a, int rowsA, int colsA, const CComplex* b, int rowsB,
                             int colsB, CComplex* p);
};

static_assert(sizeof(CComplex) == 16, "arrays of CComplex are stored as raw 16-byte values");

}  // namespace kv
