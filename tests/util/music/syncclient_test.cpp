#include <gtest/gtest.h>

#include <sys/stat.h>
#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

#include "util/music/syncclient.h"

namespace {

using Bytes = std::vector<unsigned char>;

std::string makeTempDir()
{
    char pattern[] = "/tmp/velmo_sync_XXXXXX";
    return mkdtemp(pattern);
}

void writeFile(const std::string& path, const Bytes& bytes)
{
    std::ofstream out(path, std::ios::binary);
    out.write(reinterpret_cast<const char*>(bytes.data()), static_cast<std::streamsize>(bytes.size()));
}

Bytes readFile(const std::string& path)
{
    std::ifstream in(path, std::ios::binary);
    return Bytes(std::istreambuf_iterator<char>(in), {});
}

void put32(Bytes& b, std::uint32_t v)
{
    for (int i = 0; i < 4; ++i)
        b.push_back(static_cast<unsigned char>(v >> (8 * i)));
}

Bytes trackBytes(std::int32_t count, const std::vector<SyncKey>& keys)
{
    Bytes b;
    put32(b, static_cast<std::uint32_t>(count));
    for (const SyncKey& k : keys) {
        put32(b, static_cast<std::uint32_t>(k.row));
        std::uint32_t bits;
        std::memcpy(&bits, &k.value, 4);
        put32(b, bits);
        b.push_back(static_cast<unsigned char>(k.type));
    }
    return b;
}

// The example pair of keys and its 22 bytes.
const Bytes kTwoKeyFile = {0x02, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0xC0, 0x3F, 0x01,
                           0x10, 0, 0, 0, 0, 0, 0, 0xC0, 0x00};

class SyncClientFiles : public ::testing::Test {
protected:
    void SetUp() override
    {
        dir = makeTempDir();
        base = dir + "/";
    }
    void TearDown() override { std::system(("rm -rf " + dir).c_str()); }
    std::string dir, base;
};

TEST_F(SyncClientFiles, TrackFilePathJoinsBaseNameAndExtension)
{
    EXPECT_STREQ(trackFilePath("data/sync_tracker/", "cameraEyeX"), "data/sync_tracker/_cameraEyeX.track");
    const std::string longName(400, 'x');
    EXPECT_EQ(std::strlen(trackFilePath("data/", longName.c_str())), 259u);
}

TEST_F(SyncClientFiles, WritesTheDocumentedBytesAndReadsThemBack)
{
    SyncClient* editor = SyncClient::create(base.c_str(), 1);
    // Not connected: the request cannot be sent, so the track is created but no default seeds it.
    EXPECT_EQ(SyncClient::getTrack(editor, "flash", 0.0f), nullptr);
    SyncTrack* track = editor->tracks[0];
    const SyncKey a{0, 1.5f, Linear}, b{16, -2.0f, Hold};
    SyncTrack::setKey(track, &a);
    SyncTrack::setKey(track, &b);
    ASSERT_EQ(SyncClient::saveAll(editor), 0);
    EXPECT_EQ(readFile(base + "_flash.track"), kTwoKeyFile);
    SyncClient::destroy(editor);

    SyncClient* player = SyncClient::create(base.c_str(), 0);
    SyncTrack* read = SyncClient::getTrack(player, "flash", 9.0f);
    ASSERT_NE(read, nullptr);
    ASSERT_EQ(read->keyCount, 2);
    EXPECT_EQ(read->keys[0].row, 0);
    EXPECT_EQ(read->keys[0].value, 1.5f);
    EXPECT_EQ(read->keys[0].type, Linear);
    EXPECT_EQ(read->keys[1].row, 16);
    EXPECT_EQ(read->keys[1].value, -2.0f);
    EXPECT_FLOAT_EQ(SyncTrack::valueAt(read, 8.0), -0.25f);
    // Asking again gives the same track; the new default is ignored.
    EXPECT_EQ(SyncClient::getTrack(player, "flash", 3.0f), read);
    EXPECT_EQ(player->trackCount, 1);
    SyncClient::destroy(player);
}

TEST_F(SyncClientFiles, EmptyTrackFileGetsTheDefaultKey)
{
    writeFile(base + "_empty.track", trackBytes(0, {}));
    SyncClient* player = SyncClient::create(base.c_str(), 0);
    SyncTrack* track = SyncClient::getTrack(player, "empty", 2.5f);
    ASSERT_NE(track, nullptr);
    ASSERT_EQ(track->keyCount, 1);
    EXPECT_EQ(track->keys[0].row, 0);
    EXPECT_EQ(track->keys[0].value, 2.5f);
    EXPECT_EQ(track->keys[0].type, Hold);
    SyncClient::destroy(player);
}

TEST_F(SyncClientFiles, RefusesTrackFilesThatDoNotMatchTheirCount)
{
    const Bytes truncated(kTwoKeyFile.begin(), kTwoKeyFile.end() - 1);
    Bytes trailing = kTwoKeyFile;
    trailing.push_back(0);
    const struct {
        const char* name;
        Bytes bytes;
    } cases[] = {
        {"missing", {}},
        {"short_count", {1, 0}},
        {"truncated", truncated},
        {"trailing", trailing},
        {"negative", trackBytes(-1, {})},
        {"huge", trackBytes(0x7fffffff, {{0, 1.0f, Hold}})},
        {"unsorted", trackBytes(2, {{5, 1.0f, Hold}, {3, 2.0f, Hold}})},
        {"duplicate", trackBytes(2, {{5, 1.0f, Hold}, {5, 2.0f, Hold}})},
    };
    SyncClient* player = SyncClient::create(base.c_str(), 0);
    for (const auto& c : cases) {
        if (!c.bytes.empty())
            writeFile(base + "_" + c.name + ".track", c.bytes);
        EXPECT_EQ(SyncClient::getTrack(player, c.name, 0.0f), nullptr) << c.name;
    }
    // The failed tracks stay in the list, empty.
    EXPECT_EQ(player->trackCount, static_cast<int>(std::size(cases)));
    for (int i = 0; i < player->trackCount; ++i)
        EXPECT_EQ(player->tracks[i]->keyCount, 0);
    SyncClient::destroy(player);
}

TEST_F(SyncClientFiles, SaveMakesTheFoldersOrFailsOnAPlainFile)
{
    const std::string nested = dir + "/data/sync_tracker/";
    SyncClient* editor = SyncClient::create(nested.c_str(), 1);
    SyncClient::getTrack(editor, "a", 1.0f);
    SyncClient::getTrack(editor, "b", 2.0f);
    EXPECT_EQ(SyncClient::saveAll(editor), 0);
    struct stat st;
    EXPECT_EQ(stat((dir + "/data/sync_tracker").c_str(), &st), 0);
    EXPECT_TRUE(S_ISDIR(st.st_mode));
    EXPECT_EQ(readFile(nested + "_a.track").size(), 4u); // no keys: never seeded without a connection
    SyncClient::destroy(editor);

    const std::string blocked = dir + "/plain/sync/";
    writeFile(dir + "/plain", {1});
    EXPECT_EQ(makeParentDirs(blocked.c_str()), -1);
    SyncClient* blockedEditor = SyncClient::create(blocked.c_str(), 1);
    SyncClient::getTrack(blockedEditor, "a", 1.0f);
    EXPECT_EQ(SyncClient::saveAll(blockedEditor), -1);
    SyncClient::destroy(blockedEditor);

    SyncClient* player = SyncClient::create(blocked.c_str(), 0);
    EXPECT_EQ(SyncClient::saveAll(player), 0);
    SyncClient::destroy(player);
}

// Player-mode callbacks can be replaced: here they serve one track from memory.
TEST_F(SyncClientFiles, ReadsThroughInstalledCallbacks)
{
    struct Mem {
        const Bytes* bytes;
        std::size_t pos;
    };
    static Bytes served = kTwoKeyFile;
    static std::string openedPath;
    SyncFileCallbacks callbacks{
        [](const char* path, const char*) -> void* {
            openedPath = path;
            return new Mem{&served, 0};
        },
        [](void* buffer, std::size_t size, std::size_t count, void* handle) -> std::size_t {
            Mem* m = static_cast<Mem*>(handle);
            std::size_t n = std::min(size * count, m->bytes->size() - m->pos);
            std::memcpy(buffer, m->bytes->data() + m->pos, n);
            m->pos += n;
            return n;
        },
        [](void* handle) -> int {
            delete static_cast<Mem*>(handle);
            return 0;
        }};
    SyncClient* player = SyncClient::create("data/sync_tracker/", 0);
    SyncClient::setFileCallbacks(player, &callbacks);
    SyncTrack* track = SyncClient::getTrack(player, "cameraEyeX", 0.0f);
    ASSERT_NE(track, nullptr);
    EXPECT_EQ(openedPath, "data/sync_tracker/_cameraEyeX.track");
    EXPECT_EQ(track->keyCount, 2);
    EXPECT_EQ(SyncClient::connect(player, "nowhere.invalid", 1), 0);
    EXPECT_EQ(SyncClient::update(player, 5, nullptr, nullptr), 0);
    SyncClient::destroy(player);
}

} // namespace
