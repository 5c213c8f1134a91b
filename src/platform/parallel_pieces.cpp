#include "platform/parallel_pieces.h"

#include <algorithm>
#include <exception>
#include <mutex>
#include <new>
#include <string>
#include <system_error>
#include <thread>
#include <vector>

#include "system/fatal_error.h"

namespace {

// The first failure of the pieces, reported once every thread has ended.
class Failure {
public:
    void set(std::string text, std::exception_ptr fatal = nullptr)
    {
        std::lock_guard lock(mutex);
        if (!message.empty())
            return;
        message = std::move(text);
        fatalError = std::move(fatal);
    }
    // Only after the threads have been joined: a piece's own fatal error (when
    // fatal errors throw) goes on as it is; any other failure is one here.
    void report() const
    {
        if (fatalError)
            std::rethrow_exception(fatalError);
        if (!message.empty())
            FATAL_ERROR(message);
    }

private:
    std::mutex mutex;
    std::string message;
    std::exception_ptr fatalError;
};

void run_piece(const std::function<void(std::size_t)>& job, std::size_t piece, Failure* failure)
{
    try {
        job(piece);
    } catch (const FatalErrorException& e) {
        failure->set(e.what(), std::current_exception());
    } catch (const std::bad_alloc&) {
        failure->set("Failed to allocate memory for a piece of work");
    } catch (const std::exception& e) {
        failure->set(std::string("A piece of work failed: ") + e.what());
    } catch (...) {
        failure->set("A piece of work failed");
    }
}

} // namespace

void run_pieces(std::size_t pieces, const std::function<void(std::size_t)>& job)
{
    if (pieces == 0)
        return;
    Failure failure;
    std::vector<std::thread> threads;
    bool started = true;
    try {
        threads.reserve(pieces - 1);
        for (std::size_t i = 0; i + 1 < pieces; ++i)
            threads.emplace_back(run_piece, std::cref(job), i, &failure);
    } catch (const std::system_error& e) {
        failure.set(std::string("Failed to start a thread for a piece of work: ") + e.what());
        started = false;
    } catch (const std::bad_alloc&) {
        failure.set("Failed to allocate memory for a piece of work");
        started = false;
    }
    // The last piece runs here, unless the work is lost already.
    if (started)
        run_piece(job, pieces - 1, &failure);
    for (std::thread& thread : threads)
        thread.join();
    failure.report();
}

std::size_t piece_count(std::size_t units, std::size_t minUnits)
{
    const std::size_t processors = std::clamp<std::size_t>(std::thread::hardware_concurrency(), 1, 8);
    const std::size_t bySize = minUnits > 0 ? units / minUnits : units;
    return std::clamp<std::size_t>(bySize, 1, processors);
}
