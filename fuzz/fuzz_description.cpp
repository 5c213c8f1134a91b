// The music description's modulator bindings and the modulator templates
// they name. The input is a description, optionally followed by a line
// "--template--" and the text of the template "t.xml" beside it. The note
// data is a fixed MIDI file with the tracks "Lead", "Pad" and "Bleep"; the
// audio stream is not loaded (its loader is the audio layer's).
#include <cstring>
#include <string>

#include <tinyxml.h>

#include "fuzz_support.h"
#include "system/fatal_error.h"
#include "system/velmosystem.h"
#include "util/data/data_layer.h"
#include "util/music/midi.h"
#include "util/music/music.h"
#include "util/music/xmldocument.h"

namespace {

std::string notesFile()
{
    // Format 1, 96 ticks a beat, three named tracks of one note each; "Pad" has a controller 1 lane.
    const unsigned char bytes[] = {
        'M', 'T', 'h', 'd', 0, 0, 0, 6, 0, 1, 0, 3, 0, 96,
        'M', 'T', 'r', 'k', 0, 0, 0, 20, 0, 0xFF, 0x03, 4, 'L', 'e', 'a', 'd',
        0, 0x90, 60, 64, 0x60, 0x80, 60, 0, 0, 0xFF, 0x2F, 0,
        'M', 'T', 'r', 'k', 0, 0, 0, 27, 0, 0xFF, 0x03, 3, 'P', 'a', 'd', 0, 0xB0, 1, 0,
        0, 0x90, 48, 64, 0x60, 0x80, 48, 0, 0x00, 0xB0, 1, 100, 0, 0xFF, 0x2F, 0,
        'M', 'T', 'r', 'k', 0, 0, 0, 21, 0, 0xFF, 0x03, 5, 'B', 'l', 'e', 'e', 'p',
        0, 0x90, 72, 64, 0x60, 0x80, 72, 0, 0, 0xFF, 0x2F, 0};
    return fuzz_write_input(bytes, sizeof bytes, ".notes.mid");
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    static std::string directory;
    static std::string notes;
    static const bool ready = [] {
        fuzz_init(DataFileMode::Off);
        VelmoSystem::musicFile = "";
        VelmoSystem::syncClient = 0;
        notes = notesFile();
        return true;
    }();
    (void)ready;

    std::string text(reinterpret_cast<const char*>(data), size);
    std::string templateText;
    const std::size_t split = text.find("\n--template--\n");
    if (split != std::string::npos) {
        templateText = text.substr(split + 14);
        text.resize(split);
    }
    const std::string templatePath = fuzz_write_input(reinterpret_cast<const std::uint8_t*>(templateText.data()),
                                                      templateText.size(), ".t.xml");
    directory = templatePath.substr(0, templatePath.size() - 5); // "<scratch>" so that "t.xml" is the template

    Music music;
    try {
        music.dummy_mode = false;
        music.noteData = new MidiFile(notes);
        music.bpm = music.noteData->tempo;
        TiXmlDocument document;
        std::string buffer = text;
        buffer.push_back('\0');
        if (load_xml_document(document, buffer.data(), buffer.size(), "description")) {
            if (TiXmlElement* root = document.FirstChildElement("modulators"))
                music.loadModulators(root->FirstChildElement(), directory);
        }
    } catch (const FatalErrorException&) {
    }
    music.dummy_mode = true;
    return 0;
}
