// The profiler's allocation counter: every way into the heap counts exactly once (operator
// new is not counted again as the malloc under it), a free or a realloc to nothing is not an
// allocation, calls made from a library set aside are counted apart, C ones included, and one
// that passes through the C or C++ library belongs to whoever called that.
#include "alloc_count.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <malloc.h>
#include <memory>
#include <string>

namespace {

// The pointers escape here, so the compiler cannot drop an allocation it sees unused.
void* volatile g_sink;

struct Counts {
    long own, driver;
};
Counts now() {
    return {allocationCount(), driverAllocationCount()};
}
long ownSince(const Counts& before) {
    return allocationCount() - before.own;
}

} // namespace

TEST(AllocCount, OperatorNewCountsOnce) {
    Counts before = now();
    int* one = new int(7);
    g_sink = one;
    EXPECT_EQ(ownSince(before), 1);
    delete one;
    before = now();
    char* many = new char[100];
    g_sink = many;
    EXPECT_EQ(ownSince(before), 1);
    delete[] many;

    // A name too long for the short-string buffer: the case the scenes' constants avoid.
    before = now();
    std::string name("a name longer than the buffer of a short string");
    g_sink = name.data();
    EXPECT_EQ(ownSince(before), 1);
    before = now();
    std::string shortName("mvp");
    g_sink = shortName.data();
    EXPECT_EQ(ownSince(before), 0);
}

TEST(AllocCount, CAllocationsCountOnceAndFreesNever) {
    if (!countsCAllocations()) GTEST_SKIP() << "sanitizer build: malloc is the sanitizer's";
    Counts before = now();
    void* p = std::malloc(64);
    g_sink = p;
    EXPECT_EQ(ownSince(before), 1);
    before = now();
    p = std::realloc(p, 4096);
    g_sink = p;
    EXPECT_EQ(ownSince(before), 1);
    before = now();
    std::free(p);
    g_sink = std::calloc(8, 8);
    EXPECT_EQ(ownSince(before), 1);
    before = now();
    EXPECT_EQ(std::realloc(g_sink, 0), nullptr); // frees
    EXPECT_EQ(ownSince(before), 0);

    before = now();
    void* aligned = nullptr;
    ASSERT_EQ(posix_memalign(&aligned, 64, 100), 0);
    EXPECT_EQ(reinterpret_cast<uintptr_t>(aligned) % 64, 0u);
    g_sink = aligned;
    std::free(aligned);
    aligned = std::aligned_alloc(256, 512);
    EXPECT_EQ(reinterpret_cast<uintptr_t>(aligned) % 256, 0u);
    g_sink = aligned;
    std::free(aligned);
    aligned = memalign(32, 10);
    g_sink = aligned;
    std::free(aligned);
    EXPECT_EQ(ownSince(before), 3);

    // Bad alignments are refused as glibc refuses them, and count nothing.
    before = now();
    EXPECT_EQ(posix_memalign(&aligned, 3, 10), EINVAL);
    EXPECT_EQ(posix_memalign(&aligned, 0, 10), EINVAL);
    EXPECT_EQ(ownSince(before), 0);

    // The C library's own calls into malloc land here too.
    before = now();
    char* copy = strdup("copied");
    g_sink = copy;
    EXPECT_EQ(ownSince(before), 1);
    EXPECT_STREQ(copy, "copied");
    std::free(copy);
}

TEST(AllocCount, CallsFromALibrarySetAsideAreCountedApart) {
    if (!countsCAllocations()) GTEST_SKIP() << "sanitizer build: malloc is the sanitizer's";
    setAsideAllocationsFrom({"libc.so"});
    Counts before = now();
    char* copy = strdup("from libc"); // malloc called from the C library's code
    g_sink = copy;
    EXPECT_EQ(ownSince(before), 0);
    EXPECT_EQ(driverAllocationCount() - before.driver, 1);
    std::free(copy);
    before = now();
    g_sink = std::malloc(10); // called from here: still the demo's own
    EXPECT_EQ(ownSince(before), 1);
    EXPECT_EQ(driverAllocationCount() - before.driver, 0);
    std::free(g_sink);
    setAsideAllocationsFrom({});
}

TEST(AllocCount, PassThroughLibrariesLeaveTheAllocationToTheirCaller) {
    if (!countsCAllocations()) GTEST_SKIP() << "sanitizer build: malloc is the sanitizer's";
    // Both the C and the C++ library set aside would count these as the driver's; as
    // pass-through libraries the walk up the stack finds this program above them.
    setAsideAllocationsFrom({}, {"libc.so", "libstdc++"});
    Counts before = now();
    char* copy = strdup("through libc");
    g_sink = copy;
    std::string grown("short");
    grown.append(100, 'x'); // grows inside libstdc++
    g_sink = grown.data();
    EXPECT_EQ(ownSince(before), 2);
    EXPECT_EQ(driverAllocationCount() - before.driver, 0);
    std::free(copy);

    // The C++ library set aside: getcwd allocates inside libc on behalf of current_path,
    // and the walk finds the C++ library above it.
    setAsideAllocationsFrom({"libstdc++"}, {"libc.so"});
    before = now();
    const std::filesystem::path here = std::filesystem::current_path();
    g_sink = const_cast<char*>(here.c_str());
    EXPECT_EQ(ownSince(before), 0);
    EXPECT_GE(driverAllocationCount() - before.driver, 1);
    setAsideAllocationsFrom({});
}
