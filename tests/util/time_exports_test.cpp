// Time stamps and the current time as text. The texts follow the system
// default locale, not the user's: tests/scripts/util-locale.sh runs
// SystemLocale.DISABLED_TimeTexts in processes where the two differ.
#include <gtest/gtest.h>

#include <cstring>
#include <regex>
#include <string>

#include "ortk232.h"
#include "tests/util/scratch_folder.h"

namespace {

constexpr std::size_t kDateTextRoom = 12 + 254 + 1;

bool SetLastWriteTime(const std::string &path, WORD year, WORD month, WORD day, WORD hour,
                      WORD minute, WORD second) {
    const SYSTEMTIME utc = {year, month, 0, day, hour, minute, second, 0};
    FILETIME stamp;
    HANDLE file =
        CreateFileA(path.c_str(), FILE_WRITE_ATTRIBUTES, 0, nullptr, OPEN_EXISTING, 0, nullptr);
    const bool done =
        SystemTimeToFileTime(&utc, &stamp) && SetFileTime(file, nullptr, nullptr, &stamp);
    CloseHandle(file);
    return done;
}

// The text and the result, with the buffer filled beforehand so that a
// missing terminator or a write past the room shows.
std::string ModifiedDate(const std::string &path, long *result) {
    char out[kDateTextRoom + 64];
    std::memset(out, 'x', sizeof out);
    *result = GetLastModifiedDate(path.c_str(), out);
    const std::size_t length = strnlen(out, sizeof out);
    EXPECT_LT(length, kDateTextRoom);
    for (std::size_t i = length + 1; i < sizeof out; ++i)
        EXPECT_EQ(out[i], 'x') << "byte " << i << " written";
    return std::string(out, length);
}

TEST(GetLastModifiedDate, DayMonthYearAndTimeOfAFileNobodyHolds) {
    ScratchFolder folder;
    const std::string file = folder.WriteFile("held.txt", "contents");
    // Noon UTC keeps the local date on the 7th in all but the farthest zones.
    ASSERT_TRUE(SetLastWriteTime(file, 1999, 6, 7, 12, 0, 0));
    long result = 0;
    EXPECT_TRUE(std::regex_match(ModifiedDate(file, &result), std::regex("07 \\S+ 1999 \\S+.*")));
    EXPECT_EQ(result, 1);
    // Held exclusively, or held for reading or writing by a holder that
    // shares everything: the export's unshared open is refused each time.
    const DWORD all = FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE;
    const DWORD holders[][2] = {{GENERIC_READ, 0}, {GENERIC_READ, all}, {GENERIC_WRITE, all}};
    for (const auto &holder : holders) {
        HANDLE held =
            CreateFileA(file.c_str(), holder[0], holder[1], nullptr, OPEN_EXISTING, 0, nullptr);
        EXPECT_EQ(ModifiedDate(file, &result), "") << holder[0] << " " << holder[1];
        EXPECT_EQ(result, 0);
        CloseHandle(held);
    }
    for (const std::string &path : {folder.Child("missing.txt"), folder.path(), std::string(),
                                    folder.Child(std::string(400, 'n'))}) {
        EXPECT_EQ(ModifiedDate(path, &result), "") << path;
        EXPECT_EQ(result, 0) << path;
    }
    char out[8] = "junk";
    EXPECT_EQ(GetLastModifiedDate(nullptr, out), 0);
    EXPECT_STREQ(out, "");
    EXPECT_EQ(GetLastModifiedDate(file.c_str(), nullptr), 0);
}

TEST(GetTimeNow, GivesATimeWithoutDate) {
    char out[255];
    std::memset(out, 'x', sizeof out);
    ASSERT_EQ(GetTimeNow(out), 1);
    EXPECT_TRUE(std::regex_match(out, std::regex("\\d{1,2}:\\d\\d:\\d\\d.*"))) << out;
    EXPECT_EQ(GetTimeNow(nullptr), 0);
}

// Run by tests/scripts/util-locale.sh with the time zone of Tokyo (nine
// hours ahead of UTC, no daylight saving time), an English system locale and
// a German user locale, or the other way round.
TEST(SystemLocale, DISABLED_TimeTexts) {
    const bool german = GetSystemDefaultLCID() == 0x0407;
    ASSERT_EQ(GetUserDefaultLCID(), german ? 0x0409u : 0x0407u) << "the user locale must differ";
    ScratchFolder folder;
    const std::string march = folder.WriteFile("march.txt", "m");
    const std::string december = folder.WriteFile("december.txt", "d");
    // Both UTC times fall on another local hour, the first on another day.
    ASSERT_TRUE(SetLastWriteTime(march, 2011, 3, 6, 23, 5, 30));
    ASSERT_TRUE(SetLastWriteTime(december, 2011, 12, 24, 13, 45, 0));
    long result = 0;
    EXPECT_EQ(ModifiedDate(march, &result),
              german ? "07 M\xe4rz 2011 08:05:30" : "07 Mar 2011 8:05:30 AM");
    EXPECT_EQ(ModifiedDate(december, &result),
              german ? "24 Dez. 2011 22:45:00" : "24 Dec 2011 10:45:00 PM");
    EXPECT_EQ(result, 1);
    char now[255];
    ASSERT_EQ(GetTimeNow(now), 1);
    const std::regex time(german ? "([01]\\d|2[0-3]):[0-5]\\d:[0-5]\\d"
                                 : "(1[0-2]|[1-9]):[0-5]\\d:[0-5]\\d [AP]M");
    EXPECT_TRUE(std::regex_match(now, time)) << now;
}

} // namespace
