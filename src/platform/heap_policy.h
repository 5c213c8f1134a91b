#pragma once
// How the C library's heap gives memory back to the kernel. By default it
// hands back the free space at the top of the heap as soon as it passes
// 128 KiB, and serves blocks from 128 KiB up (growing with what was freed)
// with memory of their own that goes back when they are freed. A frame of a
// large 3D scene has the renderer take and free some 20 MB of working memory;
// given back each time, the next frame takes it again page by page, and
// under a virtual machine those page faults (5,000 to 9,000 a frame) cost
// as much as the drawing. keep_freed_heap_memory() keeps freed memory for
// the next frame. Memory and pictures are the same either way; only the
// kernel's work differs.

// Call once at start-up, before the window is made.
void keep_freed_heap_memory();
