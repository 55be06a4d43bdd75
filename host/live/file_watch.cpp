// file_watch.cpp - see file_watch.h.
#include "file_watch.h"

#include <sys/stat.h>

FileStamp stampOf(const std::string& path) {
    FileStamp stamp;
    struct stat st;
    if (stat(path.c_str(), &st) != 0) return stamp;
    stamp.exists = true;
    stamp.inode = uint64_t(st.st_ino);
    stamp.size = int64_t(st.st_size);
    stamp.modifiedNs = int64_t(st.st_mtim.tv_sec) * 1000000000LL + st.st_mtim.tv_nsec;
    return stamp;
}

void FileWatch::add(const std::string& path) {
    if (!watches(path)) entries_.push_back({path, stampOf(path)});
}

bool FileWatch::watches(const std::string& path) const {
    for (const Entry& e : entries_)
        if (e.path == path) return true;
    return false;
}

std::vector<std::string> FileWatch::poll() {
    std::vector<std::string> changed;
    for (Entry& e : entries_) {
        const FileStamp now = stampOf(e.path);
        if (now == e.stamp) continue;
        e.stamp = now;
        // Gone is not a change to act on: an editor between removing and renaming, or a
        // file being replaced. It is reported when it is back.
        if (now.exists) changed.push_back(e.path);
    }
    return changed;
}
