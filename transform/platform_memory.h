// Large blocks of the fitting's working memory (point records, coordinate and
// residual arrays), through the platform's best way of providing them.
#ifndef ORTK232_TRANSFORM_PLATFORM_MEMORY_H
#define ORTK232_TRANSFORM_PLATFORM_MEMORY_H

#include <cstddef>

// Blocks of at least this many bytes go through AllocateLargeBlock.
constexpr std::size_t kLargeBlockBytes = std::size_t{2} << 20;

// A block of at least bytes bytes, released with std::free; null when it
// cannot be had.
void *AllocateLargeBlock(std::size_t bytes);

#endif
