// module_loader.cpp - see module_loader.h.
#include "module_loader.h"

#include "file_utils.h"

#include <dlfcn.h>
#include <elf.h>
#include <fcntl.h>
#include <link.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cstdint>
#include <cstdio>
#include <cstring>
#include <string>
#include <utility>
#include <vector>

namespace {

// The cache only ever holds plug-in copies, whatever their pattern.
constexpr const char* kCachePattern = "*.so";

// ---- log lines: every text the loader writes ------------------------------------------------

void reportNoPlugins(const std::string& searchPattern) {
    std::fprintf(stderr, "## WARNING: didn't find any dlls in \"%s\"\n", searchPattern.c_str());
    std::fprintf(stderr, "# cwd: %s\n", get_current_dir().c_str());
}

// `reason` is dlerror()'s text, or null when the system gave none.
void reportLoadFailed(const std::string& cachePath, const char* reason) {
    std::fprintf(stderr, "## ERROR: code module-load failed: \"%s\"\n", cachePath.c_str());
    if (reason && *reason) std::fprintf(stderr, "##        %s\n", reason);
    std::fprintf(stderr, "##        cwd: \"%s\"\n", get_current_dir().c_str());
}

void reportBindFailed(const std::string& cachePath, const char* entryPoint, const char* reason) {
    std::fprintf(stderr, "## ERROR: code module-bind failed: \"%s\" in \"%s\"\n", entryPoint,
                 cachePath.c_str());
    if (reason && *reason) std::fprintf(stderr, "##        %s\n", reason);
}

void reportNoScene(const std::string& cachePath) {
    std::fprintf(stderr, "## ERROR: code module \"%s\": CreateScene returned no scene\n",
                 cachePath.c_str());
}

// ---- is the file whole? ---------------------------------------------------------------------

// dlopen maps a library's segments straight from the file: a segment that runs past the end
// of a file cut short (a copy or a build interrupted half-way) is mapped all the same, and the
// first touch of such a page raises SIGBUS inside dlopen, killing the player before any line
// names the file. So the file's structure is checked against its size first.

constexpr unsigned char kNativeClass = __ELF_NATIVE_CLASS == 64 ? ELFCLASS64 : ELFCLASS32;
constexpr unsigned char kNativeData =
    __BYTE_ORDER__ == __ORDER_LITTLE_ENDIAN__ ? ELFDATA2LSB : ELFDATA2MSB;

// The machine this player is built for; 0 leaves that check to dlopen.
#if defined(__x86_64__)
constexpr unsigned kNativeMachine = EM_X86_64;
#elif defined(__aarch64__)
constexpr unsigned kNativeMachine = EM_AARCH64;
#elif defined(__i386__)
constexpr unsigned kNativeMachine = EM_386;
#else
constexpr unsigned kNativeMachine = 0;
#endif

// offset + count * entry, saturated: a header may announce any values.
uint64_t extentEnd(uint64_t offset, uint64_t count, uint64_t entry) {
    const uint64_t bytes = count * entry; // a 16-bit count times a 16-bit size, or 1 times a size
    return offset > UINT64_MAX - bytes ? UINT64_MAX : offset + bytes;
}

// `needs` is what needs the bytes and its verb, e.g. "segments need".
std::string cutShort(uint64_t size, uint64_t need, const char* needs) {
    return "file is cut short at " + std::to_string(size) + " bytes where its " + needs + " " +
           (need == UINT64_MAX ? std::string("more") : std::to_string(need));
}

std::string bitsOfClass(unsigned char elfClass) {
    return elfClass == ELFCLASS64 ? "64-bit" : "32-bit";
}

// What makes the header of a file of `size` bytes no shared library for this machine, or
// empty. Only the first min(size, header size) bytes of `h` are the file's; the rest is zero.
std::string headerProblem(const ElfW(Ehdr) & h, uint64_t size) {
    if (size < SELFMAG) return "not an ELF file: only " + std::to_string(size) + " bytes";
    if (std::memcmp(h.e_ident, ELFMAG, SELFMAG) != 0) {
        char text[64];
        std::snprintf(text, sizeof text,
                      "not an ELF file: it starts with 0x%02x 0x%02x 0x%02x 0x%02x", h.e_ident[0],
                      h.e_ident[1], h.e_ident[2], h.e_ident[3]);
        return text;
    }
    // Class and byte order come first: the header's size depends on them.
    if (size < EI_NIDENT) return cutShort(size, sizeof h, "ELF header needs");
    const unsigned char elfClass = h.e_ident[EI_CLASS];
    if (elfClass != ELFCLASS32 && elfClass != ELFCLASS64)
        return "has an unknown ELF class " + std::to_string(elfClass);
    if (elfClass != kNativeClass)
        return "is a " + bitsOfClass(elfClass) + " ELF file, this player is " +
               bitsOfClass(kNativeClass);
    if (h.e_ident[EI_DATA] != kNativeData) return "has the wrong byte order for this machine";
    if (size < sizeof h) return cutShort(size, sizeof h, "ELF header needs");
    if (kNativeMachine != 0 && h.e_machine != kNativeMachine)
        return "is built for ELF machine " + std::to_string(h.e_machine) +
               ", this player runs on " + std::to_string(kNativeMachine);
    if (h.e_type != ET_DYN)
        return "is not a shared library (ELF type " + std::to_string(h.e_type) + ")";
    if (h.e_phnum == 0) return "has no program headers";
    if (h.e_phentsize != sizeof(ElfW(Phdr)))
        return "has program headers of " + std::to_string(h.e_phentsize) + " bytes, " +
               std::to_string(sizeof(ElfW(Phdr))) + " expected";
    const uint64_t tableEnd = extentEnd(h.e_phoff, h.e_phnum, h.e_phentsize);
    if (tableEnd > size) return cutShort(size, tableEnd, "program header table needs");
    return std::string();
}

// What lies past the end of a file of `size` bytes whose header passed headerProblem, or
// empty: every segment's bytes in the file, and the section header table when there is one.
std::string extentProblem(const ElfW(Ehdr) & h, const std::vector<ElfW(Phdr)>& segments,
                          uint64_t size) {
    uint64_t segmentsEnd = 0;
    for (const ElfW(Phdr) & segment : segments) {
        const uint64_t end = extentEnd(segment.p_offset, 1, segment.p_filesz);
        if (end > segmentsEnd) segmentsEnd = end;
    }
    if (segmentsEnd > size) return cutShort(size, segmentsEnd, "segments need");

    // With no sections e_shoff is 0. A count too large for e_shnum leaves 0 there and the
    // real count in section 0, so at least that one section must be in the file.
    if (h.e_shoff == 0) return std::string();
    const uint64_t tableEnd = extentEnd(h.e_shoff, h.e_shnum ? h.e_shnum : 1, h.e_shentsize);
    if (tableEnd > size) return cutShort(size, tableEnd, "section header table needs");
    return std::string();
}

// Why the file at `path` is no whole shared library for this machine, or empty when it looks
// whole. A file that cannot be opened or read is left to dlopen, whose text says why.
std::string elfProblem(const std::string& path) {
    const int fd = open(path.c_str(), O_RDONLY | O_CLOEXEC);
    if (fd < 0) return std::string();
    std::string problem;
    struct stat st {};
    ElfW(Ehdr) header{};
    if (fstat(fd, &st) == 0 && pread(fd, &header, sizeof header, 0) >= 0) {
        const uint64_t size = static_cast<uint64_t>(st.st_size);
        problem = headerProblem(header, size);
        if (problem.empty()) {
            std::vector<ElfW(Phdr)> segments(header.e_phnum);
            const size_t bytes = segments.size() * sizeof(ElfW(Phdr));
            // A short read means the file changed since fstat; dlopen then has the last word.
            if (pread(fd, segments.data(), bytes, static_cast<off_t>(header.e_phoff)) ==
                static_cast<ssize_t>(bytes))
                problem = extentProblem(header, segments, size);
        }
    }
    close(fd);
    return problem;
}

// ---- binding --------------------------------------------------------------------------------

// The exported symbol, or null with the system's reason reported. dlerror is cleared first
// so that its text belongs to this lookup.
void* bindEntryPoint(void* library, const std::string& cachePath, const char* name) {
    dlerror();
    void* address = dlsym(library, name);
    if (!address) reportBindFailed(cachePath, name, dlerror());
    return address;
}

} // namespace

