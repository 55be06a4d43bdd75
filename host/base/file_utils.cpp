// file_utils.cpp - see file_utils.h.
#include "file_utils.h"

#include "assert_failed.h"

#include <algorithm>
#include <climits>
#include <cerrno>
#include <cstdio>
#include <cstring>
#include <ctime>
#include <dirent.h>
#include <fcntl.h>
#include <fnmatch.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>
#include <vector>

std::string to_fs_path(std::string path) {
    std::replace(path.begin(), path.end(), '\\', '/');
    return path;
}

// ---- internal -------------------------------------------------------------------------------

// Joins the segments of an absolute "/"-path, dropping "." and resolving "..".
static std::string normalise_absolute(const std::string& path, bool trailingSlash) {
    std::vector<std::string> kept;
    for (const std::string& seg : split_string(path, "/")) {
        if (seg.empty() || seg == ".") continue;
        if (seg == "..") {
            if (!kept.empty()) kept.pop_back();
            continue;
        }
        kept.push_back(seg);
    }
    std::string out;
    for (const std::string& seg : kept) out += "/" + seg;
    if (out.empty()) return "/";
    if (trailingSlash) out += '/';
    return out;
}

// ---- paths ----------------------------------------------------------------------------------

std::string program_root_dir() {
    std::vector<char> path(PATH_MAX + 1, '\0');
    const ssize_t n = readlink("/proc/self/exe", path.data(), PATH_MAX);
    if (n <= 0) return absolute_path("..");
    const std::string exe(path.data(), static_cast<size_t>(n));
    return absolute_path(exe.substr(0, exe.rfind('/')) + "/..");
}

std::string absolute_path(std::string path) {
    path = to_fs_path(std::move(path));
    bool trailing = !path.empty() && path.back() == '/';
    if (!path.empty() && path[0] == '/') return normalise_absolute(path, trailing);
    std::string cwd = get_current_dir();
    if (cwd.empty()) return std::string();
    return normalise_absolute(cwd + "/" + path, trailing);
}

std::string get_current_dir() {
    std::vector<char> buf(256);
    while (!getcwd(buf.data(), buf.size())) {
        if (errno != ERANGE) return std::string();
        buf.resize(buf.size() * 2);
    }
    return std::string(buf.data());
}

void set_current_dir(const std::string& path) {
    // The outcome is deliberately not reported: a failed change shows up in the "cwd: " line.
    int ignored = chdir(to_fs_path(path).c_str());
    (void)ignored;
}

// ---- metadata -------------------------------------------------------------------------------

bool file_exists(const std::string& path) {
    struct stat st;
    return stat(to_fs_path(path).c_str(), &st) == 0;
}

bool file_exists_attr(const std::string& path) {
    return access(to_fs_path(path).c_str(), F_OK) == 0;
}

bool file_is_locked(const std::string& path) {
    int fd = open(to_fs_path(path).c_str(), O_RDONLY | O_CLOEXEC);
    if (fd < 0) return true;
    // POSIX has no share modes; a writer announces "not done yet" with an exclusive flock.
    bool locked = flock(fd, LOCK_SH | LOCK_NB) != 0;
    close(fd); // also drops our shared lock
    return locked;
}

int64_t file_mtime(const std::string& path) {
    struct stat st;
    if (stat(to_fs_path(path).c_str(), &st) != 0) {
        std::fputs("## ERROR: Problem getting file time\n", stderr);
        return 0;
    }
    return static_cast<int64_t>(st.st_mtime);
}

int64_t file_size(const std::string& path) {
    struct stat st;
    if (stat(to_fs_path(path).c_str(), &st) != 0) {
        std::fputs("## ERROR: Problem getting file size\n", stderr);
        return 0;
    }
    return static_cast<int64_t>(st.st_size);
}

int64_t time_now() {
    return static_cast<int64_t>(std::time(nullptr));
}

std::string system_error_text(uint32_t code) {
    return std::string(std::strerror(static_cast<int>(code))) + "\n";
}

// ---- delete and copy ------------------------------------------------------------------------

static void report_system_error(const char* what, int code) {
    if (code == 0) return;
    std::fprintf(stderr, "## ERROR: %s failed: %s\n", what,
                 system_error_text(static_cast<uint32_t>(code)).c_str());
}

bool file_delete(const std::string& path) {
    if (unlink(to_fs_path(path).c_str()) == 0) return true;
    report_system_error("delete", errno);
    return false;
}

// Copies all bytes from one descriptor to another; 0 or the errno of the first failure.
static int copy_bytes(int in, int out) {
    char buf[64 * 1024];
    for (;;) {
        ssize_t n = read(in, buf, sizeof buf);
        if (n == 0) return 0;
        if (n < 0) {
            if (errno == EINTR) continue;
            return errno;
        }
        for (ssize_t done = 0; done < n;) {
            ssize_t w = write(out, buf + done, static_cast<size_t>(n - done));
            if (w < 0) {
                if (errno == EINTR) continue;
                return errno;
            }
            done += w;
        }
    }
}

