// Variant choice, title and user line of the banner boxes.
#include "splash/banner_text.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace {

TEST(BannerText, VariantUserAndTitleCutToTheBuffer) {
    std::string answers; // of IsHalcyraProduct, then of IsNoUserName
    for (const char *name :
         {"Halcyra", "ProHalcyra3D", "halcyra", "Halcyr", "", static_cast<const char *>(nullptr)})
        answers += IsHalcyraProduct(name) ? 'y' : 'n';
    for (const char *name : {"x", "X", "xx", " x", "", "J. Smith"})
        answers += IsNoUserName(name) ? 'y' : 'n';
    EXPECT_EQ(answers, "yynnnnyynnnn");
    // Two-byte characters (lead bytes 0x81 to 0x9f here) are never split.
    const auto lead = [](unsigned char byte) { return byte >= 0x81 && byte <= 0x9f; };
    const std::string p(1500, 'p'), fits(1023 - 9 - 1 - 3, 'q');
    const struct {
        std::size_t size;
        bool halcyra;
        const char *product, *version;
        LeadBytePredicate leadByte;
        std::string title;
    } rows[] = {{1024, false, "Ortelan", "4.0", nullptr, "Veltrane Ortelan 4.0"},
                {1024, true, "Halcyra", "4.0", nullptr, "Halcyra 4.0"},
                {1024, true, nullptr, nullptr, nullptr, " "},
                {1, true, "Halcyra", "4.0", nullptr, ""},
                {1024, false, p.c_str(), "4.0", nullptr, "Veltrane " + p.substr(0, 1014)},
                {1024, false, fits.c_str(), "4.0", nullptr, "Veltrane " + fits + " 4.0"},
                {8, true, "abcd\x81\x40\x82\x41", "1", lead, "abcd\x81\x40"},
                {8, true, "abcd\x81\x40\x82\x41", "1", nullptr, "abcd\x81\x40\x82"}};
    for (const auto &row : rows) {
        std::vector<char> title(row.size, '#'); // exactly: the sanitizer build checks the bounds
        ComposeBannerTitle(title.data(), row.size, row.halcyra, row.product, row.version,
                           row.leadByte);
        EXPECT_EQ(title.data(), row.title);
    }
    char line[kBannerTextSize];
    ComposeUserLine(line, sizeof line, p.c_str(), nullptr);
    EXPECT_EQ(std::string(line), "User:   " + p.substr(0, kBannerTextSize - 9));
}

} // namespace
