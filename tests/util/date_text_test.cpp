#include "util/date_text.h"

#include <gtest/gtest.h>

#include <cstring>
#include <string>

namespace {

struct Case {
    const char *date, *time;
    bool ok;
    const char *text;
};

class ComposeModifiedDateTable : public testing::TestWithParam<Case> {};

TEST_P(ComposeModifiedDateTable, LaysOutDayMonthYearAndTime) {
    const Case &c = GetParam();
    char out[kModifiedDateTextSize];
    std::memset(out, 'x', sizeof out);
    EXPECT_EQ(ComposeModifiedDate(c.date, c.time, out, sizeof out), c.ok);
    EXPECT_STREQ(out, c.text);
}

INSTANTIATE_TEST_SUITE_P(
    Locales, ComposeModifiedDateTable,
    testing::Values(Case{"03Mar2011", "9:15:30 AM", true, "03 Mar 2011 9:15:30 AM"},
                    Case{"07Dec1999", "23:59:59", true, "07 Dec 1999 23:59:59"},
                    // Month names of other lengths stay whole; the year stays right.
                    Case{"03M\xe4rz2011", "09:15:30", true, "03 M\xe4rz 2011 09:15:30"},
                    Case{"31Dez.2011", "09:15:30", true, "31 Dez. 2011 09:15:30"},
                    Case{"01sept.2020", "10:00:00", true, "01 sept. 2020 10:00:00"},
                    Case{"0103\xd4\xc2"
                         "2011",
                         "9:00", true, "01 03\xd4\xc2 2011 9:00"},
                    // Fewer than nine characters cannot hold day, month and year.
                    Case{"03Ma2011", "9:15:30 AM", false, ""}, Case{"", "9:15:30 AM", false, ""}));

TEST(ComposeModifiedDate, LongestTimeFillsTheDocumentedRoomExactly) {
    const std::string time(254, 't');
    char out[kModifiedDateTextSize + 8];
    std::memset(out, '#', sizeof out);
    ASSERT_TRUE(ComposeModifiedDate("03Mar2011", time.c_str(), out, kModifiedDateTextSize));
    EXPECT_EQ(std::strlen(out), 266u);
    EXPECT_EQ(std::string(out, 12), "03 Mar 2011 ");
    for (std::size_t i = kModifiedDateTextSize; i < sizeof out; ++i)
        EXPECT_EQ(out[i], '#') << "byte " << i;
}

TEST(ComposeModifiedDate, FailsRatherThanOverrunTheRoom) {
    const std::string time(254, 't');
    char out[kModifiedDateTextSize + 8];
    std::memset(out, '#', sizeof out);
    // A four-character month with the longest time needs 267 characters.
    EXPECT_FALSE(ComposeModifiedDate("03M\xe4rz2011", time.c_str(), out, kModifiedDateTextSize));
    EXPECT_STREQ(out, "");
    for (std::size_t i = 1; i < sizeof out; ++i)
        EXPECT_EQ(out[i], '#') << "byte " << i;
}

} // namespace
