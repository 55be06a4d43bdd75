// The module loader on real plug-ins in a temporary root: cache handling, load order, the
// copies actually loaded, and every failure it reports while the other plug-ins keep working.
#include "file_utils.h"
#include "module_loader.h"
#include "temp_dir.h"

#include <gtest/gtest.h>

#include <dlfcn.h>
#include <elf.h>
#include <unistd.h>

#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

namespace fs = std::filesystem;

namespace {

std::vector<std::string> lines(const std::string& text) {
    std::vector<std::string> out;
    size_t start = 0;
    for (size_t end; (end = text.find('\n', start)) != std::string::npos; start = end + 1)
        out.push_back(text.substr(start, end - start));
    if (start < text.size()) out.push_back(text.substr(start));
    return out;
}

bool startsWith(const std::string& text, const std::string& prefix) {
    return text.compare(0, prefix.size(), prefix) == 0;
}

std::vector<std::string> namesIn(const std::string& dir) {
    std::vector<std::string> names;
    for (const auto& entry : fs::directory_iterator(dir)) names.push_back(entry.path().filename());
    std::sort(names.begin(), names.end());
    return names;
}

void writeText(const std::string& path, const std::string& text) {
    std::ofstream(path) << text;
}

// Longer than an ELF header, so the system says what is wrong with it rather than its size.
const std::string kNotALibrary(200, 'x');

// A root laid out like the player's: bin/ with the plug-ins, bin/dll_cache/ for the copies.
class ModuleLoader : public testing::Test {
  protected:
    void SetUp() override {
        root = tempDir.path();
        bin = root + "/bin/";
        cache = bin + "dll_cache/";
        fs::create_directories(cache);
        startDir = get_current_dir();
    }
    void TearDown() override {
        set_current_dir(startDir); // the directory goes with the fixture; the copies stay
                                   // mapped, libraries are never unloaded
    }

    void addPlugin(const std::string& name) { fs::copy_file(TEST_PLUGIN_DIR + name, bin + name); }

    // Runs loadAll and returns what it wrote to the standard error.
    std::string load(cModuleLoader& loader) {
        testing::internal::CaptureStderr();
        loader.loadAll();
        return testing::internal::GetCapturedStderr();
    }

    TempDir tempDir{"module_loader"};
    std::string root, bin, cache, startDir;
};

} // namespace

TEST_F(ModuleLoader, LoadsCopiesInListingOrder) {
    addPlugin("renderTestColourB.so"); // made first: the order is the names', not the disk's
    addPlugin("renderTestColourA.so");
    cModuleLoader loader(bin, cache, "render*.so");
    EXPECT_EQ(load(loader), "");

    const auto& modules = loader.modules();
    ASSERT_EQ(modules.size(), 2u);
    EXPECT_EQ(modules[0].fileName, "renderTestColourA.so");
    EXPECT_EQ(modules[1].fileName, "renderTestColourB.so");
    const char* names[] = {"testA", "testB"};
    for (size_t i = 0; i < 2; ++i) {
        const ModuleRecord& m = modules[i];
        EXPECT_EQ(m.cachePath, cache + m.fileName);
        ASSERT_NE(m.scene, nullptr);
        EXPECT_STREQ(m.scene->name(), names[i]);
        EXPECT_NE(m.deleteScene, nullptr);
        // The code that runs is the cache's copy, not the file in bin/.
        Dl_info info{};
        ASSERT_NE(dladdr(reinterpret_cast<void*>(m.createScene), &info), 0);
        EXPECT_EQ(fs::canonical(info.dli_fname), fs::canonical(m.cachePath));
    }
    EXPECT_EQ(namesIn(cache),
              (std::vector<std::string>{"renderTestColourA.so", "renderTestColourB.so"}));
    EXPECT_TRUE(fs::exists(bin + "renderTestColourA.so"));
}

