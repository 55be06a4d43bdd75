// sync_report.h - how a run of frames moves with the music: each frame's change against the
// one before on a small luma copy, gathered per scene over the beat's phase, and how often a
// kick or a snare is answered on screen. demorender --sync-report feeds it the frames it
// draws; it knows nothing of GL, so tests feed it frames they make up.
//
// A frame's change is the mean absolute difference, in luma levels 0..255, between it and the
// frame before on kSyncLumaWidth x kSyncLumaHeight copies. A frame belongs to every scene
// drawn in it; its change counts for a scene only when that scene was drawn in the frame before
// too (a scene's first frame is a cut, not the scene's own motion, and one cut would outweigh a
// beat bin's worth of frames).
//
// The beat's phase is cut into bins one frame step wide: bin k holds the frames k..k+1 steps
// after the last beat (beats on the musical grid, sync_grid.h); the profile is each bin's mean
// change. Its peak over its median says how strongly the picture pulses with the beat: a flash
// on every beat gives a large ratio, smooth motion about 1.
//
// An onset (a list from onset_list.h) belongs to the scenes drawn in the first frame at or after
// it; it is a hit for a scene when that frame or the next has a change above the median of the
// scene's frame changes. Onsets outside the frames are left out.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

struct OnsetLists;

constexpr int kSyncLumaWidth = 320, kSyncLumaHeight = 180;

// Box-averages an RGBA picture (`width` and `height` whole multiples of the luma copy's, rows
// in either order, kept) to the luma copy: Rec. 709 weights, 0..255. `luma` holds
// kSyncLumaWidth * kSyncLumaHeight bytes.
void syncReduceToLuma(const uint8_t* rgba, int width, int height, uint8_t* luma);

struct SyncFrame {
    double timeMs;
    float change;    // < 0: nothing before it to compare with
    float meanLuma;  // 0..255
    uint32_t scenes; // bit i: sceneNames[i] drawn
};

// Frames fed in time order at one rate. At most 32 scene names.
struct SyncRecording {
    double frameStepMs = 1000.0 / 30.0;
    std::vector<std::string> sceneNames;
    std::vector<SyncFrame> frames;
    std::vector<uint8_t> previous; // the last frame's luma copy
};

// Starts a recording of frames `fps` a second; `expectedFrames` is reserved up front.
void syncBegin(SyncRecording& rec, int fps, size_t expectedFrames);
// Adds the next frame: its music time, its luma copy, the names of the scenes drawn in it.
// False, with the frame left out, when it would bring the 33rd scene name.
bool syncAddFrame(SyncRecording& rec, double timeMs, const uint8_t* luma,
                  const std::vector<std::string>& scenes);

struct SceneSyncProfile {
    std::string name;
    int frames = 0;              // frames it was drawn in
    int changes = 0;             // of them, frames whose change counts for it
    std::vector<double> profile; // mean change per beat-phase bin; < 0: no frame in the bin
    int peakBin = -1;            // -1: no change counted
    double peakOverMedian = 0;   // of the profile's filled bins; 0 when both are 0
    double medianChange = 0;     // of its counted frame changes
    double meanLuma = 0;         // over its frames
    int kicks = 0, kickHits = 0, snares = 0, snareHits = 0;
};

// The beat-phase bins of a frame step: as many as it takes to cover a beat.
int syncBinCount(double frameStepMs);
// One profile per scene in the order the names first appeared. `onsets` may be null.
std::vector<SceneSyncProfile> syncProfiles(const SyncRecording& rec, const OnsetLists* onsets);

// The report: one table (scene, frames, peak bin, peak/median, kick and snare hits, mean luma)
// and each scene's profile as a line of numbers. `onsets` null: the hit columns read "-".
std::string syncReportText(const SyncRecording& rec, const std::vector<SceneSyncProfile>& rows,
                           const OnsetLists* onsets);

// The same as a picture: a band per scene with its change over time (scaled to the scene's
// largest, its median a line), beat and bar lines, and a strip of kick and snare ticks on top.
// 8-bit RGB, top row first.
struct SyncPlot {
    int width = 0, height = 0;
    std::vector<uint8_t> rgb;
};
void syncDrawPlot(const SyncRecording& rec, const std::vector<SceneSyncProfile>& rows,
                  const OnsetLists* onsets, SyncPlot& plot);
