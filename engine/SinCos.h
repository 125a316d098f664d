#pragma once

#include <bit>
#include <cmath>
#include <cstdint>

// Sine and cosine of one angle in 0..pi, the range of the envelope design
// (w = 2 pi f / rate with f at most half the rate), within 1 ulp. For the
// Windows build, whose C runtime's pair costs eight times glibc's per frame.
//
// The method and constants are those of fdlibm (Sun Microsystems, 1993,
// freely redistributable): a three-part Cody-Waite reduction by pi/2, exact
// for these quadrants, and its minimax kernels on [-pi/4, pi/4].
namespace sincos_detail
{

inline constexpr double kInvPio2 = 6.36619772367581382433e-01;
inline constexpr double kPio2_1 = 1.57079632673412561417e+00; // first 33 bits of pi/2
inline constexpr double kPio2_1t = 6.07710050650619224932e-11;
inline constexpr double kPio2_2 = 6.07710050630396597660e-11; // next 33 bits
inline constexpr double kPio2_2t = 2.02226624879595063154e-21;
inline constexpr double kPio2_3 = 2.02226624871116645580e-21; // next 33 bits
inline constexpr double kPio2_3t = 8.47842766036889956997e-32;

// sin(x + y) for |x| <= pi/4, y the tail of x.
inline double kernelSin(double x, double y)
{
    constexpr double s1 = -1.66666666666666324348e-01, s2 = 8.33333333332248946124e-03,
                     s3 = -1.98412698298579493134e-04, s4 = 2.75573137070700676789e-06,
                     s5 = -2.50507602534068634195e-08, s6 = 1.58969099521155010221e-10;
    const double z = x * x;
    const double v = z * x;
    const double r = s2 + z * (s3 + z * (s4 + z * (s5 + z * s6)));
    return x - ((z * (0.5 * y - v * r) - y) - v * s1);
}

// cos(x + y) for |x| <= pi/4, y the tail of x.
inline double kernelCos(double x, double y)
{
    constexpr double c1 = 4.16666666666666019037e-02, c2 = -1.38888888888741095749e-03,
                     c3 = 2.48015872894767294178e-05, c4 = -2.75573143513906633035e-07,
                     c5 = 2.08757232129817482790e-09, c6 = -1.13596475577881948265e-11;
    const double z = x * x;
    const double r = z * (c1 + z * (c2 + z * (c3 + z * (c4 + z * (c5 + z * c6)))));
    const double ax = std::fabs(x);
    if (ax < 0.3)
    {
        return 1.0 - (0.5 * z - (z * r - x * y));
    }
    // 1 - x^2/2 split so that its large part is exact: qx is x/4 cut to its
    // upper 21 bits of mantissa (0.28125 above 0.78125).
    const double qx =
        ax > 0.78125 ? 0.28125
                     : std::bit_cast<double>((std::bit_cast<uint64_t>(ax) - (2ull << 52)) & ~0xFFFFFFFFull);
    const double hz = 0.5 * z - qx;
    const double a = 1.0 - qx;
    return a - (hz - (z * r - x * y));
}

// One stage of the reduction: takes n x part off r, keeping the rounding in
// the tail.
inline void reduceStage(double n, double part, double partTail, double& r, double& tail)
{
    const double t = r;
    const double w = n * part;
    r = t - w;
    tail = n * partTail - ((t - r) - w);
}

} // namespace sincos_detail

// x in 0..pi (the envelope design's range); outside it the result is not
// meant to be used.
inline void sinCosInRange(double x, double& sine, double& cosine)
{
    using namespace sincos_detail;
    // The nearest quadrant, 0, 1 or 2; a conversion, not a library's
    // rounding call (a slow one in the Windows runtime). The argument is never
    // negative here, so truncating x + 0.5 rounds to nearest.
    // NOLINTNEXTLINE(bugprone-incorrect-roundings)
    const double n = static_cast<double>(static_cast<int>(x * kInvPio2 + 0.5));
    double r = x - n * kPio2_1; // exact: n x kPio2_1 has at most 35 bits
    double tail = n * kPio2_1t;
    reduceStage(n, kPio2_2, kPio2_2t, r, tail);
    reduceStage(n, kPio2_3, kPio2_3t, r, tail);
    const double y0 = r - tail;
    const double y1 = (r - y0) - tail;
    const double s = kernelSin(y0, y1);
    const double c = kernelCos(y0, y1);
    if (n == 0)
    {
        sine = s, cosine = c;
    }
    else if (n == 1)
    {
        sine = c, cosine = -s;
    }
    else
    {
        sine = -s, cosine = -c;
    }
}
