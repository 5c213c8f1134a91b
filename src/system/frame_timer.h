#pragma once
// The frame clock: seconds from the high-resolution counter, and the frame
// duration averaged over the last five frames (each capped at 0.25 s).
// Global state, main thread only.
namespace FrameTimer {

void init();
// Seconds since init.
float now();
// Once at the start of every frame.
void update();
float frame_delta();

} // namespace FrameTimer
