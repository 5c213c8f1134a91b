// Note queries of the music object: keys, held states and modulated values
// of the note tracks, and controller lanes.
#include <algorithm>
#include <cmath>
#include <cstring>
#include <optional>
#include <string>

#include "system/fatal_error.h"
#include "util/music/modulators/arp.h"
#include "util/music/music.h"

int Music::getControllerValue(int track, std::uint8_t controller, float beat)
{
    if (controller > 127)
        FATAL_ERROR("Controller number " + std::to_string(controller) + " is above 127");
    const ControllerLane& lane = noteData->tracks[static_cast<std::size_t>(track)].controllers[controller];
    int value = -1;
    for (std::size_t i = 0; i < lane.times.size() && lane.times[i] <= beat; ++i)
        value = lane.values[i];
    return value;
}

std::vector<float> Music::getNoteValues(int track, float beat)
{
    if (!noteData)
        return {};
    if (static_cast<std::uint32_t>(track) >= noteData->tracks.size())
        FATAL_ERROR("Track number out of bounds");
    NoteTrack& t = noteData->tracks[static_cast<std::size_t>(track)];
    std::vector<float> values(t.notes.size(), 0.0f);
    if (beat < 0.0f)
        return values;

    float latest = -1.0f;
    std::vector<std::uint32_t> held;
    // The modulators' controller values at this beat, read from their lanes
    // for the first note only: they are the same for every note.
    std::vector<std::optional<int>> controllerValues(t.modulators.size());
    for (std::size_t i = 0; i < t.notes.size(); ++i) {
        const Note& note = t.notes[i];
        int depth = 0;
        float lastOn = -1.0f;
        float lastOff = -1.0f;
        for (std::size_t e = 0; e < note.events.size() && std::fabs(note.events[e]) < beat; ++e) {
            const float event = note.events[e];
            if (isNoteOn(event)) {
                if (depth == 0) {
                    lastOn = event;
                    latest = std::max(latest, event);
                }
                ++depth;
            } else {
                depth = std::max(0, depth - 1);
                if (depth == 0) {
                    lastOff = std::fabs(event);
                    latest = std::max(latest, lastOff);
                }
            }
        }
        if (depth > 0)
            held.push_back(static_cast<std::uint32_t>(i));

        if (t.modulators.empty()) {
            values[i] = depth > 0 ? 1.0f : 0.0f;
            continue;
        }
        float value = 1.0f;
        for (std::size_t m = 0; m < t.modulators.size(); ++m) {
            Modulator* modulator = t.modulators[m];
            const int controller = modulator->getController();
            if (controller >= 0) {
                std::optional<int>& v = controllerValues[m];
                if (!v)
                    v = getControllerValue(track, static_cast<std::uint8_t>(controller), beat);
                if (*v >= 0)
                    modulator->setControllerValue(*v);
            }
            value *= modulator->evaluate(bpm, beat, lastOff, lastOn);
        }
        values[i] = value;
    }

    for (Modulator* modulator : t.modulators) {
        if (modulator->getType() != 2)
            continue;
        Arp* arp = static_cast<Arp*>(modulator);
        const std::uint32_t p = arp->step(bpm, beat, latest, static_cast<std::uint32_t>(held.size()));
        for (std::size_t i = 0; i < values.size(); ++i)
            if (held.empty() || i != held[p])
                values[i] = 0.0f;
    }
    return values;
}

std::vector<bool> Music::getNoteStates(int track)
{
    if (!noteData)
        return {};
    if (static_cast<std::uint32_t>(track) >= noteData->tracks.size())
        FATAL_ERROR("Track number " + std::to_string(track) + " out of bounds, total tracks: "
                    + std::to_string(noteData->tracks.size()));
    const float beat = getBeat();
    NoteTrack& t = noteData->tracks[static_cast<std::size_t>(track)];
    std::vector<bool> states(t.notes.size(), false);
    for (std::size_t i = 0; i < t.notes.size(); ++i) {
        Note& note = t.notes[i];
        std::size_t j = 0;
        while (j < note.events.size() && std::fabs(note.events[j]) < beat)
            ++j;
        if (j == 0 || j == note.events.size())
            continue;
        if (isNoteOn(note.events[j - 1])) {
            states[i] = true;
            note.last_event = static_cast<std::int32_t>(j - 1);
        }
    }
    return states;
}

int Music::trackIndexByName(const char* name)
{
    for (std::size_t i = 0; i < noteData->tracks.size(); ++i)
        if (std::strcmp(noteData->tracks[i].name.c_str(), name) == 0)
            return static_cast<int>(i);
    FATAL_ERROR(std::string("Could not find track ") + name + missing_track_context(*noteData));
}

std::vector<bool> Music::getNoteStatesByName(const char* name)
{
    if (!noteData)
        FATAL_ERROR("Attempted to get note states without a valid MIDI file loaded!");
    return getNoteStates(trackIndexByName(name));
}

std::vector<std::uint8_t> Music::getNoteLookupTable(int track)
{
    if (!noteData)
        return {};
    if (static_cast<std::uint32_t>(track) >= noteData->tracks.size())
        FATAL_ERROR("Track number out of bounds");
    std::vector<std::uint8_t> keys;
    for (const Note& note : noteData->tracks[static_cast<std::size_t>(track)].notes)
        keys.push_back(note.key);
    return keys;
}

std::vector<std::uint8_t> Music::getNoteLookupTableByName(const char* name)
{
    if (!noteData)
        FATAL_ERROR("Attempted to get note lookup table without a valid MIDI file loaded!");
    return getNoteLookupTable(trackIndexByName(name));
}

std::uint32_t Music::getTrackCount()
{
    if (!noteData)
        FATAL_ERROR("Attempted to get number of tracks without a valid MIDI file loaded!");
    return static_cast<std::uint32_t>(noteData->tracks.size());
}

std::uint32_t Music::getNoteCount(int track)
{
    if (!noteData)
        FATAL_ERROR("Attempted to get number of track notes without a valid MIDI file loaded!");
    if (static_cast<std::uint32_t>(track) >= noteData->tracks.size())
        FATAL_ERROR("Track number out of bounds");
    return static_cast<std::uint32_t>(noteData->tracks[static_cast<std::size_t>(track)].notes.size());
}

std::string Music::getTrackName(int track)
{
    if (!noteData)
        FATAL_ERROR("No valid MIDI file loaded!");
    if (static_cast<std::uint32_t>(track) >= noteData->tracks.size())
        FATAL_ERROR("Track number out of bounds");
    return noteData->tracks[static_cast<std::size_t>(track)].name;
}

float Music::getTrackIntensity(int track, float beat)
{
    if (!noteData)
        return 0.0f;
    if (static_cast<std::uint32_t>(track) >= noteData->tracks.size())
        FATAL_ERROR("Track number out of bounds");
    if (beat < 0.0f)
        return 0.0f;
    float largest = 0.0f;
    for (float v : getNoteValues(track, beat))
        largest = std::max(largest, v);
    return largest;
}
