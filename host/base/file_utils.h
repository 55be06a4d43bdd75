// file_utils.h - paths, directory listing, file metadata, copy, delete and whole-file reads.
//
// Used by start-up (working directory), the module loader (find, copy, watch plug-ins), the
// shader library (read sources) and the model registry (loader by extension). Every path may use
// "/" or "\" as separator; "\" is turned into "/" before the file system sees it. Nothing here
// throws: failures are single lines on the standard error, or a false/0/empty result.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

// The path the file system takes for a data path written with either separator: every "\"
// becomes "/". Everything in the system that opens a file by a data path goes through this.
std::string to_fs_path(std::string path);

// Absolute, normalised path with "/" separators: "." and ".." segments removed, a trailing
// separator kept. Relative paths are taken from the current directory.
std::string absolute_path(std::string path);
std::string get_current_dir(); // empty if it cannot be read
// The runtime root of the running program: the parent of the directory its executable lives
// in (<root>/bin/x -> <root>/), wherever it was started from; ".." of the current directory
// when the executable cannot be found.
std::string program_root_dir();
void set_current_dir(const std::string& path);

bool file_exists(const std::string& path);      // stat succeeds
bool file_exists_attr(const std::string& path); // the path names anything at all
// True when the file cannot be opened for reading, or another process holds an exclusive lock
// on it (a writer that is not done yet).
bool file_is_locked(const std::string& path);
int64_t file_mtime(const std::string& path); // seconds since 1970; 0 and a message on failure
int64_t file_size(const std::string& path);  // bytes; 0 and a message on failure
int64_t time_now();                          // seconds since 1970, comparable with file_mtime

// The system's text for an error code, ending with a line end.
std::string system_error_text(uint32_t code);

bool file_delete(const std::string& path);
// With overwrite false an existing destination is a failure. Copies mode and modification time.
bool file_copy(const std::string& src, const std::string& dst, bool overwrite);

// Appends the bare names of the files (not directories) matching `pattern` to `out`, in byte
// order. The pattern is an optional directory part and a file name with the wildcards * and ?.
void find_files(const std::string& pattern, std::vector<std::string>& out);

// Splits at every character of `delims`; always one token more than delimiters in `text`.
std::vector<std::string> split_string(const std::string& text, const std::string& delims);
std::string file_extension(const std::string& path); // "gz" for "a.tar.gz"; whole name if no dot
std::string file_name(const std::string& path);      // the part after the last "/" or "\"

// Replaces `content` with the file's bytes. False without a message for a missing file; false
// with a message for an empty or unreadable one; `content` is unchanged on every failure.
bool read_whole_file(const std::string& path, std::string& content);
