#include "util/date_text.h"

#include <gtest/gtest.h>

#include <cstring>
#include <string>

namespace {

// The text composed into a buffer of the documented size followed by guard
// bytes, "failed" when the call returns false (leaving an empty text).
std::string Compose(const std::string &date, const std::string &time) {
    char out[kModifiedDateTextSize + 8];
    std::memset(out, '#', sizeof out - 1);
    out[sizeof out - 1] = '\0';
    const bool ok = ComposeModifiedDate(date.c_str(), time.c_str(), out, kModifiedDateTextSize);
    for (std::size_t i = std::strlen(out) + 1; i < sizeof out - 1; ++i)
        EXPECT_EQ(out[i], '#') << "byte " << i << " for " << date;
    return ok ? std::string(out) : out[0] == '\0' ? "failed" : "failed, left " + std::string(out);
}

TEST(ComposeModifiedDate, LaysOutDayMonthYearAndTime) {
    const std::string longest(254, 't');
    const char *cases[][3] = {
        {"03Mar2011", "9:15:30 AM", "03 Mar 2011 9:15:30 AM"},
        // Month names of other lengths stay whole and the year stays right.
        {"03M\xe4rz2011", "09:15:30", "03 M\xe4rz 2011 09:15:30"},
        {"01sept.2020", "10:00:00", "01 sept. 2020 10:00:00"},
        {"0103\xd4\xc2"
         "2011",
         "9:00", "01 03\xd4\xc2 2011 9:00"},
        {"03Ma2011", "9:15:30 AM", "failed"}, // too short for day, month and year
        {"", "", "failed"},
        {"03Mar2011", longest.c_str(), nullptr},       // fills the room exactly
        {"03M\xe4rz2011", longest.c_str(), "failed"}}; // one character too many
    for (const auto &c : cases)
        EXPECT_EQ(Compose(c[0], c[1]), c[2] ? c[2] : "03 Mar 2011 " + longest) << c[0];
    char one[1] = {'#'};
    EXPECT_FALSE(ComposeModifiedDate("03Mar2011", "", one, 0));
    EXPECT_EQ(one[0], '#');
}

} // namespace
