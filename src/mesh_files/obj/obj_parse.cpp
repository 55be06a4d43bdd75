// obj_parse.cpp - cObjLoader's reading half: the file into memory, then one small function per
// statement over a parse state. See obj_loader.h.
#include "obj_loader.h"

#include "file_utils.h"
#include "obj_numbers.h"

#include <algorithm>
#include <cerrno>
#include <cmath>
#include <cstdlib>
#include <cstring>
#include <fcntl.h>
#include <sys/mman.h>
#include <sys/stat.h>
#include <unistd.h>
#include <unordered_map>

// ---- parse state ----------------------------------------------------------------------------

struct cObjLoader::ParseState {
    const std::string& path;
    uint32_t line = 0;
    int32_t group = -1;
    // Material numbers exist only while loading; faces do not carry them.
    std::unordered_map<std::string, int> materials;
    // Faces read before the first "vt" / "vn" line get index 0 of that kind afterwards.
    size_t facesBeforeTexcoords;
    size_t facesBeforeNormals;

    ParseState(const std::string& p, uint8_t flags)
        : path(p), facesBeforeTexcoords(flags & kObjHasTexcoords ? 0 : SIZE_MAX),
          facesBeforeNormals(flags & kObjHasNormals ? 0 : SIZE_MAX) {}
};

namespace {

// Separators within a line; the line feed ends it.
bool isBlank(char c) {
    return c == ' ' || c == '\t' || c == '\r';
}

// The next token of the line at `p`, [begin, tokenEnd); false at the line's end, where `p` is
// left. A token starting with "#" opens a comment that runs to the end of the line, so
// "v 1 2 3 # note" is a vertex of three numbers.
bool nextToken(const char*& p, const char* end, const char*& begin, const char*& tokenEnd) {
    while (p < end && isBlank(*p)) ++p;
    if (p == end || *p == '\n' || *p == '#') return false;
    begin = p;
    while (p < end && !isBlank(*p) && *p != '\n') ++p;
    tokenEnd = p;
    return true;
}

bool tokenIs(const char* begin, const char* end, const char* word) {
    const size_t n = std::strlen(word);
    return static_cast<size_t>(end - begin) == n && std::memcmp(begin, word, n) == 0;
}

// Reads up to `max` numbers into `out`; returns how many tokens the line had. NaN and the
// infinities (spelled out, or a decimal beyond the float range) are stored as 0, like a token
// that is no number: one of them would spread through the smooth normals of every face that
// shares the vertex and through the model's bounds. One warning per line names the first.
size_t readNumbers(const char*& p, const char* end, float* out, size_t max, std::FILE* log,
                   const std::string& path, uint32_t line) {
    size_t n = 0, nonFinite = 0;
    const char *b, *e, *firstBad = nullptr, *firstBadEnd = nullptr;
    while (nextToken(p, end, b, e)) {
        if (n < max) {
            out[n] = obj_parse_float(b, e);
            if (!std::isfinite(out[n])) {
                out[n] = 0.0f;
                if (nonFinite++ == 0) firstBad = b, firstBadEnd = e;
            }
        }
        ++n;
    }
    if (nonFinite > 0) {
        std::fprintf(log, "# warning, number \"%.*s\" in line %u of %s is not finite, read as 0",
                     static_cast<int>(std::min<ptrdiff_t>(firstBadEnd - firstBad, 256)), firstBad,
                     line, path.c_str());
        if (nonFinite > 1) std::fprintf(log, " (and %zu more on the line)", nonFinite - 1);
        std::fputc('\n', log);
    }
    return n;
}

struct FileDescriptor {
    int fd;
    ~FileDescriptor() {
        if (fd >= 0) close(fd);
    }
};

// The whole file in one block: mapped when it is a regular file (no copy, no growth), read
// otherwise. Empty when it cannot be opened and read as a file.
class FileText {
  public:
    bool open(const std::string& path) {
        FileDescriptor file{::open(path.c_str(), O_RDONLY | O_CLOEXEC)};
        struct stat st;
        if (file.fd < 0 || fstat(file.fd, &st) != 0 || S_ISDIR(st.st_mode)) return false;
        if (S_ISREG(st.st_mode) && st.st_size > 0) {
            void* m = mmap(nullptr, static_cast<size_t>(st.st_size), PROT_READ,
                           MAP_PRIVATE | MAP_POPULATE, file.fd, 0);
            if (m != MAP_FAILED) {
                mapped_ = m;
                size_ = static_cast<size_t>(st.st_size);
                madvise(m, size_, MADV_SEQUENTIAL);
                return true;
            }
        }
        return readAll(file.fd);
    }
    ~FileText() {
        if (mapped_) munmap(mapped_, size_);
    }
    const char* data() const { return mapped_ ? static_cast<const char*>(mapped_) : read_.data(); }
    size_t size() const { return size_; }

