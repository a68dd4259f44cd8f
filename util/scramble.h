// Reversible scrambling of byte buffers: a running sum of the plain bytes,
// modulo 255, picks each scrambled byte from a fixed table of 255 different
// values. It hides text from casual reading; it is not a cipher.
#ifndef ORTK232_UTIL_SCRAMBLE_H
#define ORTK232_UTIL_SCRAMBLE_H

constexpr int kScrambleTableSize = 255;
extern const unsigned char kScrambleTable[kScrambleTableSize];

// The one byte value that the table does not hold: it never appears in a
// scrambled buffer.
constexpr unsigned char kScrambleAbsentValue = 180;

constexpr long kUnscrambleDone = 1;
constexpr long kUnscrambleForeignByte = 3;

// Scrambles length bytes in place; a length below 1 changes nothing. Plain
// bytes 0 and 255 leave the running sum alone, so both scramble alike.
void ScrambleBytes(unsigned char *buffer, long length);

// Restores length scrambled bytes in place and returns kUnscrambleDone. At
// the first byte that the table does not hold it stops and returns
// kUnscrambleForeignByte: the bytes before it are restored, it and the rest
// are left as they were. A restored byte lies in 1 to 255 (a plain 0 comes
// back as 255).
long UnscrambleBytes(unsigned char *buffer, long length);

#endif
