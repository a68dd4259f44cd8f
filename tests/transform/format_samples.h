// Doubles on which the report's "%.6f" is compared with a runtime's: exact
// ties at the seventh decimal (the odd multiples of 2^-7) with every count of
// significant bits, their neighbours, carries into the whole part, random
// magnitudes over the whole range, floats as the report passes them, and the
// extremes. NaNs and infinities come only from the random bit patterns and
// the list of extremes.
#ifndef ORTK232_TESTS_TRANSFORM_FORMAT_SAMPLES_H
#define ORTK232_TESTS_TRANSFORM_FORMAT_SAMPLES_H

#include <cmath>
#include <cstdint>
#include <cstring>
#include <limits>
#include <random>
#include <vector>

inline std::vector<double> FormatSamples(unsigned seed, int randomCount) {
    using Limits = std::numeric_limits<double>;
    std::mt19937_64 random(seed);
    std::vector<double> values;
    auto addAround = [&values](double v) {
        for (const double x : {v, -v})
            values.insert(values.end(), {x, std::nextafter(x, 0.0), std::nextafter(x, 2 * x),
                                         static_cast<float>(x)});
    };
    for (int bits = 1; bits <= 53; ++bits)
        for (int i = 0; i < 40; ++i) {
            const std::uint64_t odd = random() >> (64 - bits) | std::uint64_t{1} << (bits - 1) | 1;
            addAround(std::ldexp(static_cast<double>(odd), -7));
        }
    for (double power = 1e-7; power < 1e23; power *= 10)
        for (const double v : {power, power - 5e-7, 9.5 * power, 9.9999995 * power})
            addAround(v);
    for (int i = 0; i < randomCount; ++i) {
        const std::uint64_t bits = random();
        double pattern;
        std::memcpy(&pattern, &bits, sizeof pattern);
        const double scaled = std::ldexp(static_cast<double>(bits >> 11) * 0x1p-53 - 0.5,
                                         static_cast<int>(bits % 100) - 36);
        values.insert(values.end(), {scaled, static_cast<float>(scaled)});
        if (i % 8 == 0)
            values.push_back(pattern);
    }
    for (const double v :
         {0.0, Limits::max(), Limits::min(), Limits::denorm_min(), 0x1p64, 0x1p63, 0x1p-11, 0x1p-12,
          0x1p52, 0x1p53, 0x1p-21, 0x1p-22, static_cast<double>(std::numeric_limits<float>::max()),
          Limits::infinity(), Limits::quiet_NaN(), Limits::signaling_NaN()})
        addAround(v);
    return values;
}

#endif
