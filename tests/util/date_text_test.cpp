#include "util/date_text.h"

#include <gtest/gtest.h>

#include <cstring>
#include <string>

namespace {

// Day, month name of any length and year, then the time; "failed" when the
// call returns false leaving an empty text. The buffer of the documented
// size is followed by guard bytes.
TEST(ComposeModifiedDate, LaysOutDayMonthYearAndTime) {
    const std::string longest(254, 't');
    const std::string cases[][3] = {
        {"03Mar2011", "9:15:30 AM", "03 Mar 2011 9:15:30 AM"},
        {"03M\xe4rz2011", "09:15", "03 M\xe4rz 2011 09:15"},
        {"01sept.2020", "10:00", "01 sept. 2020 10:00"},
        {"0103\xd4\xc2"
         "2011",
         "9:00", "01 03\xd4\xc2 2011 9:00"},
        {"03Ma2011", "9:15", "failed"}, // too short for day, month and year
        {"", "", "failed"},
        {"03Mar2011", longest, "03 Mar 2011 " + longest}, // fills the room exactly
        {"03M\xe4rz2011", longest, "failed"}};            // one character too many
    for (const auto &c : cases) {
        char out[kModifiedDateTextSize + 8];
        std::memset(out, '#', sizeof out);
        const bool ok = ComposeModifiedDate(c[0].c_str(), c[1].c_str(), out, kModifiedDateTextSize);
        EXPECT_EQ(ok ? out : out[0] ? "failed, left text" : "failed", c[2]) << c[0];
        EXPECT_EQ(std::string(out + std::strlen(out) + 1, out + sizeof out),
                  std::string(sizeof out - std::strlen(out) - 1, '#'));
    }
    char one[1] = {'#'};
    EXPECT_TRUE(!ComposeModifiedDate("03Mar2011", "", one, 0) && one[0] == '#');
}

} // namespace
