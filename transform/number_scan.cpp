#include "transform/number_scan.h"

#include <charconv>
#include <cstdint>
#include <cstring>
#include <limits>
#include <system_error>

namespace {

inline bool IsDigit(char c) {
    return c >= '0' && c <= '9';
}

inline bool IsSpace(char c) {
    return c == ' ' || c == '\t' || c == '\n' || c == '\v' || c == '\f' || c == '\r';
}

struct StartTable {
    bool starts[256];
    constexpr StartTable() : starts() {
        for (const char *c = "+-0123456789."; *c != '\0'; ++c)
            starts[static_cast<unsigned char>(*c)] = true;
    }
};
constexpr StartTable kStart;

constexpr double kPowersOfTen[23] = {1e0,  1e1,  1e2,  1e3,  1e4,  1e5,  1e6,  1e7,
                                     1e8,  1e9,  1e10, 1e11, 1e12, 1e13, 1e14, 1e15,
                                     1e16, 1e17, 1e18, 1e19, 1e20, 1e21, 1e22};

// Decides between overflow and underflow for a text that from_chars found
// out of range: the decimal exponent of the first significant digit plus the
// written exponent is far above zero for one and far below for the other.
bool ExceedsRange(const char *mantissa, const char *mantissaEnd, const char *exponent,
                  const char *end, char decimalPoint) {
    long position = 0; // decimal exponent of the first significant digit
    bool seenPoint = false;
    bool found = false;
    long integerDigits = 0;
    long fractionZeros = 0;
    for (const char *p = mantissa; p < mantissaEnd; ++p) {
        if (*p == decimalPoint) {
            seenPoint = true;
            continue;
        }
        if (!found && *p == '0') {
            if (seenPoint)
                ++fractionZeros;
            continue;
        }
        if (!found) {
            found = true;
            if (seenPoint) {
                position = -(fractionZeros + 1);
                break;
            }
        }
        if (!seenPoint)
            ++integerDigits;
    }
    if (found && position == 0)
        position = integerDigits - 1;
    long written = 0;
    bool negative = false;
    const char *p = exponent;
    if (p < end) {
        ++p; // e or E
        if (*p == '+' || *p == '-')
            negative = *p++ == '-';
        for (; p < end; ++p)
            if (written < 100000000)
                written = written * 10 + (*p - '0');
    }
    return position + (negative ? -written : written) > 0;
}

// value, or -value when negative is set: the sign bit flipped, as negation
// does, without a branch.
inline double Negated(double value, bool negative) {
    std::uint64_t bits;
    std::memcpy(&bits, &value, sizeof bits);
    bits ^= static_cast<std::uint64_t>(negative) << 63;
    std::memcpy(&value, &bits, sizeof bits);
    return value;
}

// The correctly rounded value of any number of the grammar: the mantissa
// (digits and decimal point) from mantissa to mantissaEnd, the exponent
// part, if any, from there to end. Returns end.
__attribute__((noinline)) const char *ConvertGeneral(const char *mantissa, const char *mantissaEnd,
                                                     const char *end, bool negative,
                                                     char decimalPoint, double *value) {
    // from_chars is locale-independent and correctly rounded; it only needs a
    // full stop as the decimal point. A line is at most 1022 bytes, so any
    // number fits the copy.
    char copy[1024];
    const char *first = mantissa;
    const char *last = end;
    if (decimalPoint != '.') {
        const size_t length = static_cast<size_t>(end - mantissa);
        std::memcpy(copy, mantissa, length);
        for (size_t i = 0; i < length; ++i)
            if (copy[i] == decimalPoint)
                copy[i] = '.';
        first = copy;
        last = copy + length;
    }
    double result = 0.0;
    const std::from_chars_result r = std::from_chars(first, last, result);
    if (r.ec == std::errc::result_out_of_range)
        result = ExceedsRange(mantissa, mantissaEnd, mantissaEnd, end, decimalPoint)
                     ? std::numeric_limits<double>::infinity()
                     : 0.0;
    *value = negative ? -result : result;
    return end;
}

inline const char *Scan(const char *text, char decimalPoint, double *value) {
    const char *p = text;
    while (IsSpace(*p))
        ++p;
    // Signs come in no predictable order: taken without a branch.
    const bool negative = *p == '-';
    p += negative | (*p == '+');
    const char *mantissa = p;
    // The digits are gathered into significand as they pass; it holds their
    // value exactly while there are at most 19 of them.
    std::uint64_t significand = 0;
    unsigned digit;
    while ((digit = static_cast<unsigned char>(*p) - unsigned{'0'}) <= 9) {
        significand = significand * 10 + digit;
        ++p;
    }
    long count = p - mantissa;
    long fractionDigits = 0;
    if (*p == decimalPoint && decimalPoint != '\0') {
        const char *fraction = ++p;
        while ((digit = static_cast<unsigned char>(*p) - unsigned{'0'}) <= 9) {
            significand = significand * 10 + digit;
            ++p;
        }
        fractionDigits = p - fraction;
        count += fractionDigits;
    }
    if (count == 0)
        return nullptr;
    const char *mantissaEnd = p;
    long written = 0;
    bool negativeExponent = false;
    if (*p == 'e' || *p == 'E') {
        const char *q = p + 1;
        if (*q == '+' || *q == '-')
            negativeExponent = *q++ == '-';
        if (IsDigit(*q)) {
            while (IsDigit(*q)) {
                if (written < 100000)
                    written = written * 10 + (*q - '0');
                ++q;
            }
            p = q;
        }
    }
    const char *end = p;

    // Both factors exact and one rounding: the product or quotient is the
    // correctly rounded value. Covers the usual coordinates quickly; any
    // other number takes the general conversion, which gives the same
    // correctly rounded value.
    const long scale = (negativeExponent ? -written : written) - fractionDigits;
    if (count <= 19 && significand <= (std::uint64_t{1} << 53) && scale >= -22 && scale <= 22) {
        const double digitsValue = static_cast<double>(significand);
        const double result =
            scale < 0 ? digitsValue / kPowersOfTen[-scale] : digitsValue * kPowersOfTen[scale];
        *value = Negated(result, negative);
        return end;
    }
    return ConvertGeneral(mantissa, mantissaEnd, end, negative, decimalPoint, value);
}

} // namespace

const char *FindNumberStart(const char *text) {
    for (; *text != '\0'; ++text)
        if (kStart.starts[static_cast<unsigned char>(*text)])
            return text;
    return nullptr;
}

const char *ScanNumber(const char *text, char decimalPoint, double *value) {
    return Scan(text, decimalPoint, value);
}

int ScanLineNumbers(const char *line, char decimalPoint, double values[4]) {
    const char *p = line;
    while (*p == ' ' || *p == '\t')
        ++p;
    for (int k = 0; k < 4; ++k) {
        if (k > 0) {
            while (!kStart.starts[static_cast<unsigned char>(*p)]) {
                if (*p == '\0')
                    return 2 * k;
                ++p;
            }
        }
        if ((p = Scan(p, decimalPoint, &values[k])) == nullptr)
            return 2 * k + 1;
    }
    return 0;
}
