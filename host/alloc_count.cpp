// alloc_count.cpp - see alloc_count.h.
#include "alloc_count.h"

#include <atomic>
#include <cerrno>
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <execinfo.h>
#include <iterator>
#include <link.h>
#include <new>

// AddressSanitizer brings its own malloc; defining one here would replace it (see the header).
#if defined(__SANITIZE_ADDRESS__)
#define DEMO_ALLOC_COUNT_C 0
#elif defined(__has_feature)
#if __has_feature(address_sanitizer)
#define DEMO_ALLOC_COUNT_C 0
#endif
#endif
#ifndef DEMO_ALLOC_COUNT_C
#define DEMO_ALLOC_COUNT_C 1
#endif

#if DEMO_ALLOC_COUNT_C
// glibc's allocator under its own names: what malloc and friends are when nobody replaces them.
extern "C" {
void* __libc_malloc(size_t size);
void* __libc_calloc(size_t count, size_t size);
void* __libc_realloc(void* p, size_t size);
void* __libc_memalign(size_t alignment, size_t size);
void* __libc_valloc(size_t size);
void* __libc_pvalloc(size_t size);
}
#endif

namespace {

// Zero-initialised before any code runs: malloc is called long before main.
std::atomic<long> g_count{0};
std::atomic<long> g_driverCount{0};

// The code of the libraries set aside, and of those allocations pass through: a handful of
// address ranges each, written once before counting starts.
struct Range {
    uintptr_t from, to;
    bool through; // a C or C++ library working for its caller
};
Range g_ranges[128];
std::atomic<int> g_rangeCount{0};

enum class Owner { Demo, Driver, Through };

Owner ownerOf(const void* address, int n) {
    const uintptr_t at = reinterpret_cast<uintptr_t>(address);
    for (int i = 0; i < n; ++i)
        if (at >= g_ranges[i].from && at < g_ranges[i].to)
            return g_ranges[i].through ? Owner::Through : Owner::Driver;
    return Owner::Demo;
}

// Set while this thread walks its stack: the walk may allocate (the unwinder's first use), and
// that allocation is judged by its immediate caller alone.
thread_local bool t_walking = false;

// The first caller up the stack above `caller` that is not a pass-through library. A walk
// that does not find `caller` among its frames leaves the allocation to `caller`.
Owner ownerAbove(const void* caller, int n) {
    if (t_walking) return Owner::Demo;
    t_walking = true;
    void* frames[24];
    const int depth = backtrace(frames, int(std::size(frames)));
    t_walking = false;
    int i = 0;
    while (i < depth && frames[i] != caller) ++i;
    for (++i; i < depth; ++i) {
        const Owner owner = ownerOf(frames[i], n);
        if (owner != Owner::Through) return owner;
    }
    return Owner::Demo;
}

inline void countFrom(const void* caller) {
    const int n = g_rangeCount.load(std::memory_order_acquire);
    Owner owner = ownerOf(caller, n);
    if (owner == Owner::Through) owner = ownerAbove(caller, n);
    (owner == Owner::Driver ? g_driverCount : g_count).fetch_add(1, std::memory_order_relaxed);
}

struct Search {
    std::initializer_list<const char*> names;
    bool through;
    int found;
};

bool nameHasAny(const char* name, std::initializer_list<const char*> parts) {
    for (const char* part : parts)
        if (std::strstr(name, part)) return true;
    return false;
}

int addLibrary(dl_phdr_info* info, size_t, void* data) {
    Search& search = *static_cast<Search*>(data);
    if (!info->dlpi_name || !nameHasAny(info->dlpi_name, search.names)) return 0;
    for (int i = 0; i < info->dlpi_phnum && search.found < int(std::size(g_ranges)); ++i) {
        const ElfW(Phdr)& segment = info->dlpi_phdr[i];
        if (segment.p_type != PT_LOAD || !(segment.p_flags & PF_X)) continue;
        const uintptr_t from = info->dlpi_addr + segment.p_vaddr;
        g_ranges[search.found++] = {from, from + segment.p_memsz, search.through};
    }
    return 0;
}

// operator new's memory: glibc's directly, so the counted malloc below does not count it a
// second time. Under a sanitizer, its malloc (uncounted there).
void* allocate(std::size_t size, const void* caller) {
    countFrom(caller);
    if (size == 0) size = 1;
#if DEMO_ALLOC_COUNT_C
    return __libc_malloc(size);
#else
    return std::malloc(size);
#endif
}

} // namespace

