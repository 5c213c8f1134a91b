#pragma once
// The video dump's writer: AVI files of one compressed video stream and one
// PCM audio stream, split into parts named "<stem>.01.avi", "<stem>.02.avi",
// ... once a part holds 1,887,436,800 bytes. The codec is asked for once per
// recording in the compression dialog (codec -1) and kept for every part.
#include <cstdint>
#include <memory>

struct WAVEFORMATEX;

class AVIWriter {
public:
    // A part is closed before a frame would take it past this many bytes.
    static constexpr std::int64_t kPartLimit = 1887436800;
    // Codec value that asks the user in the compression dialog.
    static constexpr std::uint32_t kAskCodec = 0xFFFFFFFFu;

    AVIWriter();
    ~AVIWriter();
    AVIWriter(const AVIWriter&) = delete;
    AVIWriter& operator=(const AVIWriter&) = delete;

    // Starts a recording: the stem is `name` without its extension; opens
    // part 1. codec: a four-character code, 0 for uncompressed, kAskCodec to ask.
    bool open(const char* name, float fps, std::uint32_t codec, int quality);
    // Frame size; ignored once the first frame has set the video format.
    void set_size(int width, int height);
    // Copies the 18 bytes of the audio format.
    void set_audio_format(const WAVEFORMATEX* format);
    // One frame of width x height tightly packed 3-byte blue, green, red
    // pixels, bottom row first.
    bool add_video_frame(const void* bgr);
    // count sample frames (count x block alignment bytes); 0 writes nothing
    // and returns false.
    bool add_audio(const void* samples, int count);
    void close();

    // The system error (errno) of the write that failed in the current part,
    // 0 when none failed. Closing the part keeps the frames written before.
    int write_error() const;
    // Name of the current (or last) part's file.
    const char* part_file_name() const;
    int part() const;

    int width = 0;
    int height = 0;
    int frames = 0;
    int audio_samples = 0;
    int block_align = 0;
    float fps = 0.0f;

private:
    struct Private;

    bool open_part();
    bool set_video_format();
    bool create_audio_stream(const WAVEFORMATEX* format);
    void close_streams();

    std::unique_ptr<Private> p;
};
