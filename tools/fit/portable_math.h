// Arithmetic that gives the same bits on every platform the tool is built
// for: a random number generator of integer operations only, and a natural
// logarithm of additions, multiplications and divisions (the C runtimes'
// log may differ in the last bit between glibc and Windows).
#ifndef ORTK232_TOOLS_FIT_PORTABLE_MATH_H
#define ORTK232_TOOLS_FIT_PORTABLE_MATH_H

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

#endif
