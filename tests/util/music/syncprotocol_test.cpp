#include <gtest/gtest.h>

#include <algorithm>
#include <atomic>
#include <cstdio>

#include <thread>

#include <chrono>

#include <cstdlib>
#include <memory>
#include <string>
#include <vector>

#include "editor_peer.h"
#include "support/scripted_editor.h"
#include "util/music/syncclient.h"

namespace {

struct Recorder {
    std::vector<int> pauses;
    std::vector<int> rows;
    int playing = 1;
};

void onPause(void* data, int flag) { static_cast<Recorder*>(data)->pauses.push_back(flag); }
void onSetRow(void* data, int row) { static_cast<Recorder*>(data)->rows.push_back(row); }
int onIsPlaying(void* data) { return static_cast<Recorder*>(data)->playing; }

const SyncClientEvents kEvents{onPause, onSetRow, onIsPlaying};

class SyncProtocol : public ::testing::Test {
protected:
    void SetUp() override
    {
        char pattern[] = "/tmp/velmo_proto_XXXXXX";
        dir = mkdtemp(pattern);
        client = SyncClient::create((dir + "/").c_str(), 1);
    }
    void TearDown() override
    {
        SyncClient::destroy(client);
        std::system(("rm -rf " + dir).c_str());
    }
    // Connects the client to the peer and registers the given tracks.
    void connectWithTracks(const std::vector<std::string>& names)
    {
        peer.expectConnection();
        ASSERT_EQ(SyncClient::connect(client, "127.0.0.1", peer.port()), 0);
        ASSERT_TRUE(peer.waitConnected());
        EXPECT_EQ(peer.receivedGreeting(), "hello, synctracker!");
        for (const std::string& name : names) {
            SyncTrack* track = SyncClient::getTrack(client, name.c_str(), 7.0f);
            ASSERT_NE(track, nullptr);
            // Every new track starts with the default key until the editor answers.
            ASSERT_EQ(track->keyCount, 1);
            EXPECT_EQ(track->keys[0].value, 7.0f);
            EXPECT_EQ(peer.readGetTrack(), name);
        }
    }
    // Runs updates until the peer's messages have arrived and been handled.
    int updateUntilQuiet(int row)
    {
        int result = 0;
        for (int i = 0; i < 50 && result == 0; ++i) {
            result = SyncClient::update(client, row, &kEvents, &rec);
            usleep(2000);
        }
        return result;
    }

