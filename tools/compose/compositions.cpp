#include "compositions.h"

#include <map>

namespace compose {

bool composeNotes(Song& song, std::string& error)
{
    using Composition = bool (*)(Song&, std::string&);
    static const std::map<std::string, Composition> compositions = {
        {"glass_harbour_signal", composeGlassHarbourSignal},
        {"funkysomething", composeFunkySomething},
        {"lantern", composeLantern},
    };
    const auto it = compositions.find(song.composition);
    if (it == compositions.end()) {
        error = "no composition named " + song.composition;
        return false;
    }
    if (!it->second(song, error))
        return false;
    tidy(song);
    return true;
}

} // namespace compose
