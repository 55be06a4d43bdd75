// The OBJ loader: statements and their messages, face forms, triangulation order, smooth
// normals, the merged output arrays with their group ranges, and the inputs that end the
// process. Files are written to a temporary directory per test binary.
#include "obj_loader.h"
#include "obj_numbers.h"
#include "temp_dir.h"

#include <gtest/gtest.h>

#include <cmath>
#include <cstdlib>
#include <cstring>
#include <fstream>
#include <random>
#include <string>
#include <unistd.h>

namespace {

// One directory for the binary, removed at exit.
std::string tempDir() {
    static const TempDir dir("test_obj_loader");
    return dir.path();
}

std::string writeFile(const std::string& name, const std::string& text) {
    const std::string path = tempDir() + "/" + name;
    std::ofstream(path, std::ios::binary) << text;
    return path;
}

// Parses `text` from memory, capturing the log stream.
struct Parsed {
    cObjLoader loader;
    std::string log;
    explicit Parsed(const std::string& text, const std::string& name = "t.obj") {
        testing::internal::CaptureStderr();
        loader.parse(text.data(), text.size(), name);
        log = testing::internal::GetCapturedStderr();
    }
};

struct Arrays {
    uint8_t flags = 0;
    std::vector<float> positions, normals, texcoords;
    std::vector<uint32_t> indices;
    std::vector<GroupRange> ranges;
    std::string log;
};

// The model pipeline on text: parse, triangulate, build.
Arrays build(const std::string& text) {
    Arrays a;
    cObjLoader loader;
    testing::internal::CaptureStderr();
    loader.parse(text.data(), text.size(), "t.obj");
    loader.triangulate();
    loader.build_model_arrays(a.flags, a.positions, a.normals, a.texcoords, a.indices, a.ranges);
    a.log = testing::internal::GetCapturedStderr();
    return a;
}

using Ints = std::vector<int32_t>;
using Ranges = std::vector<GroupRange>;

const char* kSquare = "v 0 0 0\nv 1 0 0\nv 1 1 0\nv 0 1 0\n";

} // namespace

// ---- statements -----------------------------------------------------------------------------

TEST(ObjParse, VerticesGetWOneUnlessGivenAndTexcoordsKeepTwoNumbers) {
    Parsed p("v 1 2 3\nv 4 5 6 0.5\nvt 0.1 0.2 0.3\nvt 0.4 0.5\nvn 0 0 1\n");
    EXPECT_EQ(p.loader.positions, (std::vector<float>{1, 2, 3, 1, 4, 5, 6, 0.5f}));
    EXPECT_EQ(p.loader.texcoords, (std::vector<float>{0.1f, 0.2f, 0.4f, 0.5f}));
    EXPECT_EQ(p.loader.normals, (std::vector<float>{0, 0, 1}));
    EXPECT_EQ(p.loader.flags, kObjHasTexcoords | kObjHasNormals);
    EXPECT_EQ(p.log, "");
}

TEST(ObjParse, OddNumberCountsKeepTheNumberingAndAreReported) {
    // Faces refer to vertices by their place, so a short or long line must still be one vertex.
    Parsed p("v 1 2\nv 1 2 3 4 5 6\nvt 0.5\nvn 1 0\n", "odd.obj");
    EXPECT_EQ(p.loader.positions, (std::vector<float>{1, 2, 0, 1, 1, 2, 3, 4}));
    EXPECT_EQ(p.loader.texcoords, (std::vector<float>{0.5f, 0}));
    EXPECT_EQ(p.loader.normals, (std::vector<float>{1, 0, 0}));
    EXPECT_NE(p.log.find("vertex of 2 numbers in line 1 of odd.obj"), std::string::npos) << p.log;
    EXPECT_NE(p.log.find("vertex of 6 numbers in line 2 of odd.obj"), std::string::npos);
    EXPECT_NE(p.log.find("texcoord of 1 numbers in line 3 of odd.obj"), std::string::npos);
    EXPECT_NE(p.log.find("normal of 2 numbers in line 4 of odd.obj"), std::string::npos);
}