cModuleLoader::cModuleLoader(std::string pluginDir, std::string cacheDir, std::string pattern)
    : pluginDir_(std::move(pluginDir)), cacheDir_(std::move(cacheDir)),
      pattern_(std::move(pattern)) {}

void cModuleLoader::loadAll() {
    emptyCache();

    const std::string searchPattern = pluginDir_ + pattern_;
    std::vector<std::string> names;
    find_files(searchPattern, names);
    if (names.empty()) {
        reportNoPlugins(searchPattern);
        return;
    }
    modules_.reserve(modules_.size() + names.size());
    for (const std::string& name : names) modules_.push_back(loadModule(name));
}

// A stale copy that cannot be deleted is reported by file_delete; loading goes on and may
// then pick up that copy, as designed.
void cModuleLoader::emptyCache() {
    std::vector<std::string> stale;
    find_files(cacheDir_ + kCachePattern, stale);
    for (const std::string& name : stale) file_delete(cacheDir_ + name);
}

ModuleRecord cModuleLoader::loadModule(const std::string& fileName) {
    ModuleRecord record;
    record.fileName = fileName;

    // A failed copy is reported by file_copy; the load below then fails on the missing file.
    const std::string source = pluginDir_ + fileName;
    file_copy(source, cacheDir_ + file_name(source), true);

    const std::string cachePath = cacheDir_ + fileName;
    const std::string problem = elfProblem(cachePath);
    if (!problem.empty()) {
        // Reported like the system's own reasons: the path, a colon and what is wrong.
        reportLoadFailed(cachePath, (cachePath + ": " + problem).c_str());
        return record;
    }
    dlerror();
    void* library = dlopen(cachePath.c_str(), RTLD_NOW | RTLD_LOCAL);
    if (!library) {
        reportLoadFailed(cachePath, dlerror());
        return record;
    }
    record.library = library;
    record.cachePath = cachePath;

    // An entry point that could not be bound is never called. DeleteScene is only bound (the
    // host never deletes a scene), so its absence costs the plug-in nothing but the report.
    record.deleteScene =
        reinterpret_cast<DeleteSceneFn>(bindEntryPoint(library, cachePath, "DeleteScene"));
    record.createScene =
        reinterpret_cast<CreateSceneFn>(bindEntryPoint(library, cachePath, "CreateScene"));
    if (!record.createScene) return record;

    record.scene = record.createScene();
    if (!record.scene) reportNoScene(cachePath);
    return record;
}
