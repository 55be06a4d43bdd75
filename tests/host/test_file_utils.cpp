// Paths, listing, metadata, copy, delete and whole-file reads against a real temporary tree.
#include "file_utils.h"
#include "temp_dir.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <cstdlib>
#include <fcntl.h>
#include <fstream>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

using testing::internal::CaptureStderr;
using testing::internal::GetCapturedStderr;
using Strings = std::vector<std::string>;

class FileUtils : public testing::Test {
  protected:
    void SetUp() override {
        dir = tempDir.path();
        oldCwd = get_current_dir();
        ASSERT_EQ(chdir(dir.c_str()), 0);
        dir = get_current_dir(); // resolved, in case /tmp is a link
    }
    void TearDown() override { ASSERT_EQ(chdir(oldCwd.c_str()), 0); }
    static void write(const std::string& path, const std::string& bytes) {
        std::ofstream(path, std::ios::binary) << bytes;
    }
    static std::string read(const std::string& path) {
        std::ifstream f(path, std::ios::binary);
        return std::string(std::istreambuf_iterator<char>(f), {});
    }
    TempDir tempDir{"file_utils"};
    std::string dir, oldCwd;
};

// The one conversion every reader of data paths (OBJ, images, tracks, these utilities) uses.
TEST(ToFsPath, EveryBackslashBecomesASlashAndNothingElseChanges) {
    EXPECT_EQ(to_fs_path("data\\models\\cube.obj"), "data/models/cube.obj");
    EXPECT_EQ(to_fs_path("data/sync\\_cam.x.track"), "data/sync/_cam.x.track");
    EXPECT_EQ(to_fs_path("\\\\a\\\\"), "//a//"); // repeated separators are not collapsed here
    EXPECT_EQ(to_fs_path(""), "");
    EXPECT_EQ(to_fs_path("C:x y.png"), "C:x y.png");
}

TEST(SplitString, AlwaysOneTokenMoreThanDelimiters) {
    EXPECT_EQ(split_string("a.b", "."), (Strings{"a", "b"}));
    EXPECT_EQ(split_string("a..b", "."), (Strings{"a", "", "b"}));
    EXPECT_EQ(split_string("name.", "."), (Strings{"name", ""}));
    EXPECT_EQ(split_string(".x", "."), (Strings{"", "x"}));
    EXPECT_EQ(split_string("", "."), (Strings{""}));
    EXPECT_EQ(split_string("abc", ""), (Strings{"abc"}));
    EXPECT_EQ(split_string("a/b\\c", "\\/"), (Strings{"a", "b", "c"}));
}

TEST(SplitString, ExtensionAndNameUseTheLastToken) {
    EXPECT_EQ(file_extension("model.obj"), "obj");
    EXPECT_EQ(file_extension("archive.tar.gz"), "gz");
    EXPECT_EQ(file_extension("README"), "README");
    EXPECT_EQ(file_extension("dir.v2\\model"), "v2\\model");
    EXPECT_EQ(file_name("bin\\dll_cache\\renderX.so"), "renderX.so");
    EXPECT_EQ(file_name("bin/dll_cache/renderX.so"), "renderX.so");
    EXPECT_EQ(file_name("mixed/dir\\file.txt"), "file.txt");
    EXPECT_EQ(file_name("bin/"), "");
}

TEST_F(FileUtils, AbsolutePathJoinsAndNormalisesBothSlashes) {
    EXPECT_EQ(absolute_path("bin\\"), dir + "/bin/");
    EXPECT_EQ(absolute_path("bin/"), dir + "/bin/");
    EXPECT_EQ(absolute_path("data/muzak\\song.mp3"), dir + "/data/muzak/song.mp3");
    std::string parent = dir.substr(0, dir.rfind('/'));
    EXPECT_EQ(absolute_path("..\\x.txt"), parent + "/x.txt");
    EXPECT_EQ(absolute_path("./a/./b/../c"), dir + "/a/c");
    EXPECT_EQ(absolute_path(""), dir);
}

