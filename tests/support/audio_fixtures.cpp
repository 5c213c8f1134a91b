#include "support/audio_fixtures.h"

#include <gtest/gtest.h>

#include <cmath>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <fstream>
#include <iterator>
#include <sstream>

#include <unistd.h>

namespace {

void put(std::ofstream& out, std::uint32_t v, int bytes)
{
    for (int i = 0; i < bytes; ++i)
        out.put(static_cast<char>((v >> (8 * i)) & 0xff));
}

} // namespace

void write_wav(const std::string& path, const std::vector<short>& interleaved, int channels, int rate)
{
    std::ofstream out(path, std::ios::binary);
    const std::uint32_t dataBytes = static_cast<std::uint32_t>(interleaved.size() * 2);
    out.write("RIFF", 4);
    put(out, 36 + dataBytes, 4);
    out.write("WAVEfmt ", 8);
    put(out, 16, 4);
    put(out, 1, 2);
    put(out, static_cast<std::uint32_t>(channels), 2);
    put(out, static_cast<std::uint32_t>(rate), 4);
    put(out, static_cast<std::uint32_t>(rate * channels * 2), 4);
    put(out, static_cast<std::uint32_t>(channels * 2), 2);
    put(out, 16, 2);
    out.write("data", 4);
    put(out, dataBytes, 4);
    out.write(reinterpret_cast<const char*>(interleaved.data()), static_cast<std::streamsize>(dataBytes));
}

std::vector<unsigned char> encoded_tone(const std::string& format, double hz, double seconds, double amplitude)
{
    std::ostringstream name;
    name << "audio_fixture_" << hz << "_" << seconds << "_" << amplitude;
    const std::string base = std::string(VELMO_BINARY_DIR) + "/" + name.str();
    // Test processes run in parallel: each makes its own temporary files and
    // renames the result into place, which is atomic.
    const std::string unique = base + "." + std::to_string(getpid());
    const std::string wav = unique + ".wav";
    const std::string encoded = base + "." + format;
    std::ifstream cached(encoded, std::ios::binary);
    if (!cached) {
        const int rate = 44100;
        const int frames = static_cast<int>(seconds * rate);
        std::vector<short> samples(static_cast<std::size_t>(frames) * 2);
        for (int i = 0; i < frames; ++i) {
            const short v = static_cast<short>(std::lround(amplitude * 32767.0 * std::sin(2.0 * M_PI * hz * i / rate)));
            samples[static_cast<std::size_t>(2 * i)] = v;
            samples[static_cast<std::size_t>(2 * i + 1)] = v;
        }
        write_wav(wav, samples, 2, rate);
        const std::string command = format == "ogg"
            ? "oggenc -Q -q 6 -o '" + unique + ".tmp' '" + wav + "'"
            : "lame --quiet --preset cbr 192 '" + wav + "' '" + unique + ".tmp'";
        EXPECT_EQ(std::system(command.c_str()), 0) << command;
        std::rename((unique + ".tmp").c_str(), encoded.c_str());
        std::remove(wav.c_str());
        cached.open(encoded, std::ios::binary);
    }
    return std::vector<unsigned char>(std::istreambuf_iterator<char>(cached), {});
}

// Ogg's page checksum: CRC-32 of polynomial 0x04c11db7, not reflected, from 0.
std::uint32_t oggPageCrc(const unsigned char* bytes, std::size_t size)
{
    std::uint32_t crc = 0;
    for (std::size_t i = 0; i < size; ++i) {
        crc ^= static_cast<std::uint32_t>(bytes[i]) << 24;
        for (int bit = 0; bit < 8; ++bit)
            crc = (crc & 0x80000000u) ? (crc << 1) ^ 0x04c11db7u : crc << 1;
    }
    return crc;
}

// The OGG file with the granule position of its last page (the length the
// stream claims, in sample frames) set to `granule`, its checksum made anew.
std::vector<unsigned char> withLastGranule(std::vector<unsigned char> file, std::uint64_t granule)
{
    std::size_t page = file.size();
    const unsigned char tag[4] = {'O', 'g', 'g', 'S'};
    while (page-- > 0)
        if (file.size() - page >= 27 && std::memcmp(&file[page], tag, 4) == 0)
            break;
    EXPECT_LT(page, file.size());
    const std::size_t segments = file[page + 26];
    std::size_t size = 27 + segments;
    for (std::size_t i = 0; i < segments; ++i)
        size += file[page + 27 + i];
    EXPECT_EQ(page + size, file.size()) << "the last page ends the file";
    for (int i = 0; i < 8; ++i)
        file[page + 6 + i] = static_cast<unsigned char>(granule >> (8 * i));
    std::memset(&file[page + 22], 0, 4);
    const std::uint32_t crc = oggPageCrc(&file[page], size);
    for (int i = 0; i < 4; ++i)
        file[page + 22 + i] = static_cast<unsigned char>(crc >> (8 * i));
    return file;
}
