// Construction, destruction and loading of the music object: the song
// stream, the note data and the music description with its modulators.
#include "util/music/music.h"

#include <algorithm>
#include <cctype>
#include <cmath>
#include <cstddef>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <memory>
#include <string>
#include <type_traits>

#include <tinyxml.h>

#include "platform/audio.h"
#include "platform/large_buffer.h"
#include "platform/messagebox.h"
#include "system/fatal_error.h"
#include "system/velmosystem.h"
#include "util/data/data_layer.h"
#include "util/music/als.h"
#include "util/music/decoded_pieces.h"
#include "util/music/midi.h"
#include "util/music/modulators/adsr.h"
#include "util/music/modulators/arp.h"
#include "util/music/modulators/lfo.h"
#include "util/music/xmldocument.h"

static_assert(std::is_standard_layout_v<Music>);
static_assert(offsetof(Music, waveFormat) == 0);

Music* currentMusic = nullptr;

namespace {

using u16 = std::uint16_t;

struct FreeBuffer {
    void operator()(std::uint8_t* p) const { std::free(p); }
};

// The last four characters, lower-cased (the whole name when shorter).
std::string extensionOf(const std::string& name)
{
    std::string ext = name.size() >= 4 ? name.substr(name.size() - 4) : name;
    for (char& c : ext)
        c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
    return ext;
}

const char* textOf(TiXmlElement* element)
{
    const char* text = element->GetText();
    return text ? text : "";
}

// Number readers of the description and template files, "%i", "%f" and
// "%i" plus a one-character suffix ("t" or "T" marks a triplet). An empty or
// blank text is fatal; a text that does not start with a number leaves the
// value as it was.
void readInt(TiXmlElement* element, int* value)
{
    if (std::sscanf(textOf(element), "%i", value) == EOF)
        FATAL_ERROR("sscanf failed");
}

// A setting of a modulator: NaN or an infinity (or a value that overflows a
// float) would reach every note value the modulator shapes, so they are refused.
void requireFinite(TiXmlElement* element, float value)
{
    if (!std::isfinite(value))
        FATAL_ERROR(std::string("Modulator setting <") + element->Value() + "> is not a finite number: " +
                    textOf(element));
}

void readFloat(TiXmlElement* element, float* value)
{
    if (std::sscanf(textOf(element), "%f", value) == EOF)
        FATAL_ERROR("sscanf failed");
    requireFinite(element, *value);
}

void readDenominator(TiXmlElement* element, int* value, bool* triplet)
{
    char suffix[2] = {0, 0};
    const int read = std::sscanf(textOf(element), "%i%1s", value, suffix);
    if (read == EOF)
        FATAL_ERROR("sscanf failed");
    if (read == 2 && (suffix[0] == 't' || suffix[0] == 'T'))
        *triplet = true;
}

// The description or template file at path, parsed into document.
void loadXmlFile(TiXmlDocument& document, const std::string& path)
{
    int size = 0;
    std::unique_ptr<std::uint8_t, FreeBuffer> buffer(load_file(path.c_str(), "rb", &size, true));
    if (!load_xml_document(document, reinterpret_cast<char*>(buffer.get()), static_cast<std::size_t>(size), path))
        FATAL_ERROR("Could not load " + path + ". Error='" + document.ErrorDesc() + "'. Exiting.\n");
}

// A child element the description needs; `path` names the parent in the
// message ("arp_element" gives "arp_element->FirstChildElement( "octaves" )
// is NULL").
TiXmlElement* requireChild(TiXmlElement* parent, const char* name, const std::string& path)
{
    TiXmlElement* child = parent->FirstChildElement(name);
    if (!child)
        FATAL_ERROR(path + "->FirstChildElement( \"" + name + "\" ) is NULL");
    return child;
}

// The <numerator> and <denominator> children of a note length.
void readNoteLength(TiXmlElement* parent, const std::string& path, int* numerator, int* denominator, bool* triplet)
{
    TiXmlElement* numeratorElement = requireChild(parent, "numerator", path);
    TiXmlElement* denominatorElement = requireChild(parent, "denominator", path);
    readInt(numeratorElement, numerator);
    readDenominator(denominatorElement, denominator, triplet);
}

// A number the value must take: a text that is not a number is refused.
int requireInt(TiXmlElement* element)
{
    int value = 0;
    if (std::sscanf(textOf(element), "%i", &value) != 1)
        FATAL_ERROR("sscanf failed");
    return value;
}

int slopeCode(const char* slope)
{
    const std::string s = slope ? slope : "";
    if (s == "linear")
        return 0;
    if (s == "exp")
        return 1;
    if (s == "exp_inv")
        return 2;
    FATAL_ERROR("Unrecognized slope type: " + s);
}

// A time of the envelope in seconds, converted to beats.
float readSeconds(TiXmlElement* element, float bpm, int* slope)
{
    float value = 1.0f;
    readFloat(element, &value);
    const char* unit = element->Attribute("unit");
    if (!unit || std::strcmp(unit, "s") != 0)
        FATAL_ERROR(std::string("Unrecognized unit type: ") + (unit ? unit : ""));
    value = value / 60.0f * bpm;
    requireFinite(element, value);
    *slope = slopeCode(element->Attribute("slope"));
    return value;
}

// Why the audio library made no stream of a song's bytes.
std::string streamFailure()
{
    const int code = BASS_ErrorGetCode();
    if (code == BASS_ERROR_FILEFORM)
        return audio_decode_failure();
    return "the audio library's error code " + std::to_string(code);
}

void deleteModulator(Modulator* modulator)
{
    switch (modulator->getType()) {
    case 0: delete static_cast<ADSR*>(modulator); break;
    case 1: delete static_cast<LFO*>(modulator); break;
    case 2: delete static_cast<Arp*>(modulator); break;
    default: break; // the reader makes only the three kinds above
    }
}

} // namespace

