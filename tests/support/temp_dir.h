// temp_dir.h - a fresh directory under /tmp for a test, removed with everything in it when
// the object goes.
//
// Each object makes its own directory (mkdtemp), so tests run in parallel, and reruns after a
// crash, never meet each other's files. Only the process that made it removes it: a death
// test's child that calls exit() runs the destructors of static objects too, and must not take
// the files of the tests after it.
#pragma once

#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <string>
#include <system_error>
#include <unistd.h>

class TempDir {
  public:
    // /tmp/<prefix>_XXXXXX. On failure the test fails and path() is empty.
    explicit TempDir(const std::string& prefix = "demo_test") {
        std::string pattern = "/tmp/" + prefix + "_XXXXXX";
        if (mkdtemp(&pattern[0]))
            path_ = pattern;
        else
            ADD_FAILURE() << "cannot make a temporary directory " << pattern;
    }
    ~TempDir() {
        std::error_code ignored; // a test that failed half-way may leave anything there
        if (!path_.empty() && getpid() == owner_) std::filesystem::remove_all(path_, ignored);
    }
    TempDir(const TempDir&) = delete;
    TempDir& operator=(const TempDir&) = delete;

    const std::string& path() const { return path_; }
    // A path inside the directory.
    std::string file(const std::string& name) const { return path_ + "/" + name; }

  private:
    std::string path_;
    pid_t owner_ = getpid();
};
