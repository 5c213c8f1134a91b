#pragma once
// The compositions: code that writes a song's notes and controller events
// into the tracks its song.txt lists. song.txt names its composition.
#include <string>

#include "song.h"

namespace compose {

// Writes the notes of song.composition and tidies them. False with a
// message when there is no such composition or the song's tracks are not
// the ones it writes.
bool composeNotes(Song& song, std::string& error);

// One function per composition (songs/<name>.cpp).
bool composeGlassHarbourSignal(Song& song, std::string& error);
bool composeFunkySomething(Song& song, std::string& error);
bool composeLantern(Song& song, std::string& error);

} // namespace compose