TEST(AbsolutePath, AbsoluteInputOnlyChangesSeparators) {
    EXPECT_EQ(absolute_path("/usr\\share/doc"), "/usr/share/doc");
    EXPECT_EQ(absolute_path("\\usr\\share\\"), "/usr/share/");
    EXPECT_EQ(absolute_path("/a/b/../../.."), "/");
}

TEST_F(FileUtils, CurrentDirectoryFollowsSetCurrentDir) {
    mkdir("sub", 0755);
    set_current_dir("sub\\");
    EXPECT_EQ(get_current_dir(), dir + "/sub");
    set_current_dir("..\\");
    EXPECT_EQ(get_current_dir(), dir);
    set_current_dir("does-not-exist"); // silently stays
    EXPECT_EQ(get_current_dir(), dir);
}

TEST_F(FileUtils, FindFilesAppendsBareNamesInByteOrderAndSkipsDirectories) {
    mkdir("bin", 0755);
    mkdir("bin/renderDir.so", 0755);
    for (const char* name : {"renderB.so", "renderA.so", "render_Z.so", "other.so", "renderC.txt"})
        write(std::string("bin/") + name, "x");

    Strings found = {"kept"};
    find_files("bin\\render*.so", found);
    EXPECT_EQ(found, (Strings{"kept", "renderA.so", "renderB.so", "render_Z.so"}));

    Strings none = {"kept"};
    CaptureStderr();
    find_files("bin/nothing*.so", none);
    find_files("missing-dir/*.so", none);
    EXPECT_EQ(GetCapturedStderr(), "");
    EXPECT_EQ(none, (Strings{"kept"}));

    Strings here;
    find_files("bin/rende?A.so", here);
    EXPECT_EQ(here, (Strings{"renderA.so"}));
}

TEST_F(FileUtils, FindFilesWithoutDirectoryPartLooksInCurrentDirectory) {
    write("one.txt", "1");
    write("two.txt", "2");
    Strings found;
    find_files("*.txt", found);
    EXPECT_EQ(found, (Strings{"one.txt", "two.txt"}));
}

TEST_F(FileUtils, ReadWholeFileKeepsBytesAndReplacesContent) {
    std::string bytes("a\r\nb\0c\xff", 7);
    write("bin.dat", bytes);
    std::string content = "previous content that is longer";
    EXPECT_TRUE(read_whole_file("bin.dat", content));
    EXPECT_EQ(content, bytes);
}

TEST_F(FileUtils, ReadWholeFileFailuresLeaveContentAlone) {
    write("empty.txt", "");
    std::string content = "unchanged";

    CaptureStderr();
    EXPECT_FALSE(read_whole_file("missing.txt", content));
    EXPECT_EQ(GetCapturedStderr(), "");

    CaptureStderr();
    EXPECT_FALSE(read_whole_file("empty.txt", content));
    EXPECT_EQ(GetCapturedStderr(), "read empty file...\n");

    mkdir("adir", 0755);
    CaptureStderr();
    EXPECT_FALSE(read_whole_file("adir", content));
    EXPECT_EQ(GetCapturedStderr(), "## ASSERT FAILED: \"wtf\"\nattach debugger\n");
    EXPECT_EQ(content, "unchanged");
}

TEST_F(FileUtils, CopyHonoursOverwriteAndKeepsTimeAndMode) {
    write("src.bin", "new bytes");
    chmod("src.bin", 0750);
    struct timespec times[2] = {{1000000000, 0}, {1000000000, 0}};
    utimensat(AT_FDCWD, "src.bin", times, 0);
    write("dst.bin", "old");

    CaptureStderr();
    EXPECT_FALSE(file_copy("src.bin", "dst.bin", false));
    EXPECT_EQ(GetCapturedStderr(), "## ERROR: copy failed: File exists\n\n");
    EXPECT_EQ(read("dst.bin"), "old");

    EXPECT_TRUE(file_copy("src.bin", "dst.bin", true));
    EXPECT_EQ(read("dst.bin"), "new bytes");

    mkdir("out", 0755);
    EXPECT_TRUE(file_copy("src.bin", "out\\fresh.bin", false));
    EXPECT_EQ(read("out/fresh.bin"), "new bytes");
    EXPECT_EQ(file_mtime("out/fresh.bin"), 1000000000);
    struct stat st;
    ASSERT_EQ(stat("out/fresh.bin", &st), 0);
    EXPECT_EQ(st.st_mode & 0777, 0750u);
}

