// Buffers of a song's size and small ones alike are writable over their whole
// length, large ones start on a huge-page boundary, and what is written there
// reads back.
#include <gtest/gtest.h>

#include <cstdint>
#include <cstring>

#include "platform/large_buffer.h"

namespace {

TEST(LargeBuffer, EverySizeIsWritableAndReadsBack)
{
    const std::size_t kHugePage = std::size_t(1) << 21;
    for (const std::size_t bytes : {std::size_t(0), std::size_t(1), (std::size_t(4) << 20) - 1,
                                    std::size_t(4) << 20, (std::size_t(57) << 20) + 3}) {
        SCOPED_TRACE(bytes);
        auto* buffer = static_cast<unsigned char*>(allocate_large(bytes));
        ASSERT_NE(buffer, nullptr);
        if (bytes >= (std::size_t(4) << 20))
            EXPECT_EQ(reinterpret_cast<std::uintptr_t>(buffer) % kHugePage, 0u);
        for (std::size_t i = 0; i < bytes; i += 4096)
            buffer[i] = static_cast<unsigned char>(i >> 12);
        if (bytes > 0)
            buffer[bytes - 1] = 0xA5;
        std::size_t same = 0;
        for (std::size_t i = 0; i + 1 < bytes; i += 4096)
            same += buffer[i] == static_cast<unsigned char>(i >> 12);
        EXPECT_EQ(same, bytes > 1 ? (bytes - 2) / 4096 + 1 : 0);
        if (bytes > 0)
            EXPECT_EQ(buffer[bytes - 1], 0xA5);
        free_large(buffer);
    }
    free_large(nullptr);
}

}  // namespace