TEST_F(ModuleLoader, EmptiesTheCacheOfCopiesAndIgnoresOtherFiles) {
    addPlugin("renderTestColourA.so");
    fs::copy_file(TEST_PLUGIN_DIR + std::string("renderTestColourB.so"),
                  bin + "otherTestColourB.so");              // not render*
    writeText(bin + "renderNotes.txt", "not a plug-in");     // not *.so
    fs::create_directory(bin + "renderDirectory.so");        // not a file
    writeText(cache + "renderTestColourA.so", kNotALibrary); // stale, same name
    writeText(cache + "renderGone.so", kNotALibrary);        // stale, no original
    writeText(cache + "readme.txt", "kept");                 // not a copy

    cModuleLoader loader(bin, cache, "render*.so");
    EXPECT_EQ(load(loader), "");

    ASSERT_EQ(loader.modules().size(), 1u);
    EXPECT_EQ(loader.modules()[0].fileName, "renderTestColourA.so");
    ASSERT_NE(loader.modules()[0].scene, nullptr);
    EXPECT_EQ(namesIn(cache), (std::vector<std::string>{"readme.txt", "renderTestColourA.so"}));
}

TEST_F(ModuleLoader, ReportsWhenNothingMatches) {
    writeText(bin + "notes.so", kNotALibrary);
    ASSERT_EQ(chdir(root.c_str()), 0);
    cModuleLoader loader(absolute_path("bin/"), absolute_path("bin/dll_cache/"), "render*.so");
    const std::string cwd = get_current_dir();
    EXPECT_EQ(load(loader), "## WARNING: didn't find any dlls in \"" + cwd +
                                "/bin/render*.so\"\n# cwd: " + cwd + "\n");
    EXPECT_TRUE(loader.modules().empty());
}

// Configured from relative directories made absolute, as the host does: every path in the
// reports is absolute.
TEST_F(ModuleLoader, WithoutTheCacheEveryPluginFailsWithAbsolutePaths) {
    addPlugin("renderTestColourA.so");
    addPlugin("renderTestColourB.so");
    fs::remove(cache);
    ASSERT_EQ(chdir(root.c_str()), 0);
    cModuleLoader loader(absolute_path("bin/"), absolute_path("bin/dll_cache/"), "render*.so");
    const std::string cwd = get_current_dir();
    const std::vector<std::string> err = lines(load(loader));

    ASSERT_EQ(err.size(), 10u);
    for (int i = 0; i < 2; ++i) {
        const std::string copy = cwd + "/bin/dll_cache/renderTestColour" + "AB"[i] + ".so";
        const std::string* l = &err[size_t(i) * 5];
        EXPECT_EQ(l[0], "## ERROR: copy failed: No such file or directory");
        EXPECT_EQ(l[1], ""); // the system text carries its own line end
        EXPECT_EQ(l[2], "## ERROR: code module-load failed: \"" + copy + "\"");
        EXPECT_TRUE(startsWith(l[3], "##        " + copy + ": ")) << l[3];
        EXPECT_EQ(l[4], "##        cwd: \"" + cwd + "\"");
    }
    ASSERT_EQ(loader.modules().size(), 2u);
    for (const ModuleRecord& m : loader.modules()) {
        EXPECT_EQ(m.library, nullptr);
        EXPECT_EQ(m.scene, nullptr);
        EXPECT_EQ(m.cachePath, "");
    }
    EXPECT_FALSE(fs::exists(cache)); // the loader never makes it
}

