#pragma once
// FFT magnitudes for the audio layer: `n` (512 or 2048) mono samples in,
// n / 2 magnitudes out, Hann window, scaled by 2 / sum(window) so that a
// full-scale sine centred in a bin reads about 1.0 there.
void audio_fft_magnitudes(const float* samples, int n, float* out);
