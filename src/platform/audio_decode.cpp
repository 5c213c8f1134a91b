#include "platform/audio_decode.h"

#include <algorithm>
#include <cstring>
#include <string>
#include <vector>

#include <vorbis/vorbisfile.h>

#include "platform/audio_decode_common.h"
#include "platform/audio_decode_mp3.h"
#include "platform/parallel_pieces.h"

namespace {

using namespace audio_decode_detail;

struct MemoryFile {
    const std::uint8_t* data;
    std::size_t size;
    std::size_t position;
};

size_t memRead(void* buffer, size_t size, size_t count, void* source)
{
    MemoryFile* f = static_cast<MemoryFile*>(source);
    const std::size_t wanted = size * count;
    const std::size_t left = f->size - f->position;
    const std::size_t n = wanted < left ? wanted : left;
    std::memcpy(buffer, f->data + f->position, n);
    f->position += n;
    return size ? n / size : 0;
}

int memSeek(void* source, ogg_int64_t offset, int whence)
{
    MemoryFile* f = static_cast<MemoryFile*>(source);
    ogg_int64_t base = 0;
    if (whence == SEEK_CUR)
        base = static_cast<ogg_int64_t>(f->position);
    else if (whence == SEEK_END)
        base = static_cast<ogg_int64_t>(f->size);
    const ogg_int64_t target = base + offset;
    if (target < 0 || target > static_cast<ogg_int64_t>(f->size))
        return -1;
    f->position = static_cast<std::size_t>(target);
    return 0;
}

long memTell(void* source)
{
    return static_cast<long>(static_cast<MemoryFile*>(source)->position);
}

const ov_callbacks kMemoryCallbacks{memRead, memSeek, nullptr, memTell};

// Songs shorter than this many sample frames per piece are decoded whole.
constexpr ogg_int64_t kMinPieceFrames = 44100 * 8;

// Where a piece's sample values go: `room` of them at `at`, then, for the
// piece that runs to the end of the stream, whatever follows into `rest`.
struct PieceOutput {
    std::int16_t* at = nullptr;
    std::size_t room = 0;
    std::size_t written = 0;
    std::vector<std::int16_t>* rest = nullptr;

