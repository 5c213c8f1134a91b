#include "util/music/als.h"

#include <cstdlib>
#include <cstring>
#include <memory>
#include <string>

#include <tinyxml.h>

#include "system/fatal_error.h"
#include "util/data/data_layer.h"
#include "util/music/xmldocument.h"

namespace {

// A looped clip is unrolled pass by pass; a short loop in a long clip is
// refused rather than unrolled into millions of notes.
constexpr int kMaxLoopPasses = 100000;
// Work one set may make the reader do: loop passes plus note events walked,
// over all its clips. Sets of real songs stay far below; a small file of
// many key tracks in long short-looped clips (a gzip bomb of a few KB)
// would otherwise unroll into billions of notes.
constexpr std::uint64_t kMaxUnrollWork = std::uint64_t(1) << 20;

// What the set has made the reader do so far.
struct UnrollBudget {
    const std::string& path;
    std::uint64_t work = 0;

    void spend(std::uint64_t units)
    {
        work += units;
        if (work > kMaxUnrollWork)
            FATAL_ERROR("Ableton set " + path + " unrolls into more than " + std::to_string(kMaxUnrollWork) +
                        " loop passes and notes");
    }
};

struct FreeBuffer {
    void operator()(std::uint8_t* p) const { std::free(p); }
};

// The child element of that name; a missing one is fatal, named after the path.
TiXmlElement* child(TiXmlElement* parent, const char* name)
{
    TiXmlElement* element = parent->FirstChildElement(name);
    if (!element)
        FATAL_ERROR(std::string("Ableton set element \"") + name + "\" is NULL");
    return element;
}

double realAttribute(TiXmlElement* element, const char* name)
{
    double value = 0.0;
    element->Attribute(name, &value);
    return value;
}

const char* requiredAttribute(TiXmlElement* element, const char* name)
{
    const char* value = element->Attribute(name);
    if (!value)
        FATAL_ERROR(std::string("Ableton set element \"") + element->Value() + "\" has no \"" + name + "\"");
    return value;
}

// Where a clip plays on the arrangement, and its loop.
struct ClipSpan {
    double start;
    double end;
    bool looping;
    float loopLength;
};

// One key's notes in a clip, unrolled through the clip's loop and appended to
// the track's note of that key (a note made here that gets no events goes
// again).
void readKeyTrack(NoteTrack& track, TiXmlElement* keyTrack, const ClipSpan& clip, UnrollBudget& budget)
{
    int keyValue = 0;
    child(keyTrack, "MidiKey")->Attribute("Value", &keyValue);
    const std::uint8_t key = static_cast<std::uint8_t>(keyValue & 0xff);
    std::size_t index = 0;
    while (index < track.notes.size() && track.notes[index].key != key)
        ++index;
    if (index == track.notes.size()) {
        track.notes.emplace_back();
        track.notes.back().key = key;
        track.notes.back().name = noteName(key);
    }
    Note& note = track.notes[index];
    TiXmlElement* noteEvents = child(keyTrack, "Notes");

    float offset = static_cast<float>(clip.start);
    int passes = 0;
    while (true) {
        if (++passes > kMaxLoopPasses)
            FATAL_ERROR("Ableton clip loops more than " + std::to_string(kMaxLoopPasses) + " times");
        budget.spend(1);
        for (TiXmlElement* ev = noteEvents->FirstChildElement("MidiNoteEvent"); ev;
             ev = ev->NextSiblingElement("MidiNoteEvent")) {
            budget.spend(1);
            const double t = realAttribute(ev, "Time");
            const double d = realAttribute(ev, "Duration");
            if (static_cast<double>(offset) + t >= clip.end)
                break;
            track.events_read++;
            note.events.push_back(static_cast<float>(offset + t));
            note.events.push_back(static_cast<float>(-(offset + t + d)));
        }
        const float next = offset + clip.loopLength;
        if (!clip.looping || clip.end < next)
            break;
        if (!(next > offset))
            FATAL_ERROR("Ableton clip loop too short to advance");
        offset = next;
    }
    if (note.events.empty() && index == track.notes.size() - 1)
        track.notes.pop_back();
}

} // namespace

AbletonSet::AbletonSet(std::string path) : NoteData(path)
{
    int size = 0;
    std::unique_ptr<std::uint8_t, FreeBuffer> buffer(load_gz_file(path.c_str(), "rb", &size, true));
    TiXmlDocument document;
    if (!load_xml_document(document, reinterpret_cast<char*>(buffer.get()), static_cast<std::size_t>(size), path))
        FATAL_ERROR("Could not parse XML from " + path + ". Error='" + document.ErrorDesc() + "'. Exiting.\n");
    if (!document.FirstChild("Ableton"))
        FATAL_ERROR("node is NULL");
    TiXmlElement* root = document.FirstChildElement("Ableton");
    if (!root)
        FATAL_ERROR("element is NULL");
    TiXmlElement* liveSet = child(root, "LiveSet");
    readTempo(child(child(child(liveSet, "MasterTrack"), "DeviceChain"), "Mixer"));
    require_song_tempo(tempo, "Ableton set " + path);
    readTracks(child(liveSet, "Tracks"), path);
}

void AbletonSet::readTempo(TiXmlElement* mixer)
{
    TiXmlElement* manual = child(child(mixer, "Tempo"), "Manual");
    double value = 0.0;
    if (manual->QueryDoubleAttribute("Value", &value) != TIXML_SUCCESS)
        FATAL_ERROR("Ableton set has no tempo");
    if (!(value > 0.0))
        FATAL_ERROR("Ableton set tempo is not above 0");
    tempo = static_cast<float>(value);
}

void AbletonSet::readTracks(TiXmlElement* tracksElement, const std::string& path)
{
    UnrollBudget budget{path};
    for (TiXmlElement* midiTrack = tracksElement->FirstChildElement("MidiTrack"); midiTrack;
         midiTrack = midiTrack->NextSiblingElement("MidiTrack")) {
        NoteTrack track;
        track.name = requiredAttribute(child(child(midiTrack, "Name"), "EffectiveName"), "Value");
        TiXmlElement* events = child(child(child(child(child(midiTrack, "DeviceChain"), "MainSequencer"),
                                                 "ClipTimeable"), "ArrangerAutomation"), "Events");
        for (TiXmlElement* clip = events->FirstChildElement("MidiClip"); clip;
             clip = clip->NextSiblingElement("MidiClip")) {
            const double start = realAttribute(child(clip, "CurrentStart"), "Value");
            const double end = realAttribute(child(clip, "CurrentEnd"), "Value");
            TiXmlElement* loop = child(clip, "Loop");
            const bool looping = std::strcmp(requiredAttribute(child(loop, "LoopOn"), "Value"), "true") == 0;
            const double loopStart = realAttribute(child(loop, "LoopStart"), "Value");
            const double loopEnd = realAttribute(child(loop, "LoopEnd"), "Value");
            const float loopLength = static_cast<float>(loopEnd - loopStart);
            if (looping && !(loopEnd > loopStart))
                FATAL_ERROR("Ableton clip loop end is not after its start");

            const ClipSpan span{start, end, looping, loopLength};
            TiXmlElement* keyTracks = child(child(clip, "Notes"), "KeyTracks");
            for (TiXmlElement* keyTrack = keyTracks->FirstChildElement("KeyTrack"); keyTrack;
                 keyTrack = keyTrack->NextSiblingElement("KeyTrack"))
                readKeyTrack(track, keyTrack, span, budget);
        }
        if (track.events_read > 0)
            tracks.push_back(track);
    }
}
