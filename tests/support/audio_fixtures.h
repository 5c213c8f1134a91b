#pragma once
// Small encoded songs made on the fly with the Debian encoders (oggenc,
// lame), for tests of the audio layer and the music object.
#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

// A stereo 44.1 kHz sine of `hz` and `amplitude` (0..1) lasting `seconds`,
// as the bytes of an "ogg" or "mp3" file. Fails the calling test when the
// encoder is missing. Results are cached per argument set in the build folder.
std::vector<unsigned char> encoded_tone(const std::string& format, double hz, double seconds, double amplitude);

// Writes a 16-bit PCM WAV file.
void write_wav(const std::string& path, const std::vector<short>& interleaved, int channels, int rate);

// Ogg's page checksum: CRC-32 of polynomial 0x04c11db7, not reflected, from 0.
std::uint32_t oggPageCrc(const unsigned char* bytes, std::size_t size);

// The OGG file with the granule position of its last page (the length the
// stream claims, in sample frames) set to `granule`, its checksum made anew.
std::vector<unsigned char> withLastGranule(std::vector<unsigned char> file, std::uint64_t granule);
