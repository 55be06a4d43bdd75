// gpu_fence.h - the once-per-frame CPU wait for the GPU, when the driver has sync objects.
#pragma once

// Looks up the sync entry points in the current context; false when they are missing.
bool gpuFenceInit();
// Inserts a fence after this frame's commands and waits until the GPU has passed it.
// Does nothing when gpuFenceInit found no sync objects.
void gpuFenceWait();
