#include "platform/audio_decode_mp3.h"

#include <algorithm>
#include <cstring>
#include <memory>
#include <mutex>
#include <string>
#include <vector>

#include <mpg123.h>

#include "platform/audio_decode_common.h"
#include "platform/parallel_pieces.h"

namespace {

using namespace audio_decode_detail;

struct DeleteDecoder {
    void operator()(mpg123_handle* handle) const { mpg123_delete(handle); }
};
using Decoder = std::unique_ptr<mpg123_handle, DeleteDecoder>;

// A decoder in feed mode giving signed 16-bit samples at any rate it knows,
// mono or stereo; null when it cannot be made.
Decoder openDecoder()
{
    static std::once_flag initialised;
    std::call_once(initialised, [] { mpg123_init(); });
    int error = 0;
    Decoder decoder(mpg123_new(nullptr, &error));
    if (!decoder)
        return nullptr;
    mpg123_handle* mh = decoder.get();
    mpg123_param(mh, MPG123_ADD_FLAGS, MPG123_QUIET, 0.0);
    mpg123_format_none(mh);
    const long* rates = nullptr;
    std::size_t rateCount = 0;
    mpg123_rates(&rates, &rateCount);
    for (std::size_t i = 0; i < rateCount; ++i)
        mpg123_format(mh, rates[i], MPG123_MONO | MPG123_STEREO, MPG123_ENC_SIGNED_16);
    if (mpg123_open_feed(mh) != MPG123_OK)
        return nullptr;
    return decoder;
}

std::string formatText(long rate, int channels)
{
    return std::to_string(rate) + " Hz " + (channels == 1 ? "mono" : std::to_string(channels) + " channels");
}

// Why no frame was found: an ID3 tag that claims the whole file says so.
std::string noFrameReason(const std::uint8_t* data, std::size_t size)
{
    std::string reason = "no MP3 audio frame found";
    if (size >= 10 && std::memcmp(data, "ID3", 3) == 0) {
        std::size_t tag = 10;
        for (int i = 6; i < 10; ++i)
            tag = tag + (static_cast<std::size_t>(data[i] & 0x7f) << (7 * (9 - i)));
        if (data[5] & 0x10)
            tag += 10; // a footer
        if (tag > size)
            reason += " (its ID3 tag claims " + std::to_string(tag) + " bytes, the file holds " +
                      std::to_string(size) + ")";
        else
            reason += " after its ID3 tag";
    }
    return reason;
}

bool decodeWhole(const std::uint8_t* data, std::size_t size, DecodedAudio* out)
{
    Decoder decoder = openDecoder();
    if (!decoder)
        return decode_failed(out, "the MP3 decoder cannot be started");
    mpg123_handle* mh = decoder.get();
    if (mpg123_feed(mh, data, size) != MPG123_OK)
        return decode_failed(out, "the MP3 decoder cannot take the file");
    unsigned char buffer[16384];
    bool haveFormat = false;
    bool ok = true;
    while (true) {
        std::size_t done = 0;
        const int result = mpg123_read(mh, buffer, sizeof buffer, &done);
        if (result == MPG123_NEW_FORMAT) {
            long rate = 0;
            int channels = 0, encoding = 0;
            mpg123_getformat(mh, &rate, &channels, &encoding);
            if (haveFormat && (rate != out->rate || channels != out->channels)) {
                ok = decode_failed(out, "its format changes from " + formatText(out->rate, out->channels) + " to " +
                                            formatText(rate, channels) + " after " +
                                            std::to_string(out->samples.size() / static_cast<std::size_t>(
                                                                                      out->channels)) +
                                            " sample frames");
                break;
            }
            out->rate = static_cast<int>(rate);
            out->channels = channels;
            haveFormat = true;
        }
        if (done > 0 && !append_samples(out, buffer, done)) {
            ok = decode_failed(out, tooLongReason());
            break;
        }
        if (result == MPG123_NEED_MORE || result == MPG123_DONE)
            break;
        if (result != MPG123_OK && result != MPG123_NEW_FORMAT) {
            ok = decode_failed(out, std::string("its MP3 stream is damaged (") + mpg123_plain_strerror(result) + ")");
            break;
        }
    }
    if (!haveFormat || out->channels < 1)
        return decode_failed(out, noFrameReason(data, size));
    const std::size_t frame = static_cast<std::size_t>(out->channels);
    out->samples.resize(out->samples.size() / frame * frame);
    if (ok && out->samples.empty())
        return decode_failed(out, "its MP3 stream holds no samples");
    return ok;
}

// Songs shorter than this many sample frames per piece are decoded whole.
constexpr std::size_t kMinPieceFrames = 44100 * 8;
// Each piece but the first starts decoding some MPEG frames before its own:
// a frame's data may begin up to 511 bytes back in earlier frames (the bit
// reservoir), and its first samples overlap the previous frame's last. The
// last kCheckFrames of that warm-up must come out as the previous piece
// decoded them, else the song is decoded whole; before those, at least
// kWarmUpFrames frames and kWarmUpBytes bytes are decoded and dropped.
constexpr std::size_t kCheckFrames = 2;
constexpr std::size_t kWarmUpFrames = 4;
constexpr std::size_t kWarmUpBytes = 2048;

// The MPEG frames of a stream as the one-go decode meets them.
struct Layout {
    std::vector<std::size_t> offsets; // where each audio frame starts in the file
    std::vector<unsigned char> silentGranules; // frame k's granules that code no audio (silentGranules)
    std::size_t samplesPerFrame = 0;  // per channel
    int channels = 0;
    long rate = 0;
    std::size_t skipped = 0; // sample frames the one-go decode leaves out at the start
    std::size_t length = 0;  // sample frames the one-go decode gives
};

// Reads bits of a frame's side information, most significant first.
class SideInfoBits {
public:
    explicit SideInfoBits(const unsigned char* bytes) : bytes(bytes) {}
    unsigned read(int count)
    {
        unsigned value = 0;
        for (; count > 0; --count, ++at)
            value = value << 1 | ((bytes[at >> 3] >> (7 - (at & 7))) & 1u);
        return value;
    }

private:
    const unsigned char* bytes;
    std::size_t at = 0;
};

constexpr std::size_t kSideInfoBytes = 32; // stereo MPEG-1 layer III

// Where a granule's side information for a channel starts, in bits after
// the CRC, and how long it is (stereo MPEG-1).
constexpr std::size_t kGranuleInfoAt = 9 + 3 + 2 * 4;
constexpr std::size_t kGranuleInfoBits = 59;
constexpr std::size_t kGlobalGainAt = 12 + 9; // in a granule's side information
constexpr std::size_t kGlobalGainBits = 8;

// The header bits that give a frame's kind: its MPEG version and layer
// (MPEG-1 layer III), its sampling rate, and its channel mode (mono).
constexpr unsigned long kVersionAndLayer = 0x1E0000, kMpeg1LayerThree = 0x1A0000;
constexpr unsigned long kSamplingRate = 0xC00;
constexpr unsigned long kChannelMode = 0xC0, kMono = 0xC0;

// Where a stereo MPEG-1 layer III frame's main data begins, in bytes back
// from the end of the main data of the frames before it.
unsigned mainDataBegin(const unsigned char* body, bool crc)
{
    return SideInfoBits(body + (crc ? 2 : 0)).read(9);
}

// The granules (bit 0: the first, bit 1: the second) of a stereo MPEG-1
// layer III frame (its body after the 4-byte header, at least its side
// information long, with `reservoir` bytes of main data before it in the
// decoder's buffer) that code no audio: in both channels no bits, no big
// values, no scale factors, and a valid block type; none when the frame's
// main data would begin before the data there is. The decoder reads no
// bits for such a granule, so it has nothing to reject in it.
unsigned silentGranules(const unsigned char* body, bool crc, std::size_t reservoir)
{
    SideInfoBits bits(body + (crc ? 2 : 0));
    if (bits.read(9) > reservoir)
        return 0;
    bits.read(kGranuleInfoAt - 9); // private bits, scale factor selection
    unsigned silent = 0;
    for (int granule = 0; granule < 2; ++granule) {
        bool none = true;
        for (int channel = 0; channel < 2; ++channel) {
            const unsigned part23Bits = bits.read(12), bigValues = bits.read(9);
            bits.read(8); // global gain
            const unsigned scaleFactorBits = bits.read(4), windowSwitching = bits.read(1);
            unsigned blockType = 0;
            if (windowSwitching) {
                blockType = bits.read(2);
                bits.read(1 + 2 * 5 + 3 * 3);
            } else {
                bits.read(3 * 5 + 4 + 3);
            }
            bits.read(3); // preflag, scale factor scale, count1 table
            none = none && part23Bits == 0 && bigValues == 0 && scaleFactorBits == 0 &&
                   (!windowSwitching || blockType != 0);
        }
        silent |= none ? 1u << granule : 0u;
    }
    return silent;
}

// Lays out a stream that can be decoded in pieces: stereo MPEG-1 layer III
// frames (1,152 samples each) in one format throughout, following each
// other without gaps, each frame's main data beginning within what the
// frame before left, and an encoder's tag that gives the encoder delay and
// padding and the frame count the stream really has. Any other stream is
// decoded whole. The decoder's mono and MPEG-2 synthesis sum in an order
// that depends on how many frames it has decoded since it started, so a
// piece started mid-stream can round differently from the one-go decode;
// its stereo MPEG-1 synthesis gives the same samples whatever frame it
// starts on. The decoder takes a frame's main data from the end of the
// frame before it: that frame's main data, and before it the bytes that
// frame took from the one before. A main_data_begin reaching back further
// (damage) reads what older frames left in the decoder's buffer, which a
// piece's fresh decoder holds otherwise. Another layer's header (damage)
// is decoded as that layer, which the checks here know nothing of.
bool layOut(const std::uint8_t* data, std::size_t size, Layout* layout)
{
    Decoder decoder = openDecoder();
    if (!decoder)
        return false;
    mpg123_handle* mh = decoder.get();
    if (mpg123_feed(mh, data, size) != MPG123_OK)
        return false;
    off_t claimedFrames = -1;
    std::size_t nextOffset = 0;
    unsigned long firstHeader = 0;
    std::size_t reservoir = 0; // bytes of main data the frame before left
    int result;
    while ((result = mpg123_framebyframe_next(mh)) == MPG123_OK || result == MPG123_NEW_FORMAT) {
        if (result == MPG123_NEW_FORMAT) {
            if (!layout->offsets.empty())
                return false;
            int encoding = 0;
            mpg123_getformat(mh, &layout->rate, &layout->channels, &encoding);
            layout->samplesPerFrame = static_cast<std::size_t>(mpg123_spf(mh));
            claimedFrames = mpg123_framelength(mh);
        }
        const off_t position = mpg123_framepos(mh);
        unsigned long header = 0;
        unsigned char* body = nullptr;
        std::size_t bodyBytes = 0;
        if (position < 0 || mpg123_framedata(mh, &header, &body, &bodyBytes) != MPG123_OK ||
            static_cast<std::size_t>(mpg123_spf(mh)) != layout->samplesPerFrame)
            return false;
        const std::size_t offset = static_cast<std::size_t>(position);
        if ((!layout->offsets.empty() && offset != nextOffset) || offset + 4 + bodyBytes > size)
            return false;
        if (layout->offsets.empty())
            firstHeader = header;
        const bool crc = (header & 0x10000) == 0;
        const std::size_t sideInfo = (crc ? 2 : 0) + kSideInfoBytes;
        if ((header & kVersionAndLayer) != kMpeg1LayerThree || (header & kChannelMode) == kMono ||
            (header & kSamplingRate) != (firstHeader & kSamplingRate) || bodyBytes < sideInfo)
            return false;
        const unsigned begin = mainDataBegin(body, crc);
        // The first frame's main data is read by the first piece alone, as
        // the one-go decode reads it.
        if (!layout->offsets.empty() && begin > reservoir)
            return false;
        layout->offsets.push_back(offset);
        layout->silentGranules.push_back(static_cast<unsigned char>(silentGranules(body, crc, reservoir)));
        reservoir = begin + (bodyBytes - sideInfo);
        nextOffset = offset + 4 + bodyBytes;
    }
    if (result != MPG123_NEED_MORE && result != MPG123_DONE)
        return false;
    long delay = -1, padding = -1, decoderDelay = -1;
    double unused = 0.0;
    mpg123_getstate(mh, MPG123_ENC_DELAY, &delay, &unused);
    mpg123_getstate(mh, MPG123_ENC_PADDING, &padding, &unused);
    mpg123_getstate(mh, MPG123_DEC_DELAY, &decoderDelay, &unused);
    const std::size_t frames = layout->offsets.size();
    const off_t length = mpg123_length(mh);
    if (layout->channels != 2 || layout->samplesPerFrame != 1152 || delay < 0 || padding < 0 || decoderDelay < 0 ||
        claimedFrames != static_cast<off_t>(frames) || length <= 0)
        return false;
    layout->skipped = static_cast<std::size_t>(delay + decoderDelay);
    layout->length = static_cast<std::size_t>(length);
    // The decoder drops the encoder's delay and padding, each shifted by its
    // own delay; a length that says otherwise is not planned on.
    return layout->length + layout->skipped + static_cast<std::size_t>(padding) ==
               frames * layout->samplesPerFrame + static_cast<std::size_t>(decoderDelay) &&
           layout->length <= kMaxSamples / static_cast<std::size_t>(layout->channels);
}

// Reads exactly `count` sample values into `to`; false when the stream ends
// or fails first.
bool readExactly(mpg123_handle* mh, std::int16_t* to, std::size_t count)
{
    std::size_t got = 0;
    while (got < count) {
        std::size_t done = 0;
        const int result = mpg123_read(mh, reinterpret_cast<unsigned char*>(to + got), (count - got) * 2, &done);
        got += done / 2;
        if (result == MPG123_NEW_FORMAT)
            continue;
        if (result != MPG123_OK || done == 0)
            return got == count;
    }
    return true;
}

// Reads `count` sample values and drops them, `buffer`'s size at a time;
// false when the stream ends or fails first.
bool dropExactly(mpg123_handle* mh, std::size_t count, std::vector<std::int16_t>& buffer)
{
    for (std::size_t n = 0; count > 0; count -= n) {
        n = std::min(count, buffer.size());
        if (!readExactly(mh, buffer.data(), n))
            return false;
    }
    return true;
}

// A piece: the audio frames from `first` up to `end`, decoded from frame
// `start` on (the warm-up before `first` dropped, its last kCheckFrames kept
// in `check`). `mayBeCutShort` is the first of its frames that the decoder
// may have cut short (frames: none).
struct Piece {
    std::size_t start = 0, first = 0, end = 0;
    std::vector<std::int16_t> check;
    std::size_t mayBeCutShort = 0;
    bool done = false;
};

// The frame at least kWarmUpFrames frames and kWarmUpBytes bytes before
// `frame` (or the first), where a decoder starts to decode `frame` as the
// one-go decode does.
std::size_t warmUpStart(const Layout& layout, std::size_t frame)
{
    std::size_t start = frame;
    while (start > 0 &&
           (frame - start < kWarmUpFrames || layout.offsets[frame] - layout.offsets[start] < kWarmUpBytes))
        --start;
    return start;
}

// The decoder synthesises a frame granule by granule (576 sample frames
// each). A frame it rejects part-way (bits that do not decode, side
// information it refuses) has the rest of its samples filled with zeros,
// and its synthesis filter then runs fewer steps than for a whole frame,
// which shifts the order in which every later sample's sums are taken: the
// one-go decode rounds some later samples differently from a piece that
// started after that frame, by one here and there, and the check of two
// frames between pieces rarely meets one. So every frame decoded before the
// last piece starts must be shown whole: its last granule has a sample that
// is not zero, or neither granule codes audio (nothing to reject), or the
// probe (firstFrameNotShownWhole) shows it.

// The last sample frames of a frame that depend on its own two granules
// alone: the frame before reaches it through the overlap into its first
// granule, and the synthesis filter carries that granule's 18 steps of 32
// sample frames 15 steps on, into all but the last three of the second's.
constexpr std::size_t kOwnTailFrames = 3 * 32;

// Sets the global gain of the last granule that codes audio of the frame at
// `at` in `bytes` to its highest, in both channels.
void setLoudestGain(std::vector<std::uint8_t>& bytes, std::size_t at, unsigned silentGranules)
{
    const std::size_t sideInfo = at + 4 + ((bytes[at + 1] & 1) ? 0 : 2);
    const std::size_t granule = (silentGranules & 2) ? 0 : 1;
    for (std::size_t channel = 0; channel < 2; ++channel) {
        const std::size_t from = kGranuleInfoAt + (2 * granule + channel) * kGranuleInfoBits + kGlobalGainAt;
        for (std::size_t bit = from; bit < from + kGlobalGainBits; ++bit)
            bytes[sideInfo + bit / 8] |= static_cast<std::uint8_t>(0x80u >> (bit % 8));
    }
}

// Whether the decoder synthesised the last granule of each of `probed`
// (frames of `piece` in order, whose last granule comes out silent: a note
// starting right after silence, the end of a sound, or damage); the first
// it cannot show, or the piece's end when it shows them all. The frames are
// decoded with the global gain of each one's last granule that codes audio
// set to its highest, and the last kOwnTailFrames sample frames of each are
// compared with the same frames decoded as they are. Whether the decoder
// rejects a granule does not depend on its gain, and a rejected granule's
// values reach no sample, so the two are the same when it rejected that
// granule (or the frame); when they differ it synthesised that granule and
// so the whole frame (a last granule that codes no audio has nothing to
// reject). The frames are probed in runs: those whose warm-ups overlap
// decoded from the warm-up of the first, twice (as they are and loudest);
// or, when that decodes more frames, all of them in one run from where the
// piece started, once, compared with the piece's samples. So the probes of
// a piece never cost more than one more decode of it.
std::size_t firstFrameNotShownWhole(const std::uint8_t* data, const Layout& layout, const std::int16_t* samples,
                                    const Piece& piece, const std::vector<std::size_t>& probed)
{
    const std::size_t frames = layout.offsets.size();
    const std::size_t perFrame = layout.samplesPerFrame;
    const std::size_t channels = static_cast<std::size_t>(layout.channels);
    // The end of the run from the warm-up of probed[i].
    const auto runEnd = [&](std::size_t i) {
        std::size_t j = i + 1;
        while (j < probed.size() && warmUpStart(layout, probed[j]) <= probed[j - 1])
            ++j;
        return j;
    };
    std::size_t ownWarmUps = 0; // frames the runs from their warm-ups decode
    for (std::size_t i = 0, j; i < probed.size(); i = j) {
        j = runEnd(i);
        ownWarmUps += 2 * (probed[j - 1] + 1 - warmUpStart(layout, probed[i]));
    }
    // The first piece reads the file from its start, where the decoder
    // leaves out the skipped start, which must not hide the frames' last
    // sample frames.
    const bool asThePiece =
        probed.back() + 1 - piece.start <= ownWarmUps &&
        (piece.first > 0 || (probed.front() + 1) * perFrame >= layout.skipped + kOwnTailFrames);
    const std::size_t tail = kOwnTailFrames * channels;
    std::vector<std::int16_t> loudest(tail), asTheyAre(tail), dropped(16384);
    for (std::size_t i = 0; i < probed.size();) {
        const std::size_t j = asThePiece ? probed.size() : runEnd(i);
        // The run's frames, and one more for the decoder to find the last one's end.
        if (probed[j - 1] + 2 >= frames)
            return probed[i];
        const bool fromFileStart = asThePiece && piece.first == 0;
        const std::size_t start = asThePiece ? piece.start : warmUpStart(layout, probed[i]);
        const std::size_t from = fromFileStart ? 0 : layout.offsets[start];
        const std::size_t to = layout.offsets[probed[j - 1] + 2];
        std::vector<std::uint8_t> bytes(data + from, data + to);
        for (std::size_t k = i; k < j; ++k)
            setLoudestGain(bytes, layout.offsets[probed[k]] - from, layout.silentGranules[probed[k]]);
        Decoder loud = openDecoder(), asIs = asThePiece ? nullptr : openDecoder();
        if (!loud || mpg123_feed(loud.get(), bytes.data(), bytes.size()) != MPG123_OK ||
            (!asThePiece && (!asIs || mpg123_feed(asIs.get(), data + from, to - from) != MPG123_OK)))
            return probed[i];
        // The decoder sample (frame x samples per frame + sample) that comes out next.
        std::size_t next = fromFileStart ? layout.skipped : start * perFrame;
        for (; i < j; ++i) {
            const std::size_t tailStart = (probed[i] + 1) * perFrame - kOwnTailFrames;
            const std::size_t before = (tailStart - next) * channels;
            next = tailStart + kOwnTailFrames;
            if (!dropExactly(loud.get(), before, dropped) || !readExactly(loud.get(), loudest.data(), tail) ||
                (asIs && (!dropExactly(asIs.get(), before, dropped) ||
                          !readExactly(asIs.get(), asTheyAre.data(), tail))))
                return probed[i];
            const std::int16_t* reference =
                asIs ? asTheyAre.data() : samples + (tailStart - layout.skipped) * channels;
            if (std::equal(loudest.begin(), loudest.end(), reference))
                return probed[i];
        }
    }
    return piece.end;
}

// The first frame of `piece` that the decoder may have cut short (its end:
// none), found in the song's `samples` as the pieces decoded them.
std::size_t firstFrameMaybeCutShort(const std::uint8_t* data, const Layout& layout, const std::int16_t* samples,
                                    const Piece& piece)
{
    const std::size_t perFrame = layout.samplesPerFrame;
    const std::size_t channels = static_cast<std::size_t>(layout.channels);
    const std::size_t granule = perFrame / 2;
    // Whether the song's samples from decoder sample `from` up to `to` are
    // all zero, where the start's skip does not hide them.
    const auto silent = [&](std::size_t from, std::size_t to) {
        const auto inSong = [&](std::size_t at) {
            return std::min(std::max(at, layout.skipped) - layout.skipped, layout.length);
        };
        return std::all_of(samples + inSong(from) * channels, samples + inSong(to) * channels,
                           [](std::int16_t value) { return value == 0; });
    };
    std::vector<std::size_t> probed;
    for (std::size_t frame = piece.first; frame < piece.end; ++frame) {
        const std::size_t at = frame * perFrame;
        if (layout.silentGranules[frame] != 3 && silent(at + granule, at + perFrame))
            probed.push_back(frame);
    }
    return probed.empty() ? piece.end : firstFrameNotShownWhole(data, layout, samples, piece, probed);
}

// A long song of a stream that layOut accepts, decoded in pieces on several
// threads straight into its buffer. The pieces after the first begin
// mid-stream, without the encoder's tag: the decoder then drops nothing, so
// frame k's samples are the one-go decode's from (k x samples per frame -
// the skipped start) on. False (and out's samples empty) when a piece fails
// or its warm-up's last frames differ from what the piece before decoded.
bool decodeInPieces(const std::uint8_t* data, std::size_t size, DecodedAudio* out, std::size_t pieceCount)
{
    Layout layout;
    if (!layOut(data, size, &layout))
        return false;
    const std::size_t frames = layout.offsets.size();
    const std::size_t perFrame = layout.samplesPerFrame;
    const std::size_t channels = static_cast<std::size_t>(layout.channels);
    if (pieceCount == 0)
        pieceCount = piece_count(frames * perFrame, kMinPieceFrames);
    if (pieceCount < 2 || frames / pieceCount < kCheckFrames + 1)
        return false;
    std::vector<Piece> pieces(pieceCount);
    for (std::size_t i = 0; i < pieceCount; ++i) {
        Piece& piece = pieces[i];
        piece.first = frames * i / pieceCount;
        piece.end = frames * (i + 1) / pieceCount;
        if (i == 0)
            continue;
        piece.start = warmUpStart(layout, piece.first - kCheckFrames);
    }
    // The first piece's own samples must cover its start's skip and the check.
    if ((pieces[1].first - kCheckFrames) * perFrame < layout.skipped ||
        pieces.back().first * perFrame - layout.skipped >= layout.length)
        return false;
    const auto valueAt = [&](std::size_t frame) { return (frame * perFrame - layout.skipped) * channels; };
    out->samples.resize(layout.length * channels);
    std::int16_t* samples = out->samples.data();
    run_pieces(pieceCount, [&](std::size_t i) {
        Piece& piece = pieces[i];
        Decoder decoder = openDecoder();
        if (!decoder)
            return;
        mpg123_handle* mh = decoder.get();
        // The first piece reads the file from its start (tags and all), as
        // the one-go decode does; each piece gets its bytes up to one frame
        // past its end.
        const std::size_t from = i == 0 ? 0 : layout.offsets[piece.start];
        const std::size_t to = piece.end + 1 < frames ? layout.offsets[piece.end + 1] : size;
        if (mpg123_feed(mh, data + from, to - from) != MPG123_OK)
            return;
        const std::size_t at = i == 0 ? 0 : valueAt(piece.first);
        const std::size_t until = i + 1 == pieceCount ? layout.length * channels : valueAt(piece.end);
        if (i > 0) {
            std::vector<std::int16_t> warmUp((piece.first - piece.start) * perFrame * channels);
            if (!readExactly(mh, warmUp.data(), warmUp.size()))
                return;
            piece.check.assign(warmUp.end() - static_cast<std::ptrdiff_t>(kCheckFrames * perFrame * channels),
                               warmUp.end());
        }
        piece.done = readExactly(mh, samples + at, until - at);
        // The last piece's frames shift no later piece.
        piece.mayBeCutShort = piece.end;
        if (piece.done && i + 1 < pieceCount)
            piece.mayBeCutShort = firstFrameMaybeCutShort(data, layout, samples, piece);
    });
    bool ok = true;
    for (std::size_t i = 0; i < pieceCount; ++i)
        ok = ok && pieces[i].done && pieces[i].mayBeCutShort == pieces[i].end &&
             (i == 0 || std::equal(pieces[i].check.begin(), pieces[i].check.end(),
                                   samples + valueAt(pieces[i].first - kCheckFrames)));
    if (!ok) {
        out->samples = AudioSamples();
        return false;
    }
    out->rate = static_cast<int>(layout.rate);
    out->channels = layout.channels;
    out->pieces = pieceCount;
    return true;
}

} // namespace

bool decode_mp3(const std::uint8_t* data, std::size_t size, DecodedAudio* out, bool inPieces)
{
    if (inPieces && decodeInPieces(data, size, out, 0))
        return true;
    return decodeWhole(data, size, out);
}

bool decode_mp3_in_pieces(const std::uint8_t* data, std::size_t size, DecodedAudio* out, std::size_t pieces)
{
    *out = DecodedAudio{};
    return decodeInPieces(data, size, out, pieces);
}
