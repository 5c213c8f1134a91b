// The choreography of "Glass Harbour Signal" (production 3, its committed
// sync tracks) never cuts a ribbon of TextRibbons on screen: whenever the
// scene starts or stops drawing, each of its four ribbons lies wholly off
// the canvas, so every pass the viewer sees runs until it has left.
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <string>
#include <vector>

#include "util/music/syncclient.h"

namespace {

constexpr int kTextRibbons = 4;  // scene index of TextRibbons in production 3

class RibbonPasses : public ::testing::Test {
protected:
    void SetUp() override
    {
        client = SyncClient::create(VELMO_SOURCE_DIR "/data/sync_tracker/3/", 0);
        ASSERT_NE(client, nullptr);
    }
    void TearDown() override { SyncClient::destroy(client); }

    const SyncTrack* track(const std::string& name)
    {
        const SyncTrack* t = SyncClient::getTrack(client, name.c_str(), -1000.0f);
        EXPECT_TRUE(t != nullptr && t->keyCount > 0 && t->keys[0].value != -1000.0f) << "no track " << name;
        return t;
    }

    SyncClient* client = nullptr;
};

// A ribbon's cells: its head at column X and centre row Y (both truncated),
// its 32 cells trailing left to column X - 31, the wave and the thick part
// reaching at most 4 rows above and below Y.
bool onCanvas(float x, float y)
{
    const int column = static_cast<int>(x);
    const int row = static_cast<int>(y);
    return column >= 0 && column - 31 <= 79 && row + 4 >= 0 && row - 4 <= 49;
}

TEST_F(RibbonPasses, NoSceneChangeWhileARibbonIsOnScreen)
{
    std::vector<const SyncTrack*> active;
    for (const char* name : {"ActiveScene1st", "ActiveScene2nd", "ActiveScene3rd", "ActiveScene4rd"})
        active.push_back(track(name));
    struct Ribbon {
        const SyncTrack* x;
        const SyncTrack* y;
    };
    std::vector<Ribbon> ribbons;
    for (int n = 1; n <= 4; ++n)
        ribbons.push_back({track("ribbon" + std::to_string(n) + "X"), track("ribbon" + std::to_string(n) + "Y")});
    if (HasFailure())
        return;

    // The show ends with the last key of its choreography (the closing fade).
    int lastRow = 0;
    for (const char* name : {"ActiveScene1st", "ActiveScene2nd", "ppFadeValue", "ribbon1X", "ribbon4X"}) {
        const SyncTrack* t = track(name);
        lastRow = std::max(lastRow, t->keys[t->keyCount - 1].row);
    }
    const auto drawing = [&](double row) {
        if (row > lastRow)
            return false;  // the show is over
        return std::any_of(active.begin(), active.end(), [&](const SyncTrack* t) {
            return static_cast<int>(SyncTrack::valueAt(t, row)) == kTextRibbons;
        });
    };

    int changes = 0, passesSeen = 0;
    bool wasDrawing = drawing(0.0);
    std::vector<bool> wasOn(ribbons.size(), false);
    for (double row = 0.0; row <= lastRow + 1.0; row += 0.25) {
        const bool now = drawing(row);
        for (std::size_t i = 0; i < ribbons.size(); ++i) {
            const bool on = onCanvas(SyncTrack::valueAt(ribbons[i].x, row), SyncTrack::valueAt(ribbons[i].y, row));
            if (now != wasDrawing) {
                EXPECT_FALSE(on || wasOn[i]) << "TextRibbons " << (now ? "starts" : "stops") << " at beat " << row / 8.0
                                             << " with ribbon " << i + 1 << " on screen";
            }
            passesSeen += now && on && !wasOn[i];
            wasOn[i] = on;
        }
        changes += now != wasDrawing;
        wasDrawing = now;
    }
    EXPECT_GE(changes, 2) << "TextRibbons never starts and stops";
    EXPECT_GE(passesSeen, 40) << "the ribbons hardly pass";
}

}  // namespace
