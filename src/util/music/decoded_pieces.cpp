#include "util/music/decoded_pieces.h"

#include <algorithm>

namespace {

// The largest length a request can carry below every flag bit.
constexpr std::uint64_t kMaxRequestBytes = BASS_DATA_FLOAT - 1;

} // namespace

DWORD decoded_piece_request(std::uint64_t left, DWORD flags, std::uint64_t piece)
{
    return static_cast<DWORD>(std::min({left, piece, kMaxRequestBytes})) | flags;
}

std::uint64_t read_decoded(DWORD channel, void* buffer, std::uint64_t bytes, DWORD flags, std::uint64_t piece)
{
    std::uint64_t done = 0;
    while (done < bytes) {
        const DWORD got =
            BASS_ChannelGetData(channel, static_cast<char*>(buffer) + done, decoded_piece_request(bytes - done, flags, piece));
        if (got == static_cast<DWORD>(-1) || got == 0)
            break;
        done += got;
    }
    return done;
}