TEST(ObjParse, NonFiniteNumbersReadAsZeroAndAreReportedOncePerLine) {
    // One NaN would spread into the smooth normals of every vertex it shares a face with.
    Parsed p("v nan inf -inf\nv 1 0 0\nv 0 1e39 0\nvt NAN 0.5\nvn 0 -Infinity 1\n", "bad.obj");
    EXPECT_EQ(p.loader.positions, (std::vector<float>{0, 0, 0, 1, 1, 0, 0, 1, 0, 0, 0, 1}))
        << "every line stays one vertex";
    EXPECT_EQ(p.loader.texcoords, (std::vector<float>{0, 0.5f}));
    EXPECT_EQ(p.loader.normals, (std::vector<float>{0, 0, 1}));
    EXPECT_EQ(p.log, "# warning, number \"nan\" in line 1 of bad.obj is not finite, read as 0 "
                     "(and 2 more on the line)\n"
                     "# warning, number \"1e39\" in line 3 of bad.obj is not finite, read as 0\n"
                     "# warning, number \"NAN\" in line 4 of bad.obj is not finite, read as 0\n"
                     "# warning, number \"-Infinity\" in line 5 of bad.obj is not finite, read "
                     "as 0\n");

    const Arrays a = build("v nan 0 0\nv 1 0 0\nv 0 1 0\nv 1 1 inf\nf 1 2 3\nf 2 4 3\n");
    for (float x : a.normals) EXPECT_TRUE(std::isfinite(x));
    float bounds[6];
    compute_bounds(a.positions, bounds);
    EXPECT_EQ(std::vector<float>(bounds, bounds + 6), (std::vector<float>{0, 0, 0, 1, 1, 0}));
}

TEST(ObjParse, FloatsMatchStrtodBitForBit) {
    // The fast path must round exactly as (float)strtod does, on every form a file may use;
    // a token that is no number reads as 0.
    std::mt19937_64 rng(7);
    char text[64];
    for (int i = 0; i < 200000; ++i) {
        const double magnitude = std::pow(10.0, static_cast<int>(rng() % 16) - 8);
        const double value = (static_cast<double>(rng() % 2000001) - 1000000.0) * magnitude;
        const char* formats[] = {"%.6f", "%.9g", "%.17g", "%e", "%.3E", "%.0f", "%.20f"};
        std::snprintf(text, sizeof text, formats[i % 7], value);
        const float expected = static_cast<float>(std::strtod(text, nullptr));
        const float got = obj_parse_float(text, text + std::strlen(text));
        ASSERT_EQ(std::memcmp(&expected, &got, sizeof got), 0) << text;
    }
    for (const char* t :
         {"abc", "1.5xyz", "0x10", "-0", "1e", "1e400", "-1e-400", "inf", "-nan", ".5", "5.",
          "+.25e+2", "-", ".", "12345678901234567890123", "0.000000000000000000000000001"}) {
        const float expected = static_cast<float>(std::strtod(t, nullptr));
        const float got = obj_parse_float(t, t + std::strlen(t));
        if (std::isnan(expected)) {
            EXPECT_TRUE(std::isnan(got)) << t;
        } else {
            EXPECT_EQ(std::memcmp(&expected, &got, sizeof got), 0) << t;
        }
    }
}

TEST(ObjParse, SkippedAndReportedStatementsWithLineNumbers) {
    Parsed p("# comment\n"
             "mtllib x.mtl\n"
             "o cube\n"
             "s 1\n"
             "\n"
             "   \t \r\n"
             "vp 0.5\n"
             "p 1\n"
             "l 1 2\n"
             "curv 0 1 1 2\n"
             "curv2 1 2\n"
             "surf 0 1 0 1 1\n"
             "#inline-comment\n"
             "V 1 2 3\n");
    EXPECT_EQ(p.log, "# warning, unknown token: \"o\" in line 3... skipped!\n"
                     "# warning, \"vp\" in line 7 not supported... skipped!\n"
                     "TOK_P\n"
                     "TOK_L\n"
                     "# warning, unknown token: \"V\" in line 14... skipped!\n");
    EXPECT_TRUE(p.loader.positions.empty());
}

TEST(ObjParse, CrLfLinesAndTrailingCommentsReadLikePlainOnes) {
    Parsed p("v 1 2 3 # a comment\r\nv 4 5 6\r\nv 7 8 9\r\nf 1 2 3 # comment\r\n");
    EXPECT_EQ(p.loader.positions, (std::vector<float>{1, 2, 3, 1, 4, 5, 6, 1, 7, 8, 9, 1}));
    ASSERT_EQ(p.loader.faces.size(), 1u);
    EXPECT_EQ(p.loader.face_indices(0, 0), (Ints{0, 1, 2}));
    EXPECT_EQ(p.log, "");
}

