#include "description.h"

#include <fstream>
#include <sstream>

#include "song.h"

namespace compose {

bool writeDescription(const std::string& directory, const std::string& name)
{
    const std::string templateName = name + "_lfo.xml";
    std::ostringstream t;
    t << "<?xml version=\"1.0\"?>\n"
      << "<!-- Controller 1 of the pad selects its LFO period. -->\n"
      << "<unit>\n  <template>\n";
    for (const LfoRange& r : kPadLfoRanges)
        t << "    <range><min>" << r.min << "</min><max>" << r.max << "</max><value><numerator>" << r.numerator
          << "</numerator><denominator>" << r.denominator << "</denominator></value></range>\n";
    t << "  </template>\n</unit>\n";

    std::ostringstream d;
    d << "<?xml version=\"1.0\"?>\n"
      << "<!-- Glass Harbour Signal: the song, its notes and the modulators of the note tracks. -->\n"
      << "<modulators stream_filename=\"" << name << ".ogg\" notedata_filename=\"" << name << ".mid\">\n"
      << "  <piano association=\"Old Vinyl Piano\">\n"
      << "    <envelope>\n"
      << "      <attack unit=\"s\" slope=\"linear\">0.01</attack>\n"
      << "      <decay unit=\"s\" slope=\"exp\">0.6</decay>\n"
      << "      <sustain unit=\"percent\">35</sustain>\n"
      << "      <release unit=\"s\" slope=\"exp\">0.4</release>\n"
      << "    </envelope>\n"
      << "  </piano>\n"
      << "  <lead association=\"Lead\">\n"
      << "    <envelope>\n"
      << "      <attack unit=\"s\" slope=\"linear\">0.01</attack>\n"
      << "      <decay unit=\"s\" slope=\"exp_inv\">0.25</decay>\n"
      << "      <sustain unit=\"percent\">60</sustain>\n"
      << "      <release unit=\"s\" slope=\"linear\">0.1</release>\n"
      << "    </envelope>\n"
      << "    <intensity unit=\"float\">1.0</intensity>\n"
      << "  </lead>\n"
      << "  <pad association=\"Pad\">\n"
      << "    <lfo>\n"
      << "      <wave>sine</wave>\n"
      << "      <tempo>\n"
      << "        <numerator>1</numerator>\n"
      << "        <denominator>2</denominator>\n"
      << "        <controller>\n"
      << "          <cc>" << kPadLfoController << "</cc>\n"
      << "          <template file=\"" << templateName << "\"/>\n"
      << "        </controller>\n"
      << "      </tempo>\n"
      << "    </lfo>\n"
      << "  </pad>\n"
      << "  <bleep association=\"RaveBleep\">\n"
      << "    <arp>\n"
      << "      <pattern>updown</pattern>\n"
      << "      <octaves>1</octaves>\n"
      << "      <numerator>1</numerator>\n"
      << "      <denominator>" << static_cast<int>(4.0 / kArpStepBeats) << "</denominator>\n"
      << "    </arp>\n"
      << "  </bleep>\n"
      << "</modulators>\n";

    std::ofstream tf(directory + "/" + templateName);
    tf << t.str();
    std::ofstream df(directory + "/" + name + ".xml");
    df << d.str();
    return static_cast<bool>(tf) && static_cast<bool>(df);
}

} // namespace compose
