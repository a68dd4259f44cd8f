#include "util/date_text.h"

#include <cstring>

namespace {

constexpr std::size_t kDayLength = 2;
constexpr std::size_t kYearLength = 4;

} // namespace

bool ComposeModifiedDate(const char *date, const char *time, char *out, std::size_t outSize) {
    if (outSize == 0)
        return false;
    out[0] = '\0';
    const std::size_t dateLength = std::strlen(date);
    // Day, at least a three-letter month, year.
    if (dateLength < kDayLength + 3 + kYearLength)
        return false;
    const std::size_t monthLength = dateLength - kDayLength - kYearLength;
    const std::size_t timeLength = std::strlen(time);
    const std::size_t total = dateLength + 3 + timeLength; // three blanks
    if (total + 1 > outSize)
        return false;

    char *p = out;
    std::memcpy(p, date, kDayLength);
    p += kDayLength;
    *p++ = ' ';
    std::memcpy(p, date + kDayLength, monthLength);
    p += monthLength;
    *p++ = ' ';
    std::memcpy(p, date + kDayLength + monthLength, kYearLength);
    p += kYearLength;
    *p++ = ' ';
    std::memcpy(p, time, timeLength);
    p[timeLength] = '\0';
    return true;
}
