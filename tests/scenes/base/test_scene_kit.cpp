// The scene kit without a GL context: the track reader against a clock that moves between
// reads, the bound-target guard against a target that logs its binds, track values turned
// into integer choices, and the musical grid against the sync source's own.
#include "bound_target.h"
#include "igfx_context.h"
#include "imodule_input.h"
#include "irender_target.h"
#include "isync.h"
#include "kit_helpers.h"
#include "scene_codes.h"
#include "sync_grid.h"
#include "sync_rocket.h"
#include "track_reader.h"

#include <gtest/gtest.h>

#include <climits>
#include <cmath>
#include <limits>
#include <stdexcept>
#include <string>
#include <vector>

namespace {

// ---- track reader ----------------------------------------------------------------------------

struct Read {
    std::string name;
    int64_t timeMs;
};

class LoggingSync final : public iSync {
  public:
    float getValue(const char* name, const int64_t* timeMs) override {
        reads.push_back({name, *timeMs});
        return static_cast<float>(reads.size());
    }
    std::vector<Read> reads;
};

// The music moves on by 7 ms every time anyone asks for it.
class MovingClockInput final : public iModuleInput {
  public:
    igfxContext* getGfx() override { return nullptr; }
    iSync* getSync() override { return &sync; }
    iMidi* getMidi() override { return nullptr; }
    int64_t getTimeMs() override {
        ++clockReads;
        return now += 7;
    }
    float getTimeSeconds() override { return float(getTimeMs()) / 1000.0f; }
    float getBandEnergy(int32_t, int32_t, float, int32_t) override { return 0.0f; }
    int32_t getFft(float*, int32_t&, bool) override { return 0; }

    LoggingSync sync;
    int64_t now = 1000;
    int clockReads = 0;
};

TEST(TrackReader, EachReadTakesTheMusicTimeAfresh) {
    MovingClockInput input;
    const TrackReader track(&input);
    EXPECT_EQ(track("mch_vofs"), 1.0f);
    EXPECT_EQ(track("mch_vblur"), 2.0f);
    EXPECT_EQ(track("mch_vofs"), 3.0f);
    ASSERT_EQ(input.sync.reads.size(), 3u);
    EXPECT_EQ(input.clockReads, 3);
    // Each read at the time the clock gave for it, not at one time taken when the reader was
    // made (which took none).
    EXPECT_EQ(input.sync.reads[0].name, "mch_vofs");
    EXPECT_EQ(input.sync.reads[0].timeMs, 1007);
    EXPECT_EQ(input.sync.reads[1].name, "mch_vblur");
    EXPECT_EQ(input.sync.reads[1].timeMs, 1014);
    EXPECT_EQ(input.sync.reads[2].timeMs, 1021);
}

TEST(TrackReader, AReadAtAGivenTimeLeavesTheClockAlone) {
    MovingClockInput input;
    const TrackReader track(&input);
    for (int64_t t : {int64_t(0), int64_t(-5), int64_t(184000), INT64_MAX}) track("blob_morph", t);
    EXPECT_EQ(input.clockReads, 0);
    ASSERT_EQ(input.sync.reads.size(), 4u);
    EXPECT_EQ(input.sync.reads[0].timeMs, 0);
    EXPECT_EQ(input.sync.reads[1].timeMs, -5);
    EXPECT_EQ(input.sync.reads[2].timeMs, 184000);
    EXPECT_EQ(input.sync.reads[3].timeMs, INT64_MAX);
}

// ---- bound-target guard ----------------------------------------------------------------------

class LoggingTarget final : public iRenderTarget {
  public:
    LoggingTarget(std::vector<std::string>* log, const char* name) : log_(log), name_(name) {}
    void initWithTexture(igfxContext*, TextureHandle*, bool) override {}
    void initWithSize(igfxContext*, int, int, bool) override {}
    void bind(igfxContext*, int clearFlags) override {
        log_->push_back(name_ + " bind " + std::to_string(clearFlags));
    }
    void unbind(igfxContext*) override { log_->push_back(name_ + " unbind"); }
    TextureHandle* texture() override { return nullptr; }

