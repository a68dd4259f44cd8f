#include "transform/residuals.h"

#include "frame/messages.h"
#include "res/resource.h"

#include <clocale>
#include <cmath>
#include <cstdint>
#include <cstdio>
#include <cstring>

namespace {

// "00" to "99", two characters each.
struct DigitPairs {
    char text[200];
    constexpr DigitPairs() : text() {
        for (int i = 0; i < 100; ++i) {
            text[2 * i] = static_cast<char>('0' + i / 10);
            text[2 * i + 1] = static_cast<char>('0' + i % 10);
        }
    }
};
constexpr DigitPairs kDigitPairs;

inline char *WritePair(unsigned value, char *out) {
    std::memcpy(out, kDigitPairs.text + 2 * value, 2);
    return out + 2;
}

// Writes the digits of value and returns the end.
char *WriteUnsigned(std::uint64_t value, char *out) {
    if (value < 10) {
        *out = static_cast<char>('0' + value);
        return out + 1;
    }
    if (value < 100)
        return WritePair(static_cast<unsigned>(value), out);
    int length = 3;
    for (std::uint64_t limit = 1000; length < 20 && value >= limit; limit *= 10)
        ++length;
    char *p = out + length;
    while (value >= 100) {
        p -= 2;
        WritePair(static_cast<unsigned>(value % 100), p);
        value /= 100;
    }
    if (value >= 10)
        WritePair(static_cast<unsigned>(value), p - 2);
    else
        p[-1] = static_cast<char>('0' + value);
    return out + length;
}

// Formats through the runtime, then puts the decimal point in place of the
// one the runtime used (the runtimes follow their locale here too, but the
// caller's point is the one that counts).
std::size_t FormatWithRuntime(double value, char decimalPoint, char *out) {
    const int length = std::snprintf(out, 400, "%.6f", value);
    if (length < 0) {
        out[0] = '\0';
        return 0;
    }
    if (std::isfinite(value) && length > 7)
        out[length - 7] = decimalPoint;
    return static_cast<std::size_t>(length);
}

constexpr std::size_t kStreamBufferBytes = 1 << 16;
constexpr std::size_t kBatchBytes = 1 << 14;
// Three numbers of at most 400 characters, two spaces and the line end.
constexpr std::size_t kLongestPointLine = 3 * 400 + 3;

} // namespace

std::size_t FormatFixed6(double value, char decimalPoint, char *out) {
    std::uint64_t bits;
    std::memcpy(&bits, &value, sizeof bits);
    const bool negative = (bits >> 63) != 0;
    const int exponentField = static_cast<int>((bits >> 52) & 0x7ff);
    const std::uint64_t fraction = bits & ((std::uint64_t{1} << 52) - 1);

    // Exact integer arithmetic for the values of the report: at most 24
    // significant bits (a float widened) and magnitudes below 2^40. Anything
    // else goes through the runtime.
    std::uint64_t scaled; // value * 10^6, rounded half to even
    if (exponentField == 0 && fraction == 0) {
        scaled = 0;
    } else {
        if (exponentField == 0 || exponentField == 0x7ff || (fraction & ((1u << 29) - 1)) != 0)
            return FormatWithRuntime(value, decimalPoint, out);
        const std::uint64_t mantissa = ((std::uint64_t{1} << 52) | fraction) >> 29;
        const int exponent = exponentField - 1023 - 23; // value = mantissa * 2^exponent
        if (exponent > 16)
            return FormatWithRuntime(value, decimalPoint, out);
        if (exponent >= 0) {
            scaled = (mantissa << exponent) * 1000000u;
        } else {
            const std::uint64_t product = mantissa * 1000000u; // below 2^44
            const int shift = -exponent;
            if (shift >= 63) {
                scaled = 0; // below half a unit of the sixth decimal
            } else {
                // Half to even without a branch: a remainder above half, or
                // of half with an odd quotient, carries one into it.
                const std::uint64_t half = std::uint64_t{1} << (shift - 1);
                scaled = (product + half - 1 + ((product >> shift) & 1)) >> shift;
            }
        }
    }
    char *p = out;
    *p = '-'; // kept only for a negative value, without a branch
    p += negative;
    p = WriteUnsigned(scaled / 1000000u, p);
    *p++ = decimalPoint;
    const unsigned decimals = static_cast<unsigned>(scaled % 1000000u);
    p = WritePair(decimals / 10000, p);
    p = WritePair(decimals / 100 % 100, p);
    p = WritePair(decimals % 100, p);
    *p = '\0';
    return static_cast<std::size_t>(p - out);
}