    void put(const std::int16_t* values, std::size_t count)
    {
        const std::size_t here = std::min(count, room - written);
        std::memcpy(at + written, values, here * sizeof *values);
        written += here;
        if (here < count)
            rest->insert(rest->end(), values + here, values + count);
    }
    std::size_t total() const { return written + (rest ? rest->size() : 0); }
};

// Decodes the sample frames from `first` up to `end` (-1: to the end of the
// stream) into `output`; false on any read error, a hole in the stream, a
// seek that does not land on `first`, or a stream that ends early.
bool decodeVorbisPiece(const std::uint8_t* data, std::size_t size, ogg_int64_t first, ogg_int64_t end,
                       PieceOutput* output)
{
    MemoryFile file{data, size, 0};
    OggVorbis_File vf;
    if (ov_open_callbacks(&file, &vf, nullptr, 0, kMemoryCallbacks) != 0)
        return false;
    const int channels = ov_info(&vf, -1)->channels;
    bool ok = first == 0 || (ov_pcm_seek(&vf, first) == 0 && ov_pcm_tell(&vf) == first);
    ogg_int64_t position = first;
    alignas(std::int16_t) char buffer[16384];
    int section = 0;
    while (ok && (end < 0 || position < end)) {
        const long n = ov_read(&vf, buffer, sizeof buffer, 0, 2, 1, &section);
        if (n == 0) {
            ok = end < 0;
            break;
        }
        if (n < 0 || n % (2 * channels) != 0) {
            ok = false;
            break;
        }
        ogg_int64_t frames = n / (2 * channels);
        if (end >= 0)
            frames = std::min(frames, end - position);
        output->put(reinterpret_cast<const std::int16_t*>(buffer), static_cast<std::size_t>(frames * channels));
        position += frames;
        ok = output->total() <= kMaxSamples;
    }
    ov_clear(&vf);
    return ok;
}

// A long song of one logical stream, decoded in pieces on several threads,
// each straight into its part of the song's buffer: each piece seeks to its
// first sample frame, and the decoder's seek is sample-exact, so the samples
// are the same as decoded in one go. The length the stream claims sizes the
// buffer; the last piece decodes on to the stream's real end. False (and
// out's samples empty) when any piece fails: the caller decodes it whole.
bool decodeVorbisInPieces(const std::uint8_t* data, std::size_t size, OggVorbis_File* vf, DecodedAudio* out)
{
    const ogg_int64_t total = ov_pcm_total(vf, -1);
    const std::size_t channels = static_cast<std::size_t>(ov_info(vf, -1)->channels);
    // The length comes from the last granule position, which a damaged or
    // hostile file can set to anything: a claim the file cannot hold is
    // not used to plan pieces.
    if (!ov_seekable(vf) || ov_streams(vf) != 1 || total <= 0 ||
        static_cast<std::size_t>(total) > std::min(size * kReservePerByte, kMaxSamples) / channels)
        return false;
    const std::size_t pieces = piece_count(static_cast<std::size_t>(total), kMinPieceFrames);
    if (pieces < 2)
        return false;
    out->samples.resize(static_cast<std::size_t>(total) * channels);
    std::vector<PieceOutput> outputs(pieces);
    std::vector<std::int16_t> rest;
    std::vector<char> done(pieces, 0);
    const auto frameOf = [&](std::size_t i) {
        return total * static_cast<ogg_int64_t>(i) / static_cast<ogg_int64_t>(pieces);
    };
    for (std::size_t i = 0; i < pieces; ++i) {
        outputs[i].at = out->samples.data() + static_cast<std::size_t>(frameOf(i)) * channels;
        outputs[i].room = static_cast<std::size_t>(frameOf(i + 1) - frameOf(i)) * channels;
    }
    outputs.back().rest = &rest;
    run_pieces(pieces, [&](std::size_t i) {
        done[i] = decodeVorbisPiece(data, size, frameOf(i), i + 1 == pieces ? -1 : frameOf(i + 1), &outputs[i]);
    });
    std::size_t count = static_cast<std::size_t>(frameOf(pieces - 1)) * channels + outputs.back().total();
    bool ok = count <= kMaxSamples && count > 0;
    for (std::size_t i = 0; i < pieces; ++i)
        ok = ok && done[i];
    if (!ok) {
        out->samples = AudioSamples();
        return false;
    }
    // A stream shorter than it claims leaves the end of its buffer unused;
    // a longer one has the rest of its samples after it.
    out->samples.resize(count - rest.size());
    out->samples.insert(out->samples.end(), rest.begin(), rest.end());
    out->pieces = pieces;
    return true;
}

// Why ov_open refused the stream.
std::string openFailure(int code)
{
    switch (code) {
    case OV_ENOTVORBIS: return "its OGG stream holds no Vorbis audio";
    case OV_EBADHEADER: return "its Vorbis headers are damaged";
    case OV_EVERSION: return "its Vorbis version is not supported";
    default: return "its OGG stream cannot be read (it is cut short or damaged)";
    }
}

bool decodeVorbis(const std::uint8_t* data, std::size_t size, DecodedAudio* out, bool inPieces)
{
    MemoryFile file{data, size, 0};
    OggVorbis_File vf;
    const ov_callbacks callbacks = kMemoryCallbacks;
    const int opened = ov_open_callbacks(&file, &vf, nullptr, 0, callbacks);
    if (opened != 0)
        return decode_failed(out, openFailure(opened));
    const vorbis_info* info = ov_info(&vf, -1);
    if (!info || info->channels < 1) {
        ov_clear(&vf);
        return decode_failed(out, "its Vorbis stream has no channels");
    }
    out->channels = info->channels;
    out->rate = static_cast<int>(info->rate);
    out->isOgg = true;
    if (inPieces && decodeVorbisInPieces(data, size, &vf, out)) {
        ov_clear(&vf);
        const std::size_t frame = static_cast<std::size_t>(out->channels);
        out->samples.resize(out->samples.size() / frame * frame);
        return true;
    }
    // The last granule position gives the length; a damaged or hostile one
    // can claim anything, so it reserves no more than the file's size allows.
    const ogg_int64_t total = ov_pcm_total(&vf, -1);
    if (total > 0) {
        const std::size_t claimed = static_cast<std::size_t>(std::min<ogg_int64_t>(total, kMaxSamples)) *
                                    static_cast<std::size_t>(out->channels);
        out->samples.reserve(std::min({claimed, size * kReservePerByte, kMaxSamples}));
    }
    char buffer[16384];
    int section = 0;
    bool ok = true;
    while (true) {
        const long n = ov_read(&vf, buffer, sizeof buffer, 0, 2, 1, &section);
        if (n == 0)
            break;
        if (n == OV_HOLE)
            continue;
        if (n < 0) {
            ok = decode_failed(out, "its Vorbis stream is damaged after " +
                                        std::to_string(out->samples.size() / static_cast<std::size_t>(out->channels)) +
                                        " sample frames");
            break;
        }
        if (!append_samples(out, buffer, static_cast<std::size_t>(n))) {
            ok = decode_failed(out, tooLongReason());
            break;
        }
    }
    ov_clear(&vf);
    const std::size_t frame = static_cast<std::size_t>(out->channels);
    out->samples.resize(out->samples.size() / frame * frame);
    if (ok && out->samples.empty())
        return decode_failed(out, "its Vorbis stream holds no samples");
    return ok;
}

} // namespace

bool audio_decode(const std::uint8_t* data, std::size_t size, DecodedAudio* out, bool inPieces)
{
    *out = DecodedAudio{};
    if (!data || size == 0)
        return decode_failed(out, "the file is empty");
    if (size < 4)
        return decode_failed(out, "the file holds only " + std::to_string(size) + " bytes");
    if (std::memcmp(data, "OggS", 4) == 0)
        return decodeVorbis(data, size, out, inPieces);
    const bool id3 = std::memcmp(data, "ID3", 3) == 0;
    const bool frameSync = data[0] == 0xFF && (data[1] & 0xE0) == 0xE0;
    if (id3 || frameSync)
        return decode_mp3(data, size, out, inPieces);
    return decode_failed(out, "it is neither an OGG stream (no \"OggS\" page) nor an MP3 stream (no ID3 tag or "
                              "frame sync at its start)");
}
