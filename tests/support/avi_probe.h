#pragma once
// ffprobe and ffmpeg as oracles for the AVI files the engine writes.
#include <cstdint>
#include <map>
#include <string>
#include <vector>

namespace avitest {

// Runs a shell command; returns its standard output. *status gets the exit code.
std::string run_command(const std::string& command, int* status = nullptr);

std::string shell_quote(const std::string& text);

// One stream as ffprobe reports it (codec_type, codec_name, width, height,
// r_frame_rate, nb_read_frames or nb_read_packets, sample_rate, channels,
// duration, TAG:title, ...).
using ProbedStream = std::map<std::string, std::string>;

// countFrames decodes every frame (nb_read_frames); otherwise packets are
// counted (nb_read_packets), which is fast on large files.
std::vector<ProbedStream> probe_streams(const std::string& path, bool countFrames = true);

// Every video frame decoded to bgr24, top row first, frames back to back.
std::vector<std::uint8_t> decode_video_bgr24(const std::string& path);

// ImageMagick's estimate of the JPEG quality (1 to 100) of the first video
// frame of a Motion JPEG file, from its quantisation tables; 0 when unreadable.
int mjpeg_quality(const std::string& path);

// The audio stream decoded to interleaved signed 16-bit samples.
std::vector<std::int16_t> decode_audio_s16(const std::string& path);

}
