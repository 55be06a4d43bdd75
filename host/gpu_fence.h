// gpu_fence.h - the once-per-frame CPU wait for the GPU, when the driver has sync objects.
#pragma once

// Inserts a fence after this frame's commands and waits until the GPU has passed it. Does
// nothing when the entry-point loader found no glFenceSync or glWaitSync.
void gpuFenceWait();
