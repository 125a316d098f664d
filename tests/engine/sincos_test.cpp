#include <bit>
#include <cmath>
#include <cstdint>
#include <cstdio>
#include <cstdlib>

#include <gtest/gtest.h>

#include "engine/SinCos.h"

namespace
{

// Distance in units in the last place between two doubles of the same sign.
int64_t ulpsApart(double a, double b)
{
    if (a == b) return 0;
    if (std::signbit(a) != std::signbit(b)) return INT64_MAX;
    return std::llabs(std::bit_cast<int64_t>(a) - std::bit_cast<int64_t>(b));
}

// Against the system's library (glibc on Linux, itself within a little over
// half an ulp) on 10^7 angles of the envelope design's range: half spread evenly
// over 0..pi, half spread evenly in the exponent from 1e-9 (a 0.001 Hz design
// at the highest rate) up to pi, and the quadrant edges.
TEST(SinCos, WithinOneUlpOfTheSystemLibraryOverTheDesignRange)
{
    constexpr int kCount = 10'000'000;
    uint64_t state = 88172645463325252ull;
    int differing = 0;
    for (int i = 0; i < kCount; ++i)
    {
        state ^= state << 13, state ^= state >> 7, state ^= state << 17;
        const double unit = static_cast<double>(state >> 11) * 0x1.0p-53;
        double x = i % 2 == 0 ? unit * 3.141592653589793 : 1e-9 * std::pow(3.141592653589793e9, unit);
        if (i < 64) x = std::nextafter(1.5707963267948966 * (i % 2 + 1), i % 4 < 2 ? 0.0 : 4.0);
        double sine = 0, cosine = 0;
        sinCosInRange(x, sine, cosine);
        const int64_t apart = std::max(ulpsApart(sine, std::sin(x)), ulpsApart(cosine, std::cos(x)));
        if (apart != 0) ++differing;
        ASSERT_LE(apart, 1) << "x = " << x;
    }
    std::printf("sinCosInRange: %d of %d angles differ from the system library by 1 ulp\n", differing,
                kCount);
}

} // namespace