bool file_copy(const std::string& src, const std::string& dst, bool overwrite) {
    std::string from = to_fs_path(src), to = to_fs_path(dst);
    int in = open(from.c_str(), O_RDONLY | O_CLOEXEC);
    if (in < 0) {
        report_system_error("copy", errno);
        return false;
    }
    struct stat st;
    int err = fstat(in, &st) != 0 ? errno : 0;
    if (!err && S_ISDIR(st.st_mode)) err = EISDIR;
    // Opening the destination truncates it: when it is the source itself (the same path, or
    // another name of the same file) that would empty the file and then "copy" nothing.
    struct stat existing;
    if (!err && stat(to.c_str(), &existing) == 0 && existing.st_dev == st.st_dev &&
        existing.st_ino == st.st_ino) {
        close(in);
        std::fprintf(stderr, "## ERROR: copy failed: \"%s\" and \"%s\" are the same file\n",
                     from.c_str(), to.c_str());
        return false;
    }
    int out = -1;
    if (!err) {
        // "Fail if exists" is an exclusive create, so two copies cannot race onto one file.
        int flags = O_WRONLY | O_CREAT | O_CLOEXEC | (overwrite ? O_TRUNC : O_EXCL);
        out = open(to.c_str(), flags, st.st_mode & 07777);
        if (out < 0) err = errno;
    }
    if (!err) err = copy_bytes(in, out);
    if (!err) {
        fchmod(out, st.st_mode & 07777);
        struct timespec times[2] = {st.st_atim, st.st_mtim};
        futimens(out, times);
    }
    if (out >= 0 && close(out) != 0 && !err) err = errno;
    close(in);
    if (err) {
        // Never leave a half-written destination behind.
        if (out >= 0) unlink(to.c_str());
        report_system_error("copy", err);
        return false;
    }
    return true;
}

// ---- listing and names ----------------------------------------------------------------------

void find_files(const std::string& pattern, std::vector<std::string>& out) {
    std::string p = to_fs_path(pattern);
    size_t slash = p.rfind('/');
    std::string dir = slash == std::string::npos ? "." : p.substr(0, slash + 1);
    std::string mask = slash == std::string::npos ? p : p.substr(slash + 1);
    if (dir.empty()) dir = "/";

    DIR* d = opendir(dir.c_str());
    if (!d) return;
    std::vector<std::string> found;
    while (dirent* e = readdir(d)) {
        if (fnmatch(mask.c_str(), e->d_name, 0) != 0) continue;
        struct stat st;
        std::string full = dir + (dir.back() == '/' ? "" : "/") + e->d_name;
        if (stat(full.c_str(), &st) != 0 || S_ISDIR(st.st_mode)) continue;
        found.push_back(e->d_name);
    }
    closedir(d);
    std::sort(found.begin(), found.end());
    out.insert(out.end(), found.begin(), found.end());
}

std::vector<std::string> split_string(const std::string& text, const std::string& delims) {
    std::vector<std::string> tokens;
    std::string current;
    for (char c : text) {
        if (delims.find(c) != std::string::npos) {
            tokens.push_back(current);
            current.clear();
        } else {
            current += c;
        }
    }
    tokens.push_back(current);
    return tokens;
}

std::string file_extension(const std::string& path) {
    return split_string(path, ".").back();
}

std::string file_name(const std::string& path) {
    return split_string(path, "\\/").back();
}

// ---- reading --------------------------------------------------------------------------------

bool read_whole_file(const std::string& path, std::string& content) {
    std::string p = to_fs_path(path);
    struct stat st;
    if (stat(p.c_str(), &st) != 0) return false;
    // A directory "exists" but is not a readable file: treat it as a failed open.
    FILE* f = S_ISDIR(st.st_mode) ? nullptr : std::fopen(p.c_str(), "rb");
    if (!f) {
        assertFailed("wtf");
        return false;
    }
    std::fseek(f, 0, SEEK_END);
    long size = std::ftell(f);
    if (size <= 0) {
        std::fclose(f);
        std::fputs("read empty file...\n", stderr);
        return false;
    }
    std::fseek(f, 0, SEEK_SET);
    std::string bytes(static_cast<size_t>(size), '\0');
    size_t got = std::fread(&bytes[0], 1, bytes.size(), f);
    std::fclose(f);
    if (got != bytes.size()) {
        std::fprintf(stderr, "## ERROR: short read of %s: %zu of %ld bytes\n", p.c_str(), got,
                     size);
        return false;
    }
    content.swap(bytes);
    return true;
}
