#include "util/scramble.h"

#include <gtest/gtest.h>

#include <set>
#include <vector>

namespace {

using Bytes = std::vector<unsigned char>;

Bytes Scrambled(Bytes bytes, long length = -2) {
    ScrambleBytes(bytes.data(), length == -2 ? long(bytes.size()) : length);
    return bytes;
}

// The running sum of the plain bytes (0 and 255 leave it alone) modulo 255
// picks the table entry; unscrambling restores every buffer (a plain 0 as
// 255) up to a byte that the table does not hold.
TEST(Scramble, PicksTableEntriesByTheRunningSumAndRestores) {
    const unsigned char *t = kScrambleTable;
    EXPECT_EQ(std::set<unsigned>(t, t + kScrambleTableSize).size(), 255u);
    EXPECT_EQ(std::count(t, t + kScrambleTableSize, kScrambleAbsentValue), 0);
    EXPECT_EQ(Scrambled({'a', 'b', 'c'}), (Bytes{0xA2, 0x90, 0xCC})); // sums 97, 195, 39
    EXPECT_EQ(Scrambled({200, 100, 250, 215, 0, 255}),
              (Bytes{t[200], t[45], t[40], t[0], t[0], t[0]}));
    Bytes noise(4096), all;
    for (std::size_t i = 0; i < noise.size(); ++i)
        noise[i] = static_cast<unsigned char>(1 + (i * 2654435761u >> 13) % 255);
    for (int v = 1; v <= 255; ++v)
        all.push_back(static_cast<unsigned char>(v));
    for (const Bytes &plain :
         {Bytes{1}, Bytes{255, 254, 255, 128, 129}, all, noise, Bytes{'A', 0, 'B', 0}}) {
        Bytes bytes = Scrambled(plain), restored = plain;
        std::replace(restored.begin(), restored.end(), 0, 255);
        EXPECT_TRUE(plain.size() < 2 || bytes != plain);
        EXPECT_EQ(UnscrambleBytes(bytes.data(), long(bytes.size())), kUnscrambleDone);
        EXPECT_EQ(bytes, restored);
        // One changed byte changes every later one.
        for (std::size_t changed = 0; changed < plain.size(); changed += 150) {
            Bytes other = plain;
            other[changed] = static_cast<unsigned char>(plain[changed] % 254 + 1);
            const Bytes a = Scrambled(plain), b = Scrambled(other);
            for (std::size_t i = 0; i < plain.size(); ++i)
                ASSERT_EQ(a[i] == b[i], i < changed) << i << " after a change at " << changed;
        }
    }
    Bytes bytes = Scrambled({'h', 'e', 'l', 'l', 'o'}), tail = bytes;
    bytes[2] = kScrambleAbsentValue;
    EXPECT_EQ(UnscrambleBytes(bytes.data(), 5), kUnscrambleForeignByte);
    EXPECT_EQ(bytes, (Bytes{'h', 'e', kScrambleAbsentValue, tail[3], tail[4]}));
    for (const long length : {0L, -1L}) {
        EXPECT_EQ(Scrambled({kScrambleAbsentValue, 'b'}, length),
                  (Bytes{kScrambleAbsentValue, 'b'}));
        EXPECT_EQ(UnscrambleBytes(bytes.data(), length), kUnscrambleDone);
    }
}

} // namespace
