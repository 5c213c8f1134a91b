#include "description.h"

#include <cctype>
#include <fstream>
#include <sstream>

namespace compose {

bool writeDescription(const Song& song, const std::string& directory)
{
    std::ifstream in(song.descriptionFile, std::ios::binary);
    std::ostringstream d;
    d << in.rdbuf();
    if (!in)
        return false;
    std::ofstream df(directory + "/" + song.name + ".xml", std::ios::binary);
    df << d.str();
    if (song.lfoTrack < 0)
        return static_cast<bool>(df);

    std::string trackName = song.tracks[static_cast<std::size_t>(song.lfoTrack)].name;
    for (char& c : trackName)
        c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
    std::ostringstream t;
    t << "<?xml version=\"1.0\"?>\n"
      << "<!-- Controller " << song.lfoController << " of the " << trackName << " selects its LFO period. -->\n"
      << "<unit>\n  <template>\n";
    for (const LfoRange& r : song.lfoRanges)
        t << "    <range><min>" << r.min << "</min><max>" << r.max << "</max><value><numerator>" << r.numerator
          << "</numerator><denominator>" << r.denominator << "</denominator></value></range>\n";
    t << "  </template>\n</unit>\n";
    std::ofstream tf(directory + "/" + song.name + "_lfo.xml");
    tf << t.str();
    return static_cast<bool>(tf) && static_cast<bool>(df);
}

} // namespace compose
