#pragma once
// The sync-editor client: the store of named sync tracks and their two
// sources of keys. Editor mode (mode non-zero) takes keys live from an
// external sync editor over TCP and reports the playback row back; player
// mode (mode 0) reads each track once from its track file through three
// replaceable file callbacks.
#include <cstddef>
#include <cstdint>

#include "util/music/synctrack.h"

struct SyncLink;

struct SyncFileCallbacks {
    void* (*open)(const char* path, const char* openMode);
    std::size_t (*read)(void* buffer, std::size_t size, std::size_t count, void* handle);
    int (*close)(void* handle);
};

struct SyncClientEvents {
    void (*pause)(void* data, int flag);
    void (*setRow)(void* data, int row);
    int (*isPlaying)(void* data);
};

struct SyncClient {
    char* basePath;
    SyncTrack** tracks;       // in the order first asked for; index = editor track index
    std::int32_t trackCount;
    std::int32_t lastRowSent;
    std::int32_t socket;      // -1 when not connected
    SyncFileCallbacks fileCallbacks;
    std::int32_t mode;
    // Editor mode: the connection being opened across frames and the
    // editor's bytes that do not make a whole message yet (editorlink.h).
    SyncLink* link;

    static SyncClient* create(const char* basePath, int mode);
    static void destroy(SyncClient* client);
    static void setFileCallbacks(SyncClient* client, const SyncFileCallbacks* callbacks);
    static int findTrack(SyncClient* client, const char* name);
    static SyncTrack* getTrack(SyncClient* client, const char* name, float defaultValue);

    // Editor mode: requests the track; player mode: reads its track file.
    static int fetchTrack(SyncClient* client, SyncTrack* track);
    // Opens the editor connection, waiting for it (start-up).
    static int connect(SyncClient* client, const char* host, unsigned short port);
    // The same without waiting, one step per call (a lost connection, from
    // the frame update): 0 once connected (tracks requested again, as
    // connect does), -1 while the attempt is under way or after it failed
    // (the next call goes on with it or starts a new one).
    static int reconnect(SyncClient* client, const char* host, unsigned short port);
    static int update(SyncClient* client, int row, const SyncClientEvents* events, void* data);
    static int saveAll(SyncClient* client);
};

// A connected socket that has exchanged the greeting with the editor, or -1.
int openEditorSocket(const char* host, unsigned short port);
// Sends the whole message to the editor without waiting; false when the
// connection failed or the socket could not take it all at once (an editor
// that stopped reading): the caller drops the connection and reconnects.
bool sendToEditor(int socket, const void* bytes, int length);
int readKeyCommand(int socket, SyncClient* client);
int readDeleteCommand(int socket, SyncClient* client);

// basePath + "_" + name + ".track" in a static buffer shared by reader and
// writer (valid until the next call; cut at 259 characters).
const char* trackFilePath(const char* basePath, const char* name);
int writeTrackFile(const SyncTrack* track, const char* path);
int makeParentDirs(const char* path);
