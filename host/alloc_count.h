// alloc_count.h - counts the program's heap allocations, for the frame profiler (demorender
// --profile). Linked into demorender only: the player keeps the standard allocator. Both ways
// into the heap are counted: operator new (and new[], nothrow) and the C functions malloc,
// calloc, realloc, reallocarray and the aligned forms (posix_memalign, aligned_alloc,
// memalign, valloc, pvalloc). The program's definitions interpose on the C library's, so the
// plug-ins, loaded later, and every shared library bind to them too. Each form hands the work
// to glibc's own entry (__libc_malloc, ...), so memory stays glibc's, free() releases every
// form, and an operator new counts once, not again through malloc.
//
// Sanitizer builds (AddressSanitizer) keep their own malloc: a program-defined one would take
// its place and hide every heap error. There only operator new is counted, through malloc.
//
// A software GL driver allocates a great deal (llvmpipe compiles its shader variants with
// LLVM, Mesa keeps its own state). Allocations called from a library whose file name holds one
// of the given names are counted apart, so the demo's own are not drowned. Many of them reach
// the allocator through the C or C++ library (LLVM's strings grow inside libstdc++, Mesa's
// strdup and asprintf allocate inside libc): an allocation whose caller lies in such a
// pass-through library belongs to the first caller above it that does not, found by walking
// the stack (backtrace). Only those walk; the demo's own direct calls cost a compare or two.
#pragma once

#include <initializer_list>

long allocationCount();       // the demo's own
long driverAllocationCount(); // made from the libraries set aside below

// True when C malloc and friends are counted (false in sanitizer builds, see above).
bool countsCAllocations();

// Looks up the loaded libraries whose file name contains one of `names` ("libLLVM") and
// counts allocations made from their code apart from now on, directly or through one of the
// libraries named by `through` ("libstdc++"). Call it once the GL context exists, before
// counting; a later call replaces the lists.
void setAsideAllocationsFrom(std::initializer_list<const char*> names,
                             std::initializer_list<const char*> through = {});