long allocationCount() {
    return g_count.load(std::memory_order_relaxed);
}

long driverAllocationCount() {
    return g_driverCount.load(std::memory_order_relaxed);
}

bool countsCAllocations() {
    return DEMO_ALLOC_COUNT_C != 0;
}

void setAsideAllocationsFrom(std::initializer_list<const char*> names,
                             std::initializer_list<const char*> through) {
    g_rangeCount.store(0, std::memory_order_release);
    Search search{names, false, 0};
    dl_iterate_phdr(addLibrary, &search);
    search.names = through;
    search.through = true;
    dl_iterate_phdr(addLibrary, &search);
    // The unwinder's first walk loads and sets itself up; done here, not inside a frame.
    void* frames[4];
    backtrace(frames, int(std::size(frames)));
    g_rangeCount.store(search.found, std::memory_order_release);
}

// glibc's malloc underneath, so free() is the matching release of every form below.
void* operator new(std::size_t size) {
    if (void* p = allocate(size, __builtin_return_address(0))) return p;
    throw std::bad_alloc();
}
void* operator new[](std::size_t size) {
    if (void* p = allocate(size, __builtin_return_address(0))) return p;
    throw std::bad_alloc();
}
void* operator new(std::size_t size, const std::nothrow_t&) noexcept {
    return allocate(size, __builtin_return_address(0));
}
void* operator new[](std::size_t size, const std::nothrow_t&) noexcept {
    return allocate(size, __builtin_return_address(0));
}
void operator delete(void* p) noexcept {
    std::free(p);
}
void operator delete[](void* p) noexcept {
    std::free(p);
}
void operator delete(void* p, std::size_t) noexcept {
    std::free(p);
}
void operator delete[](void* p, std::size_t) noexcept {
    std::free(p);
}

#if DEMO_ALLOC_COUNT_C
// The C allocator, interposed on glibc's: every library's call lands here (glibc's own
// internal ones too, e.g. strdup and fopen). free, malloc_usable_size and the rest stay glibc's,
// which owns the memory. Each call that can hand out a new block counts once; realloc to size
// 0 frees and is not counted.
extern "C" {

void* malloc(size_t size) noexcept {
    countFrom(__builtin_return_address(0));
    return __libc_malloc(size);
}

void* calloc(size_t count, size_t size) noexcept {
    countFrom(__builtin_return_address(0));
    return __libc_calloc(count, size);
}

void* realloc(void* p, size_t size) noexcept {
    if (size != 0 || !p) countFrom(__builtin_return_address(0));
    return __libc_realloc(p, size);
}

// glibc's own calls its internal realloc, which would pass uncounted.
void* reallocarray(void* p, size_t count, size_t size) noexcept {
    size_t bytes;
    if (__builtin_mul_overflow(count, size, &bytes)) {
        errno = ENOMEM;
        return nullptr;
    }
    if (bytes != 0 || !p) countFrom(__builtin_return_address(0));
    return __libc_realloc(p, bytes);
}

void* memalign(size_t alignment, size_t size) noexcept {
    countFrom(__builtin_return_address(0));
    return __libc_memalign(alignment, size);
}

// glibc's aligned_alloc is its memalign under another name.
void* aligned_alloc(size_t alignment, size_t size) noexcept {
    countFrom(__builtin_return_address(0));
    return __libc_memalign(alignment, size);
}

// The checks glibc makes; the result comes back through `out` and errno is left alone.
int posix_memalign(void** out, size_t alignment, size_t size) noexcept {
    if (alignment == 0 || alignment % sizeof(void*) != 0 || (alignment & (alignment - 1)) != 0)
        return EINVAL;
    countFrom(__builtin_return_address(0));
    const int saved = errno;
    void* p = __libc_memalign(alignment, size);
    errno = saved;
    if (!p) return ENOMEM;
    *out = p;
    return 0;
}

void* valloc(size_t size) noexcept {
    countFrom(__builtin_return_address(0));
    return __libc_valloc(size);
}

void* pvalloc(size_t size) noexcept {
    countFrom(__builtin_return_address(0));
    return __libc_pvalloc(size);
}

} // extern "C"
#endif
