// timeline_file.cpp - see timeline_file.h.
#include "timeline_file.h"

#include <cerrno>
#include <climits>
#include <cstdlib>
#include <cstring>

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace {

std::string failed(const std::string& what) {
    return what + ": " + std::strerror(errno);
}

// Everything of `content` into `fd`, through short writes and interrupts.
bool writeAll(int fd, const std::string& content) {
    size_t done = 0;
    while (done < content.size()) {
        const ssize_t n = write(fd, content.data() + done, content.size() - done);
        if (n < 0 && errno == EINTR) continue;
        if (n <= 0) return false;
        done += size_t(n);
    }
    return true;
}

} // namespace

bool writeFileAtomic(const std::string& path, const std::string& content, std::string& error) {
    // A rename over a link would replace the link itself: write where it points instead.
    std::string target = path;
    struct stat link;
    if (lstat(path.c_str(), &link) == 0 && S_ISLNK(link.st_mode)) {
        char resolved[PATH_MAX];
        if (!realpath(path.c_str(), resolved)) {
            error = failed("cannot follow the link " + path);
            return false;
        }
        target = resolved;
    }
    struct stat old;
    const bool existed = stat(target.c_str(), &old) == 0;
    const size_t slash = target.find_last_of('/');
    const std::string dir = slash == std::string::npos ? "." : target.substr(0, slash);
    const std::string base = slash == std::string::npos ? target : target.substr(slash + 1);
    std::string temp = dir + "/." + base + ".XXXXXX";
    const int fd = mkstemp(&temp[0]);
    if (fd < 0) {
        error = failed("cannot make a temporary file in " + dir);
        return false;
    }
    bool good = writeAll(fd, content);
    if (!good) error = failed("cannot write " + temp);
    if (good && existed) {
        // mkstemp makes the file 0600; the timeline keeps the mode it had. Another owner is
        // only kept where we may set it.
        if (fchmod(fd, old.st_mode & 07777) != 0) {
            error = failed("cannot give " + temp + " the mode of " + target);
            good = false;
        }
        if (good && fchown(fd, old.st_uid, old.st_gid) != 0) errno = 0;
    } else if (good) {
        const mode_t mask = umask(0); // a new file gets what the process would give any file
        umask(mask);
        fchmod(fd, 0666 & ~mask);
    }
    if (good && fsync(fd) != 0) {
        error = failed("cannot write " + temp);
        good = false;
    }
    if (close(fd) != 0 && good) {
        error = failed("cannot write " + temp);
        good = false;
    }
    if (good && rename(temp.c_str(), target.c_str()) != 0) {
        error = failed("cannot move " + temp + " to " + target);
        good = false;
    }
    if (!good) unlink(temp.c_str());
    return good;
}
