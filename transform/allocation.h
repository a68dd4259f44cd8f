// Allocation of the fitting's working memory, with a hook through which tests
// make a chosen allocation fail.
#ifndef ORTK232_TRANSFORM_ALLOCATION_H
#define ORTK232_TRANSFORM_ALLOCATION_H

#include <cstddef>

// malloc, except that a zero size still yields a block of its own, so that
// null always means failure. Release with std::free.
void *AllocateWorkingMemory(std::size_t bytes);

// Makes the count-th call of AllocateWorkingMemory from now on fail (1 = the
// next one); 0 lets every allocation through.
void FailWorkingAllocation(long count);

// Number of calls of AllocateWorkingMemory so far.
long WorkingAllocationCount();

#endif
