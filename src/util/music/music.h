#pragma once
// The one music object of a run: the show's clock (audio playback or a
// millisecond clock in dummy mode) in seconds, beats and sync rows; sync
// values by track name; spectrum, level and waveform of the song; and the
// note data with its modulators.
#include <cstdint>
#include <string>
#include <vector>

#include "platform/audio.h"
#include "platform/audio_waveformat.h"
#include "util/music/notedata.h"
#include "util/music/syncclient.h"

class Modulator;
class TiXmlElement;

struct SyncValue {
    SyncTrack* track; // null for a constant value; owned by the sync client
    std::string name;
    float value;
};

// Handle of the player-mode track-file callbacks: a whole file read through the data layer.
struct SyncMemoryFile {
    std::uint8_t* data;
    std::int32_t size;
    std::int32_t position;
};

class Music {
public:
    Music();
    ~Music();
    Music(const Music&) = delete;
    Music& operator=(const Music&) = delete;

    // Clock and transport
    void start();
    void update();
    float getSeconds();
    float getBeat();
    double getRow();
    float getBeatStep();
    std::int32_t getBytePosition();
    void setBytePosition(std::int32_t position);
    void seekSeconds(float seconds);
    void setRow(int row);
    float getLengthBeats();
    int getLengthBytes();
    bool isRunning();
    bool isActive();
    void togglePause();
    void play();
    void pause();
    void setVolume(float volume);

    // Loading
    void loadStream(std::string fileName);
    void loadMidiNotes(std::string fileName);
    void loadAbletonNotes(std::string fileName);
    void loadDescription(std::string path);
    void loadModulators(TiXmlElement* first, std::string directory);
    void loadTemplate(std::string path, Modulator* modulator);

    // Sync values
    void addSyncValue(std::string name, float defaultValue, bool useTracker);
    float getSyncValue(std::string name);

    // Sound
    void getSpectrum(float* out, float beat);
    float getLevel();
    void getWaveform(float* out, std::int32_t count);
    float getBandLevel(int start, int stop);

    // Notes
    int getControllerValue(int track, std::uint8_t controller, float beat);
    std::vector<float> getNoteValues(int track, float beat);
    std::vector<bool> getNoteStates(int track);
    std::vector<bool> getNoteStatesByName(const char* name);
    std::vector<std::uint8_t> getNoteLookupTable(int track);
    std::vector<std::uint8_t> getNoteLookupTableByName(const char* name);
    std::uint32_t getTrackCount();
    std::uint32_t getNoteCount(int track);
    std::string getTrackName(int track);
    float getTrackIntensity(int track, float beat);

    WAVEFORMATEX waveFormat; // must stay the first member: the AVI writer reads the object as this record
    float* float_buffer;
    std::int16_t* u16_buffer;
    std::uint32_t num_samples;
    bool dummy_mode;
    std::int32_t elapsedMs;
    std::uint32_t lastTick;
    NoteData* noteData;
    float bpm;
    float beatOffset;
    std::int32_t rowsPerBeat;
    float beatHistory[10];
    float beatStep;
    std::int32_t byteHistory[10];
    std::int32_t byteStep;
    HSTREAM chan;
    HSTREAM chan_decode;
    std::int32_t song_length;
    bool paused;
    bool dumpAudio;
    std::int32_t syncEditorMode;
    SyncClient* syncDevice;
    std::vector<SyncValue> syncValues;
    std::uint8_t* fileBytes; // the song file the streams were made from

private:
    int trackIndexByName(const char* name);
};

// The music object the sync-editor events act on; set by the constructor.
extern Music* currentMusic;

void syncPause(void* data, int flag);
void syncSetRow(void* data, int row);
int syncIsPlaying(void* data);

void* memOpen(const char* path, const char* mode);
std::size_t memRead(void* buffer, std::size_t size, std::size_t count, void* stream);
int memClose(void* stream);
