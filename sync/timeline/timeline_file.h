// timeline_file.h - saving the timeline text the way a text editor saves it.
//
// The editor (timeline_edit.h) writes the timeline while a text editor and demolive's file
// watch may have it open: the new text goes into a temporary file in the same folder, which
// then replaces the old file by one rename, so a reader sees either the old text or the new,
// never half of one. The file keeps its permission bits (and its owner where we may set it); a
// symbolic link stays a link and the file it points to is replaced.
#pragma once

#include <string>

// Writes `content` to `path` as above. False with `error` set when any step fails; the old
// file is then untouched and no temporary file is left.
bool writeFileAtomic(const std::string& path, const std::string& content, std::string& error);