TEST_F(ModuleLoader, BrokenPluginsAreReportedAndTheOthersWork) {
    addPlugin("renderTestColourA.so");
    writeText(bin + "renderTestJunk.so", kNotALibrary);
    addPlugin("renderTestNoCreate.so");
    addPlugin("renderTestNoDelete.so");
    addPlugin("renderTestNullScene.so");
    addPlugin("renderTestColourB.so");
    cModuleLoader loader(bin, cache, "render*.so");
    const std::vector<std::string> err = lines(load(loader));

    const auto& m = loader.modules();
    ASSERT_EQ(m.size(), 6u);
    // Byte order: renderTestColourA, ...B, Junk, NoCreate, NoDelete, NullScene.
    EXPECT_STREQ(m[0].scene->name(), "testA");
    EXPECT_STREQ(m[1].scene->name(), "testB");

    EXPECT_EQ(m[2].fileName, "renderTestJunk.so");
    EXPECT_EQ(m[2].library, nullptr);
    EXPECT_EQ(m[2].scene, nullptr);

    EXPECT_EQ(m[3].fileName, "renderTestNoCreate.so");
    EXPECT_NE(m[3].library, nullptr);
    EXPECT_EQ(m[3].createScene, nullptr);
    EXPECT_NE(m[3].deleteScene, nullptr);
    EXPECT_EQ(m[3].scene, nullptr);

    // DeleteScene is never called, so a plug-in without it still gives its scene.
    EXPECT_EQ(m[4].fileName, "renderTestNoDelete.so");
    EXPECT_EQ(m[4].deleteScene, nullptr);
    ASSERT_NE(m[4].scene, nullptr);
    EXPECT_STREQ(m[4].scene->name(), "testNoDelete");

    EXPECT_EQ(m[5].fileName, "renderTestNullScene.so");
    EXPECT_NE(m[5].createScene, nullptr);
    EXPECT_EQ(m[5].scene, nullptr);

    const std::string cwd = get_current_dir();
    ASSERT_EQ(err.size(), 8u) << testing::PrintToString(err);
    EXPECT_EQ(err[0], "## ERROR: code module-load failed: \"" + cache + "renderTestJunk.so\"");
    EXPECT_TRUE(startsWith(err[1], "##        " + cache + "renderTestJunk.so: ")) << err[1];
    EXPECT_EQ(err[2], "##        cwd: \"" + cwd + "\"");
    EXPECT_EQ(err[3], "## ERROR: code module-bind failed: \"CreateScene\" in \"" + cache +
                          "renderTestNoCreate.so\"");
    EXPECT_TRUE(startsWith(err[4], "##        ")) << err[4];
    EXPECT_NE(err[4].find("CreateScene"), std::string::npos) << err[4];
    EXPECT_EQ(err[5], "## ERROR: code module-bind failed: \"DeleteScene\" in \"" + cache +
                          "renderTestNoDelete.so\"");
    EXPECT_NE(err[6].find("DeleteScene"), std::string::npos) << err[6];
    EXPECT_EQ(err[7], "## ERROR: code module \"" + cache +
                          "renderTestNullScene.so\": CreateScene returned no scene");
}

// ---- plug-ins that are not whole ------------------------------------------------------------

