#include "platform/large_buffer.h"

#include <sys/mman.h>

#include <cstdlib>

namespace {

constexpr std::size_t kHugePage = std::size_t(1) << 21;
// Below this a buffer is left to the ordinary allocator.
constexpr std::size_t kLargeBytes = std::size_t(4) << 20;

}  // namespace

void* allocate_large(std::size_t bytes)
{
    if (bytes < kLargeBytes)
        return std::malloc(bytes > 0 ? bytes : 1);
    if (bytes > static_cast<std::size_t>(-1) - kHugePage)
        return nullptr;
    // Whole huge pages from a huge-page boundary; the advice is only a hint,
    // so its failure leaves ordinary pages.
    const std::size_t rounded = (bytes + kHugePage - 1) & ~(kHugePage - 1);
    void* buffer = std::aligned_alloc(kHugePage, rounded);
    if (buffer)
        madvise(buffer, rounded, MADV_HUGEPAGE);
    return buffer;
}

void free_large(void* buffer)
{
    std::free(buffer);
}
