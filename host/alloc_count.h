// alloc_count.h - counts the program's heap allocations through operator new, for the frame
// profiler (demorender --profile). Linked into demorender only: the player keeps the standard
// operator new. The plug-ins, loaded later, bind to the program's operator new and are counted
// too; allocations through malloc are not.
#pragma once

long allocationCount();
