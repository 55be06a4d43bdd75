// demorender_main.cpp - the offline frame renderer: the player's start-up, plug-ins, sync,
// dispatch and post-processing, drawn at chosen music times and written as PNG files.
//
// For the people who make the demo (checking a moment without watching up to it, contact
// sheets, a video for the party screen) and for our own tests. It works from the layout the
// player uses: <root>/bin/demorender next to bin/render*.so, with data/ beside bin/.
#include "command_line.h"
#include "demo.h"
#include "demorender_profile.h"
#include "demorender_sync.h"
#include "file_utils.h"
#include "image.h"
#include "onset_list.h"

#include <SDL.h>

#include <cerrno>
#include <climits>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <fcntl.h>
#include <string>
#include <sys/stat.h>
#include <unistd.h>
#include <vector>

namespace {

const char* const kUsage =
    "usage:\n"
    "  demorender --time MS [--out FILE.png]\n"
    "      one frame at music time MS (default file: frame.png)\n"
    "  demorender --from MS --to MS [--fps N] [--out DIR] [--video FILE.mp4]\n"
    "      frames from MS to MS (both included) at N frames per second (default 30), written\n"
    "      as DIR/frame_000000.png, ... (default DIR: frames); with --video, also a video of\n"
    "      them with the music from the same moment, made by ffmpeg when it is installed\n"
    "  demorender --profile [--from MS --to MS] [--fps N]\n"
    "      draws those frames (default: the whole demo at 30 per second) without writing\n"
    "      them and prints per scene the median, 95th percentile and worst frame time on the\n"
    "      CPU (wall clock) and the GPU (timer queries), the heap allocations seen while the\n"
    "      scene drew, and the render speed in demo seconds per second\n"
    "  demorender --sync-report [--from MS --to MS] [--fps N] [--onsets FILE]\n"
    "             [--sync-plot FILE.png]\n"
    "      draws those frames (default: the whole demo at 30 per second) without writing\n"
    "      them and prints per scene how much the picture changes from frame to frame over\n"
    "      the beat (its profile, peak and peak over median) and its mean luma; with\n"
    "      --onsets, also how many kick and snare onsets of that onset list are answered by\n"
    "      a change within a frame; with --sync-plot, the same as a picture\n"
    "  demorender --help | --version\n"
    "\n"
    "It runs the demo's own code: the scene plug-ins in bin/, the sync tracks in data/sync/,\n"
    "scene dispatch and post-processing, at 1280x720, with a fixed clock instead of the audio\n"
    "device (nothing is heard). It needs no display: it renders through SDL's offscreen driver.\n"
    "Paths are taken from the directory it is started in; data/ is found beside bin/.\n";

constexpr const char* kMusicFile = "data/muzak/Kelpmoor - Vantaloid Tides_demoedit02.mp3";

struct Options {
    bool single = false;
    bool profile = false;
    bool syncReport = false;
    int64_t time = 0, from = 0, to = -1;
    int fps = 30;
    std::string out, video;
    std::string onsets, plot; // --sync-report's
};

bool parseInt(const char* text, int64_t& value) {
    char* end = nullptr;
    errno = 0;
    long long v = std::strtoll(text, &end, 10);
    if (errno || end == text || *end) return false;
    value = v;
    return true;
}

// Reads the arguments in order; --help or --version ends the reading where it stands. Anything
// but the forms of the usage text is Misuse. Nothing here needs the demo's files or a GPU.
CommandLine parseOptions(int argc, char** argv, Options& o) {
    constexpr CommandLine misuse = CommandLine::Misuse;
    bool haveTime = false, haveFrom = false, haveTo = false;
    for (int i = 1; i < argc; ++i) {
        const char* const arg = argv[i];
        const char* value = nullptr;
        auto take = [&] {
            if (i + 1 < argc) {
                value = argv[++i];
                return true;
            }
            std::fprintf(stderr, "demorender: %s needs a value\n", arg);
            return false;
        };
        auto text = [&](std::string& s) {
            if (!take()) return false;
            s = value;
            return true;
        };
        auto number = [&](int64_t& n) {
            if (!take()) return false;
            if (parseInt(value, n)) return true;
            std::fprintf(stderr, "demorender: %s: not a whole number: \"%s\"\n", arg, value);
            return false;
        };
        const std::string name = arg;
        if (name == "--help" || name == "-h") return CommandLine::Help;
        if (name == "--version") return CommandLine::Version;
        if (name == "--profile") {
            o.profile = true;
        } else if (name == "--sync-report") {
            o.syncReport = true;
        } else if (name == "--onsets") {
            if (!text(o.onsets)) return misuse;
        } else if (name == "--sync-plot") {
            if (!text(o.plot)) return misuse;
        } else if (name == "--time") {
            if (!number(o.time)) return misuse;
            haveTime = true;
        } else if (name == "--from") {
            if (!number(o.from)) return misuse;
            haveFrom = true;
        } else if (name == "--to") {
            if (!number(o.to)) return misuse;
            haveTo = true;
        } else if (name == "--fps") {
            int64_t n = 0;
            if (!number(n)) return misuse;
            if (n < 1 || n > 240) {
                std::fprintf(stderr, "demorender: --fps: %s is not 1 to 240\n", value);
                return misuse;
            }
            o.fps = static_cast<int>(n);
        } else if (name == "--out") {
            if (!text(o.out)) return misuse;
        } else if (name == "--video") {
            if (!text(o.video)) return misuse;
        } else {
            std::fprintf(stderr, "demorender: unknown option %s\n", arg);
            return misuse;
        }
    }
    if (o.syncReport && o.profile) {
        std::fputs("demorender: --profile and --sync-report are separate runs\n", stderr);
        return misuse;
    }
    if (!o.syncReport && (!o.onsets.empty() || !o.plot.empty())) {
        std::fputs("demorender: --onsets and --sync-plot go with --sync-report\n", stderr);
        return misuse;
    }
    if (o.profile || o.syncReport) {
        const char* mode = o.profile ? "--profile" : "--sync-report";
        if (haveTime || haveFrom != haveTo || !o.out.empty() || !o.video.empty()) {
            std::fprintf(stderr,
                         "demorender: %s goes with --from and --to (both or neither) and "
                         "--fps only\n",
                         mode);
            return misuse;
        }
        if (!haveFrom) o.to = kDemoEndMs;
        if (o.from < 0 || o.to < o.from) {
            std::fputs("demorender: --from must be 0 or more and not after --to\n", stderr);
            return misuse;
        }
        return CommandLine::Run;
    }
    o.single = haveTime;
    if (haveTime == (haveFrom || haveTo) || (haveFrom != haveTo)) {
        std::fputs("demorender: give either --time, or --from and --to\n", stderr);
        return misuse;
    }
    if (!o.single && (o.from < 0 || o.to < o.from)) {
        std::fputs("demorender: --from must be 0 or more and not after --to\n", stderr);
        return misuse;
    }
    if (o.single && !o.video.empty()) {
        std::fputs("demorender: --video goes with --from and --to\n", stderr);
        return misuse;
    }
    if (o.out.empty()) o.out = o.single ? "frame.png" : "frames";
    return CommandLine::Run;
}

bool writeFrame(const std::string& file, std::vector<uint8_t>& rgba) {
    // The screen ignores alpha; a PNG would show it as transparency.
    for (size_t i = 3; i < rgba.size(); i += 4) rgba[i] = 255;
    return saveImagePng(file, kScreenWidth, kScreenHeight, rgba.data());
}

std::string shellQuote(const std::string& s) {
    std::string q = "'";
    for (char c : s) q += c == '\'' ? std::string("'\\''") : std::string(1, c);
    return q + "'";
}

int makeVideo(const Options& o, const std::string& frameDir, const std::string& music) {
    if (std::system("command -v ffmpeg >/dev/null 2>&1") != 0) {
        std::fputs("demorender: ffmpeg is not installed; the frames are written, no video\n",
                   stderr);
        return 1;
    }
    std::string cmd = "ffmpeg -loglevel error -y -framerate " + std::to_string(o.fps) + " -i " +
                      shellQuote(frameDir + "/frame_%06d.png");
    if (file_exists(music))
        cmd += " -ss " + std::to_string(o.from / 1000.0) + " -i " + shellQuote(music) +
               " -map 0:v -map 1:a -shortest";
    cmd += " -c:v libx264 -pix_fmt yuv420p " + shellQuote(absolute_path(o.video));
    if (std::system(cmd.c_str()) != 0) {
        std::fprintf(stderr, "demorender: ffmpeg failed making %s\n", o.video.c_str());
        return 1;
    }
    std::printf("demorender: wrote %s\n", o.video.c_str());
    return 0;
}

} // namespace

