#include "transform/platform_memory.h"

#include <cstdlib>

void *AllocateLargeBlock(std::size_t bytes) {
    return std::malloc(bytes);
}