  private:
    bool readAll(int fd) {
        char chunk[65536];
        for (;;) {
            const ssize_t n = read(fd, chunk, sizeof chunk);
            if (n < 0 && errno == EINTR) continue;
            if (n < 0) return false;
            if (n == 0) break;
            read_.append(chunk, static_cast<size_t>(n));
        }
        size_ = read_.size();
        return true;
    }
    void* mapped_ = nullptr;
    size_t size_ = 0;
    std::string read_;
};

// Room for what the file holds, counted from the first two bytes of every line, so the lists
// never grow (and copy) while a large file is read.
void reserveFor(const char* p, const char* end, cObjLoader& loader) {
    size_t v = 0, vt = 0, vn = 0, f = 0;
    while (p < end) {
        const char* lineEnd = static_cast<const char*>(std::memchr(p, '\n', end - p));
        if (!lineEnd) lineEnd = end;
        if (lineEnd - p >= 2) {
            if (p[0] == 'v') {
                v += p[1] == ' ' || p[1] == '\t';
                vt += p[1] == 't';
                vn += p[1] == 'n';
            } else if (p[0] == 'f') {
                f += p[1] == ' ' || p[1] == '\t';
            }
        }
        p = lineEnd + 1;
    }
    loader.positions.reserve(4 * v);
    loader.texcoords.reserve(2 * vt);
    loader.normals.reserve(3 * vn);
    loader.faces.reserve(f);
    loader.corners.reserve(3 * f);
}

const char* kindName(int kind) {
    static const char* const names[] = {"vertex", "texcoord", "normal"};
    return names[kind];
}

} // namespace

// ---- file -----------------------------------------------------------------------------------

void cObjLoader::load_file(const std::string& path) {
    std::printf("-\ncObjLoader::load_file parsing %s ... ", path.c_str());
    std::fflush(stdout);
    if (path.empty()) {
        std::fprintf(stderr, "## ERROR in %s line %d: file was not found in path: %s\n",
                     "obj_parse.cpp", __LINE__, path.c_str());
        std::exit(-1);
    }
    FileText text;
    if (!text.open(to_fs_path(path))) {
        std::printf("File not found: \"%s in cObjLoader::load_file(..)\n", path.c_str());
        std::fflush(stdout);
        std::exit(-1);
    }
    parse(text.data(), text.size(), path);
    std::printf("done reading obj.\n-\n");
}

void cObjLoader::parse(const char* text, size_t size, const std::string& path) {
    positions.clear();
    normals.clear();
    texcoords.clear();
    faces.clear();
    corners.clear();
    ParseState st(path, flags);
    const char* p = text;
    const char* const end = text + size;
    reserveFor(p, end, *this);
    while (p < end) {
        ++st.line;
        parseLine(st, p, end);
        // Statements read their whole line; comments and skipped ones leave the rest.
        if (p < end && *p != '\n') {
            const char* lineFeed = static_cast<const char*>(std::memchr(p, '\n', end - p));
            p = lineFeed ? lineFeed : end;
        }
        if (p < end) ++p;
    }
    completeEarlyFaces(st);
}

// ---- statements -----------------------------------------------------------------------------

