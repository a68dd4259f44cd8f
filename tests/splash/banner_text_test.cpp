// Variant choice, title and user line of the banner boxes.
#include "splash/banner_text.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <string>

namespace {

TEST(BannerVariant, HalcyraOnlyWhenNamedWithItsCapital) {
    const struct {
        const char *product;
        bool halcyra;
    } cases[] = {{"Ortelan", false},        {"Halcyra", true},  {"Veltrane Halcyra Pro", true},
                 {"halcyra", false},        {"HALCYRA", false}, {"ProHalcyra3D", true},
                 {"Halcyr", false},         {"", false},        {nullptr, false},
                 {"Ortelan halcyra", false}};
    for (const auto &c : cases)
        EXPECT_EQ(IsHalcyraProduct(c.product), c.halcyra) << (c.product ? c.product : "(null)");
}

TEST(BannerUser, OnlyASingleXMeansNoUser) {
    EXPECT_TRUE(IsNoUserName("x"));
    EXPECT_TRUE(IsNoUserName("X"));
    EXPECT_FALSE(IsNoUserName("xx"));
    EXPECT_FALSE(IsNoUserName(" x"));
    EXPECT_FALSE(IsNoUserName(""));
    EXPECT_FALSE(IsNoUserName("J. Smith"));
}

TEST(BannerTitle, DefaultVariantCarriesTheMakersPrefix) {
    char title[kBannerTextSize];
    ComposeBannerTitle(title, sizeof title, false, "Ortelan", "4.0", nullptr);
    EXPECT_STREQ(title, "Veltrane Ortelan 4.0");
    ComposeBannerTitle(title, sizeof title, true, "Halcyra", "4.0", nullptr);
    EXPECT_STREQ(title, "Halcyra 4.0");
    ComposeBannerTitle(title, sizeof title, true, nullptr, nullptr, nullptr);
    EXPECT_STREQ(title, " ");
}

TEST(BannerTitle, LongTitleIsCutToTheBuffer) {
    const std::string product(1500, 'p');
    char title[kBannerTextSize + 8];
    std::fill(title, title + sizeof title, '#');
    ComposeBannerTitle(title, kBannerTextSize, false, product.c_str(), "4.0", nullptr);
    EXPECT_EQ(std::string(title).size(), kBannerTextSize - 1);
    EXPECT_EQ(std::string(title), "Veltrane " + std::string(kBannerTextSize - 10, 'p'));
    EXPECT_EQ(title[kBannerTextSize], '#') << "wrote past the buffer";

    // Exactly full: prefix + name + blank + version = 1023 characters.
    const std::string fits(1023 - 9 - 1 - 3, 'q');
    ComposeBannerTitle(title, kBannerTextSize, false, fits.c_str(), "4.0", nullptr);
    EXPECT_EQ(std::string(title), "Veltrane " + fits + " 4.0");
}

bool TestLeadByte(unsigned char byte) {
    return byte >= 0x81 && byte <= 0x9f;
}

TEST(BannerTitle, CutNeverSplitsATwoByteCharacter) {
    // Title buffer of 8: room for 7 bytes. "ab" + one two-byte character fits
    // whole at 4 bytes; the next one would need bytes 7 and 8.
    char title[8];
    ComposeBannerTitle(title, sizeof title, true, "ab\x81\x40\x82\x41\x83\x42", "1", TestLeadByte);
    EXPECT_STREQ(title, "ab\x81\x40\x82\x41");
    ComposeBannerTitle(title, sizeof title, true, "abcd\x81\x40\x82\x41", "1", TestLeadByte);
    EXPECT_STREQ(title, "abcd\x81\x40");
    // Without a lead-byte rule the same bytes are cut at the buffer's end.
    ComposeBannerTitle(title, sizeof title, true, "abcd\x81\x40\x82\x41", "1", nullptr);
    EXPECT_STREQ(title, "abcd\x81\x40\x82");
}

TEST(BannerUser, UserLineHasThreeBlanksAfterTheColon) {
    char line[kBannerTextSize];
    ComposeUserLine(line, sizeof line, "J. Smith", nullptr);
    EXPECT_STREQ(line, "User:   J. Smith");
    const std::string longName(2000, 'n');
    ComposeUserLine(line, sizeof line, longName.c_str(), nullptr);
    EXPECT_EQ(std::string(line), "User:   " + std::string(kBannerTextSize - 9, 'n'));
}

} // namespace
