// velmo_compose <song.txt> <output folder> [--no-audio]
//
// Writes a song (songs/<name>/song.txt and its composition) as a Standard
// MIDI File, renders the same notes to a WAV file, and writes the music
// description and its LFO template, all named after the song. A song without
// a description line gets only its WAV file. make_music.sh encodes the WAV
// (oggenc for a described song, lame for one without) and puts the files
// under data/music/.
#include <cstdint>
#include <cstdio>
#include <fstream>
#include <string>

#include "compositions.h"
#include "description.h"
#include "midiwriter.h"
#include "song.h"
#include "synth.h"

namespace {

void put(std::ofstream& out, std::uint32_t v, int bytes)
{
    for (int i = 0; i < bytes; ++i)
        out.put(static_cast<char>((v >> (8 * i)) & 0xff));
}

bool writeWav(const std::string& path, const std::vector<float>& samples)
{
    std::ofstream out(path, std::ios::binary);
    const std::uint32_t dataBytes = static_cast<std::uint32_t>(samples.size() * 2);
    out.write("RIFF", 4);
    put(out, 36 + dataBytes, 4);
    out.write("WAVEfmt ", 8);
    put(out, 16, 4);
    put(out, 1, 2);
    put(out, 2, 2);
    put(out, compose::kSampleRate, 4);
    put(out, compose::kSampleRate * 4, 4);
    put(out, 4, 2);
    put(out, 16, 2);
    out.write("data", 4);
    put(out, dataBytes, 4);
    for (float v : samples) {
        const float clamped = v > 1.0f ? 1.0f : (v < -1.0f ? -1.0f : v);
        const auto s = static_cast<std::int16_t>(clamped * 32767.0f);
        put(out, static_cast<std::uint16_t>(s), 2);
    }
    return static_cast<bool>(out);
}

} // namespace

int main(int argc, char** argv)
{
    if (argc < 3 || (argc > 3 && std::string(argv[3]) != "--no-audio") || argc > 4) {
        std::fprintf(stderr, "usage: %s <song.txt> <output folder> [--no-audio]\n", argv[0]);
        return 2;
    }
    const std::string dir = argv[2];
    const bool audio = argc == 3;
    compose::Song song;
    std::string error;
    if (!compose::loadSong(argv[1], song, error) || !compose::composeNotes(song, error)) {
        std::fprintf(stderr, "compose: %s\n", error.c_str());
        return 1;
    }
    // The note data is read only through the description that names it: a
    // song without a description is played from its audio alone.
    const bool described = !song.descriptionFile.empty();
    if (described &&
        (!compose::writeMidi(song, dir + "/" + song.name + ".mid") || !compose::writeDescription(song, dir))) {
        std::fprintf(stderr, "compose: cannot write into %s\n", dir.c_str());
        return 1;
    }
    std::printf("compose: %zu notes in %zu tracks\n", song.notes.size(), song.tracks.size());
    if (audio) {
        const std::vector<float> samples = compose::renderSong(song);
        if (!writeWav(dir + "/" + song.name + ".wav", samples)) {
            std::fprintf(stderr, "compose: cannot write the audio\n");
            return 1;
        }
        std::printf("compose: %.1f s of audio\n", samples.size() / 2.0 / compose::kSampleRate);
    }
    return 0;
}
