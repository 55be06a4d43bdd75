// shader_reload.h - rebuilds a program of the graphics context when one of its files is saved.
//
// The shader library remembers the files and defines of every program; this watches those
// files and, on a change, compiles and links the program again exactly as it was first built
// (defines first, as a source string of their own). Only a program that links replaces the
// one in use; a file that does not compile leaves the last good program drawing and gives
// the driver's messages with the file and line in front ("data/shaders/x.frag:12:3: error:
// ..."). Needs the context current.
//
// In a source tree the files the demo loads from data/shaders/ are copies the build makes of
// scenes/*/shaders/, postfx/shaders/ and gfx/shaders/; a program's source copy is watched and
// compiled when there is one, so the edit the maker makes is the one that shows (the next build
// copies it into data/ as usual).
#pragma once

#include "file_watch.h"

#include <map>
#include <string>
#include <vector>

class ShaderLibrary;

struct ShaderReload {
    std::string program; // the library's name of the program
    std::string file;    // the file that changed
    bool ok;
    std::string message; // the driver's messages when !ok, one a line
};

class ShaderWatch {
  public:
    // `root` holds data/ and, in a source tree, the shader source folders.
    void init(ShaderLibrary* library, const std::string& root);
    // Rebuilds every program one of whose files changed since the last call.
    std::vector<ShaderReload> poll();
    // The file a program's data/shaders/ file is compiled from.
    std::string sourceOf(const std::string& dataFile) const;

  private:
    void watchNewPrograms();

    ShaderLibrary* library_ = nullptr;
    std::map<std::string, std::string> sourceByName_; // "raymarch.frag" -> its source copy
    size_t programsSeen_ = 0;
    FileWatch watch_;
};

// The driver's info log with each "<string>:<line>(<column>)" (Mesa) or "<string>(<line>)"
// (NVIDIA) position of source string `fileString` rewritten as "file:line:column:".
std::string placeMessages(const std::string& infoLog, const std::string& file, int fileString);