void cObjLoader::parseLine(ParseState& st, const char*& p, const char* end) {
    const char *b, *e;
    if (!nextToken(p, end, b, e)) return; // blank line or comment
    const size_t n = static_cast<size_t>(e - b);
    switch (n == 1 ? *b : 0) {
    case 'v':
        return parseVertex(st, p, end);
    case 'f':
        return parseFace(st, p, end);
    case 'g':
        return parseGroup(st, p, end);
    case 's':
        return;
    case 'p':
        std::fputs("TOK_P\n", log);
        return;
    case 'l':
        std::fputs("TOK_L\n", log);
        return;
    default:
        break;
    }
    if (tokenIs(b, e, "vt")) return parseTexcoord(st, p, end);
    if (tokenIs(b, e, "vn")) return parseNormal(st, p, end);
    if (tokenIs(b, e, "usemtl")) return parseMaterial(st, p, end);
    if (tokenIs(b, e, "mtllib") || tokenIs(b, e, "curv") || tokenIs(b, e, "curv2") ||
        tokenIs(b, e, "surf"))
        return;
    if (tokenIs(b, e, "vp")) {
        std::fprintf(log, "# warning, \"vp\" in line %u not supported... skipped!\n", st.line);
        return;
    }
    std::fprintf(log, "# warning, unknown token: \"%.*s\" in line %u... skipped!\n",
                 static_cast<int>(std::min<size_t>(n, 256)), b, st.line);
}

// A vertex keeps its place in the numbering even when its line is odd, so faces after it
// still refer to the vertices the file meant.
void cObjLoader::parseVertex(ParseState& st, const char*& p, const char* end) {
    float v[4] = {0.0f, 0.0f, 0.0f, 1.0f};
    const size_t n = readNumbers(p, end, v, 4, log, st.path, st.line);
    if (n < 3)
        std::fprintf(log, "# warning, vertex of %zu numbers in line %u of %s, missing ones are 0\n",
                     n, st.line, st.path.c_str());
    else if (n > 4)
        std::fprintf(log, "# warning, vertex of %zu numbers in line %u of %s, using the first 4\n",
                     n, st.line, st.path.c_str());
    for (float x : v) positions.push_back(x);
}

void cObjLoader::parseTexcoord(ParseState& st, const char*& p, const char* end) {
    if (!(flags & kObjHasTexcoords)) st.facesBeforeTexcoords = faces.size();
    flags |= kObjHasTexcoords;
    float t[2] = {0.0f, 0.0f};
    const size_t n =
        readNumbers(p, end, t, 2, log, st.path, st.line); // a third (w) and more are dropped
    if (n < 2)
        std::fprintf(log,
                     "# warning, texcoord of %zu numbers in line %u of %s, missing ones are 0\n", n,
                     st.line, st.path.c_str());
    texcoords.push_back(t[0]);
    texcoords.push_back(t[1]);
}

void cObjLoader::parseNormal(ParseState& st, const char*& p, const char* end) {
    if (!(flags & kObjHasNormals)) st.facesBeforeNormals = faces.size();
    flags |= kObjHasNormals;
    float v[3] = {0.0f, 0.0f, 0.0f};
    const size_t n = readNumbers(p, end, v, 3, log, st.path, st.line);
    if (n != 3)
        std::fprintf(log, "# warning, normal of %zu numbers in line %u of %s, using 3\n", n,
                     st.line, st.path.c_str());
    for (float x : v) normals.push_back(x);
}