TEST(ObjParse, LongLinesDoNotEndTheFile) {
    // A 200-character comment, and a face whose line is far longer than any buffer.
    std::string text = "# " + std::string(198, 'x') + "\n" + kSquare + "f";
    for (int i = 0; i < 60; ++i) text += " 1 2 3 4";
    text += "\nv 5 5 5\n";
    Parsed p(text);
    EXPECT_EQ(p.loader.positions.size(), 5u * 4);
    ASSERT_EQ(p.loader.faces.size(), 1u);
    EXPECT_EQ(p.loader.faces[0].count, 240u);
    EXPECT_EQ(p.log, "");
}

TEST(ObjParse, GroupsCountEveryGLineAndMaterialsSetTheFlag) {
    Parsed p(std::string(kSquare) + "f 1 2 3\ng a\nf 1 2 3\ng b\ng a\nf 1 2 3\ng\nf 1 3 4\n"
                                    "usemtl\nusemtl red\nf 1 2 3\n");
    ASSERT_EQ(p.loader.faces.size(), 5u);
    EXPECT_EQ(p.loader.faces[0].group, -1);
    EXPECT_EQ(p.loader.faces[1].group, 0);
    EXPECT_EQ(p.loader.faces[2].group, 2) << "a repeated name is a new group";
    EXPECT_EQ(p.loader.faces[3].group, 3) << "a g line without a name is a new group too";
    EXPECT_EQ(p.loader.faces[4].group, 3);
    EXPECT_EQ(p.loader.flags, kObjHasMaterials);
    EXPECT_EQ(p.log, "# warning, usemtl without a name in line 13 of t.obj... skipped!\n");
}

// ---- faces ----------------------------------------------------------------------------------

TEST(ObjFaces, FieldsReadAreThoseTheFlagsAskForAtThatPoint) {
    Parsed p("v 0 0 0\nv 1 0 0\nv 1 1 0\n"
             "f 1/2/3 2/2/2 3/3/3\n" // no vt, no vn yet: positions only
             "vn 0 0 1\nvn 0 1 0\n"
             "f 3//2 2//1 1//1\n"    // normals only
             "f 1/9/2 2/8/1 3/7/1\n" // normals only: the texcoord field is not read
             "vt 0 0\nvt 1 0\n"
             "f 1/2/1 2/1/2 3/2/2\n"); // both
    ASSERT_EQ(p.loader.faces.size(), 4u);
    EXPECT_EQ(p.loader.face_indices(1, 0), (Ints{2, 1, 0}));
    EXPECT_EQ(p.loader.face_indices(1, 2), (Ints{1, 0, 0}));
    EXPECT_EQ(p.loader.face_indices(1, 1), (Ints{0, 0, 0})) << "texcoords came later in the file";
    EXPECT_EQ(p.loader.face_indices(2, 2), (Ints{1, 0, 0}));
    EXPECT_EQ(p.loader.face_indices(3, 1), (Ints{1, 0, 1}));
    EXPECT_EQ(p.loader.face_indices(3, 2), (Ints{0, 1, 1}));
    // Faces from before the first vt / vn line get the first entry, and say so.
    EXPECT_EQ(p.loader.face_indices(0, 1), (Ints{0, 0, 0}));
    EXPECT_EQ(p.loader.face_indices(0, 2), (Ints{0, 0, 0}));
    EXPECT_NE(p.log.find("face in line 4 of t.obj comes before any normal"), std::string::npos)
        << p.log;
    EXPECT_NE(p.log.find("face in line 4 of t.obj comes before any texcoord"), std::string::npos);
    EXPECT_NE(p.log.find("face in line 8 of t.obj comes before any texcoord"), std::string::npos);
    EXPECT_EQ(p.log.find("face in line 11"), std::string::npos);
}

