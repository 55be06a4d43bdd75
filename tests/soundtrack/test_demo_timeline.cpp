// The compiled timeline (data/sync/) as the player reads it: which scenes are visible at every
// 100 ms of the demo, and that each scene's tracks answer the drums the music plays.
#include "song.h"
#include "sync_grid.h"
#include "sync_rocket.h"
#include "track.h"

#include <gtest/gtest.h>

#include <cmath>
#include <map>
#include <string>
#include <vector>

namespace {

const char* const kScenes[] = {"vollight_scene", "expl_scn",         "cylinders_scene",
                               "tunnel_scene",   "randomwalk_scene", "borksphere_scene",
                               "march_scene"};
constexpr int64_t kEndMs = 184000;
constexpr int kRowsPerBar = 32;

struct Frame {
    int64_t ms;
    std::vector<std::string> visible;
};

std::vector<Frame> sampleDemo() {
    cSyncRocket sync;
    EXPECT_TRUE(sync.init(DEMO_DATA "/sync/", nullptr));
    std::vector<Frame> frames;
    for (int64_t ms = 0; ms <= kEndMs; ms += 100) {
        Frame f{ms, {}};
        for (const char* scene : kScenes)
            if (sync.getValue(scene, &ms) > 0) f.visible.push_back(scene);
        frames.push_back(f);
    }
    return frames;
}

} // namespace

TEST(DemoTimeline, TitleFirstThenOneOrTwoScenesToTheEnd) {
    const std::vector<Frame> frames = sampleDemo();
    size_t first = 0;
    while (first < frames.size() && frames[first].visible.empty()) ++first;
    ASSERT_LT(first, frames.size()) << "no scene is ever visible";
    EXPECT_EQ(frames[first].visible, std::vector<std::string>{"cylinders_scene"});
    EXPECT_LE(frames[first].ms, 2000) << "the title starts late";

    std::map<std::string, int64_t> shownMs;
    int64_t overlapMs = 0;
    for (size_t i = first; i < frames.size(); ++i) {
        const Frame& f = frames[i];
        EXPECT_GE(f.visible.size(), 1u) << "black at " << f.ms << " ms";
        EXPECT_LE(f.visible.size(), 2u) << "too many scenes at " << f.ms << " ms";
        overlapMs = f.visible.size() == 2 ? overlapMs + 100 : 0;
        EXPECT_LE(overlapMs, 2 * 1655) << "an overlap longer than two bars at " << f.ms << " ms";
        for (const std::string& s : f.visible) shownMs[s] += 100;
    }
    for (const char* scene : kScenes) EXPECT_GE(shownMs[scene], 12000) << scene;
}

// Each scene appears and disappears only on a bar line (32 rows), and nothing blends a
// visibility across zero between two keys.
TEST(DemoTimeline, CutsOnBarLines) {
    for (const char* scene : kScenes) {
        KeyTrack* track = keytrack_create(scene);
        const std::string path = std::string(DEMO_DATA "/sync/_") + scene + ".track";
        ASSERT_EQ(keytrack_read(track, path.c_str()), 0) << path;
        ASSERT_GT(track->key_count, 0) << scene;
        // Before its first key a track holds that key's value.
        bool before = track->keys[0].value > 0;
        for (int32_t i = 0; i < track->key_count; ++i) {
            const TrackKey& k = track->keys[i];
            const bool shown = k.value > 0;
            if (shown != before) {
                EXPECT_EQ(k.row % kRowsPerBar, 0) << scene << " cuts off the bar at row " << k.row;
            }
            if (i + 1 < track->key_count && k.interpolation != INTERP_STEP) {
                EXPECT_EQ(shown, track->keys[i + 1].value > 0)
                    << scene << " fades through zero after row " << k.row;
            }
            before = shown;
        }
        keytrack_destroy(track);
    }
}

// The picture answers the drums: in each scene's main section the track a scene's kicks drive
// jumps on (nearly) every kick the music plays, and the snares' track on every snare. Nearly:
// the cuts' own smears sit on a few of those beats. The drums come from the generator's bar
// plan, so a timeline edit that shifts or drops the pulses fails here, not only by eye.
TEST(DemoTimeline, KicksAndSnaresOfEveryMainSectionHitThePicture) {
    struct Section {
        int fromBar, toBar;
        const char* kickTrack;
        const char* snareTrack; // or null: the outro has no snare
    };
    const Section sections[] = {
        {8, 14, "cyl_whiteout", "kaos_vblur_px"},  {24, 31, "vol_lightits", "vol_vblur"},
        {32, 48, "rct_midglow", "expl_vblur_px"},  {64, 71, "tnl_lightits", "tnl_postglitch1"},
        {72, 88, "rnd_streaks_its", "rnd_glitch"}, {88, 104, "mch_vofs", "mch_vblur"},
        {105, 110, "brk_radits", nullptr},
    };
    cSyncRocket sync;
    ASSERT_TRUE(sync.init(DEMO_DATA "/sync/", nullptr));
    // A jump at the hit's beat: the curve there against a hair before it.
    auto jumps = [&](const char* track, int beat) {
        const int64_t at = int64_t(std::ceil(msAtBeat(beat)));
        const int64_t before = at - 3;
        return std::fabs(sync.getValue(track, &at) - sync.getValue(track, &before)) > 1e-3f;
    };
    for (const Section& s : sections) {
        int kicks = 0, kickHits = 0, snares = 0, snareHits = 0;
        for (int bar = s.fromBar; bar < s.toBar; ++bar) {
            const song::Bar plan = song::barPlan(bar);
            for (int beat = 0; beat < 4; ++beat) {
                const int at = bar * 4 + beat;
                if (plan.kick && !(plan.fill && beat == 3)) {
                    ++kicks;
                    kickHits += jumps(s.kickTrack, at);
                }
                if (s.snareTrack && plan.snare && beat % 2 == 1) {
                    ++snares;
                    snareHits += jumps(s.snareTrack, at);
                }
            }
        }
        ASSERT_GT(kicks, 0) << s.kickTrack;
        EXPECT_GE(kickHits, kicks * 9 / 10)
            << s.kickTrack << " misses kicks in bars " << s.fromBar << "-" << s.toBar;
        EXPECT_GE(snareHits, snares * 8 / 10)
            << s.snareTrack << " misses snares in bars " << s.fromBar << "-" << s.toBar;
    }
}
