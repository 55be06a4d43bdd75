// driver_heap.cpp - see driver_heap.h.
#include "driver_heap.h"

#include <cstdlib> // defines __GLIBC__ where it applies

#if defined(__GLIBC__)
#include <malloc.h>
#endif

void keepDriverHeapBetweenFrames() {
#if defined(__GLIBC__)
    // Up to this much free memory stays at the top of the heap. The demo's peak is about
    // 300 MiB, so in practice nothing is returned until exit; that is the point.
    constexpr int kKeepFreeBytes = 512 * 1024 * 1024;
    mallopt(M_TRIM_THRESHOLD, kKeepFreeBytes);
#endif
}