int main(int argc, char** argv) {
    Options o;
    const int answered =
        answerCommandLine(parseOptions(argc, argv, o), "demorender", PROJECT_VERSION, kUsage);
    if (answered >= 0) return answered;
    // Output paths belong to the caller's directory; the demo works from its root.
    const std::string out = absolute_path(o.out);
    if (!o.video.empty()) o.video = absolute_path(o.video);
    if (!o.onsets.empty()) o.onsets = absolute_path(o.onsets);
    if (!o.plot.empty()) o.plot = absolute_path(o.plot);
    // A sync report of the whole demo takes long: its inputs and its plot's folder are checked
    // before it starts, not found wanting at the end.
    OnsetLists onsets;
    if (!o.onsets.empty() && !readOnsets(o.onsets, onsets)) {
        for (const std::string& e : onsets.errors)
            std::fprintf(stderr, "demorender: %s\n", e.c_str());
        return 1;
    }
    if (!o.plot.empty()) {
        const std::string folder = o.plot.substr(0, o.plot.find_last_of('/') + 1);
        if (access(folder.c_str(), W_OK) != 0) {
            std::fprintf(stderr, "demorender: cannot write %s: %s\n", o.plot.c_str(),
                         std::strerror(errno));
            return 1;
        }
    }
    setvbuf(stdout, nullptr, _IOLBF, BUFSIZ);
    // A batch tool never waits for a person: a failed assertion pauses for Enter when standard
    // input is a terminal, and every plug-in's copy of the assertion looks at this descriptor.
    const int devNull = open("/dev/null", O_RDONLY | O_CLOEXEC);
    if (devNull >= 0 && devNull != STDIN_FILENO) {
        dup2(devNull, STDIN_FILENO);
        close(devNull);
    }
    setenv("SDL_AUDIODRIVER", "dummy", 1); // a fixed clock: nothing may play
    // The frames are read back, never shown: an offscreen surface needs no display, and its
    // pixels are all ours (a hidden window's need not be). SDL_VIDEODRIVER still overrides.
    setenv("SDL_VIDEODRIVER", "offscreen", 0);
    // SDL turns Ctrl+C and SIGTERM into a quit event by default; a batch renderer never reads
    // events, so a half-hour run would ignore both. Left to the system, they end it at once.
    SDL_SetHint(SDL_HINT_NO_SIGNAL_HANDLERS, "1");
    set_current_dir(program_root_dir());

    demoInitialise(/*offline*/ true);
    if (o.profile) return runProfile(o.from, o.to, o.fps);
    if (o.syncReport)
        return runSyncReport(o.from, o.to, o.fps, o.onsets.empty() ? nullptr : &onsets, o.plot);
    std::vector<uint8_t> rgba(static_cast<size_t>(kScreenWidth) * kScreenHeight * 4);

    if (o.single) {
        demoFrame(offlineFrame(o.time, rgba.data()));
        if (!writeFrame(out, rgba)) return 1;
        std::printf("demorender: wrote %s (%lld ms)\n", out.c_str(), (long long)o.time);
        return 0;
    }

    if (mkdir(out.c_str(), 0755) != 0 && errno != EEXIST) {
        std::fprintf(stderr, "demorender: cannot make %s: %s\n", out.c_str(), std::strerror(errno));
        return 1;
    }
    int frames = 0;
    for (int64_t k = 0;; ++k) {
        const int64_t ms = o.from + k * 1000 / o.fps;
        if (ms > o.to) break;
        demoFrame(offlineFrame(ms, rgba.data()));
        char name[32];
        std::snprintf(name, sizeof name, "/frame_%06lld.png", (long long)k);
        if (!writeFrame(out + name, rgba)) return 1;
        ++frames;
    }
    std::printf("demorender: wrote %d frames to %s\n", frames, out.c_str());
    return o.video.empty() ? 0 : makeVideo(o, out, kMusicFile);
}
