#pragma once
// Motion JPEG frames for the AVI writer: one bottom-up 24-bit blue, green,
// red picture in, one baseline JPEG (top row first, as JPEG stores it) out.
#include <cstdint>
#include <vector>

// quality is the JPEG quality, 1 to 100. Returns false when the picture
// cannot be encoded (a size of 0 or above JPEG's limits).
bool encode_mjpeg_frame(const std::uint8_t* bgrBottomUp, int width, int height, int quality,
                        std::vector<std::uint8_t>& jpeg);
