#include "transform/allocation.h"

#include "transform/platform_memory.h"

#include <cstdlib>

namespace {
long g_failCountdown = 0;
long g_allocations = 0;
} // namespace

void *AllocateWorkingMemory(std::size_t bytes) {
    ++g_allocations;
    if (g_failCountdown > 0 && --g_failCountdown == 0)
        return nullptr;
    if (bytes >= kLargeBlockBytes)
        return AllocateLargeBlock(bytes);
    return std::malloc(bytes == 0 ? 1 : bytes);
}

void FailWorkingAllocation(long count) {
    g_failCountdown = count;
}

long WorkingAllocationCount() {
    return g_allocations;
}