namespace {

std::string readBytes(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    return std::string((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
}

void writeBytes(const std::string& path, const std::string& bytes) {
    std::ofstream(path, std::ios::binary) << bytes;
}

template <typename T> void poke(std::string& bytes, size_t offset, T value) {
    std::memcpy(&bytes[offset], &value, sizeof value);
}

} // namespace

// A plug-in cut short maps pages past the end of its file: touching them raises SIGBUS inside
// dlopen, which would end this test binary. Every cut must instead be a reported failed load.
TEST_F(ModuleLoader, PluginsCutShortAreReportedNotLoaded) {
    const std::string whole = readBytes(TEST_PLUGIN_DIR + std::string("renderTestColourA.so"));
    ASSERT_GT(whole.size(), 8192u);

    // Where a cut lands decides which check sees it: inside the program headers, inside a
    // segment, or between the last segment and the section headers.
    std::vector<size_t> cuts = {sizeof(Elf64_Ehdr), 4096, 8192, whole.size() / 2,
                                whole.size() - 1,   30000};
    for (size_t cut = 512; cut < whole.size(); cut += 512) cuts.push_back(cut);

    size_t tried = 0;
    for (size_t cut : cuts) {
        if (cut >= whole.size()) continue; // 30000 is past the end of a small plug-in
        ++tried;
        SCOPED_TRACE("cut at " + std::to_string(cut));
        fs::remove_all(bin);
        fs::create_directories(cache);
        writeBytes(bin + "renderCut.so", whole.substr(0, cut));
        cModuleLoader loader(bin, cache, "render*.so");
        const std::vector<std::string> err = lines(load(loader));

        ASSERT_EQ(err.size(), 3u) << testing::PrintToString(err);
        EXPECT_EQ(err[0], "## ERROR: code module-load failed: \"" + cache + "renderCut.so\"");
        EXPECT_TRUE(startsWith(err[1], "##        " + cache +
                                           "renderCut.so: file is cut short at " +
                                           std::to_string(cut) + " bytes where its "))
            << err[1];
        EXPECT_EQ(err[2], "##        cwd: \"" + get_current_dir() + "\"");
        ASSERT_EQ(loader.modules().size(), 1u);
        EXPECT_EQ(loader.modules()[0].library, nullptr);
        EXPECT_EQ(loader.modules()[0].scene, nullptr);
    }
    EXPECT_GE(tried, 30u);
}

// Headers that lie about where things are: each is named, none reaches dlopen, and a whole
// plug-in loaded alongside still works.
TEST_F(ModuleLoader, ImpossibleElfHeadersAreReported) {
    const std::string whole = readBytes(TEST_PLUGIN_DIR + std::string("renderTestColourA.so"));
    struct Case {
        const char* name;
        std::string bytes;
        const char* problem;
    };
    std::vector<Case> cases;
    auto patched = [&](auto edit) {
        std::string bytes = whole;
        edit(bytes);
        return bytes;
    };
    cases.push_back({"renderAbsurdPhnum.so", patched([](std::string& b) {
                         poke<uint16_t>(b, offsetof(Elf64_Ehdr, e_phnum), 0xffff);
                     }),
                     "file is cut short at "});
    cases.push_back({"renderPhoffOverflow.so", patched([](std::string& b) {
                         poke<uint64_t>(b, offsetof(Elf64_Ehdr, e_phoff), ~uint64_t(0) - 8);
                     }),
                     "file is cut short at "});
    cases.push_back({"renderNoPhdrs.so", patched([](std::string& b) {
                         poke<uint16_t>(b, offsetof(Elf64_Ehdr, e_phnum), 0);
                     }),
                     "has no program headers"});
    cases.push_back({"renderPhentsize.so", patched([](std::string& b) {
                         poke<uint16_t>(b, offsetof(Elf64_Ehdr, e_phentsize), 8);
                     }),
                     "has program headers of 8 bytes"});
    cases.push_back({"renderShoff.so", patched([](std::string& b) {
                         poke<uint64_t>(b, offsetof(Elf64_Ehdr, e_shoff), b.size());
                     }),
                     "file is cut short at "});
    cases.push_back({"renderSegment.so", patched([](std::string& b) {
                         // The first program header's segment, moved past the end.
                         const size_t phoff = sizeof(Elf64_Ehdr);
                         poke<uint64_t>(b, phoff + offsetof(Elf64_Phdr, p_offset), b.size());
                     }),
                     "file is cut short at "});
    cases.push_back({"renderClass32.so", patched([](std::string& b) { b[EI_CLASS] = ELFCLASS32; }),
                     "is a 32-bit ELF file"});
    cases.push_back({"renderBigEndian.so",
                     patched([](std::string& b) { b[EI_DATA] = ELFDATA2MSB; }),
                     "has the wrong byte order"});
    cases.push_back({"renderMachine.so", patched([](std::string& b) {
                         poke<uint16_t>(b, offsetof(Elf64_Ehdr, e_machine), EM_SPARCV9);
                     }),
                     "is built for ELF machine 43"});
    cases.push_back({"renderExecutable.so", patched([](std::string& b) {
                         poke<uint16_t>(b, offsetof(Elf64_Ehdr, e_type), ET_EXEC);
                     }),
                     "is not a shared library"});
    cases.push_back({"renderTiny.so", whole.substr(0, 3), "not an ELF file: only 3 bytes"});
    cases.push_back({"renderHeaderCut.so", whole.substr(0, 40), "file is cut short at 40 bytes"});
    cases.push_back(
        {"renderText.so", "GROUP ( libc.so )\n", "not an ELF file: it starts with 0x47 0x52"});

    for (const Case& c : cases) writeBytes(bin + c.name, c.bytes);
    addPlugin("renderTestColourB.so");
    cModuleLoader loader(bin, cache, "render*.so");
    const std::vector<std::string> err = lines(load(loader));

    const auto& m = loader.modules();
    ASSERT_EQ(m.size(), cases.size() + 1);
    ASSERT_EQ(err.size(), cases.size() * 3) << testing::PrintToString(err);
    for (const Case& c : cases) {
        auto record = std::find_if(m.begin(), m.end(),
                                   [&](const ModuleRecord& r) { return r.fileName == c.name; });
        ASSERT_NE(record, m.end()) << c.name;
        EXPECT_EQ(record->library, nullptr) << c.name;
        const std::string head = "## ERROR: code module-load failed: \"" + cache + c.name + "\"";
        auto at = std::find(err.begin(), err.end(), head);
        ASSERT_NE(at, err.end()) << c.name;
        EXPECT_TRUE(startsWith(at[1], "##        " + cache + c.name + ": " + c.problem)) << at[1];
    }
    auto good = std::find_if(m.begin(), m.end(), [](const ModuleRecord& r) { return r.scene; });
    ASSERT_NE(good, m.end());
    EXPECT_STREQ(good->scene->name(), "testB");
}