Music::Music()
    : waveFormat{},
      float_buffer(nullptr),
      u16_buffer(nullptr),
      num_samples(0),
      dummy_mode(true),
      elapsedMs(0),
      lastTick(0),
      noteData(nullptr),
      bpm(VelmoSystem::bpm),
      beatOffset(VelmoSystem::beatOffset),
      rowsPerBeat(8),
      beatHistory{},
      beatStep(0.0f),
      byteHistory{},
      byteStep(0),
      chan(0),
      chan_decode(0),
      song_length(0),
      paused(false),
      dumpAudio(VelmoSystem::dumpVideo),
      syncEditorMode(0),
      syncDevice(nullptr),
      fileBytes(nullptr)
{
    const std::string& name = VelmoSystem::musicFile;
    if (!name.empty()) {
        dummy_mode = false;
        const std::string ext = extensionOf(name);
        if (ext == ".mp3" || ext == ".ogg")
            loadStream(name);
        else if (ext == ".xml")
            loadDescription(name);
        else
            FATAL_ERROR("Music format " + ext + " not supported");
    }

    currentMusic = this;
    rowsPerBeat = 8;
    syncEditorMode = VelmoSystem::syncClient;
    syncDevice = SyncClient::create("data/sync_tracker/", syncEditorMode);
    if (!syncDevice)
        FATAL_ERROR("Failed to create sync device!");
    if (syncEditorMode == 0) {
        const SyncFileCallbacks callbacks{memOpen, memRead, memClose};
        SyncClient::setFileCallbacks(syncDevice, &callbacks);
    }
    if (SyncClient::connect(syncDevice, VelmoSystem::syncServerAddress, 1338) != 0)
        FATAL_ERROR(std::string("Sync tracker failed to connect to host ") + VelmoSystem::syncServerAddress
                    + ":" + std::to_string(1338));
}

Music::~Music()
{
    if (SyncClient::saveAll(syncDevice) != 0)
        MessageBoxA(nullptr, "Failed to save sync tracks, check your directory structure!",
                    "Failed to save sync tracks!", MB_OK);
    SyncClient::destroy(syncDevice);
    if (!dummy_mode) {
        BASS_StreamFree(chan);
        BASS_StreamFree(chan_decode);
        BASS_Free();
        free_large(float_buffer);
        free_large(u16_buffer);
        std::free(fileBytes);
    }
    if (noteData) {
        for (NoteTrack& track : noteData->tracks)
            for (Modulator* modulator : track.modulators)
                deleteModulator(modulator);
        delete noteData;
    }
    if (currentMusic == this)
        currentMusic = nullptr;
}

