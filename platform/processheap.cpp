#include "platform/processheap.h"

#include <cstdint>
#include <cstdlib>

#ifdef __GLIBC__
#include <malloc.h>
#include <sys/mman.h>
#include <unistd.h>
#endif

void SetProcessHeap() {
#ifdef __GLIBC__
    constexpr std::uintptr_t kHugePage = 2u << 20;
    mallopt(M_MMAP_THRESHOLD, 64 << 20);
    // Above the part set aside, or freeing would hand it back at once.
    mallopt(M_TRIM_THRESHOLD, static_cast<int>(2 * kHugeHeapBytes));
    // A block more than the young heap holds makes it grow, and with the pad
    // it grows by the whole part at once; volatile, so the allocation is not
    // left out.
    const auto nStart = reinterpret_cast<std::uintptr_t>(sbrk(0));
    mallopt(M_TOP_PAD, static_cast<int>(kHugeHeapBytes));
    void* volatile pGrow = std::malloc(8u << 20);
    std::free(pGrow);
    mallopt(M_TOP_PAD, 0);
    const auto nEnd = reinterpret_cast<std::uintptr_t>(sbrk(0));
    const std::uintptr_t nFirst = (nStart + kHugePage - 1) & ~(kHugePage - 1);
    const std::uintptr_t nLast = nEnd & ~(kHugePage - 1);
    // Without huge pages (or with a heap that could not grow) this is
    // advice nobody takes; the heap works as before.
    if (nStart != static_cast<std::uintptr_t>(-1) && nLast > nFirst)
        ::madvise(reinterpret_cast<void*>(nFirst), nLast - nFirst, MADV_HUGEPAGE);
#endif
}
