// synctool - compiles a timeline text into ".track" files, and dumps a ".track" file as text.
#include "timeline.h"
#include "track.h"

#include <cstdio>
#include <cstring>
#include <fstream>
#include <sstream>

static const char* const kUsage =
    "usage: synctool compile TIMELINE.txt OUTDIR   one OUTDIR/_<track>.track per track\n"
    "       synctool dump FILE.track                the keys as timeline lines\n"
    "\n"
    "Timeline text, one statement per line, '#' starts a comment:\n"
    "  tempo BPM ROWS_PER_BEAT                 grid for the times below (default 145 8)\n"
    "  TRACK POSITION VALUE INTERPOLATION      one key\n"
    "POSITION is a row (64) or a time rounded to the nearest row: 12.5s, 1500ms, 1:02.5.\n"
    "INTERPOLATION is step, linear, smooth or ramp (or a number -128..127, kept as is).\n"
    "TRACK holds letters, digits, _ - and . only. Keys may come in any order; two keys on\n"
    "one row of a track are an error. With any error nothing is written (exit code 1).\n";

static int compile(const char* input, const char* outDir) {
    std::ifstream in(input, std::ios::binary);
    if (!in) {
        std::fprintf(stderr, "synctool: cannot read %s\n", input);
        return 1;
    }
    std::stringstream text;
    text << in.rdbuf();
    Timeline timeline;
    if (!parseTimeline(text.str(), input, timeline)) {
        for (const std::string& e : timeline.errors) std::fprintf(stderr, "%s\n", e.c_str());
        return 1;
    }
    std::string error;
    if (!writeTracks(timeline, outDir, error)) {
        std::fprintf(stderr, "synctool: %s\n", error.c_str());
        return 1;
    }
    std::printf("synctool: %zu tracks written to %s\n", timeline.tracks.size(), outDir);
    return 0;
}

static int dump(const char* path) {
    KeyTrack* track = keytrack_create(trackNameOfFile(path).c_str());
    if (!track || keytrack_read(track, path) != 0) {
        std::fprintf(stderr, "synctool: cannot read %s\n", path);
        keytrack_destroy(track);
        return 1;
    }
    std::printf("%s", dumpTrack(track->name, *track).c_str());
    keytrack_destroy(track);
    return 0;
}

int main(int argc, char** argv) {
    if (argc == 4 && std::strcmp(argv[1], "compile") == 0) return compile(argv[2], argv[3]);
    if (argc == 3 && std::strcmp(argv[1], "dump") == 0) return dump(argv[2]);
    std::fputs(kUsage, argc > 1 && std::strcmp(argv[1], "--help") == 0 ? stdout : stderr);
    return argc > 1 && std::strcmp(argv[1], "--help") == 0 ? 0 : 2;
}