void Music::loadStream(std::string fileName)
{
    if (dummy_mode)
        FATAL_ERROR("Failed assert !dummy_mode");
    if ((BASS_GetVersion() >> 16) != BASSVERSION)
        FATAL_ERROR("An incorrect version of BASS was loaded");
    // The video dump writes the song into the file and plays nothing: it
    // opens no sound device (device 0).
    if (!BASS_Init(dumpAudio ? 0 : -1, 44100, 0, nullptr, nullptr))
        FATAL_ERROR("Can't initialize device");

    int size = 0;
    fileBytes = load_file(fileName.c_str(), "rb", &size, false);
    if (!fileBytes)
        FATAL_ERROR("Failed to read music data from " + fileName);

    chan = BASS_StreamCreateFile(TRUE, fileBytes, 0, static_cast<QWORD>(size), BASS_SAMPLE_LOOP | BASS_STREAM_PRESCAN);
    if (!chan)
        FATAL_ERROR("FAiled to create stream chan!\n" + fileName + ": " + streamFailure());
    song_length = static_cast<std::int32_t>(BASS_ChannelBytes2Seconds(chan, BASS_ChannelGetLength(chan, BASS_POS_BYTE)));

    chan_decode = BASS_StreamCreateFile(TRUE, fileBytes, 0, static_cast<QWORD>(size),
                                        BASS_STREAM_DECODE | BASS_STREAM_PRESCAN | BASS_ASYNCFILE);
    if (!chan_decode)
        FATAL_ERROR("Failed to create stream chan_decode!\n" + fileName + ": " + streamFailure());
    const QWORD length = BASS_ChannelGetLength(chan_decode, BASS_POS_BYTE);

    BASS_CHANNELINFO info{};
    BASS_ChannelGetInfo(chan_decode, &info);
    std::memset(&waveFormat, 0, sizeof waveFormat);
    waveFormat.wFormatTag = WAVE_FORMAT_PCM;
    waveFormat.nChannels = static_cast<WORD>(info.chans);
    waveFormat.wBitsPerSample = (info.flags & BASS_SAMPLE_8BITS) ? 8 : 16;
    waveFormat.nBlockAlign = static_cast<WORD>(waveFormat.nChannels * waveFormat.wBitsPerSample / 8);
    waveFormat.nSamplesPerSec = info.freq;
    waveFormat.nAvgBytesPerSec = waveFormat.nBlockAlign * info.freq;
    waveFormat.cbSize = 0;
    // Only 16-bit stereo is played; the messages show both sides as written.
    if (info.chans != 2)
        FATAL_ERROR("Failed assert info.chans == 2\n info.chans is " + std::to_string(info.chans) + "\n 2 is 2\n" +
                    fileName + ": the song has " + std::to_string(info.chans) +
                    (info.chans == 1 ? " channel" : " channels") + "; only stereo songs are played");
    if ((info.flags & BASS_SAMPLE_8BITS) != 0)
        FATAL_ERROR("Failed assert ( info.flags & BASS_SAMPLE_8BITS ) == false\n ( info.flags & BASS_SAMPLE_8BITS ) is " +
                    std::to_string(info.flags & BASS_SAMPLE_8BITS) + "\n false is 0");

    num_samples = static_cast<std::uint32_t>(length / 2);
    float_buffer = new_large_array<float>(num_samples);
    std::uint64_t c = read_decoded(chan_decode, float_buffer, num_samples * sizeof(float), BASS_DATA_FLOAT);
    VELMO_ASSERT_EQ(c, num_samples * sizeof(float));

    if (dumpAudio) {
        if (!BASS_ChannelSetPosition(chan_decode, 0, BASS_POS_BYTE))
            FATAL_ERROR("Failed to set BASS position for dumping: " + std::to_string(BASS_ErrorGetCode()));
        u16_buffer = new_large_array<std::int16_t>(num_samples);
        c = read_decoded(chan_decode, u16_buffer, num_samples * sizeof(u16), 0);
        VELMO_ASSERT_EQ(c, num_samples * sizeof(u16));
    }
}

