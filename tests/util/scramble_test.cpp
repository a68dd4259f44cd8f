#include "util/scramble.h"

#include <gtest/gtest.h>

#include <set>
#include <string>
#include <vector>

namespace {

using Bytes = std::vector<unsigned char>;

Bytes FromText(const std::string &text) {
    return Bytes(text.begin(), text.end());
}

Bytes Scrambled(Bytes bytes) {
    ScrambleBytes(bytes.data(), static_cast<long>(bytes.size()));
    return bytes;
}

// A fixed pseudo-random buffer without zero bytes.
Bytes NonZeroNoise(std::size_t size, unsigned seed) {
    Bytes bytes(size);
    for (unsigned char &byte : bytes) {
        seed = seed * 1103515245u + 12345u;
        byte = static_cast<unsigned char>(1 + (seed >> 16) % 255);
    }
    return bytes;
}

TEST(ScrambleTable, HoldsEveryValueButOneOnce) {
    std::set<unsigned> values(kScrambleTable, kScrambleTable + kScrambleTableSize);
    EXPECT_EQ(values.size(), 255u);
    EXPECT_EQ(values.count(kScrambleAbsentValue), 0u);
    // The table follows its documented rule, entry by entry.
    for (int i = 0; i < kScrambleTableSize; ++i)
        EXPECT_EQ(kScrambleTable[i], (i * 167 + 91) % 256) << "entry " << i;
}

TEST(Scramble, KnownBufferScramblesThroughTheRunningSum) {
    // Running sums 97, 195 and 294 - 255 = 39.
    EXPECT_EQ(Scrambled(FromText("abc")), (Bytes{0xA2, 0x90, 0xCC}));
    // 200 + 100 = 300 wraps to 45, then 45 + 250 = 295 wraps to 40.
    EXPECT_EQ(Scrambled(Bytes{200, 100, 250}),
              (Bytes{kScrambleTable[200], kScrambleTable[45], kScrambleTable[40]}));
}

struct RoundTrip {
    const char *name;
    Bytes plain;
};

class ScrambleRoundTrip : public testing::TestWithParam<RoundTrip> {};

TEST_P(ScrambleRoundTrip, RestoresBuffersWithoutZeroBytes) {
    Bytes bytes = GetParam().plain;
    ScrambleBytes(bytes.data(), static_cast<long>(bytes.size()));
    if (bytes.size() > 1) {
        EXPECT_NE(bytes, GetParam().plain);
    }
    EXPECT_EQ(UnscrambleBytes(bytes.data(), static_cast<long>(bytes.size())), kUnscrambleDone);
    EXPECT_EQ(bytes, GetParam().plain);
}

Bytes AllNonZeroValues() {
    Bytes bytes;
    for (int v = 1; v <= 255; ++v)
        bytes.push_back(static_cast<unsigned char>(v));
    return bytes;
}

INSTANTIATE_TEST_SUITE_P(
    Buffers, ScrambleRoundTrip,
    testing::Values(RoundTrip{"abc", FromText("abc")}, RoundTrip{"one_byte", Bytes{1}},
                    RoundTrip{"byte_255", Bytes{255}}, RoundTrip{"all_values", AllNonZeroValues()},
                    RoundTrip{"high_bytes", Bytes{255, 254, 255, 128, 129}},
                    RoundTrip{"noise", NonZeroNoise(4096, 7)}),
    [](const testing::TestParamInfo<RoundTrip> &info) { return std::string(info.param.name); });

TEST(Scramble, ZeroAndByte255CollapseTo255) {
    EXPECT_EQ(Scrambled(Bytes{0}), Bytes{kScrambleTable[0]});
    EXPECT_EQ(Scrambled(Bytes{255}), Bytes{kScrambleTable[0]});

    Bytes bytes = {'A', 0, 'B', 255, 0};
    EXPECT_EQ(Scrambled(bytes), Scrambled(Bytes{'A', 255, 'B', 0, 255}));
    ScrambleBytes(bytes.data(), 5);
    EXPECT_EQ(UnscrambleBytes(bytes.data(), 5), kUnscrambleDone);
    EXPECT_EQ(bytes, (Bytes{'A', 255, 'B', 255, 255}));
}

TEST(Scramble, OneChangedByteChangesEveryLaterByte) {
    const Bytes plain = NonZeroNoise(300, 11);
    for (std::size_t changed : {std::size_t{0}, std::size_t{1}, std::size_t{150}}) {
        Bytes other = plain;
        other[changed] = static_cast<unsigned char>(plain[changed] % 254 + 1);
        const Bytes a = Scrambled(plain), b = Scrambled(other);
        for (std::size_t i = 0; i < plain.size(); ++i) {
            if (i < changed)
                EXPECT_EQ(a[i], b[i]) << "byte " << i << " after a change at " << changed;
            else
                EXPECT_NE(a[i], b[i]) << "byte " << i << " after a change at " << changed;
        }
    }
}

TEST(Scramble, NeverWritesTheAbsentValue) {
    for (int v = 0; v <= 255; ++v)
        EXPECT_NE(Scrambled(Bytes{static_cast<unsigned char>(v)})[0], kScrambleAbsentValue);
    for (unsigned char byte : Scrambled(NonZeroNoise(10000, 3)))
        ASSERT_NE(byte, kScrambleAbsentValue);
}

TEST(Unscramble, StopsAtTheAbsentValueWithThePrefixRestored) {
    const Bytes plain = FromText("hello");
    Bytes bytes = Scrambled(plain);
    bytes[2] = kScrambleAbsentValue;
    const Bytes before = bytes;
    EXPECT_EQ(UnscrambleBytes(bytes.data(), 5), kUnscrambleForeignByte);
    EXPECT_EQ(bytes[0], 'h');
    EXPECT_EQ(bytes[1], 'e');
    EXPECT_EQ(Bytes(bytes.begin() + 2, bytes.end()), Bytes(before.begin() + 2, before.end()));
}

TEST(Scramble, LengthBelowOneChangesNothing) {
    for (long length : {0L, -1L, -1000L}) {
        Bytes bytes = FromText("abc");
        ScrambleBytes(bytes.data(), length);
        EXPECT_EQ(bytes, FromText("abc"));
        bytes[0] = kScrambleAbsentValue;
        EXPECT_EQ(UnscrambleBytes(bytes.data(), length), kUnscrambleDone);
        EXPECT_EQ(bytes[0], kScrambleAbsentValue);
    }
}

} // namespace
