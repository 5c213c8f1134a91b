#pragma once
// Ableton Live set reader: the tempo of the master track and one NoteTrack
// per MIDI track of the arrangement, with looped clips unrolled onto the
// song's beat line. The set is gzip-compressed XML.
#include <string>

#include "util/music/notedata.h"

class TiXmlElement;

class AbletonSet : public NoteData {
public:
    explicit AbletonSet(std::string path);

    void readTempo(TiXmlElement* mixer);
    // path names the file in the refusal of a set that unrolls into too much.
    void readTracks(TiXmlElement* tracksElement, const std::string& path);
};
