// Variant choice, title and user line of the banner boxes.
#include "splash/banner_text.h"

#include <gtest/gtest.h>

#include <string>

namespace {

TEST(BannerText, VariantUserAndTitleCutToTheBuffer) {
    for (const char *name : {"Halcyra", "Veltrane Halcyra Pro", "ProHalcyra3D"})
        EXPECT_TRUE(IsHalcyraProduct(name)) << name;
    for (const char *name : {"Ortelan", "halcyra", "HALCYRA", "Halcyr", "", "Ortelan halcyra",
                             static_cast<const char *>(nullptr)})
        EXPECT_FALSE(IsHalcyraProduct(name)) << (name ? name : "(null)");
    EXPECT_TRUE(IsNoUserName("x") && IsNoUserName("X"));
    EXPECT_FALSE(IsNoUserName("xx") || IsNoUserName(" x") || IsNoUserName("") ||
                 IsNoUserName("J. Smith"));
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
                {8, true, "ab\x81\x40\x82\x41\x83\x42", "1", lead, "ab\x81\x40\x82\x41"},
                {8, true, "abcd\x81\x40\x82\x41", "1", lead, "abcd\x81\x40"},
                {8, true, "abcd\x81\x40\x82\x41", "1", nullptr, "abcd\x81\x40\x82"}};
    for (const auto &row : rows) {
        std::string title(row.size + 8, '#');
        ComposeBannerTitle(&title[0], row.size, row.halcyra, row.product, row.version,
                           row.leadByte);
        EXPECT_EQ(title.c_str(), row.title);
        EXPECT_EQ(title.substr(row.size), "########") << "wrote past the buffer";
    }
    char line[kBannerTextSize];
    ComposeUserLine(line, sizeof line, "J. Smith", nullptr);
    EXPECT_STREQ(line, "User:   J. Smith");
    ComposeUserLine(line, sizeof line, p.c_str(), nullptr);
    EXPECT_EQ(std::string(line), "User:   " + p.substr(0, kBannerTextSize - 9));
}

} // namespace
