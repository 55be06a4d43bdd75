// alloc_count.h - counts the program's heap allocations through operator new, for the frame
// profiler (demorender --profile). Linked into demorender only: the player keeps the standard
// operator new. The plug-ins, loaded later, bind to the program's operator new and are counted
// too; allocations through malloc are not.
//
// A software GL driver is C++ inside (llvmpipe compiles its shader variants with LLVM, whose
// allocations go through the same operator new). Allocations called from a library whose file
// name holds one of the given names are counted apart, so the demo's own are not drowned.
#pragma once

#include <initializer_list>

long allocationCount();       // the demo's own
long driverAllocationCount(); // made from the libraries set aside below

// Looks up the loaded libraries whose file name contains one of `names` ("libLLVM") and
// counts allocations made directly from their code apart from now on. Call it once the GL
// context exists, before counting.
void setAsideAllocationsFrom(std::initializer_list<const char*> names);
