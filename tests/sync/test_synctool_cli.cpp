// synctool's command line: exit codes, what reaches stderr, and what a failed compile leaves.
#include "file_text.h"
#include "track.h"
#include "temp_dir.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <string>
#include <sys/stat.h>
#include <sys/wait.h>

namespace {

struct Result {
    int code = -1;
    std::string out, err;
};

struct Folder {
    TempDir dir{"synctool_cli"};
    std::string path = dir.path();

    std::string file(const std::string& name, const std::string& content) const {
        std::ofstream(path + "/" + name, std::ios::binary) << content;
        return path + "/" + name;
    }

    Result run(const std::string& args) const {
        Result r;
        const std::string out = path + "/stdout", err = path + "/stderr";
        const int status =
            std::system((std::string(SYNCTOOL) + " " + args + " >" + out + " 2>" + err).c_str());
        r.code = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
        r.out = contentOf(out);
        r.err = contentOf(err);
        return r;
    }
};

} // namespace

TEST(SynctoolCommand, CompileWritesAllOrNothing) {
    Folder f;
    const std::string out = f.path + "/out";
    mkdir(out.c_str(), 0755);
    const std::string good = f.file("good.timeline", "b 0 1 step\na 0 1 linear\na 8 2 step\n");
    Result r = f.run("compile " + good + " " + out);
    ASSERT_EQ(r.code, 0) << r.err;
    EXPECT_EQ(r.out, "synctool: 2 tracks written to " + out + "\n");
    const std::string a = contentOf(out + "/_a.track");
    EXPECT_EQ(a.size(), 4u + 2 * TRACK_KEY_FILE_SIZE);

    // An error on the last line: no track of the text is written.
    const std::string bad = f.file("bad.timeline", "a 0 5 step\nc 0 1 step\nc 4 1 8\n");
    r = f.run("compile " + bad + " " + out);
    EXPECT_EQ(r.code, 1);
    EXPECT_EQ(r.err.rfind(bad + ":3: interpolation 8 is not one the player can play", 0), 0u)
        << r.err;
    EXPECT_EQ(contentOf(out + "/_a.track"), a);
    EXPECT_EQ(contentOf(out + "/_c.track"), "");

    // A folder opens but does not read: that is not an empty timeline.
    r = f.run("compile " + f.path + " " + out);
    EXPECT_EQ(r.code, 1);
    EXPECT_EQ(r.err.rfind("synctool: cannot read " + f.path + ": ", 0), 0u) << r.err;
    r = f.run("compile " + good + " " + f.path + "/missing");
    EXPECT_EQ(r.code, 1);
    EXPECT_EQ(r.err.rfind("synctool: cannot use " + f.path + "/missing: ", 0), 0u) << r.err;
}

TEST(SynctoolCommand, ErrorsStayOnOneScreen) {
    Folder f;
    std::string text;
    for (int i = 0; i < 5000; ++i) text += "x 0 1 wobbly\n";
    const Result r = f.run("compile " + f.file("t.timeline", text) + " " + f.path);
    EXPECT_EQ(r.code, 1);
    size_t lines = 0;
    for (char c : r.err) lines += c == '\n';
    EXPECT_EQ(lines, 101u);
    EXPECT_NE(r.err.find(f.path + "/t.timeline: 4900 more errors\n"), std::string::npos);
}

TEST(SynctoolCommand, DumpSaysWhenTheTextWouldNotCompileBack) {
    Folder f;
    const TrackKey keys[] = {{0, 1.0f, INTERP_LINEAR}, {8, 2.0f, 9}, {16, 0.5f, INTERP_STEP}};
    const std::string path = f.path + "/_cam.track";
    ASSERT_EQ(keytrack_write(path.c_str(), keys, 3), 0);
    Result r = f.run("dump " + path);
    EXPECT_EQ(r.code, 1);
    EXPECT_EQ(r.out, "cam 0 1 linear\ncam 8 2 9\ncam 16 0.5 step\n");
    EXPECT_EQ(r.err, "synctool: " + path +
                         ": key at row 8: interpolation 9 is not one the player can play (0..3)\n");

    ASSERT_EQ(keytrack_write(path.c_str(), keys, 1), 0);
    r = f.run("dump " + path);
    EXPECT_EQ(r.code, 0) << r.err;
    EXPECT_EQ(r.out, "cam 0 1 linear\n");

    // The name comes from the file name; one with a space would not read back as one word.
    const std::string spaced = f.path + "/_a b.track";
    ASSERT_EQ(keytrack_write(spaced.c_str(), keys, 1), 0);
    r = f.run("dump '" + spaced + "'");
    EXPECT_EQ(r.code, 1);
    EXPECT_NE(r.err.find("may only hold letters"), std::string::npos) << r.err;
    EXPECT_EQ(r.out, "");

    EXPECT_EQ(f.run("dump " + f.path + "/_none.track").code, 1);
}

// Asked for, the usage and the version go to the standard output with exit code 0; a command
// line that is not one of the usage's forms gets the usage on the standard error and 2.
TEST(SynctoolCommand, HelpVersionAndMisuse) {
    Folder f;
    Result r = f.run("--help");
    EXPECT_EQ(r.code, 0);
    EXPECT_EQ(r.out.rfind("usage: synctool compile", 0), 0u) << r.out;
    EXPECT_EQ(r.err, "");
    const std::string usage = r.out;
    r = f.run("--version");
    EXPECT_EQ(r.code, 0);
    EXPECT_EQ(r.out, "synctool " PROJECT_VERSION "\n");
    EXPECT_EQ(r.err, "");
    for (const char* wrong : {"", "--bogus", "frobnicate x", "dump", "dump a b", "compile a",
                              "--help extra", "--version --help"}) {
        r = f.run(wrong);
        EXPECT_EQ(r.code, 2) << wrong;
        EXPECT_EQ(r.out, "") << wrong;
        EXPECT_EQ(r.err, usage) << wrong;
    }
}
