#include "util/scramble.h"

#include <gtest/gtest.h>

#include <set>
#include <string>
#include <vector>

namespace {

using Bytes = std::vector<unsigned char>;

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

TEST(Scramble, PicksTableEntriesByTheRunningSum) {
    const std::set<unsigned> values(kScrambleTable, kScrambleTable + kScrambleTableSize);
    EXPECT_EQ(values.size(), 255u);
    EXPECT_EQ(values.count(kScrambleAbsentValue), 0u);
    const unsigned char *t = kScrambleTable;
    EXPECT_EQ(Scrambled({'a', 'b', 'c'}), (Bytes{0xA2, 0x90, 0xCC})); // sums 97, 195, 39
    // Sums 200, 300 - 255, 295 - 255 and 255 - 255; 0 and 255 leave the sum alone.
    EXPECT_EQ(Scrambled({200, 100, 250, 215, 0, 255}),
              (Bytes{t[200], t[45], t[40], t[0], t[0], t[0]}));
}

TEST(Scramble, UnscrambleRestoresBuffersWithoutZeroBytes) {
    Bytes all;
    for (int v = 1; v <= 255; ++v)
        all.push_back(static_cast<unsigned char>(v));
    for (const Bytes &plain : {Bytes{'a', 'b', 'c'}, Bytes{1}, Bytes{255},
                               Bytes{255, 254, 255, 128, 129}, all, NonZeroNoise(4096, 7)}) {
        Bytes bytes = Scrambled(plain);
        EXPECT_TRUE(plain.size() < 2 || bytes != plain);
        EXPECT_EQ(UnscrambleBytes(bytes.data(), static_cast<long>(bytes.size())), kUnscrambleDone);
        EXPECT_EQ(bytes, plain);
    }
    Bytes zeros = Scrambled({'A', 0, 'B', 255, 0});
    EXPECT_EQ(UnscrambleBytes(zeros.data(), 5), kUnscrambleDone);
    EXPECT_EQ(zeros, (Bytes{'A', 255, 'B', 255, 255}));
}

TEST(Scramble, OneChangedByteChangesEveryLaterByte) {
    const Bytes plain = NonZeroNoise(300, 11);
    for (const std::size_t changed : {0, 1, 150}) {
        Bytes other = plain;
        other[changed] = static_cast<unsigned char>(plain[changed] % 254 + 1);
        const Bytes a = Scrambled(plain), b = Scrambled(other);
        for (std::size_t i = 0; i < plain.size(); ++i)
            ASSERT_EQ(a[i] == b[i], i < changed)
                << "byte " << i << " after a change at " << changed;
    }
}

TEST(Scramble, ForeignByteOrNoLength) {
    Bytes bytes = Scrambled({'h', 'e', 'l', 'l', 'o'});
    bytes[2] = kScrambleAbsentValue;
    EXPECT_EQ(UnscrambleBytes(bytes.data(), 5), kUnscrambleForeignByte);
    EXPECT_EQ(bytes, (Bytes{'h', 'e', kScrambleAbsentValue, Scrambled({'h', 'e', 'l', 'l'})[3],
                            Scrambled({'h', 'e', 'l', 'l', 'o'})[4]}));
    for (const long length : {0L, -1L}) {
        bytes = {kScrambleAbsentValue, 'b'};
        ScrambleBytes(bytes.data(), length);
        EXPECT_EQ(UnscrambleBytes(bytes.data(), length), kUnscrambleDone);
        EXPECT_EQ(bytes, (Bytes{kScrambleAbsentValue, 'b'}));
    }
}

} // namespace