TEST(ObjFaces, MissingSeparatorsOrFieldsUseTheFirstEntryWithAWarning) {
    Parsed p("v 0 0 0\nv 1 0 0\nv 1 1 0\nvt 0 0\nvt 1 1\nvn 0 0 1\n"
             "f 1 2 3\n"              // no "/" at all after vt and vn lines
             "f 1/2 2/2 3/2\n"        // v/vt after vn lines: no normal field
             "f 1//1 2/x/1 3/2/1\n"); // an empty and a non-numeric texcoord field
    ASSERT_EQ(p.loader.faces.size(), 3u);
    for (size_t f = 0; f < 3; ++f) EXPECT_EQ(p.loader.face_indices(f, 0), (Ints{0, 1, 2}));
    EXPECT_EQ(p.loader.face_indices(0, 1), (Ints{0, 0, 0}));
    EXPECT_EQ(p.loader.face_indices(1, 1), (Ints{1, 1, 1}));
    EXPECT_EQ(p.loader.face_indices(1, 2), (Ints{0, 0, 0}));
    EXPECT_EQ(p.loader.face_indices(2, 1), (Ints{0, 0, 1}));
    EXPECT_NE(p.log.find("face in line 7 of t.obj has corners without a texcoord index"),
              std::string::npos)
        << p.log;
    EXPECT_NE(p.log.find("face in line 8 of t.obj has corners without a normal index"),
              std::string::npos);
    EXPECT_NE(p.log.find("face in line 9 of t.obj has corners without a texcoord index"),
              std::string::npos);
}

TEST(ObjFaces, IndicesBeyondTheListsRejectTheFaceNamingFileAndLine) {
    Parsed p("v 0 0 0\nv 1 0 0\nv 1 1 0\n"
             "f 1 2 4\n" // vertex 4 comes later
             "v 0 1 0\n"
             "f 1 2 4\n" // now it exists
             "f 0 1 2\n" // OBJ counts from 1
             "f 1 2 99999999999999999999999\n"
             "vt 0 0\nf 1/1 2/2 3/1\n"
             "vn 0 0 1\nf 1/1/1 2/1/1 3/1/2\n",
             "far.obj");
    ASSERT_EQ(p.loader.faces.size(), 1u);
    EXPECT_EQ(p.loader.faces[0].line, 6u);
    EXPECT_EQ(p.log, "## ERROR in far.obj line 4: face refers to vertex 4, but 3 were read before "
                     "it... face skipped!\n"
                     "## ERROR in far.obj line 7: face refers to vertex 0, but 4 were read before "
                     "it... face skipped!\n"
                     "## ERROR in far.obj line 8: face refers to vertex 18446744073709551615, but "
                     "4 were read before it... face skipped!\n"
                     "## ERROR in far.obj line 10: face refers to texcoord 2, but 1 were read "
                     "before it... face skipped!\n"
                     "## ERROR in far.obj line 12: face refers to normal 2, but 1 were read "
                     "before it... face skipped!\n"
                     "# warning, face in line 6 of far.obj comes before any texcoord, using the "
                     "first texcoord\n"
                     "# warning, face in line 6 of far.obj comes before any normal, using the "
                     "first normal\n");
    EXPECT_TRUE(p.loader.corners.size() == 3) << "a rejected face leaves no corners behind";
}

TEST(ObjFaces, RelativeIndicesAreSkippedAndPolygonsFlagged) {
    Parsed p(std::string(kSquare) + "f -1 -2 -3\nf 1 2 -1 3\nf 1 2 3 4\n");
    ASSERT_EQ(p.loader.faces.size(), 3u);
    EXPECT_EQ(p.loader.faces[0].count, 0u) << "no position indices at all";
    EXPECT_EQ(p.loader.face_indices(1, 0), (Ints{0, 1, 2}));
    EXPECT_EQ(p.loader.flags & kObjHasPolygons, kObjHasPolygons);
    EXPECT_NE(p.log.find("face in line 5 of t.obj has corners without a usable vertex index"),
              std::string::npos)
        << p.log;
}

// The messages of the stages that end the process do not name the file, so the face is
// reported where it is read.
TEST(ObjFaces, FacesOfFewerThanThreeCornersAreReportedWithFileAndLine) {
    Parsed p(std::string(kSquare) + "f 1 2 3\nf 1 2\nf\nf 1 -2 -3\n", "cut.obj");
    EXPECT_EQ(p.log, "## ERROR in cut.obj line 6: face with 2 corners, a face needs 3 or more\n"
                     "## ERROR in cut.obj line 7: face with 0 corners, a face needs 3 or more\n"
                     "# warning, face in line 8 of cut.obj has corners without a usable vertex "
                     "index (relative or empty)... corners skipped!\n"
                     "## ERROR in cut.obj line 8: face with 1 corners, a face needs 3 or more\n");
    EXPECT_EQ(p.loader.faces.size(), 4u) << "kept, so the stages after it end the process";
}