double TotalRms(long n, const double *TX, const double *TY) {
    if (n <= 0)
        return 0.0;
    double sum = 0.0;
    for (long i = 0; i < n; ++i)
        sum += TX[i] * TX[i] + TY[i] * TY[i];
    return std::sqrt(sum / static_cast<double>(n));
}

long WriteResiduals(long n, const double *TX, const double *TY, const char *path, bool showMessages,
                    double sdX, double sdY) {
    std::FILE *file = std::fopen(path, "w");
    if (file == nullptr) {
        if (showMessages)
            ShowMessage(IDS_CANNOT_CREATE_RESIDUALS, IDS_WRITE_RESIDUALS, kMessageErrorIcon);
        return 0;
    }
    // A large buffer: the point lines are most of the work for big files.
    std::setvbuf(file, nullptr, _IOFBF, kStreamBufferBytes);
    auto fail = [&](unsigned textId) -> long {
        std::fclose(file);
        if (showMessages)
            ShowMessage(textId, IDS_WRITE_RESIDUALS, kMessageErrorIcon);
        return 0;
    };
    // A write that yields fewer than one character has failed.
    auto put = [&](const char *text, std::size_t length) {
        return length > 0 && std::fwrite(text, 1, length, file) == length;
    };
    const char decimalPoint = *std::localeconv()->decimal_point;
    char line[1300];

    int length = std::snprintf(line, sizeof line, "Data points converted: %li\n", n);
    if (!put(line, length > 0 ? static_cast<std::size_t>(length) : 0) || !put("Residuals:\n", 11) ||
        !put("XRi YRi PointRMS\n", 17))
        return fail(IDS_RESIDUALS_DATA_WRITE);

    // The point lines are gathered and handed to the stream in pieces of
    // whole lines, smaller than its buffer: it fills and writes its buffer at
    // the same places as with one call per line, and a failed write shows in
    // the same call phase.
    char batch[kBatchBytes];
    std::size_t batched = 0;
    for (long i = 0; i < n; ++i) {
        const double xr = TX[i];
        const double yr = TY[i];
        const double rms = std::sqrt(xr * xr + yr * yr);
        char *const start = batch + batched;
        char *p = start;
        p += FormatFixed6(static_cast<float>(xr), decimalPoint, p);
        *p++ = ' ';
        p += FormatFixed6(static_cast<float>(yr), decimalPoint, p);
        *p++ = ' ';
        p += FormatFixed6(static_cast<float>(rms), decimalPoint, p);
        *p++ = '\n';
        batched += static_cast<std::size_t>(p - start);
        if (batched > kBatchBytes - kLongestPointLine) {
            if (!put(batch, batched))
                return fail(IDS_RESIDUALS_DATA_WRITE);
            batched = 0;
        }
    }
    if (batched > 0 && !put(batch, batched))
        return fail(IDS_RESIDUALS_DATA_WRITE);

    std::memcpy(line, "Total RMS: ", 11);
    std::size_t used = 11;
    used += FormatFixed6(static_cast<float>(TotalRms(n, TX, TY)), decimalPoint, line + used);
    line[used++] = '\n';
    if (!put(line, used))
        return fail(IDS_RESIDUALS_TOTAL_WRITE);

    const double deviations[2] = {sdX, sdY};
    const char *labels[2] = {"Standard deviation in x: ", "Standard deviation in y: "};
    for (int d = 0; d < 2; ++d) {
        used = std::strlen(labels[d]);
        std::memcpy(line, labels[d], used);
        used += FormatFixed6(deviations[d], decimalPoint, line + used);
        line[used++] = '\n';
        if (!put(line, used))
            return fail(IDS_RESIDUALS_SD_WRITE);
    }
    std::fclose(file);
    return 1;
}
