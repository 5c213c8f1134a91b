#pragma once
// Runs job(0) .. job(pieces - 1), each on a thread of its own except the
// last, which runs on the calling thread; returns when all are done. A
// thread that cannot start, or a piece that throws (out of memory), is a
// fatal error once the pieces already running have ended.
#include <cstddef>
#include <functional>

void run_pieces(std::size_t pieces, const std::function<void(std::size_t)>& job);

// How many pieces a job of `units` units is cut into: one per processor, at
// most 8, and no piece smaller than minUnits (at least one piece).
std::size_t piece_count(std::size_t units, std::size_t minUnits);
