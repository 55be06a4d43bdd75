// driver_heap.h - keeps the heap the GL driver draws from mapped between frames.
#pragma once

// A software rasteriser allocates its per-draw and per-pass memory (bins, vertex buffers,
// constants) from the C heap and frees it when a pass is done. glibc gives the top of the heap
// back to the system as soon as 128 KiB of it are free, so the next pass faults the same pages
// in again, zeroed, on the one thread that records draws: a frame of a thousand draws spent
// half its time there. Called before the context draws anything; once per process is enough,
// more is harmless. Other C libraries keep their own policy.
void keepDriverHeapBetweenFrames();
