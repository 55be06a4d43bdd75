// alloc_count.cpp - see alloc_count.h.
#include "alloc_count.h"

#include <atomic>
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <iterator>
#include <link.h>
#include <new>

namespace {

std::atomic<long> g_count{0};
std::atomic<long> g_driverCount{0};

// The code of the libraries set aside: a handful of address ranges, written once before
// counting starts.
struct Range {
    uintptr_t from, to;
};
Range g_ranges[64];
std::atomic<int> g_rangeCount{0};

inline void countFrom(const void* caller) {
    const uintptr_t at = reinterpret_cast<uintptr_t>(caller);
    const int n = g_rangeCount.load(std::memory_order_acquire);
    for (int i = 0; i < n; ++i)
        if (at >= g_ranges[i].from && at < g_ranges[i].to) {
            g_driverCount.fetch_add(1, std::memory_order_relaxed);
            return;
        }
    g_count.fetch_add(1, std::memory_order_relaxed);
}

struct Search {
    std::initializer_list<const char*> names;
    int found = 0;
};

int addLibrary(dl_phdr_info* info, size_t, void* data) {
    Search& search = *static_cast<Search*>(data);
    if (!info->dlpi_name) return 0;
    bool wanted = false;
    for (const char* name : search.names)
        if (std::strstr(info->dlpi_name, name)) wanted = true;
    if (!wanted) return 0;
    for (int i = 0; i < info->dlpi_phnum && search.found < int(std::size(g_ranges)); ++i) {
        const ElfW(Phdr)& segment = info->dlpi_phdr[i];
        if (segment.p_type != PT_LOAD || !(segment.p_flags & PF_X)) continue;
        const uintptr_t from = info->dlpi_addr + segment.p_vaddr;
        g_ranges[search.found++] = {from, from + segment.p_memsz};
    }
    return 0;
}

void* allocate(std::size_t size, const void* caller) {
    countFrom(caller);
    return std::malloc(size ? size : 1);
}

} // namespace

long allocationCount() {
    return g_count.load(std::memory_order_relaxed);
}

long driverAllocationCount() {
    return g_driverCount.load(std::memory_order_relaxed);
}

void setAsideAllocationsFrom(std::initializer_list<const char*> names) {
    Search search{names};
    dl_iterate_phdr(addLibrary, &search);
    g_rangeCount.store(search.found, std::memory_order_release);
}

// malloc underneath, so free() is the matching release of every form below.
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