// ---- triangulation --------------------------------------------------------------------------

TEST(ObjTriangulate, QuadAndPentagonSplitInTheDesignedOrder) {
    Parsed p("v 0 0 0\nv 1 0 0\nv 2 1 0\nv 1 2 0\nv 0 1 0\nvt 0 0\nvn 0 0 1\n"
             "g a\nf 1 2 3 4\ng b\nf 1/1/1 2/1/1 3/1/1 4/1/1 5/1/1\nf 1 2 3\n");
    p.loader.triangulate();
    ASSERT_EQ(p.loader.faces.size(), 6u);
    EXPECT_EQ(p.loader.face_indices(0, 0), (Ints{0, 1, 2}));
    EXPECT_EQ(p.loader.face_indices(1, 0), (Ints{0, 1, 2}));
    EXPECT_EQ(p.loader.face_indices(2, 0), (Ints{0, 1, 2}));
    EXPECT_EQ(p.loader.face_indices(3, 0), (Ints{0, 2, 3})) << "the quad's second triangle";
    EXPECT_EQ(p.loader.face_indices(4, 0), (Ints{0, 3, 4})) << "the pentagon's far triangle first";
    EXPECT_EQ(p.loader.face_indices(5, 0), (Ints{0, 2, 3}));
    EXPECT_EQ(p.loader.faces[3].group, 0);
    EXPECT_EQ(p.loader.faces[4].group, 1);
    EXPECT_EQ(p.loader.face_indices(4, 1).size(), 3u) << "texcoords travel with the corners";
    EXPECT_EQ(p.loader.face_indices(4, 2).size(), 3u);
    EXPECT_EQ(p.loader.flags & kObjHasPolygons, 0);
}

TEST(ObjTriangulate, AMalformedFaceStopsIt) {
    Parsed p(std::string(kSquare) + "f 1 2 3 4\nf 1 2\nf 1 2 3 4\n");
    testing::internal::CaptureStderr();
    p.loader.triangulate();
    EXPECT_EQ(testing::internal::GetCapturedStderr(),
              "Malformed face. 2 vertices in face. Aborting triangulation\n");
    EXPECT_EQ(p.loader.faces.size(), 4u) << "only the first quad was split";
    EXPECT_EQ(p.loader.faces[2].count, 4u);
    EXPECT_EQ(p.loader.flags & kObjHasPolygons, kObjHasPolygons);
}

// ---- smooth normals -------------------------------------------------------------------------

TEST(ObjNormals, SmoothNormalsAreWeightedByFaceArea) {
    // Vertex 1 is shared by a large triangle facing +z and a small one facing +x.
    Parsed p("v 0 0 0\nv 4 0 0\nv 0 4 0\nv 0 0 -1\nv 0 1 0\n"
             "f 1 2 3\n"   // area 8, normal +z
             "f 1 4 5\n"); // area 0.5, normal +x
    p.loader.smooth_normals();
    const std::vector<float>& n = p.loader.normals;
    ASSERT_EQ(n.size(), 15u);
    const float len = std::sqrt(16.0f * 16.0f + 1.0f);
    EXPECT_NEAR(n[0], 1.0f / len, 1e-6f);
    EXPECT_NEAR(n[1], 0.0f, 1e-6f);
    EXPECT_NEAR(n[2], 16.0f / len, 1e-6f);
    EXPECT_NEAR(n[5], 1.0f, 1e-6f) << "vertex 2 touches only the big face";
    EXPECT_NEAR(n[9], 1.0f, 1e-6f) << "vertex 4 touches only the small face";
    EXPECT_EQ(p.loader.face_indices(1, 2), (Ints{0, 3, 4})) << "normal index = position index";
    EXPECT_EQ(p.loader.flags & kObjHasNormals, kObjHasNormals);
}

TEST(ObjNormals, UnusedAndDegenerateVerticesGetZeroNotNan) {
    Parsed p("v 0 0 0\nv 1 0 0\nv 2 0 0\nv 7 7 7\nf 1 2 3\n");
    p.loader.smooth_normals();
    for (float x : p.loader.normals) EXPECT_EQ(x, 0.0f);
}

// ---- model arrays ---------------------------------------------------------------------------

