// Work cut in pieces over threads: every piece runs once; a thread that
// cannot start or a piece that runs out of memory ends the program through
// the fatal error (its "ERROR: " line, exit code 1), after the pieces
// already running have ended, never through std::terminate.
#include <gtest/gtest.h>

#include <sys/resource.h>
#include <unistd.h>

#include <atomic>
#include <cstdio>
#include <fstream>
#include <new>
#include <vector>

#include "platform/messagebox.h"
#include "platform/parallel_pieces.h"
#include "support/fatal_message.h"

namespace {

TEST(ParallelPieces, RunsEveryPieceOnce)
{
    for (const std::size_t pieces : {0u, 1u, 2u, 8u}) {
        std::vector<std::atomic<int>> runs(pieces);
        run_pieces(pieces, [&](std::size_t i) { runs[i] += 1; });
        for (std::size_t i = 0; i < pieces; ++i)
            EXPECT_EQ(runs[i].load(), 1) << "piece " << i << " of " << pieces;
    }
}

// With fatal errors thrown (tests, fuzz targets): a piece's own fatal error
// comes out as it is, out of memory as the fatal error of the pieces, and
// the other pieces have ended by then.
TEST(ParallelPieces, FailuresComeOutAsFatalErrorsAfterTheOtherPieces)
{
    testsupport::ThrowingFatalErrors throwing;
    std::atomic<int> finished{0};
    const auto message = [&](std::size_t failing, bool outOfMemory) {
        finished = 0;
        return testsupport::fatal_message([&] {
            run_pieces(4, [&](std::size_t i) {
                if (i == failing) {
                    if (outOfMemory)
                        throw std::bad_alloc();
                    FATAL_ERROR("Piece " + std::to_string(i) + " is wrong");
                }
                usleep(20000);
                finished += 1;
            });
        });
    };
    for (const std::size_t failing : {0u, 3u}) {
        EXPECT_EQ(message(failing, true), "Failed to allocate memory for a piece of work") << failing;
        EXPECT_EQ(finished.load(), 3);
        EXPECT_EQ(message(failing, false), "Piece " + std::to_string(failing) + " is wrong");
        EXPECT_EQ(finished.load(), 3);
    }
}

// In the child: the "ERROR: " line goes to standard error, where the death
// test looks for it, and the message box is answered.
void prepare_child()
{
    std::fflush(stdout);
    dup2(STDERR_FILENO, STDOUT_FILENO);
    set_message_box_responder([](const char*, const char*, UINT) { return IDOK; });
}

TEST(ParallelPiecesDeathTest, OutOfMemoryInAPieceIsFatal)
{
    // The last piece runs on the calling thread, the others on threads of their own.
    for (const std::size_t failing : {3u, 1u}) {
        EXPECT_EXIT(
            {
                prepare_child();
                run_pieces(4, [&](std::size_t i) {
                    if (i == failing)
                        throw std::bad_alloc();
                });
            },
            testing::ExitedWithCode(1), "ERROR: .* Failed to allocate memory for a piece of work\n")
            << "piece " << failing;
    }
}

TEST(ParallelPiecesDeathTest, AThreadThatCannotStartIsFatal)
{
    EXPECT_EXIT(
        {
            prepare_child();
            // Address space for little more than what is mapped now: no
            // thread stack fits.
            std::ifstream statm("/proc/self/statm");
            unsigned long pages = 0;
            statm >> pages;
            const rlim_t bytes = static_cast<rlim_t>(pages) * static_cast<rlim_t>(sysconf(_SC_PAGESIZE)) + (1 << 20);
            rlimit limit;
            limit.rlim_cur = limit.rlim_max = bytes;
            if (setrlimit(RLIMIT_AS, &limit) != 0)
                std::_Exit(3);
            run_pieces(4, [](std::size_t) {});
        },
        testing::ExitedWithCode(1), "ERROR: .* Failed to start a thread for a piece of work: .+\n");
}

}  // namespace
