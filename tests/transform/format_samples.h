// Doubles on which the report's "%.6f" is compared with a runtime's: exact
// ties at the seventh decimal (odd multiples of 2^-7) of 1 to 53 significant
// bits, carries into the whole part, the extremes, NaNs and infinities, each
// with both signs, its neighbours and its float; then random magnitudes and
// their floats, and random bit patterns over the whole range.
#ifndef ORTK232_TESTS_TRANSFORM_FORMAT_SAMPLES_H
#define ORTK232_TESTS_TRANSFORM_FORMAT_SAMPLES_H

#include <cmath>
#include <cstdint>
#include <cstring>
#include <cstdlib>
#include <random>
#include <sstream>
#include <string>
#include <vector>

inline std::vector<double> FormatSamples(unsigned seed, int randomCount) {
    std::mt19937_64 random(seed);
    std::vector<double> values, bases;
    std::istringstream extremes(
        "0 1.7976931348623157e308 2.2250738585072014e-308 4.9e-324 0x1p64 "
        "0x1p63 0x1p-11 0x1p-12 0x1p53 0x1p-21 3.4028234663852886e38 inf nan");
    for (std::string text; extremes >> text;)
        bases.push_back(std::strtod(text.c_str(), nullptr));
    for (int bits = 1; bits <= 53; ++bits)
        for (int i = 0; i < 40; ++i)
            bases.push_back(std::ldexp(
                double(random() >> (64 - bits) | std::uint64_t{1} << (bits - 1) | 1), -7));
    for (double power = 1e-7; power < 1e23; power *= 10)
        bases.insert(bases.end(), {power, power - 5e-7, 9.5 * power, 9.9999995 * power});
    for (const double base : bases)
        for (const double v : {base, -base})
            values.insert(values.end(),
                          {v, std::nextafter(v, 0.0), std::nextafter(v, 2 * v), float(v)});
    for (int i = 0; i < randomCount; ++i) {
        const std::uint64_t bits = random();
        const double scaled = std::ldexp(double(bits >> 11) * 0x1p-53 - 0.5, int(bits % 100) - 36);
        double pattern;
        std::memcpy(&pattern, &bits, sizeof pattern);
        values.insert(values.end(), {scaled, float(scaled)});
        if (i % 8 == 0)
            values.push_back(pattern);
    }
    return values;
}

#endif
