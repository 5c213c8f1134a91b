#include "song.h"

#include <algorithm>
#include <cstdlib>
#include <fstream>
#include <map>
#include <sstream>

namespace compose {

namespace {

bool toInt(const std::string& s, int& out)
{
    char* end = nullptr;
    const long v = std::strtol(s.c_str(), &end, 10);
    if (s.empty() || *end != '\0')
        return false;
    out = static_cast<int>(v);
    return true;
}

bool toDouble(const std::string& s, double& out)
{
    char* end = nullptr;
    out = std::strtod(s.c_str(), &end);
    return !s.empty() && *end == '\0';
}

std::string trim(const std::string& s)
{
    const auto first = s.find_first_not_of(" \t\r");
    if (first == std::string::npos)
        return "";
    return s.substr(first, s.find_last_not_of(" \t\r") - first + 1);
}

std::vector<std::string> words(const std::string& s)
{
    std::istringstream in(s);
    std::vector<std::string> out;
    for (std::string w; in >> w;)
        out.push_back(w);
    return out;
}

const std::map<std::string, Instrument> kInstruments = {
    {"piano", Instrument::Piano}, {"bass", Instrument::Bass}, {"drums", Instrument::Drums},
    {"pad", Instrument::Pad},     {"lead", Instrument::Lead}, {"bleeps", Instrument::Bleeps}};
const std::map<std::string, DrumSound> kDrumSounds = {
    {"kick", DrumSound::Kick},          {"snare", DrumSound::Snare}, {"closed_hat", DrumSound::ClosedHat},
    {"open_hat", DrumSound::OpenHat}, {"crash", DrumSound::Crash}};

bool refuse(std::string& what, const std::string& message)
{
    what = message;
    return false;
}

// One line of a song file, its comment removed: `keyword rest`. Lines that
// name a track ("track", "lfo", "arp") split the rest at " : ".
bool readLine(const std::string& keyword, const std::string& rest, const std::string& folder, Song& song,
              std::string& what)
{
    std::string head = rest, tail;
    const auto colon = rest.find(" : ");
    if (colon != std::string::npos) {
        head = trim(rest.substr(0, colon));
        tail = trim(rest.substr(colon + 3));
    }
    const std::vector<std::string> w = words(rest);
    const std::vector<std::string> t = words(tail);
    if (keyword == "name" || keyword == "composition") {
        if (w.size() != 1)
            return refuse(what, "one word expected");
        (keyword == "name" ? song.name : song.composition) = w[0];
    } else if (keyword == "title" || keyword == "description") {
        if (rest.empty())
            return refuse(what, keyword + ": text expected");
        (keyword == "title" ? song.title : song.descriptionFile) = keyword == "title" ? rest : folder + rest;
    } else if (keyword == "bpm") {
        if (w.size() != 1 || !toDouble(w[0], song.bpm) || !(song.bpm > 0.0))
            return refuse(what, "bad tempo");
    } else if (keyword == "tempo") {
        int& us = song.microsecondsPerQuarter;
        if (w.size() != 1 || !toInt(w[0], us) || us <= 0 || us >= (1 << 24))
            return refuse(what, "bad microseconds per quarter note");
    } else if (keyword == "beats") {
        if (w.size() != 1 || !toDouble(w[0], song.beats) || !(song.beats > 0.0) || song.beats > 100000.0)
            return refuse(what, "bad length");
    } else if (keyword == "tail") {
        if (w.size() != 1 || !toDouble(w[0], song.tailSeconds) || !(song.tailSeconds >= 0.0) ||
            song.tailSeconds > 60.0)
            return refuse(what, "bad tail");
    } else if (keyword == "key") {
        if (w.size() != 2 || !toInt(w[0], song.keySharps) || song.keySharps < -7 || song.keySharps > 7 ||
            (w[1] != "major" && w[1] != "minor"))
            return refuse(what, "key: sharps (-7 to 7) and major or minor expected");
        song.minor = w[1] == "minor";
    } else if (keyword == "track") {
        const auto it = kInstruments.find(tail);
        if (colon == std::string::npos || head.empty() || it == kInstruments.end())
            return refuse(what, "track: <name> : piano|bass|drums|pad|lead|bleeps expected");
        if (song.trackIndex(head) >= 0)
            return refuse(what, "track " + head + " named twice");
        if (song.tracks.size() >= 15)
            return refuse(what, "more than 15 tracks");
        song.tracks.push_back({head, it->second});
    } else if (keyword == "drum") {
        int key = 0;
        const auto it = w.size() == 2 ? kDrumSounds.find(w[1]) : kDrumSounds.end();
        if (it == kDrumSounds.end() || !toInt(w[0], key) || key < 0 || key > 127)
            return refuse(what, "drum: <key> kick|snare|closed_hat|open_hat|crash expected");
        song.drumKeys.emplace_back(key, it->second);
    } else if (keyword == "lfo") {
        song.lfoTrack = song.trackIndex(head);
        if (song.lfoTrack < 0 || t.size() != 3 || !toInt(t[0], song.lfoController) ||
            !toInt(t[1], song.lfoNumerator) || !toInt(t[2], song.lfoDenominator) || song.lfoDenominator <= 0)
            return refuse(what, "lfo: <track> : <controller> <numerator> <denominator> expected");
    } else if (keyword == "range") {
        LfoRange r{};
        if (w.size() != 4 || !toInt(w[0], r.min) || !toInt(w[1], r.max) || !toInt(w[2], r.numerator) ||
            !toInt(w[3], r.denominator) || r.denominator <= 0)
            return refuse(what, "range: <min> <max> <numerator> <denominator> expected");
        song.lfoRanges.push_back(r);
    } else if (keyword == "arp") {
        song.arpTrack = song.trackIndex(head);
        if (song.arpTrack < 0 || t.size() != 1 || !toDouble(t[0], song.arpStepBeats) || !(song.arpStepBeats > 0.0))
            return refuse(what, "arp: <track> : <step in beats> expected");
    } else {
        return refuse(what, "unknown keyword " + keyword);
    }
    return true;
}

} // namespace

int Song::trackIndex(const std::string& trackName) const
{
    for (std::size_t i = 0; i < tracks.size(); ++i)
        if (tracks[i].name == trackName)
            return static_cast<int>(i);
    return -1;
}

bool loadSong(const std::string& path, Song& song, std::string& error)
{
    std::ifstream in(path);
    if (!in) {
        error = path + ": cannot read";
        return false;
    }
    const auto slash = path.find_last_of('/');
    const std::string folder = slash == std::string::npos ? "" : path.substr(0, slash + 1);
    int number = 0;
    for (std::string line; std::getline(in, line);) {
        ++number;
        line = trim(line.substr(0, line.find('#')));
        if (line.empty())
            continue;
        const auto space = line.find_first_of(" \t");
        const std::string keyword = line.substr(0, space);
        const std::string rest = space == std::string::npos ? "" : trim(line.substr(space));
        std::string what;
        if (!readLine(keyword, rest, folder, song, what)) {
            error = path + ":" + std::to_string(number) + ": " + what;
            return false;
        }
    }
    const char* missing = song.name.empty()              ? "name"
                        : song.composition.empty()       ? "composition"
                        : song.beats <= 0.0              ? "beats"
                        : song.tracks.empty()            ? "track"
                                                         : nullptr;
    if (missing) {
        error = path + ": no " + missing + " line";
        return false;
    }
    return true;
}

void tidy(Song& song)
{
    std::stable_sort(song.notes.begin(), song.notes.end(), [](const NoteEvent& a, const NoteEvent& b) {
        return a.track != b.track ? a.track < b.track : a.start < b.start;
    });
    std::map<std::pair<int, int>, NoteEvent*> last;
    std::vector<NoteEvent> kept;
    kept.reserve(song.notes.size());
    for (const NoteEvent& n : song.notes) {
        auto it = last.find({n.track, n.key});
        if (it != last.end() && it->second->end > n.start) {
            if (it->second->start == n.start) { // the same key struck twice at once: keep the louder
                it->second->velocity = std::max(it->second->velocity, n.velocity);
                it->second->end = std::max(it->second->end, n.end);
                continue;
            }
            it->second->end = n.start;
        }
        kept.push_back(n);
        // Pointers stay valid: the vector never grows past its reserve.
        last[{n.track, n.key}] = &kept.back();
    }
    song.notes = std::move(kept);
}

} // namespace compose