TEST(ObjArrays, CubeWithPerFaceNormalsAndTexcoordsHas24VerticesAnd36Indices) {
    const Arrays a = build("v -1 -1 -1\nv 1 -1 -1\nv 1 1 -1\nv -1 1 -1\n"
                           "v -1 -1 1\nv 1 -1 1\nv 1 1 1\nv -1 1 1\n"
                           "vt 0 0\nvt 1 0\nvt 1 1\nvt 0 1\n"
                           "vn 0 0 -1\nvn 0 0 1\nvn -1 0 0\nvn 1 0 0\nvn 0 -1 0\nvn 0 1 0\n"
                           "f 1/1/1 4/4/1 3/3/1 2/2/1\nf 5/1/2 6/2/2 7/3/2 8/4/2\n"
                           "f 1/1/3 5/2/3 8/3/3 4/4/3\nf 2/1/4 3/2/4 7/3/4 6/4/4\n"
                           "f 1/1/5 2/2/5 6/3/5 5/4/5\nf 4/1/6 8/2/6 7/3/6 3/4/6\n");
    EXPECT_EQ(a.positions.size(), 24u * 3);
    EXPECT_EQ(a.normals.size(), 24u * 3);
    EXPECT_EQ(a.texcoords.size(), 24u * 2);
    EXPECT_EQ(a.indices.size(), 36u);
    EXPECT_EQ(a.ranges, (Ranges{{0, 0}, {36, -1}}));
    EXPECT_EQ(a.flags, kObjHasTexcoords | kObjHasNormals);
    EXPECT_EQ(a.log, "");
    // Vertices come in ascending (position, normal, texcoord) order: position 1's three first,
    // its normals 1, 3 and 5 in that order.
    for (int v = 0; v < 3; ++v) {
        EXPECT_EQ(a.positions[3 * v], -1.0f);
        EXPECT_EQ(a.positions[3 * v + 2], -1.0f);
    }
    EXPECT_EQ(a.normals[2], -1.0f);
    EXPECT_EQ(a.normals[3], -1.0f);
    EXPECT_EQ(a.normals[7], -1.0f);
}

TEST(ObjArrays, CornersWithTheSameKeyShareAVertex) {
    const Arrays a = build(std::string(kSquare) + "vn 0 0 1\nvt 0 0\nvt 1 1\n"
                                                  "f 1/1/1 2/1/1 3/2/1\nf 1/1/1 3/2/1 4/1/1\n");
    EXPECT_EQ(a.positions.size(), 4u * 3) << "the shared edge's two corners are one vertex each";
    EXPECT_EQ(a.indices, (std::vector<uint32_t>{0, 1, 2, 0, 2, 3}));
    EXPECT_EQ(a.texcoords, (std::vector<float>{0, 0, 0, 0, 1, 1, 0, 0}));
}

TEST(ObjArrays, SamePositionWithOtherTexcoordsIsAnotherVertexInKeyOrder) {
    const Arrays a = build(std::string(kSquare) + "vn 0 0 1\nvt 0 0\nvt 1 1\n"
                                                  "f 1/2/1 2/1/1 3/2/1\nf 1/1/1 3/2/1 4/1/1\n");
    // Position 1 with texcoord 1 sorts before position 1 with texcoord 2.
    EXPECT_EQ(a.indices, (std::vector<uint32_t>{1, 2, 3, 0, 3, 4}));
    EXPECT_EQ(a.texcoords[0], 0.0f);
    EXPECT_EQ(a.texcoords[2], 1.0f);
}

TEST(ObjArrays, WithoutNormalsSmoothOnesAreMadeAndReported) {
    const Arrays a = build(std::string(kSquare) + "f 1 2 3 4\n");
    EXPECT_EQ(a.log, "# warning, created smooth normals...\n");
    EXPECT_EQ(a.flags, kObjHasNormals);
    ASSERT_EQ(a.normals.size(), 12u);
    for (size_t v = 0; v < 4; ++v) EXPECT_FLOAT_EQ(a.normals[3 * v + 2], 1.0f);
    EXPECT_TRUE(a.texcoords.empty());
}

TEST(ObjArrays, WithoutGLinesOneRangeCoversEverything) {
    const Arrays a = build(std::string(kSquare) + "f 1 2 3\nf 1 3 4\n");
    EXPECT_EQ(a.ranges, (Ranges{{0, 0}, {6, -1}}));
}