// Which fields a corner has is decided by the flags at this moment: v, v/vt, v//vn or v/vt/vn.
// Every corner gets an index of each kind the flags name (a missing one becomes 0, reported),
// so the output stage always finds one; a corner without a usable vertex index is dropped, as
// relative indices are not supported.
void cObjLoader::parseFace(ParseState& st, const char*& p, const char* end) {
    const bool wantTexcoord = flags & kObjHasTexcoords;
    const bool wantNormal = flags & kObjHasNormals;
    const size_t limits[3] = {positions.size() / 4, texcoords.size() / 2, normals.size() / 3};
    const size_t first = corners.size();
    bool dropped = false, noTexcoord = false, noNormal = false;
    int badKind = -1;
    uint64_t badIndex = 0;

    // A 1-based index of `kind`, 0-based into `out`; out-of-range values are remembered.
    auto take = [&](int kind, const char* b, const char* e, int32_t& out) {
        uint64_t v;
        if (!obj_parse_index(b, e, v)) return false;
        if (v == 0 || v > limits[kind] || v > INT32_MAX) {
            if (badKind < 0) badKind = kind, badIndex = v;
            v = 1;
        }
        out = static_cast<int32_t>(v - 1);
        return true;
    };

    for (;;) {
        while (p < end && isBlank(*p)) ++p;
        if (p == end || *p == '\n' || *p == '#') break;
        // One pass over the corner's token, noting where the fields after the first two "/"
        // start; the texcoord field follows the first, the normal field the second.
        const char* field[3] = {p, nullptr, nullptr};
        int slashes = 0;
        for (; p < end && !isBlank(*p) && *p != '\n'; ++p)
            if (*p == '/' && slashes < 2) field[1 + slashes++] = p + 1;

        ObjCorner c{-1, -1, -1};
        if (!take(0, field[0], p, c.position)) {
            dropped = true;
            continue;
        }
        if (wantTexcoord && !(field[1] && take(1, field[1], p, c.texcoord))) {
            noTexcoord = true;
            c.texcoord = 0;
            if (limits[1] == 0 && badKind < 0) badKind = 1; // only if the flags outlived a file
        }
        if (wantNormal && !(field[2] && take(2, field[2], p, c.normal))) {
            noNormal = true;
            c.normal = 0;
            if (limits[2] == 0 && badKind < 0) badKind = 2;
        }
        corners.push_back(c);
    }
    if (badKind >= 0 || corners.size() - first > UINT32_MAX) {
        corners.resize(first);
        std::fprintf(log,
                     "## ERROR in %s line %u: face refers to %s %llu, but %zu were read "
                     "before it... face skipped!\n",
                     st.path.c_str(), st.line, kindName(std::max(badKind, 0)),
                     static_cast<unsigned long long>(badIndex), limits[std::max(badKind, 0)]);
        return;
    }
    if (dropped)
        std::fprintf(log,
                     "# warning, face in line %u of %s has corners without a usable vertex "
                     "index (relative or empty)... corners skipped!\n",
                     st.line, st.path.c_str());
    if (noTexcoord)
        std::fprintf(log,
                     "# warning, face in line %u of %s has corners without a texcoord index, "
                     "using the first texcoord\n",
                     st.line, st.path.c_str());
    if (noNormal)
        std::fprintf(log,
                     "# warning, face in line %u of %s has corners without a normal index, "
                     "using the first normal\n",
                     st.line, st.path.c_str());

    const uint32_t count = static_cast<uint32_t>(corners.size() - first);
    // Such a face ends the process once the model is built, with messages that cannot say
    // where it is; this line does.
    if (count < 3)
        std::fprintf(log, "## ERROR in %s line %u: face with %u corners, a face needs 3 or more\n",
                     st.path.c_str(), st.line, count);
    if (count > 3) flags |= kObjHasPolygons;
    faces.push_back(ObjFace{static_cast<uint32_t>(first), count, st.group, st.line});
}

// Every "g" line starts a new group number, named or not: names never merge groups.
void cObjLoader::parseGroup(ParseState& st, const char*&, const char*) {
    if (st.group < INT32_MAX) ++st.group;
}

void cObjLoader::parseMaterial(ParseState& st, const char*& p, const char* end) {
    const char *b, *e;
    if (!nextToken(p, end, b, e)) {
        std::fprintf(log, "# warning, usemtl without a name in line %u of %s... skipped!\n",
                     st.line, st.path.c_str());
        return;
    }
    st.materials.emplace(std::string(b, e), static_cast<int>(st.materials.size()));
    flags |= kObjHasMaterials;
}

// Faces read before the first "vt" or "vn" line have no index of that kind; give them the
// first entry, as the corners that lacked one on their own line got.
void cObjLoader::completeEarlyFaces(const ParseState& st) {
    const size_t early[2] = {flags & kObjHasTexcoords ? st.facesBeforeTexcoords : 0,
                             flags & kObjHasNormals ? st.facesBeforeNormals : 0};
    for (size_t f = 0; f < std::max(early[0], early[1]) && f < faces.size(); ++f) {
        bool missing[2] = {false, false};
        for (uint32_t k = 0; k < faces[f].count; ++k) {
            ObjCorner& c = corners[faces[f].first + k];
            if (f < early[0] && c.texcoord < 0) c.texcoord = 0, missing[0] = true;
            if (f < early[1] && c.normal < 0) c.normal = 0, missing[1] = true;
        }
        for (int kind = 0; kind < 2; ++kind)
            if (missing[kind])
                std::fprintf(log,
                             "# warning, face in line %u of %s comes before any %s, using the "
                             "first %s\n",
                             faces[f].line, st.path.c_str(), kindName(kind + 1),
                             kindName(kind + 1));
    }
}

bool is_obj_extension(const std::string& extension) {
    return extension == "obj" || extension == ".obj";
}
