#pragma once
// The video dump's frames written on a worker thread: while the next frame is
// drawn, the last one read back is compressed and written with its slice of
// audio, in order, through the AVI writer. The file holds the same bytes as
// when each frame is written at once. A failed write is reported by the next
// submit() or by finish(), and no frame is written after it.
#include <condition_variable>
#include <cstddef>
#include <cstdint>
#include <mutex>
#include <thread>
#include <vector>

class AVIWriter;

class DumpWriter {
public:
    // Frames of frameBytes bytes (the writer's width x height x 3).
    DumpWriter(AVIWriter* writer, std::size_t frameBytes);
    // Waits for the frame in writing.
    ~DumpWriter();
    DumpWriter(const DumpWriter&) = delete;
    DumpWriter& operator=(const DumpWriter&) = delete;

    // Where the next frame is read back to: never the buffer in writing.
    std::uint8_t* frame_buffer() { return buffers[next].data(); }
    // Hands over the frame in frame_buffer() and audioFrames sample frames
    // of audio (none when audio is null or audioFrames is 0; the samples must
    // stay valid until the next submit() or finish() returns). Waits for the
    // frame before it first: false, and this frame is not written, when a
    // write has failed.
    bool submit(const std::int16_t* audio, int audioFrames);
    // Waits for the frame in writing; false when a write has failed. The AVI
    // writer is not used by this object once it returns.
    bool finish();

private:
    void work();
    // With the lock held: waits until no frame is in writing.
    void wait_idle(std::unique_lock<std::mutex>& lock);

    AVIWriter* writer;
    std::vector<std::uint8_t> buffers[2];
    int next = 0;
    std::mutex mutex;
    std::condition_variable changed;
    // The job handed to the worker.
    const std::uint8_t* frame = nullptr;
    const std::int16_t* audio = nullptr;
    int audioFrames = 0;
    bool busy = false;
    bool failed = false;
    bool stopping = false;
    std::thread worker;
};
