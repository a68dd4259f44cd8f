#include "transform/platform_memory.h"

#include <cstdlib>
#include <sys/mman.h>

// Fresh memory is mapped a page at a time on first touch, and on some
// virtual machines each of those faults costs as much as parsing a few
// hundred points. Blocks aligned to the 2 MiB of a transparent huge page and
// marked for huge pages take one fault per 2 MiB instead of 512. The size is
// rounded up to whole huge pages when that wastes at most an eighth of the
// block; otherwise its tail keeps small pages.
void *AllocateLargeBlock(std::size_t bytes) {
    constexpr std::size_t kHugePage = std::size_t{2} << 20;
    if (bytes < kHugePage)
        return std::malloc(bytes);
    const std::size_t rounded = (bytes + kHugePage - 1) & ~(kHugePage - 1);
    const bool round = rounded - bytes <= bytes / 8;
    void *block = nullptr;
    if (posix_memalign(&block, kHugePage, round ? rounded : bytes) != 0)
        return nullptr;
#ifdef MADV_HUGEPAGE
    madvise(block, round ? rounded : bytes & ~(kHugePage - 1), MADV_HUGEPAGE);
#endif
    return block;
}
