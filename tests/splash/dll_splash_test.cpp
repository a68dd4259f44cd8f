// The splash screen and About box as the host sees them: exported names, the
// banner resources inside the DLL, and the ortkcall commands.
#include "tests/frame/library.h"

#include <gtest/gtest.h>

#include <set>
#include <string>

namespace {

TEST(DllSplash, ExportsAreFoundByTheirHostNames) {
    ASSERT_NE(Library(), nullptr);
    for (const char *name : {"ShowSplashScreen", "RemoveSplashScreen", "AboutOrtelan"})
        EXPECT_NE(GetProcAddress(Library(), name), nullptr) << name;
}

TEST(DllSplash, DialogTemplatesArePresent) {
    for (int id : {103, 105, 116, 117})
        EXPECT_NE(FindResourceA(Library(), MAKEINTRESOURCEA(id), MAKEINTRESOURCEA(5)), nullptr)
            << "dialog " << id;
}

// The header of a bitmap resource and the number of distinct colours that
// its pixels use.
struct BannerInfo {
    BITMAPINFOHEADER header = {};
    size_t colours = 0;
};

BannerInfo ReadBanner(int id) {
    BannerInfo info;
    HRSRC resource = FindResourceA(Library(), MAKEINTRESOURCEA(id), MAKEINTRESOURCEA(2));
    if (resource == nullptr)
        return info;
    const auto *bytes =
        static_cast<const unsigned char *>(LockResource(LoadResource(Library(), resource)));
    info.header = *reinterpret_cast<const BITMAPINFOHEADER *>(bytes);
    const BITMAPINFOHEADER &h = info.header;
    const int paletteEntries = h.biBitCount <= 8 ? (h.biClrUsed ? h.biClrUsed : 256) : 0;
    const unsigned char *palette = bytes + h.biSize;
    const unsigned char *pixels = palette + 4 * paletteEntries;
    const int stride = ((h.biWidth * h.biBitCount + 31) / 32) * 4;
    std::set<unsigned> colours;
    for (int y = 0; y < h.biHeight; ++y) {
        for (int x = 0; x < h.biWidth; ++x) {
            const unsigned char *p = pixels + y * stride;
            unsigned rgb;
            if (h.biBitCount == 8) {
                const unsigned char *entry = palette + 4 * p[x];
                rgb = entry[0] | entry[1] << 8 | entry[2] << 16;
            } else {
                rgb = p[3 * x] | p[3 * x + 1] << 8 | p[3 * x + 2] << 16;
            }
            colours.insert(rgb);
        }
    }
    info.colours = colours.size();
    return info;
}

TEST(DllSplash, BannerBitmapsHaveTheirSizesAndDepths) {
    const BannerInfo relief = ReadBanner(122);
    EXPECT_EQ(relief.header.biWidth, 325);
    EXPECT_EQ(relief.header.biHeight, 325);
    EXPECT_EQ(relief.header.biBitCount, 8);
    EXPECT_TRUE(relief.header.biClrUsed == 0 || relief.header.biClrUsed == 256);
    // Real artwork, not a flat fill.
    EXPECT_GT(relief.colours, 100u);

    const BannerInfo geology = ReadBanner(124);
    EXPECT_EQ(geology.header.biWidth, 382);
    EXPECT_EQ(geology.header.biHeight, 325);
    EXPECT_EQ(geology.header.biBitCount, 24);
    EXPECT_EQ(geology.header.biCompression, static_cast<DWORD>(BI_RGB));
    EXPECT_GT(geology.colours, 1000u);
}

TEST(DllSplash, OrtkcallSplashClosesWhenTheHostPumpsLongEnough) {
    int status = -1;
    EXPECT_EQ(RunOrtkcall("showsplashscreen Ortelan 4.0 - \"J. Smith\" \"Survey\" 500", &status),
              "result=0\nopen=1\n");
    EXPECT_EQ(status, 0);
    EXPECT_EQ(RunOrtkcall("showsplashscreen Halcyra 4.0 - x \"\" 3600", &status),
              "result=0\nopen=0\n");
    EXPECT_EQ(RunOrtkcall("removesplashscreen", &status), "result=0\n");
    RunOrtkcall("showsplashscreen Ortelan 4.0 -", &status);
    EXPECT_NE(status, 0) << "missing arguments are a usage error";
}

} // namespace