void Music::loadMidiNotes(std::string fileName)
{
    if (dummy_mode)
        FATAL_ERROR("Failed assert !dummy_mode");
    noteData = new MidiFile(fileName);
    bpm = noteData->tempo;
}

void Music::loadAbletonNotes(std::string fileName)
{
    if (dummy_mode)
        FATAL_ERROR("Failed assert !dummy_mode");
    noteData = new AbletonSet(fileName);
    bpm = noteData->tempo;
}

void Music::loadDescription(std::string path)
{
    if (dummy_mode)
        FATAL_ERROR("Failed assert !dummy_mode");
    TiXmlDocument document;
    loadXmlFile(document, path);

    const std::size_t slash = path.rfind('/');
    const std::string directory = slash == std::string::npos ? "" : path.substr(0, slash + 1);

    TiXmlElement* root = document.FirstChildElement("modulators");
    if (!root)
        FATAL_ERROR("element is NULL");
    const char* stream = root->Attribute("stream_filename");
    if (!stream)
        FATAL_ERROR("Music description has no stream_filename");
    loadStream(directory + stream);

    const char* noteFile = root->Attribute("notedata_filename");
    if (!noteFile)
        noteFile = root->Attribute("mididata_filename");
    if (!noteFile)
        FATAL_ERROR("Can't find valid note data file!\n" + path +
                    ": its <modulators> element has neither a notedata_filename nor a mididata_filename attribute");
    const std::string ext = extensionOf(noteFile);
    if (ext == ".mid")
        loadMidiNotes(directory + noteFile);
    else if (ext == ".als")
        loadAbletonNotes(directory + noteFile);
    else
        FATAL_ERROR("Music format " + ext + " not supported");

    loadModulators(root->FirstChildElement(), directory);
}

