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
    void readTracks(TiXmlElement* tracksElement);
};
