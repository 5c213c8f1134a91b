#include "platform/heap_policy.h"

#include <malloc.h>

namespace {

// Free space at the heap's top is kept up to this size.
constexpr int kTrimThreshold = 1 << 30;
// Blocks below this size come from the heap: the largest the library takes.
constexpr int kMmapThreshold = 32 << 20;

}  // namespace

void keep_freed_heap_memory()
{
    mallopt(M_TRIM_THRESHOLD, kTrimThreshold);
    mallopt(M_MMAP_THRESHOLD, kMmapThreshold);
}
