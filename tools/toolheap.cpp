#include "tools/toolheap.h"

#ifdef __GLIBC__
#include <malloc.h>
#endif

void SetToolHeap() {
#ifdef __GLIBC__
    mallopt(M_MMAP_THRESHOLD, 64 << 20);
    mallopt(M_TRIM_THRESHOLD, 128 << 20);
#endif
}
