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

// The largest finite doubles have 309 integer digits: 35 groups of nine.
constexpr int kDecimalGroups = 35;
constexpr std::uint32_t kGroupBase = 1000000000u;

// Writes the digits of mantissa * 2^exponent, a whole number of 2^64 or
// more, exactly: the number is kept in groups of nine decimal digits and
// doubled 32 bits at a time.
char *WriteLargeWhole(std::uint64_t mantissa, int exponent, char *out) {
    std::uint32_t groups[kDecimalGroups];
    groups[0] = static_cast<std::uint32_t>(mantissa % kGroupBase);
    groups[1] = static_cast<std::uint32_t>(mantissa / kGroupBase % kGroupBase);
    int used = 2;
    while (exponent > 0) {
        const int step = exponent < 32 ? exponent : 32;
        exponent -= step;
        std::uint64_t carry = 0;
        for (int i = 0; i < used; ++i) {
            const std::uint64_t product = (std::uint64_t{groups[i]} << step) + carry;
            groups[i] = static_cast<std::uint32_t>(product % kGroupBase);
            carry = product / kGroupBase;
        }
        for (; carry != 0; carry /= kGroupBase)
            groups[used++] = static_cast<std::uint32_t>(carry % kGroupBase);
    }
    out = WriteUnsigned(groups[used - 1], out);
    for (int i = used - 2; i >= 0; --i) {
        for (int digit = 8; digit >= 0; --digit) {
            out[digit] = static_cast<char>('0' + groups[i] % 10);
            groups[i] /= 10;
        }
        out += 9;
    }
    return out;
}

// The runtime's spellings of a NaN and of an infinity: "1.#QNAN0" for a NaN
// without sign, "-1.#IND00" for one with a sign (whatever its payload), and
// "1.#INF00", each with the decimal point of the locale.
char *WriteSpecial(bool nan, bool negative, char decimalPoint, char *out) {
    *out++ = '1';
    *out++ = decimalPoint;
    const char *rest = !nan ? "#INF00" : negative ? "#IND00" : "#QNAN0";
    std::memcpy(out, rest, 6);
    return out + 6;
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
    char *p = out;
    *p = '-'; // kept only for a negative value, without a branch
    p += negative;
    if (exponentField == 0x7ff) {
        p = WriteSpecial(fraction != 0, negative, decimalPoint, p);
        *p = '\0';
        return static_cast<std::size_t>(p - out);
    }
    // value = mantissa / 2^shift, exactly.
    const std::uint64_t mantissa =
        exponentField != 0 ? fraction | std::uint64_t{1} << 52 : fraction;
    const int shift = 1075 - (exponentField != 0 ? exponentField : 1);

    std::uint64_t whole = 0;
    unsigned decimals = 0;
    if (shift < -11) {
        p = WriteLargeWhole(mantissa, -shift, p);
    } else if (shift <= 0) {
        whole = mantissa << -shift;
    } else if (shift <= 96) {
        // The fraction as f / 2^s with f below 2^64; twice the decimals,
        // floor(f * 10^6 / 2^(s-1)), from the two 32-bit halves of f.
        std::uint64_t f = mantissa;
        int s = shift;
        if (shift < 64) {
            whole = mantissa >> shift;
            f = mantissa << (64 - shift);
            s = 64;
        }
        const std::uint64_t low = (f & 0xffffffffu) * 1000000u;
        const std::uint64_t high = (f >> 32) * 1000000u;
        const std::uint64_t twice = (high + (low >> 32)) >> (s - 33);
        // A remainder of half a unit or more rounds up: an exact tie goes
        // away from zero, as the runtime rounds it.
        decimals = static_cast<unsigned>((twice + 1) >> 1);
        if (decimals == 1000000u) {
            decimals = 0;
            ++whole;
        }
    } // else below 2^-43: zero to six decimals
    if (shift >= -11)
        p = WriteUnsigned(whole, p);
    *p++ = decimalPoint;
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
    // The stream holds up to its buffer's size before it writes: it is
    // emptied after the point lines (the heading's failure has the same
    // message), after the total and after each deviation, so that a device
    // that takes nothing, or a full disk, fails the report at the lines whose
    // bytes it refused, as writing each line through would, whatever the
    // report's size.
    auto flushed = [&] { return std::fflush(file) == 0; };
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
    if ((batched > 0 && !put(batch, batched)) || !flushed())
        return fail(IDS_RESIDUALS_DATA_WRITE);

    std::memcpy(line, "Total RMS: ", 11);
    std::size_t used = 11;
    used += FormatFixed6(static_cast<float>(TotalRms(n, TX, TY)), decimalPoint, line + used);
    line[used++] = '\n';
    if (!put(line, used) || !flushed())
        return fail(IDS_RESIDUALS_TOTAL_WRITE);

    const double deviations[2] = {sdX, sdY};
    const char *labels[2] = {"Standard deviation in x: ", "Standard deviation in y: "};
    for (int d = 0; d < 2; ++d) {
        used = std::strlen(labels[d]);
        std::memcpy(line, labels[d], used);
        used += FormatFixed6(deviations[d], decimalPoint, line + used);
        line[used++] = '\n';
        if (!put(line, used) || !flushed())
            return fail(IDS_RESIDUALS_SD_WRITE);
    }
    std::fclose(file);
    return 1;
}
