// Log redirection: every line reaches its file at once, and nothing goes to the files after
// they are closed. Each case runs in a child process, since it rewires descriptors 1 and 2.
#include "log_redirect.h"
#include "temp_dir.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <sstream>
#include <unistd.h>

static std::string readFile(const std::string& path) {
    std::ifstream f(path);
    std::stringstream s;
    s << f.rdbuf();
    return s.str();
}

class LogRedirectTest : public testing::Test {
  protected:
    TempDir tempDir{"logs"};
    std::string dir = tempDir.path();
};

TEST_F(LogRedirectTest, LinesAreOnDiskWithoutAnExplicitFlush) {
    EXPECT_EXIT(
        {
            if (chdir(dir.c_str()) != 0) _exit(2);
            LogRedirect logs;
            redirectLogs(logs, "stdout.txt", "stderr.txt");
            std::printf("# info line\n");
            std::fputs("## warning line\n", stderr);
            std::printf("partial"); // no end of line: may stay in the buffer
            _exit(0);               // no exit handlers, no flush
        },
        testing::ExitedWithCode(0), "");
    EXPECT_EQ(readFile(dir + "/stdout.txt"), "# info line\n");
    EXPECT_EQ(readFile(dir + "/stderr.txt"), "## warning line\n");
}

TEST_F(LogRedirectTest, ClosedLogsGiveTheStreamsBack) {
    std::string elsewhere = dir + "/elsewhere.txt";
    EXPECT_EXIT(
        {
            // Stand-in for the terminal the process started with.
            if (!std::freopen(elsewhere.c_str(), "w", stdout)) _exit(2);
            if (chdir(dir.c_str()) != 0) _exit(2);
            LogRedirect logs;
            redirectLogs(logs, "stdout.txt", "stderr.txt");
            std::printf("inside\n");
            closeLogs(logs);
            std::printf("after close\n");
            std::exit(0);
        },
        testing::ExitedWithCode(0), "");
    EXPECT_EQ(readFile(dir + "/stdout.txt"), "inside\n");
    EXPECT_EQ(readFile(elsewhere), "after close\n");
}

TEST_F(LogRedirectTest, ExistingLogsAreTruncated) {
    std::ofstream(dir + "/stdout.txt") << "old run\nold run\n";
    EXPECT_EXIT(
        {
            if (chdir(dir.c_str()) != 0) _exit(2);
            LogRedirect logs;
            redirectLogs(logs, "stdout.txt", "stderr.txt");
            std::printf("new run\n");
            std::exit(0);
        },
        testing::ExitedWithCode(0), "");
    EXPECT_EQ(readFile(dir + "/stdout.txt"), "new run\n");
}