// A copy onto itself (by any name) must fail without emptying the file on the way.
TEST_F(FileUtils, CopyOntoItselfFailsAndKeepsTheFile) {
    write("self.bin", "precious bytes");
    ASSERT_EQ(link("self.bin", "alias.bin"), 0);
    for (const char* dst : {"self.bin", "./self.bin", "alias.bin"}) {
        testing::internal::CaptureStderr();
        EXPECT_FALSE(file_copy("self.bin", dst, true)) << dst;
        EXPECT_NE(testing::internal::GetCapturedStderr().find("are the same file"),
                  std::string::npos);
        EXPECT_EQ(read("self.bin"), "precious bytes") << dst;
    }
}

TEST_F(FileUtils, CopyOfMissingSourceOrDirectoryFailsAndLeavesNothing) {
    CaptureStderr();
    EXPECT_FALSE(file_copy("missing.bin", "dst.bin", true));
    EXPECT_EQ(GetCapturedStderr(), "## ERROR: copy failed: No such file or directory\n\n");
    mkdir("adir", 0755);
    CaptureStderr();
    EXPECT_FALSE(file_copy("adir", "dst.bin", true));
    GetCapturedStderr();
    EXPECT_FALSE(file_exists("dst.bin"));
}

TEST_F(FileUtils, DeleteReportsTheSystemText) {
    write("gone.txt", "x");
    EXPECT_TRUE(file_delete("gone.txt"));
    EXPECT_FALSE(file_exists("gone.txt"));
    CaptureStderr();
    EXPECT_FALSE(file_delete("gone.txt"));
    EXPECT_EQ(GetCapturedStderr(), "## ERROR: delete failed: No such file or directory\n\n");
}

TEST_F(FileUtils, MetadataOfPresentAndMissingFiles) {
    write("five.txt", "12345");
    mkdir("adir", 0755);
    EXPECT_TRUE(file_exists("five.txt"));
    EXPECT_TRUE(file_exists("adir\\"));
    EXPECT_TRUE(file_exists_attr("adir"));
    EXPECT_FALSE(file_exists("nope"));
    EXPECT_FALSE(file_exists_attr("nope"));
    EXPECT_EQ(file_size("five.txt"), 5);
    EXPECT_LE(std::llabs(file_mtime("five.txt") - time_now()), 5);

    CaptureStderr();
    EXPECT_EQ(file_size("nope"), 0);
    EXPECT_EQ(file_mtime("nope"), 0);
    EXPECT_EQ(GetCapturedStderr(),
              "## ERROR: Problem getting file size\n## ERROR: Problem getting file time\n");
}

TEST_F(FileUtils, LockedWhileAnotherWriterHoldsItExclusively) {
    write("plugin.so", "x");
    EXPECT_FALSE(file_is_locked("plugin.so"));
    EXPECT_TRUE(file_is_locked("missing.so"));

    int writer = open("plugin.so", O_WRONLY);
    ASSERT_GE(writer, 0);
    ASSERT_EQ(flock(writer, LOCK_EX), 0);
    EXPECT_TRUE(file_is_locked("plugin.so"));
    close(writer);
    EXPECT_FALSE(file_is_locked("plugin.so"));
}

TEST(SystemErrorText, EndsWithALineEnd) {
    EXPECT_EQ(system_error_text(ENOENT), "No such file or directory\n");
    EXPECT_EQ(system_error_text(EEXIST), "File exists\n");
}