  private:
    std::vector<std::string>* log_;
    std::string name_;
};

using Log = std::vector<std::string>;

void drawUnlessEmpty(iRenderTarget* target, bool empty, Log* log) {
    BoundTarget bound(nullptr, target, kClearColourDepth);
    if (empty) return;
    log->push_back("draw");
}

TEST(BoundTarget, UnbindsOnEveryWayOutOfTheBlock) {
    Log log;
    LoggingTarget a(&log, "A");
    drawUnlessEmpty(&a, false, &log);
    drawUnlessEmpty(&a, true, &log); // early return
    try {
        BoundTarget bound(nullptr, &a, kClearNone);
        throw std::runtime_error("failed half-way");
    } catch (const std::runtime_error&) {
    }
    EXPECT_EQ(
        log, (Log{"A bind 3", "draw", "A unbind", "A bind 3", "A unbind", "A bind 0", "A unbind"}));
}

TEST(BoundTarget, AnEarlyUnbindIsTheOnlyOne) {
    Log log;
    LoggingTarget a(&log, "A");
    {
        BoundTarget bound(nullptr, &a, kClearDepth);
        bound.unbind();
        log.push_back("pass");
        bound.unbind();
    }
    EXPECT_EQ(log, (Log{"A bind 2", "A unbind", "pass"}));
}

TEST(BoundTarget, TakesALeaseAndIgnoresAnEmptyOne) {
    Log log;
    LoggingTarget a(&log, "A");
    {
        const RenderTargetHandle lease(&a, nullptr); // no owner: nothing to give back
        BoundTarget bound(nullptr, lease, kClearColour);
    }
    {
        const RenderTargetHandle empty;
        BoundTarget bound(nullptr, empty, kClearColour);
        BoundTarget none(nullptr, static_cast<iRenderTarget*>(nullptr), kClearColour);
    }
    EXPECT_EQ(log, (Log{"A bind 1", "A unbind"}));
}

TEST(BoundTarget, BindingInsideAnotherIsReportedAndForgottenAfterwards) {
    Log log;
    LoggingTarget a(&log, "A"), b(&log, "B");
    testing::internal::CaptureStderr();
    {
        BoundTarget outer(nullptr, &a, kClearColourDepth);
        BoundTarget inner(nullptr, &b, kClearNone);
    }
    std::string err = testing::internal::GetCapturedStderr();
    EXPECT_EQ(err.rfind("## ASSERT FAILED: \"render target bound inside another\"\n", 0), 0u)
        << err;
    // Both were still bound and unbound, innermost first.
    EXPECT_EQ(log, (Log{"A bind 3", "B bind 0", "B unbind", "A unbind"}));

    // Unbinding in the wrong order leaves no stale record behind either.
    testing::internal::CaptureStderr();
    {
        BoundTarget outer(nullptr, &a, kClearNone);
        BoundTarget inner(nullptr, &b, kClearNone);
        outer.unbind();
    }
    testing::internal::GetCapturedStderr();

    // One after the other is the normal case: no report.
    testing::internal::CaptureStderr();
    { BoundTarget first(nullptr, &a, kClearNone); }
    { BoundTarget second(nullptr, &b, kClearNone); }
    err = testing::internal::GetCapturedStderr();
    EXPECT_EQ(err, "");
}

// ---- track values as integers ----------------------------------------------------------------

TEST(TrackInteger, TruncatesTowardZeroWithinTheLimits) {
    EXPECT_EQ(trackInteger(2.999f, 0, 3), 2);
    EXPECT_EQ(trackInteger(3.0f, 0, 3), 3);
    EXPECT_EQ(trackInteger(7.9f, 0, 3), 3);
    EXPECT_EQ(trackInteger(-0.5f, -1, 1), 0); // toward zero, not down
    EXPECT_EQ(trackInteger(-1.0f, -1, 1), -1);
    EXPECT_EQ(trackInteger(-2.0f, 0, 3), 0);
    EXPECT_EQ(trackInteger(0.5f, 1, 5), 1); // below the lower limit
    // "integer part of (value + 0.5)": 0.49 stays 0, 0.5 becomes 1.
    EXPECT_EQ(trackInteger(0.49f + 0.5f, 0, 2), 0);
    EXPECT_EQ(trackInteger(0.5f + 0.5f, 0, 2), 1);
}

TEST(TrackInteger, ValuesNoIntHoldsAndNaNLandInRange) {
    const float nan = std::numeric_limits<float>::quiet_NaN();
    const float inf = std::numeric_limits<float>::infinity();
    EXPECT_EQ(trackInteger(nan, 0, 3), 0);
    EXPECT_EQ(trackInteger(nan, -1, 1), -1);
    EXPECT_EQ(trackInteger(inf, 0, 3), 3);
    EXPECT_EQ(trackInteger(-inf, 0, 3), 0);
    EXPECT_EQ(trackInteger(3e38f, INT_MIN, INT_MAX), INT_MAX);
    EXPECT_EQ(trackInteger(-3e38f, INT_MIN, INT_MAX), INT_MIN);
    // The largest float below 2^31 still converts; 2^31 itself is limited.
    EXPECT_EQ(trackInteger(2147483520.0f, INT_MIN, INT_MAX), 2147483520);
    EXPECT_EQ(trackInteger(2147483648.0f, INT_MIN, INT_MAX), INT_MAX);
    // A limit a float cannot hold exactly is still applied exactly.
    EXPECT_EQ(trackInteger(16777216.0f, 0, 16777215), 16777215);
}

// ---- musical grid ----------------------------------------------------------------------------

TEST(MusicalGrid, AgreesWithTheSyncSourceRows) {
    const cSyncRocket sync;
    for (int64_t ms : {int64_t(0), int64_t(1), int64_t(145655), int64_t(184000)})
        EXPECT_NEAR(rowAtMs(ms), sync.rowAt(ms), 1e-9) << ms;
    EXPECT_NEAR(sync.rowAt(int64_t(std::llround(msAtRow(2816)))), 2816.0, 0.02);
}

TEST(MusicalGrid, BarsAreThirtyTwoRowsOfTheTimeline) {
    EXPECT_NEAR(msAtBar(1), 1655.172, 0.001); // as the timeline's header says
    EXPECT_NEAR(msAtBar(88), 145655.17, 0.01);
    EXPECT_DOUBLE_EQ(msAtBar(1), msAtRow(32));
    EXPECT_DOUBLE_EQ(msAtBeat(4), msAtBar(1));
    EXPECT_NEAR(barAtMs(int64_t(std::llround(msAtBar(104)))), 104.0, 0.5 / msAtBar(1));
    EXPECT_NEAR(beatAtMs(60000), 145.0, 1e-9);
}

} // namespace