void Music::loadModulators(TiXmlElement* first, std::string directory)
{
    if (dummy_mode)
        FATAL_ERROR("Failed assert !dummy_mode");
    for (TiXmlElement* binding = first; binding; binding = binding->NextSiblingElement()) {
        const char* association = binding->Attribute("association");
        if (!association)
            FATAL_ERROR(std::string("Modulator binding <") + binding->Value() + "> has no association");
        NoteTrack* track = nullptr;
        for (NoteTrack& t : noteData->tracks)
            if (t.name == association) {
                track = &t;
                break;
            }
        if (!track)
            FATAL_ERROR(std::string("Could not find track ") + association + missing_track_context(*noteData));

        if (TiXmlElement* lfo = binding->FirstChildElement("lfo")) {
            const std::string waveText = textOf(requireChild(lfo, "wave", "lfo_element"));
            int wave;
            if (waveText == "sine")
                wave = 0;
            else if (waveText == "saw")
                wave = 1;
            else
                FATAL_ERROR("Unrecognized LFO wave type: " + waveText);
            TiXmlElement* tempo = lfo->FirstChildElement("tempo");
            if (!tempo)
                FATAL_ERROR("tempo_element is NULL");
            int numerator = -1, denominator = -1;
            bool triplet = false;
            readNoteLength(tempo, "tempo_element", &numerator, &denominator, &triplet);
            TiXmlElement* controllerElement = requireChild(tempo, "controller", "tempo_element");
            const std::string controllerPath = "tempo_element->FirstChildElement( \"controller\" )";
            int controller = -1;
            readInt(requireChild(controllerElement, "cc", controllerPath), &controller);
            if (controller > 127)
                FATAL_ERROR("Controller number " + std::to_string(controller) + " is above 127");
            LFO* modulator = new LFO(wave, controller, numerator, denominator, triplet);
            track->modulators.push_back(modulator);
            TiXmlElement* templateElement = requireChild(controllerElement, "template", controllerPath);
            const char* file = templateElement->Attribute("file");
            loadTemplate(directory + (file ? file : ""), modulator);
        } else if (TiXmlElement* env = binding->FirstChildElement("envelope")) {
            TiXmlElement* parts[4];
            const char* names[4] = {"attack", "decay", "sustain", "release"};
            for (int i = 0; i < 4; ++i)
                parts[i] = requireChild(env, names[i], "env_element");
            int attackSlope = 0, decaySlope = 0, releaseSlope = 0;
            const float attack = readSeconds(parts[0], bpm, &attackSlope);
            const float decay = readSeconds(parts[1], bpm, &decaySlope);
            float sustain = 1.0f;
            readFloat(parts[2], &sustain);
            const char* unit = parts[2]->Attribute("unit");
            if (!unit || std::strcmp(unit, "percent") != 0)
                FATAL_ERROR(std::string("Unrecognized unit type: ") + (unit ? unit : ""));
            sustain /= 100.0f;
            const float release = readSeconds(parts[3], bpm, &releaseSlope);
            track->modulators.push_back(new ADSR(attack, attackSlope, decay, decaySlope, sustain, release, releaseSlope));
        } else if (TiXmlElement* arp = binding->FirstChildElement("arp")) {
            const std::string patternText = textOf(requireChild(arp, "pattern", "arp_element"));
            int pattern;
            if (patternText == "updown")
                pattern = 0;
            else if (patternText == "up")
                pattern = 1;
            else if (patternText == "down")
                pattern = 2;
            else
                FATAL_ERROR("Unrecognized arp pattern: " + patternText);
            int octaves = -1;
            readInt(requireChild(arp, "octaves", "arp_element"), &octaves);
            int numerator = -1, denominator = -1;
            bool triplet = false;
            readNoteLength(arp, "arp_element", &numerator, &denominator, &triplet);
            track->modulators.push_back(new Arp(pattern, octaves, numerator, denominator, triplet));
        }

        if (TiXmlElement* intensity = binding->FirstChildElement("intensity")) {
            const char* unit = intensity->Attribute("unit");
            if (!unit || std::strcmp(unit, "float") != 0)
                FATAL_ERROR(std::string("Unexpected intensity unit: ") + (unit ? unit : ""));
            float value = 0.0f;
            readFloat(intensity, &value);
            if (track->modulators.empty())
                FATAL_ERROR(std::string("Intensity for track ") + association + " without a modulator");
            track->modulators.back()->setIntensity(value);
        }
    }
}

void Music::loadTemplate(std::string path, Modulator* modulator)
{
    if (dummy_mode)
        FATAL_ERROR("Failed assert !dummy_mode");
    TiXmlDocument document;
    loadXmlFile(document, path);

    TiXmlElement* element = document.FirstChildElement("unit");
    if (!element)
        FATAL_ERROR("element is NULL");
    TiXmlElement* templateElement = requireChild(element, "template", "element");
    TiXmlElement* cur_el = requireChild(templateElement, "range", "element->FirstChildElement( \"template\" )");
    for (; cur_el; cur_el = cur_el->NextSiblingElement("range")) {
        TiXmlElement* minElement = requireChild(cur_el, "min", "cur_el");
        TiXmlElement* maxElement = requireChild(cur_el, "max", "cur_el");
        TiXmlElement* valueElement = requireChild(cur_el, "value", "cur_el");
        const std::string valuePath = "cur_el->FirstChildElement( \"value\" )";
        TiXmlElement* numeratorElement = requireChild(valueElement, "numerator", valuePath);
        TiXmlElement* denominatorElement = requireChild(valueElement, "denominator", valuePath);
        const int min = requireInt(minElement);
        const int max = requireInt(maxElement);
        const int numerator = requireInt(numeratorElement);
        int denominator = 0;
        bool triplet = false;
        char suffix[2] = {0, 0};
        const int read = std::sscanf(textOf(denominatorElement), "%i%1s", &denominator, suffix);
        if (read < 1)
            FATAL_ERROR("sscanf failed");
        if (read == 2 && (suffix[0] == 't' || suffix[0] == 'T'))
            triplet = true;
        modulator->addRange(min & 0xff, max & 0xff, numerator, denominator, triplet);
    }
}
