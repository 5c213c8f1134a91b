#include "system/dump_writer.h"

#include "platform/aviwriter.h"

DumpWriter::DumpWriter(AVIWriter* writer_, std::size_t frameBytes) : writer(writer_)
{
    buffers[0].resize(frameBytes);
    buffers[1].resize(frameBytes);
    worker = std::thread([this] { work(); });
}

DumpWriter::~DumpWriter()
{
    {
        std::unique_lock lock(mutex);
        wait_idle(lock);
        stopping = true;
    }
    changed.notify_all();
    worker.join();
}

void DumpWriter::wait_idle(std::unique_lock<std::mutex>& lock)
{
    changed.wait(lock, [this] { return !busy; });
}

bool DumpWriter::submit(const std::int16_t* samples, int count)
{
    {
        std::unique_lock lock(mutex);
        wait_idle(lock);
        // After a failure nothing more is written: the dump stops there.
        if (failed)
            return false;
        frame = buffers[next].data();
        audio = samples;
        audioFrames = samples ? count : 0;
        busy = true;
    }
    changed.notify_all();
    next = 1 - next;
    return true;
}

bool DumpWriter::finish()
{
    std::unique_lock lock(mutex);
    wait_idle(lock);
    return !failed;
}

void DumpWriter::work()
{
    std::unique_lock lock(mutex);
    while (true) {
        changed.wait(lock, [this] { return busy || stopping; });
        if (!busy)
            return;
        const std::uint8_t* pixels = frame;
        const std::int16_t* samples = audio;
        const int count = audioFrames;
        lock.unlock();
        // The same calls, in the same order, as a frame written at once.
        bool ok = writer->add_video_frame(pixels);
        if (ok && count > 0)
            ok = writer->add_audio(samples, count);
        lock.lock();
        failed = failed || !ok;
        busy = false;
        changed.notify_all();
    }
}