TEST(ObjArrays, BoundsSpanTheOutputVertices) {
    float bounds[6];
    compute_bounds({1, -2, 3, -4, 5, 0.5f, 2, 2, 2}, bounds);
    EXPECT_EQ(std::vector<float>(bounds, bounds + 6), (std::vector<float>{-4, -2, 0.5f, 2, 5, 3}));
}

TEST(ObjArrays, ExtensionsThatSelectTheLoader) {
    EXPECT_TRUE(is_obj_extension("obj"));
    EXPECT_TRUE(is_obj_extension(".obj"));
    EXPECT_FALSE(is_obj_extension("OBJ"));
    EXPECT_FALSE(is_obj_extension("objx"));
    EXPECT_FALSE(is_obj_extension(""));
}

// ---- files and fatal inputs -----------------------------------------------------------------

TEST(ObjFile, LoadFileFramesItsWorkOnStandardOutput) {
    const std::string path = writeFile("framed.obj", "v 1 2 3\no x\n");
    cObjLoader loader;
    testing::internal::CaptureStdout();
    testing::internal::CaptureStderr();
    loader.load_file(path);
    const std::string out = testing::internal::GetCapturedStdout();
    const std::string err = testing::internal::GetCapturedStderr();
    EXPECT_EQ(out, "-\ncObjLoader::load_file parsing " + path + " ... done reading obj.\n-\n");
    EXPECT_EQ(err, "# warning, unknown token: \"o\" in line 2... skipped!\n");
    EXPECT_EQ(loader.positions.size(), 4u);
}

TEST(ObjFile, BackslashPathsAndEmptyFilesLoad) {
    const std::string path = writeFile("empty.obj", "");
    std::string windows = path;
    for (char& c : windows)
        if (c == '/') c = '\\';
    cObjLoader loader;
    testing::internal::CaptureStdout();
    loader.load_file(windows);
    EXPECT_NE(testing::internal::GetCapturedStdout().find("done reading obj."), std::string::npos);
    EXPECT_TRUE(loader.positions.empty());
}

TEST(ObjFileDeathTest, MissingFilesAndEmptyPathsEndTheProcess) {
    EXPECT_EXIT(
        {
            cObjLoader loader;
            loader.load_file(tempDir() + "/missing.obj");
        },
        testing::ExitedWithCode(255), "");
    EXPECT_EXIT(
        {
            cObjLoader loader;
            loader.load_file(tempDir()); // a directory cannot be read as a file
        },
        testing::ExitedWithCode(255), "");
    EXPECT_EXIT(
        {
            cObjLoader loader;
            loader.load_file("");
        },
        testing::ExitedWithCode(255),
        "## ERROR in obj_parse.cpp line [0-9]+: file was not found in path: \n");
}

TEST(ObjFileDeathTest, MissingFileMessageGoesToStandardOutput) {
    const std::string path = tempDir() + "/missing.obj";
    EXPECT_EXIT(
        {
            std::freopen((tempDir() + "/stdout.txt").c_str(), "w", stdout);
            cObjLoader loader;
            loader.load_file(path);
        },
        testing::ExitedWithCode(255), "");
    std::ifstream in(tempDir() + "/stdout.txt");
    const std::string out((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
    EXPECT_EQ(out, "-\ncObjLoader::load_file parsing " + path + " ... File not found: \"" + path +
                       " in cObjLoader::load_file(..)\n");
}

TEST(ObjFileDeathTest, MalformedFacesEndTheProcessWithOrWithoutNormals) {
    // Without normals, smooth normal generation finds the face; with them, the output stage.
    const std::string bare = writeFile("bare.obj", std::string(kSquare) + "f -1 -2 -3\n");
    const std::string lit = writeFile("lit.obj", std::string(kSquare) + "vn 0 0 1\nf 1 2\n");
    Arrays a;
    auto run = [&](const std::string& path) {
        cObjLoader loader;
        loader.load_file(path);
        loader.triangulate();
        loader.build_model_arrays(a.flags, a.positions, a.normals, a.texcoords, a.indices,
                                  a.ranges);
        std::exit(0);
    };
    EXPECT_EXIT(run(bare), testing::ExitedWithCode(255),
                "Malformed face. 0 vertices in face. Aborting triangulation\n"
                "# warning, created smooth normals...\n"
                "Malformed polygon in cObjLoader::smooth_normals - exiting!\n");
    EXPECT_EXIT(run(lit), testing::ExitedWithCode(255),
                "Malformed polygon in cObjLoader::build_model_arrays - exiting!\n");
}
