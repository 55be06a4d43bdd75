// file_watch.h - notices that files were saved, whichever way the editor saves them.
//
// A file is compared by what stat() says of the path: inode, size and modification time to
// the nanosecond. An editor that writes a new file and renames it over the old one changes the
// inode, one that writes in place the time and usually the size, and a file that disappears
// and comes back is noticed when it is back. Polling the few files of the demo a few times a
// second costs nothing measurable and needs no watch descriptors that a rename would orphan.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

struct FileStamp {
    bool exists = false;
    uint64_t inode = 0;
    int64_t size = 0;
    int64_t modifiedNs = 0;
    bool operator==(const FileStamp& o) const {
        return exists == o.exists && inode == o.inode && size == o.size &&
               modifiedNs == o.modifiedNs;
    }
};

FileStamp stampOf(const std::string& path);

class FileWatch {
  public:
    // Watches `path` from its present state on; a path already watched is left as it is.
    void add(const std::string& path);
    bool watches(const std::string& path) const;
    // The watched paths that changed since they were added or last reported, in the order
    // they were added. A path that has gone is reported when it exists again.
    std::vector<std::string> poll();

  private:
    struct Entry {
        std::string path;
        FileStamp stamp;
    };
    std::vector<Entry> entries_;
};
