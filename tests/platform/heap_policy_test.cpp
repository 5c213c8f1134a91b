// keep_freed_heap_memory: the memory a frame's renderer takes and frees (here
// 20 MB in 64 KiB blocks, as the rasteriser bins a large scene) is taken
// again without page faults; with the C library's defaults every page of it
// faults again.
#include <gtest/gtest.h>
#include <malloc.h>
#include <sys/resource.h>

#include <cstring>
#include <vector>

#include "platform/heap_policy.h"

namespace {

constexpr std::size_t kBlock = 64 * 1024;
constexpr std::size_t kBlocks = 320;  // 20 MiB
constexpr long kPages = static_cast<long>(kBlock * kBlocks / 4096);

long minor_faults()
{
    rusage usage{};
    getrusage(RUSAGE_SELF, &usage);
    return usage.ru_minflt;
}

// Page faults of taking, writing and freeing the blocks once.
long faults_of_one_frame()
{
    std::vector<char*> blocks(kBlocks);
    const long before = minor_faults();
    for (char*& block : blocks) {
        block = static_cast<char*>(std::malloc(kBlock));
        std::memset(block, 1, kBlock);
    }
    const long faults = minor_faults() - before;
    for (char* block : blocks)
        std::free(block);
    return faults;
}

}  // namespace

TEST(HeapPolicy, FreedMemoryIsTakenAgainWithoutPageFaults)
{
    // The library's defaults: the heap's top goes back to the kernel.
    mallopt(M_TRIM_THRESHOLD, 128 * 1024);
    mallopt(M_MMAP_THRESHOLD, 128 * 1024);
    faults_of_one_frame();
    EXPECT_GT(faults_of_one_frame(), kPages / 2);

    keep_freed_heap_memory();
    faults_of_one_frame();
    for (int frame = 0; frame < 3; ++frame)
        EXPECT_LT(faults_of_one_frame(), kPages / 100) << "frame " << frame;
}

// Blocks of a few megabytes (a particle system's vertex data uploaded every
// frame) come from the kept heap as well, not from fresh memory each time.
TEST(HeapPolicy, LargeBlocksAreTakenAgainWithoutPageFaults)
{
    keep_freed_heap_memory();
    constexpr std::size_t kLarge = 4 << 20;
    for (int frame = 0; frame < 4; ++frame) {
        const long before = minor_faults();
        char* block = static_cast<char*>(std::malloc(kLarge));
        std::memset(block, 1, kLarge);
        const long faults = minor_faults() - before;
        std::free(block);
        if (frame > 0) {
            EXPECT_LT(faults, static_cast<long>(kLarge / 4096 / 100)) << "frame " << frame;
        }
    }
}