    std::string dir;
    SyncClient* client = nullptr;
    EditorPeer peer;
    Recorder rec;
};

TEST_F(SyncProtocol, GreetingAndTrackRequests)
{
    connectWithTracks({"flash", "cameraEyeX"});
    EXPECT_TRUE(peer.nothingPending());
}

TEST_F(SyncProtocol, WrongOrShortGreetingFails)
{
    for (const std::string answer : {"hello, DEMO!", "hello"}) {
        EditorPeer bad;
        bad.expectConnection(answer);
        EXPECT_EQ(SyncClient::connect(client, "127.0.0.1", bad.port()), -1) << answer;
        EXPECT_TRUE(bad.waitConnected());
        EXPECT_EQ(client->socket, -1);
        EXPECT_TRUE(bad.closedByClient());
    }
    unsigned short closedPort;
    {
        EditorPeer gone;
        closedPort = gone.port();
    }
    EXPECT_EQ(SyncClient::connect(client, "127.0.0.1", closedPort), -1);
    EXPECT_EQ(SyncClient::update(client, 0, &kEvents, &rec), -1);
}

TEST_F(SyncProtocol, KeyEditsAndTransportAreAllHandledBeforeTheRowReport)
{
    connectWithTracks({"a", "b"});
    peer.sendSetRow(40);
    peer.sendSetKey(0, 0, 1.5f, Linear);
    peer.sendSetKey(0, 16, 3.5f, Hold);
    peer.sendSetKey(1, 8, -1.0f, SmoothStep);
    peer.sendPause(1);
    usleep(20000);
    EXPECT_EQ(SyncClient::update(client, 12, &kEvents, &rec), 0);
    EXPECT_EQ(rec.rows, (std::vector<int>{40}));
    EXPECT_EQ(rec.pauses, (std::vector<int>{1}));
    SyncTrack* a = client->tracks[0];
    SyncTrack* b = client->tracks[1];
    ASSERT_EQ(a->keyCount, 2); // the editor's key at row 0 replaced the default
    EXPECT_FLOAT_EQ(SyncTrack::valueAt(a, 8.0), 2.5f);
    ASSERT_EQ(b->keyCount, 2); // default at row 0 plus the editor's key
    EXPECT_EQ(b->keys[1].type, SmoothStep);
    // The set-row from the editor did not count as reported: row 12 is sent now.
    EXPECT_EQ(peer.readSetRow(), 12);

    // The same row again is not reported, nor any row while not playing.
    EXPECT_EQ(SyncClient::update(client, 12, &kEvents, &rec), 0);
    rec.playing = 0;
    EXPECT_EQ(SyncClient::update(client, 13, &kEvents, &rec), 0);
    EXPECT_TRUE(peer.nothingPending());
    rec.playing = 1;
    EXPECT_EQ(SyncClient::update(client, 13, &kEvents, &rec), 0);
    EXPECT_EQ(peer.readSetRow(), 13);

    peer.sendDeleteKey(0, 16);
    peer.sendPause(0);
    EXPECT_EQ(updateUntilQuiet(13), 0);
    EXPECT_EQ(a->keyCount, 1);
    EXPECT_EQ(rec.pauses, (std::vector<int>{1, 0}));
}

TEST_F(SyncProtocol, FieldsSplitAcrossManyReadsStillArrive)
{
    connectWithTracks({"a"});
    const std::vector<unsigned char> message = EditorPeer::setKeyMessage(0, 4, 2.0f, Linear);
    peer.sendTrickled(message);
    EXPECT_EQ(SyncClient::update(client, 0, &kEvents, &rec), 0);
    ASSERT_EQ(client->tracks[0]->keyCount, 2);
    EXPECT_EQ(client->tracks[0]->keys[1].value, 2.0f);
}

TEST_F(SyncProtocol, SaveCommandWritesEveryTrack)
{
    connectWithTracks({"x", "y"});
    peer.sendSetKey(1, 3, 4.0f, Hold);
    peer.sendSave();
    EXPECT_EQ(updateUntilQuiet(0), 0);
    FILE* f = std::fopen((dir + "/_y.track").c_str(), "rb");
    ASSERT_NE(f, nullptr);
    std::fseek(f, 0, SEEK_END);
    EXPECT_EQ(std::ftell(f), 4 + 2 * 9);
    std::fclose(f);
    EXPECT_EQ(access((dir + "/_x.track").c_str(), F_OK), 0);
}

TEST_F(SyncProtocol, UnknownCommandClosesTheConnection)
{
    for (const auto& [byte, text] : std::vector<std::pair<unsigned char, std::string>>{
             {2, "unknown cmd: 02\n"}, {6, "unknown cmd: 06\n"}, {255, "unknown cmd: ff\n"}}) {
        connectWithTracks({});
        peer.sendBytes({byte});
        usleep(10000);
        testing::internal::CaptureStderr();
        const int result = SyncClient::update(client, 0, &kEvents, &rec);
        EXPECT_EQ(testing::internal::GetCapturedStderr(), text);
        EXPECT_EQ(result, -1);
        EXPECT_EQ(client->socket, -1);
        EXPECT_TRUE(peer.closedByClient());
        EXPECT_EQ(SyncClient::update(client, 0, &kEvents, &rec), -1);
        peer.closeConnection();
    }
}

TEST_F(SyncProtocol, BadEditsCloseTheConnectionAndKeepEarlierKeys)
{
    std::vector<unsigned char> missingTrack{0}, negativeTrack{1}, rowWithoutKey{1};
    EditorPeer::put32(missingTrack, 5);
    EditorPeer::put32(missingTrack, 1);
    EditorPeer::put32(missingTrack, 0);
    missingTrack.push_back(0);
    EditorPeer::put32(negativeTrack, 0xffffffff);
    EditorPeer::put32(negativeTrack, 1);
    EditorPeer::put32(rowWithoutKey, 0);
    EditorPeer::put32(rowWithoutKey, 77);
    const std::vector<unsigned char> shortField{3, 0, 0};

    connectWithTracks({"a"});
    const std::vector<std::pair<std::vector<unsigned char>, bool>> cases = {
        {missingTrack, false}, {negativeTrack, false}, {rowWithoutKey, false},
        {shortField, true}, // the peer hangs up in the middle of a field
    };
    for (const auto& [message, hangUp] : cases) {
        peer.sendSetKey(0, 2, 9.0f, Hold);
        peer.sendBytes(message);
        if (hangUp)
            peer.closeConnection();
        EXPECT_EQ(updateUntilQuiet(0), -1);
        EXPECT_EQ(client->socket, -1);
        EXPECT_GE(SyncTrack::findKey(client->tracks[0], 2), 0) << "the earlier key stays";
        peer.closeConnection();
        peer.expectConnection();
        ASSERT_EQ(SyncClient::connect(client, "127.0.0.1", peer.port()), 0);
        ASSERT_TRUE(peer.waitConnected());
        EXPECT_EQ(peer.readGetTrack(), "a");
    }
}

TEST_F(SyncProtocol, ReconnectRequestsEveryTrackAgainInOrder)
{
    connectWithTracks({"first", "second", "third"});
    peer.sendSetKey(2, 5, 1.0f, Hold);
    EXPECT_EQ(updateUntilQuiet(0), 0);
    EXPECT_EQ(client->tracks[2]->keyCount, 2);

    peer.closeConnection();
    EXPECT_EQ(updateUntilQuiet(0), -1);
    EXPECT_EQ(client->socket, -1);

    peer.expectConnection();
    ASSERT_EQ(SyncClient::connect(client, "localhost", peer.port()), 0);
    ASSERT_TRUE(peer.waitConnected());
    EXPECT_EQ(peer.readGetTrack(), "first");
    EXPECT_EQ(peer.readGetTrack(), "second");
    EXPECT_EQ(peer.readGetTrack(), "third");
    for (int i = 0; i < client->trackCount; ++i) {
        EXPECT_EQ(client->tracks[i]->keyCount, 0);
        EXPECT_EQ(SyncTrack::valueAt(client->tracks[i], 3.0), 0.0f);
    }
    // The last row sent survives the reconnect, so an unchanged row is not sent again.
    EXPECT_EQ(client->lastRowSent, 0);
    EXPECT_EQ(SyncClient::update(client, 0, &kEvents, &rec), 0);
    EXPECT_TRUE(peer.nothingPending());
    EXPECT_EQ(SyncClient::update(client, 1, &kEvents, &rec), 0);
    EXPECT_EQ(peer.readSetRow(), 1);
}

// At start-up the show waits for the editor's greeting, for a while: a
// greeting that never comes fails the first connection within a bounded time.
TEST_F(SyncProtocol, StartupConnectionToASilentEditorFailsWithinABoundedTime)
{
    using Clock = std::chrono::steady_clock;
    EditorPeer silent;
    silent.expectConnection("hello", true);
    const auto start = Clock::now();
    EXPECT_EQ(SyncClient::connect(client, "127.0.0.1", silent.port()), -1);
    EXPECT_LT(Clock::now() - start, std::chrono::seconds(3));
    EXPECT_EQ(client->socket, -1);
}

// A message cut in half waits in the client for its rest: the update that
// finds half of it neither waits for the rest nor drops the editor.
TEST_F(SyncProtocol, HalfAMessageWaitsForItsRestAcrossUpdates)
{
    connectWithTracks({"a"});
    const std::vector<unsigned char> message = EditorPeer::setKeyMessage(0, 4, 2.0f, Linear);
    for (std::size_t cut : {std::size_t{1}, std::size_t{7}, message.size() - 1}) {
        peer.sendBytes(std::vector<unsigned char>(message.begin(), message.begin() + cut));
        usleep(20000);
        EXPECT_EQ(SyncClient::update(client, 0, &kEvents, &rec), 0) << cut;
        EXPECT_NE(client->socket, -1);
        EXPECT_EQ(client->tracks[0]->keyCount, 1) << "nothing applied from half a message";
        peer.sendBytes(std::vector<unsigned char>(message.begin() + cut, message.end()));
        EXPECT_EQ(updateUntilQuiet(0), 0);
        ASSERT_EQ(client->tracks[0]->keyCount, 2) << cut;
        EXPECT_EQ(client->tracks[0]->keys[1].value, 2.0f);
        peer.sendDeleteKey(0, 4);
        EXPECT_EQ(updateUntilQuiet(0), 0);
        EXPECT_EQ(client->tracks[0]->keyCount, 1);
    }
    // The editor hanging up in the middle of a message ends the connection.
    peer.sendBytes(std::vector<unsigned char>(message.begin(), message.begin() + 5));
    peer.closeConnection();
    EXPECT_EQ(updateUntilQuiet(0), -1);
    EXPECT_EQ(client->socket, -1);
}

// After the link breaks, the frame's update and reconnection never wait on
// the editor, whatever it does: accept and never greet, greet after 5 s, cut
// a message in half, trickle its bytes. Each misbehaves on the port for 2 s,
// while frames run (the client's update, and a reconnection step when it
// fails, as the music object does), then a well-behaved editor takes the
// port over and the link recovers. A client that waited on its editor would
// hold each frame for a quarter of a second to a second and run a handful of
// frames in those 2 s instead of hundreds, or spend most of them waiting;
// the time spent on the editor is printed.
TEST_F(SyncProtocol, ReconnectionAndMessagesNeverHoldAFrame)
{
    using Clock = std::chrono::steady_clock;
    auto good = std::make_unique<ScriptedEditor>(ScriptedEditor::Script::WellBehaved);
    ASSERT_TRUE(good->listening());
    const unsigned short port = good->port();
    ASSERT_EQ(SyncClient::connect(client, "localhost", port), 0);
    ASSERT_NE(SyncClient::getTrack(client, "a", 7.0f), nullptr);

    int row = 0;
    // One frame: the editor's share of it, and the frame's own 2 ms.
    const auto frame = [&] {
        const auto start = Clock::now();
        if (SyncClient::update(client, ++row, &kEvents, &rec) != 0)
            SyncClient::reconnect(client, "localhost", port);
        const auto spent = Clock::now() - start;
        usleep(2000);
        return spent;
    };
    const auto recovers = [&](ScriptedEditor& editor) {
        for (const auto end = Clock::now() + std::chrono::seconds(10); Clock::now() < end;) {
            frame();
            // The key comes after the request: the keys were dropped when
            // this connection was taken.
            const int key = SyncTrack::findKey(client->tracks[0], ScriptedEditor::kKeyRow);
            if (client->socket != -1 && !editor.requestedTracks().empty() && key >= 0
                && client->tracks[0]->keys[key].value == ScriptedEditor::kKeyValue) {
                EXPECT_EQ(editor.requestedTracks()[0], "a");
                return true;
            }
        }
        return false;
    };
    ASSERT_TRUE(recovers(*good));

    const std::pair<ScriptedEditor::Script, const char*> scripts[] = {
        {ScriptedEditor::Script::Silent, "never greets"},
        {ScriptedEditor::Script::LateGreeting, "greets after 5 s"},
        {ScriptedEditor::Script::HalfMessage, "cuts a message in half"},
        {ScriptedEditor::Script::Trickle, "trickles a byte every 100 ms"},
    };
    for (const auto& [script, what] : scripts) {
        good.reset(); // the link breaks
        ScriptedEditor bad(script, port);
        ASSERT_TRUE(bad.listening()) << what;
        int frames = 0;
        auto slowest = Clock::duration::zero();
        auto spent = Clock::duration::zero();
        for (const auto end = Clock::now() + std::chrono::seconds(2); Clock::now() < end; ++frames) {
            const auto editor = frame();
            slowest = std::max(slowest, editor);
            spent += editor;
        }
        std::printf("editor that %s: %d frames in 2 s, %.1f ms of them on the editor, the slowest %.2f ms\n",
                    what, frames, std::chrono::duration<double, std::milli>(spent).count(),
                    std::chrono::duration<double, std::milli>(slowest).count());
        EXPECT_GE(frames, 100) << what;
        EXPECT_LT(spent, std::chrono::seconds(1)) << what;
        EXPECT_GE(bad.connections(), 1) << what;
        if (script == ScriptedEditor::Script::Trickle) {
            // The trickled message is taken whole, over many frames.
            for (const auto end = Clock::now() + std::chrono::seconds(5);
                 client->tracks[0]->keyCount == 0 && Clock::now() < end;)
                frame();
            EXPECT_NE(client->socket, -1);
            ASSERT_EQ(client->tracks[0]->keyCount, 1);
            EXPECT_EQ(client->tracks[0]->keys[0].row, ScriptedEditor::kKeyRow);
        }
        bad.stop();
        good = std::make_unique<ScriptedEditor>(ScriptedEditor::Script::WellBehaved, port);
        ASSERT_TRUE(good->listening()) << what;
        EXPECT_TRUE(recovers(*good)) << "after the editor that " << what;
    }
}

// An editor that stops reading: the rows reported each frame fill the
// socket's buffers, and then a send must not wait for room forever. The
// client drops the connection within a bounded time and can connect again.
TEST_F(SyncProtocol, EditorThatStopsReadingIsDroppedWithinABoundedTime)
{
    using Clock = std::chrono::steady_clock;
    connectWithTracks({"a"});
    const int small = 4096;
    ASSERT_EQ(setsockopt(client->socket, SOL_SOCKET, SO_SNDBUF, &small, sizeof small), 0);
    // Should a send block for good, the peer gives up after a while and
    // closes, so the test fails on the time taken instead of hanging.
    std::atomic<bool> done{false};
    std::thread watchdog([&] {
        const auto giveUp = Clock::now() + std::chrono::seconds(EditorPeer::kWaitSeconds);
        while (!done && Clock::now() < giveUp)
            usleep(10000);
        if (!done)
            peer.closeConnection();
    });
    auto slowest = Clock::duration::zero();
    int result = 0;
    int reports = 0;
    for (int row = 1; row <= 1000000 && result == 0; ++row, ++reports) {
        const auto start = Clock::now();
        result = SyncClient::update(client, row, &kEvents, &rec);
        slowest = std::max(slowest, Clock::now() - start);
    }
    done = true;
    watchdog.join();
    EXPECT_EQ(result, -1) << reports << " rows reported";
    EXPECT_EQ(client->socket, -1);
    EXPECT_LT(slowest, std::chrono::seconds(1));
    std::printf("dropped after %d row reports, slowest update %.0f ms\n", reports,
                std::chrono::duration<double, std::milli>(slowest).count());
    peer.closeConnection();
    peer.expectConnection();
    EXPECT_EQ(SyncClient::connect(client, "127.0.0.1", peer.port()), 0);
    ASSERT_TRUE(peer.waitConnected());
    EXPECT_EQ(peer.readGetTrack(), "a");
}

TEST_F(SyncProtocol, FloodOfDescendingKeysIsTakenInBoundedSteps)
{
    using Clock = std::chrono::steady_clock;
    connectWithTracks({"a"});
    constexpr int kKeys = 40000;
    std::vector<unsigned char> flood;
    for (int row = kKeys; row >= 1; --row) {
        flood.push_back(0);
        EditorPeer::put32(flood, 0);
        EditorPeer::put32(flood, static_cast<std::uint32_t>(row));
        const float value = static_cast<float>(row);
        std::uint32_t bits;
        std::memcpy(&bits, &value, 4);
        EditorPeer::put32(flood, bits);
        flood.push_back(Linear);
    }
    std::thread sender([&] { peer.sendBytes(flood); });
    auto slowest = Clock::duration::zero();
    for (int i = 0; i < 2000 && client->tracks[0]->keyCount < kKeys + 1; ++i) {
        const auto start = Clock::now();
        ASSERT_EQ(SyncClient::update(client, 0, &kEvents, &rec), 0);
        slowest = std::max(slowest, Clock::now() - start);
        usleep(1000);
    }
    sender.join();
    // The default key at row 0 and every key of the flood, in row order.
    ASSERT_EQ(client->tracks[0]->keyCount, kKeys + 1);
    for (int i = 0; i <= kKeys; ++i)
        ASSERT_EQ(client->tracks[0]->keys[i].row, i);
    EXPECT_EQ(client->tracks[0]->keys[kKeys].value, float(kKeys));
    EXPECT_LT(slowest, std::chrono::milliseconds(500));
}

} // namespace

