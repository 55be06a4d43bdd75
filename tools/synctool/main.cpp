// synctool - compiles a timeline text into ".track" files, and dumps a ".track" file as text.
#include "onset_detect.h"
#include "timeline.h"
#include "track.h"

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <string>

static const char* const kUsage =
    "usage: synctool compile TIMELINE.txt OUTDIR   one OUTDIR/_<track>.track per track\n"
    "       synctool dump FILE.track                the keys as timeline lines\n"
    "       synctool onsets MUSIC.mp3               kick, snare, hat, crash and beat times\n"
    "                                               (ms) as an onset list on stdout\n"
    "       synctool --help | --version\n"
    "\n"
    "Timeline text, one statement per line, '#' starts a comment:\n"
    "  tempo BPM ROWS_PER_BEAT                 grid for the times below (default 145 8)\n"
    "  TRACK POSITION VALUE INTERPOLATION      one key\n"
    "  onsets FILE                             onset lists for pulses (path from the timeline)\n"
    "  pulse TRACK FROM TO HITS base V peak V [attack D] decay D [shape linear|smooth|ramp]\n"
    "      on each hit in [FROM, TO) rise from base to peak and fall back, compiled into keys;\n"
    "      HITS: every BEATS | beats B,B,.. (of the bar) | pattern x...x.x. (one bar of\n"
    "      steps) | onsets LIST. D: rows (3), beats (0.5beats), 150ms or 0.2s.\n"
    "  mark POSITION \"NAME\"                   a bookmark for demolive; compiles to nothing\n"
    "POSITION is a row (64), a time rounded to the nearest row (12.5s, 1500ms, 1:02.5)\n"
    "or a bar and beat from 0, four beats a bar (b16, b16:2.5).\n"
    "INTERPOLATION is step, linear, smooth or ramp (or 0..3).\n"
    "TRACK holds letters, digits, _ - and . only (at most 248). Keys may come in any order;\n"
    "two keys on one row of a track are an error, whether written by hand or by a pulse (a\n"
    "pulse's last decay cut at TO yields to a hand key there). With any error nothing is\n"
    "written (exit code 1). dump exits with 1 when a key cannot be written as a timeline line.\n";

// Enough to find the pattern; a broken file of a million lines still ends in one screen.
const size_t kShownErrors = 100;

static int compile(const char* input, const char* outDir) {
    std::string text;
    if (!readTextFile(input, text)) {
        std::fprintf(stderr, "synctool: cannot read %s: %s\n", input, std::strerror(errno));
        return 1;
    }
    Timeline timeline;
    if (!parseTimeline(text, input, timeline)) {
        const size_t count = timeline.errors.size();
        for (size_t i = 0; i < count && i < kShownErrors; ++i)
            std::fprintf(stderr, "%s\n", timeline.errors[i].c_str());
        if (count > kShownErrors)
            std::fprintf(stderr, "%s: %zu more errors\n", input, count - kShownErrors);
        return 1;
    }
    for (const std::string& warning : timeline.warnings)
        std::fprintf(stderr, "%s (warning)\n", warning.c_str());
    std::string error;
    if (!writeTracks(timeline, outDir, error)) {
        std::fprintf(stderr, "synctool: %s\n", error.c_str());
        return 1;
    }
    std::printf("synctool: %zu tracks written to %s\n", timeline.tracks.size(), outDir);
    return 0;
}

// Prints what the player reads (keys sorted, one per row). Keys the timeline cannot hold are
// printed too, each with a message, and make the exit code 1: the text would not compile.
static int dump(const char* path) {
    const std::string name = trackNameOfFile(path);
    const std::string problem = trackNameProblem(name);
    if (!problem.empty()) {
        std::fprintf(stderr, "synctool: %s: %s (the name comes from the file name)\n", path,
                     problem.c_str());
        return 1;
    }
    KeyTrack* track = keytrack_create(name.c_str());
    if (!track || keytrack_read(track, path) != 0) {
        std::fprintf(stderr, "synctool: cannot read %s\n", path);
        keytrack_destroy(track);
        return 1;
    }
    std::printf("%s", dumpTrack(track->name, *track).c_str());
    int result = 0;
    for (int32_t i = 0; i < track->key_count; ++i) {
        const std::string why = keyProblem(track->keys[i]);
        if (why.empty()) continue;
        std::fprintf(stderr, "synctool: %s: key at row %d: %s\n", path, track->keys[i].row,
                     why.c_str());
        result = 1;
    }
    keytrack_destroy(track);
    return result;
}

// Decodes and listens to the whole file before printing anything, so a failure prints nothing
// on stdout.
static int onsets(const char* path) {
    OnsetLists lists;
    std::string error;
    if (!detectOnsetsInMp3(path, lists, error)) {
        std::fprintf(stderr, "synctool: %s\n", error.c_str());
        return 1;
    }
    const char* slash = std::strrchr(path, '/');
    const std::string text =
        formatOnsets(lists, {std::string("onsets detected in ") + (slash ? slash + 1 : path)});
    return std::fwrite(text.data(), 1, text.size(), stdout) == text.size() &&
                   std::fflush(stdout) == 0
               ? 0
               : 1;
}

// One line per command, with its exact argument count; anything else is answered with the usage.
int main(int argc, char** argv) {
    const std::string command = argc > 1 ? argv[1] : "";
    if (command == "compile" && argc == 4) return compile(argv[2], argv[3]);
    if (command == "dump" && argc == 3) return dump(argv[2]);
    if (command == "onsets" && argc == 3) return onsets(argv[2]);
    if ((command == "--help" || command == "-h") && argc == 2) {
        std::fputs(kUsage, stdout);
        return 0;
    }
    if (command == "--version" && argc == 2) {
        std::printf("synctool %s\n", PROJECT_VERSION);
        return 0;
    }
    std::fputs(kUsage, stderr);
    return 2;
}
