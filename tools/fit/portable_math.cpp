#include "tools/fit/portable_math.h"

#include <cmath>
#include <limits>

std::uint64_t PortableRandom::Next() {
    std::uint64_t z = (state_ += 0x9E3779B97F4A7C15ull);
    z = (z ^ (z >> 30)) * 0xBF58476D1CE4E5B9ull;
    z = (z ^ (z >> 27)) * 0x94D049BB133111EBull;
    return z ^ (z >> 31);
}

long PortableRandom::Below(long count) {
    const std::uint64_t range = static_cast<std::uint64_t>(count);
    // Draws at or above the last whole multiple of range are drawn again.
    const std::uint64_t limit = std::numeric_limits<std::uint64_t>::max() -
                                std::numeric_limits<std::uint64_t>::max() % range;
    std::uint64_t value;
    do
        value = Next();
    while (value >= limit);
    return static_cast<long>(value % range);
}

double PortableLog(double x) {
    if (!(x > 0.0))
        return x == 0.0 ? -std::numeric_limits<double>::infinity()
                        : std::numeric_limits<double>::quiet_NaN();
    if (!std::isfinite(x))
        return x;
    // x = f * 2^e with f in [sqrt(1/2), sqrt(2)); frexp and ldexp are exact.
    int e = 0;
    double f = std::frexp(x, &e);
    if (f < 0.70710678118654752) {
        f = std::ldexp(f, 1);
        --e;
    }
    // ln f = 2 atanh(s), s = (f - 1) / (f + 1), |s| < 0.172: the series in
    // s^2 falls by 0.0295 a term, so 12 terms are below an ulp.
    const double s = (f - 1.0) / (f + 1.0), s2 = s * s;
    double sum = 0.0;
    for (int k = 23; k >= 3; k -= 2)
        sum = (sum + 1.0 / k) * s2;
    const double lnF = 2.0 * s + 2.0 * s * sum;
    // ln 2 in two parts, the first exact in a product with any e.
    const double ln2High = 0.693147180369123816490, ln2Low = 1.90821492927058770002e-10;
    return (e * ln2High + lnF) + e * ln2Low;
}

double PortableLog1p(double x) {
    // u = 1 + x rounded; ln(u) scaled by x / (u - 1) corrects the rounding.
    const double u = 1.0 + x;
    if (u == 1.0)
        return x;
    return PortableLog(u) * (x / (u - 1.0));
}
