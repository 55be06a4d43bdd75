// live_options.cpp - see live_options.h.
#include "live_options.h"

#include "transport.h"

#include <cstdio>

const char* const kLiveUsage =
    "usage: demolive [--start POS] [--paused] [--loop POS POS] [--solo SCENE]\n"
    "                [--timeline FILE] [--fullscreen] [--no-panel]\n"
    "       demolive --help | --version\n"
    "\n"
    "The demo in a window, with its music, to stop, scrub, loop and edit while it plays:\n"
    "the timeline text is compiled again when it is saved, a shader when one of its files is.\n"
    "POS is milliseconds (42000) or a bar and beat from 0 (b24, b24:2).\n"
    "  --start POS      begin there (default 0)\n"
    "  --paused         begin paused\n"
    "  --loop POS POS   play that range over and over (l turns it off and on)\n"
    "  --solo SCENE     draw that scene only, whatever its visibility track says\n"
    "  --timeline FILE  the timeline text to watch (default timeline/demo.timeline in the root)\n"
    "  --fullscreen     full screen instead of a window\n"
    "  --no-panel       begin with the panel hidden (F1 shows it)\n"
    "Keys: Space pause/play, Left/Right a beat, Shift+Left/Right or Down/Up a bar,\n"
    "Ctrl+Left/Right or PageUp/PageDown a section (8 bars), Tab/Shift+Tab next/previous\n"
    "scene, Home the start, l loop on/off, [ ] loop from this bar / to the next bar line,\n"
    "m mute, F1 the panel, F12 or s a screenshot, Escape or q quit.\n"
    "Key editor (at the playhead's row; the text is rewritten, only the lines an edit concerns):\n"
    ", . pick the track column, digits - . type a value and Enter sets it (Enter alone inserts\n"
    "a key holding the curve's value), Ctrl+Up/Down add/take the step, Ctrl+1..4 the step\n"
    "0.1/1/10/100, i interpolation, Delete or x delete, Alt+Left/Right move by the snap, g snap\n"
    "row/beat/bar, v selection on/off, Ctrl+C/Ctrl+V copy/paste, Ctrl+Z undo, Ctrl+Y or\n"
    "Ctrl+Shift+Z redo, n/p next/previous key, b bookmark here, ' ; next/previous bookmark,\n"
    "z/Z zoom in/out.\n";

namespace {

bool position(const char* option, const char* text, int64_t& ms) {
    if (parsePosition(text, ms)) return true;
    std::fprintf(stderr,
                 "demolive: %s: not a position: \"%s\" (milliseconds, or b<bar>[:<beat>])\n",
                 option, text);
    return false;
}

} // namespace

CommandLine parseLiveOptions(int argc, char** argv, LiveOptions& o) {
    constexpr CommandLine misuse = CommandLine::Misuse;
    for (int i = 1; i < argc; ++i) {
        const std::string arg = argv[i];
        const int left = argc - 1 - i;
        auto needs = [&](int n) {
            if (left >= n) return true;
            std::fprintf(stderr, "demolive: %s needs %d value%s\n", arg.c_str(), n,
                         n > 1 ? "s" : "");
            return false;
        };
        if (arg == "--help" || arg == "-h") return CommandLine::Help;
        if (arg == "--version") return CommandLine::Version;
        if (arg == "--paused") {
            o.paused = true;
        } else if (arg == "--fullscreen") {
            o.fullScreen = true;
        } else if (arg == "--no-panel") {
            o.panel = false;
        } else if (arg == "--start") {
            if (!needs(1) || !position("--start", argv[++i], o.startMs)) return misuse;
        } else if (arg == "--loop") {
            if (!needs(2) || !position("--loop", argv[i + 1], o.loopFromMs) ||
                !position("--loop", argv[i + 2], o.loopToMs))
                return misuse;
            i += 2;
            if (o.loopToMs <= o.loopFromMs) {
                std::fputs("demolive: --loop: the end must come after the start\n", stderr);
                return misuse;
            }
            o.loop = true;
        } else if (arg == "--solo") {
            if (!needs(1)) return misuse;
            o.solo = argv[++i];
        } else if (arg == "--timeline") {
            if (!needs(1)) return misuse;
            o.timeline = argv[++i];
        } else {
            std::fprintf(stderr, "demolive: unknown option %s\n", arg.c_str());
            return misuse;
        }
    }
    return CommandLine::Run;
}
