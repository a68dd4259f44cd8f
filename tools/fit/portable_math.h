// Arithmetic that gives the same bits on every platform the tool is built
// for: a random number generator of integer operations only, and a natural
// logarithm of additions, multiplications and divisions (the C runtimes'
// log may differ in the last bit between glibc and Windows).
#ifndef ORTK232_TOOLS_FIT_PORTABLE_MATH_H
#define ORTK232_TOOLS_FIT_PORTABLE_MATH_H

#include <cmath>
#include <cstdint>

// SplitMix64: a 64-bit counter passed through a fixed mixing function.
class PortableRandom {
  public:
    explicit PortableRandom(std::uint64_t seed) : state_(seed) {}
    std::uint64_t Next();
    // Uniform in 0 .. count - 1 (count > 0), without modulo bias.
    long Below(long count);

  private:
    std::uint64_t state_;
};

// ln(x) for finite x > 0, within an ulp or two; -inf at 0, NaN below.
double PortableLog(double x);

// ln(1 + x) for x > -1, accurate also where x is tiny.
double PortableLog1p(double x);

// sqrt(x^2 + y^2) by the correctly rounded square root (the runtimes' hypot
// may differ in the last bit).
inline double PortableLength(double x, double y) {
    return std::sqrt(x * x + y * y);
}

#endif
