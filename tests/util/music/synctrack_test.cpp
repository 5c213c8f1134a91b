#include <gtest/gtest.h>

#include <cstdlib>
#include <vector>

#include "util/music/synctrack.h"

namespace {

// A heap-backed track as the client builds them.
struct Track {
    SyncTrack t{nullptr, nullptr, 0};
    explicit Track(std::vector<SyncKey> keys = {})
    {
        for (const SyncKey& k : keys)
            EXPECT_EQ(SyncTrack::setKey(&t, &k), 0);
    }
    ~Track() { std::free(t.keys); }
    std::vector<int> rows() const
    {
        std::vector<int> r;
        for (int i = 0; i < t.keyCount; ++i)
            r.push_back(t.keys[i].row);
        return r;
    }
};

struct EvalCase {
    int firstType;
    double row;
    float expected;
};

TEST(SyncTrackValueAt, InterpolatesByTheTypeOfTheKeyInForce)
{
    const EvalCase cases[] = {
        {Linear, 4.25, 0.0625f},      {Linear, 6.0, 0.5f},       {Linear, 7.999, 0.99975f},
        {Linear, 8.0, 1.0f},          {Linear, 4.0, 0.0f},       {SmoothStep, 5.0, 0.15625f},
        {SmoothStep, 6.0, 0.5f},      {Quadratic, 6.0, 0.25f},   {Quadratic, 7.0, 0.5625f},
        {Hold, 4.0, 0.0f},            {Hold, 7.999, 0.0f},       {Hold, 8.0, 1.0f},
        {7, 4.0, 0.0f},               {7, 6.0, 0.0f},            {7, 8.5, 1.0f},
        // Before the first key the first key's value holds; -0.5 floors to -1.
        {Linear, 3.0, 0.0f},          {Linear, -0.5, 0.0f},      {Linear, 100.0, 1.0f},
    };
    for (const EvalCase& c : cases) {
        Track track({{4, 0.0f, c.firstType}, {8, 1.0f, Hold}});
        EXPECT_NEAR(SyncTrack::valueAt(&track.t, c.row), c.expected, 1e-6)
            << "type " << c.firstType << " row " << c.row;
    }
}

TEST(SyncTrackValueAt, EdgeTracks)
{
    Track empty;
    EXPECT_EQ(SyncTrack::valueAt(&empty.t, 3.0), 0.0f);

    Track lastKeyOfOddType({{2, 5.0f, Hold}, {10, -3.0f, 7}});
    EXPECT_EQ(SyncTrack::valueAt(&lastKeyOfOddType.t, 10.0), -3.0f);
    EXPECT_EQ(SyncTrack::valueAt(&lastKeyOfOddType.t, 1e6), -3.0f);
    EXPECT_EQ(SyncTrack::valueAt(&lastKeyOfOddType.t, 1.99), 5.0f);

    Track music({{0, 0.0f, Linear}, {16, 1.0f, Hold}});
    EXPECT_FLOAT_EQ(SyncTrack::valueAt(&music.t, 8.5), 0.53125f);

    Track late({{32, 7.0f, Linear}, {40, 9.0f, Hold}});
    EXPECT_EQ(SyncTrack::valueAt(&late.t, 3.0), 7.0f);

    // Rows far apart: the distance between them does not overflow.
    Track wide({{-2147483647 - 1, 0.0f, Linear}, {2147483647, 2.0f, Hold}});
    EXPECT_NEAR(SyncTrack::valueAt(&wide.t, 0.0), 1.0f, 1e-6);
}

TEST(SyncTrackKeys, InsertReplaceFindAndRemove)
{
    Track track({{8, 1.0f, Hold}, {2, 2.0f, Hold}, {5, 3.0f, Linear}});
    EXPECT_EQ(track.rows(), (std::vector<int>{2, 5, 8}));

    EXPECT_EQ(SyncTrack::findKey(&track.t, 5), 1);
    EXPECT_EQ(SyncTrack::findKey(&track.t, 0), -1);
    EXPECT_EQ(SyncTrack::findKey(&track.t, 6), -3);
    EXPECT_EQ(SyncTrack::findKey(&track.t, 9), -4);

    const SyncKey replacement{5, -4.0f, Quadratic};
    EXPECT_EQ(SyncTrack::setKey(&track.t, &replacement), 0);
    ASSERT_EQ(track.t.keyCount, 3);
    EXPECT_EQ(track.t.keys[1].value, -4.0f);
    EXPECT_EQ(track.t.keys[1].type, Quadratic);

    EXPECT_EQ(SyncTrack::removeKey(&track.t, 2), 0);
    EXPECT_EQ(track.rows(), (std::vector<int>{5, 8}));
    // A row without a key is refused and changes nothing.
    EXPECT_EQ(SyncTrack::removeKey(&track.t, 6), -1);
    EXPECT_EQ(track.rows(), (std::vector<int>{5, 8}));
    EXPECT_EQ(SyncTrack::removeKey(&track.t, 8), 0);
    EXPECT_EQ(SyncTrack::removeKey(&track.t, 5), 0);
    EXPECT_EQ(track.t.keyCount, 0);
    EXPECT_EQ(track.t.keys, nullptr);
    EXPECT_EQ(SyncTrack::removeKey(&track.t, 5), -1);
}

} // namespace
