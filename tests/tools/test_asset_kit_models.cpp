// The asset kit's models as the demo sees them: every mesh is written by the OBJ writer and
// read back through the project's own OBJ loader, then held to the rules every model must
// keep (unit normals agreeing with the winding, closed solids enclosing positive volume,
// inward shapes negative) and to its expected size, counts and groups.
#include "block_font.h"
#include "extrude.h"
#include "mesh.h"
#include "obj_loader.h"
#include "obj_writer.h"
#include "primitives.h"

#include <gtest/gtest.h>

#include <cmath>
#include <cstdio>
#include <fstream>
#include <map>
#include <set>
#include <sstream>
#include <string>
#include <tuple>
#include <unistd.h>
#include <vector>

namespace {

// A model as the loader hands it to the GPU.
struct Loaded {
    std::vector<float> positions, normals, texcoords;
    std::vector<uint32_t> indices;
    std::vector<GroupRange> ranges;
    uint8_t flags = 0;
    std::string log;

    size_t vertexCount() const { return positions.size() / 3; }
    int groupCount() const { return static_cast<int>(ranges.size()) - 1; }
    // Triangles in group k (ranges hold first index offsets).
    int groupTriangles(int k) const { return (ranges[k + 1].first - ranges[k].first) / 3; }
    Vec3 position(uint32_t i) const {
        return {positions[3 * i], positions[3 * i + 1], positions[3 * i + 2]};
    }
    Vec3 normal(uint32_t i) const {
        return {normals[3 * i], normals[3 * i + 1], normals[3 * i + 2]};
    }
};

Loaded load(const Mesh& mesh) {
    std::string error;
    const std::string text = objText(mesh, "test", error);
    EXPECT_EQ(error, "");
    Loaded m;
    cObjLoader loader;
    testing::internal::CaptureStderr();
    loader.parse(text.data(), text.size(), "kit.obj");
    loader.triangulate();
    EXPECT_TRUE(loader.try_build_model_arrays(m.flags, m.positions, m.normals, m.texcoords,
                                              m.indices, m.ranges));
    m.log = testing::internal::GetCapturedStderr();
    EXPECT_EQ(m.log, "") << "the loader complained";
    EXPECT_EQ(m.flags, kObjHasTexcoords | kObjHasNormals);
    return m;
}

void expectBounds(const Loaded& m, Vec3 lo, Vec3 hi, float tolerance = 1e-5f) {
    float b[6];
    compute_bounds(m.positions, b);
    EXPECT_NEAR(b[0], lo.x, tolerance);
    EXPECT_NEAR(b[1], lo.y, tolerance);
    EXPECT_NEAR(b[2], lo.z, tolerance);
    EXPECT_NEAR(b[3], hi.x, tolerance);
    EXPECT_NEAR(b[4], hi.y, tolerance);
    EXPECT_NEAR(b[5], hi.z, tolerance);
}

// Unit normals, and every triangle wound counter-clockwise seen from where its corners'
// normals point. Zero-area triangles have no winding to check.
void expectNormalsMatchWinding(const Loaded& m) {
    int badLength = 0, badWinding = 0;
    for (size_t i = 0; i < m.vertexCount(); ++i)
        if (std::fabs(std::sqrt(dot(m.normal(i), m.normal(i))) - 1.0f) > 1e-5f) ++badLength;
    for (size_t t = 0; t < m.indices.size(); t += 3) {
        const Vec3 a = m.position(m.indices[t]), b = m.position(m.indices[t + 1]),
                   c = m.position(m.indices[t + 2]);
        const Vec3 face = cross(b - a, c - a);
        if (dot(face, face) < 1e-14f) continue;
        for (int k = 0; k < 3; ++k)
            if (dot(face, m.normal(m.indices[t + k])) <= 0.0f) ++badWinding;
    }
    EXPECT_EQ(badLength, 0) << "normals not of unit length";
    EXPECT_EQ(badWinding, 0) << "corners whose normal faces away from the triangle's front";
}

// Vertices welded by position: the loader splits them where normals or uvs differ.
std::vector<uint32_t> weld(const Loaded& m) {
    std::map<std::tuple<float, float, float>, uint32_t> ids;
    std::vector<uint32_t> id(m.vertexCount());
    for (size_t i = 0; i < m.vertexCount(); ++i) {
        const Vec3 p = m.position(i);
        id[i] = ids.emplace(std::make_tuple(p.x, p.y, p.z), ids.size()).first->second;
    }
    return id;
}

size_t distinctPositions(const Loaded& m) {
    const std::vector<uint32_t> id = weld(m);
    return std::set<uint32_t>(id.begin(), id.end()).size();
}

// A closed, consistently wound surface uses every edge a -> b as often as b -> a. With
// `twoEach`, every edge belongs to exactly two triangles (no surfaces touching along a line).
void expectClosed(const Loaded& m, bool twoEach) {
    const std::vector<uint32_t> id = weld(m);
    std::map<std::pair<uint32_t, uint32_t>, int> directed;
    for (size_t t = 0; t < m.indices.size(); t += 3)
        for (int k = 0; k < 3; ++k) {
            const uint32_t a = id[m.indices[t + k]], b = id[m.indices[t + (k + 1) % 3]];
            if (a != b) ++directed[{a, b}];
        }
    int unmatched = 0, notTwo = 0;
    for (const auto& [edge, count] : directed) {
        const auto back = directed.find({edge.second, edge.first});
        if (back == directed.end() || back->second != count) ++unmatched;
        if (count != 1) ++notTwo;
    }
    EXPECT_EQ(unmatched, 0) << "edges without a matching opposite edge: the surface has a gap";
    if (twoEach) {
        EXPECT_EQ(notTwo, 0) << "edges shared by more than two triangles";
    }
}

// Signed volume enclosed (positive when the surface faces outwards).
double volume(const Loaded& m) {
    double v = 0.0;
    for (size_t t = 0; t < m.indices.size(); t += 3) {
        const Vec3 a = m.position(m.indices[t]), b = m.position(m.indices[t + 1]),
                   c = m.position(m.indices[t + 2]);
        v += dot(a, cross(b, c)) / 6.0;
    }
    return v;
}

// Every normal on the side of `centre`'s axis it should face: away from it, or towards it.
void expectRadialNormals(const Loaded& m, bool outward, bool aroundYAxisOnly) {
    int wrong = 0;
    for (size_t i = 0; i < m.vertexCount(); ++i) {
        Vec3 p = m.position(i);
        if (aroundYAxisOnly) p.y = 0.0f;
        const float d = dot(p, m.normal(i));
        if (outward ? d <= 0.0f : d >= 0.0f) ++wrong;
    }
    EXPECT_EQ(wrong, 0);
}

// The area an n-gon of circumradius r encloses: what the kit's round shapes really are.
double ngonArea(double r, int n) {
    return 0.5 * n * r * r * std::sin(2.0 * M_PI / n);
}

} // namespace

// ---- the writer -----------------------------------------------------------------------------

TEST(ObjWriter, NumbersAreShortExactAndNeverNegativeZero) {
    EXPECT_EQ(objNumber(0.5f), "0.5");
    EXPECT_EQ(objNumber(-2.0f), "-2");
    EXPECT_EQ(objNumber(0.0f), "0");
    EXPECT_EQ(objNumber(-0.0f), "0");
    EXPECT_EQ(objNumber(-1e-9f), "0");
    EXPECT_EQ(objNumber(1.0f / 3.0f), "0.333333");
    EXPECT_EQ(objNumber(1250.125f), "1250.125");
}

TEST(ObjWriter, GroupsKeepTheirOrderAndEmptyOnesAreLeftOut) {
    Mesh mesh;
    mesh.group("first");
    append(mesh, box({1, 1, 1}, "second"));
    mesh.group("empty");
    Mesh far = box({1, 1, 1}, "third");
    translate(far, {5, 0, 0});
    append(mesh, far);
    append(mesh, box({2, 2, 2}, "second"));

    std::string error;
    const std::string text = objText(mesh, "make_test", error);
    EXPECT_EQ(text.rfind("# make_test\n", 0), 0u);
    EXPECT_EQ(text.find("g first"), std::string::npos);
    EXPECT_EQ(text.find("g empty"), std::string::npos);
    EXPECT_LT(text.find("g second\n"), text.find("g third\n"));
    // Equal numbers are written once: a box has 8 corners, 6 normals, 4 uv corners.
    std::istringstream lines(text);
    std::map<std::string, int> count;
    for (std::string line; std::getline(lines, line);) ++count[line.substr(0, line.find(' '))];
    EXPECT_EQ(count["v"], 24);
    EXPECT_EQ(count["vn"], 6);
    EXPECT_EQ(count["vt"], 4);
    EXPECT_EQ(count["g"], 2);
    EXPECT_EQ(count["f"], 36);

    const Loaded m = load(mesh);
    ASSERT_EQ(m.groupCount(), 2);
    EXPECT_EQ(m.groupTriangles(0), 24) << "both boxes called \"second\"";
    EXPECT_EQ(m.groupTriangles(1), 12);
    EXPECT_EQ(m.vertexCount(), 72u);
}

TEST(ObjWriter, BrokenMeshesAndUnwritableFilesAreRefusedWithTheirCause) {
    Mesh mesh = box({1, 1, 1}, "b");
    mesh.group("b").indices.push_back(99);
    mesh.group("b").indices.push_back(0);
    mesh.group("b").indices.push_back(1);
    std::string error;
    EXPECT_EQ(objText(mesh, "t", error), "");
    EXPECT_NE(error.find("vertex 99"), std::string::npos) << error;

    Mesh nan = box({1, 1, 1}, "b");
    nan.vertices[3].normal.y = std::nanf("");
    EXPECT_EQ(objText(nan, "t", error), "");
    EXPECT_NE(error.find("vertex 3"), std::string::npos) << error;

    testing::internal::CaptureStderr();
    EXPECT_FALSE(writeObj(nan, testing::TempDir() + "nan.obj", "make_test"));
    EXPECT_FALSE(writeObj(box({1, 1, 1}, "b"), "/nonexistent/dir/box.obj", "make_test"));
    const std::string log = testing::internal::GetCapturedStderr();
    EXPECT_NE(log.find("make_test: cannot write " + testing::TempDir() + "nan.obj: vertex 3"),
              std::string::npos)
        << log;
    EXPECT_NE(log.find("make_test: cannot write /nonexistent/dir/box.obj\n"), std::string::npos)
        << log;
}

TEST(ObjWriter, AWrittenFileLoadsThroughTheLoadersFileEntry) {
    const std::string path = testing::TempDir() + "kit_sphere.obj";
    ASSERT_TRUE(writeObj(uvSphere(1.0f, 8, 4, "ball"), path, "make_test"));
    cObjLoader loader;
    loader.load_file(path);
    loader.triangulate();
    Loaded m;
    loader.build_model_arrays(m.flags, m.positions, m.normals, m.texcoords, m.indices, m.ranges);
    EXPECT_EQ(m.groupCount(), 1);
    EXPECT_EQ(m.indices.size(), 3u * (8 * 2 * 2 + 8 * 2)); // two quad bands, two fans
    std::remove(path.c_str());
}

// ---- primitives -----------------------------------------------------------------------------

TEST(Primitives, UvSphereIsClosedSmoothAndRound) {
    const Loaded m = load(uvSphere(2.0f, 16, 8, "globe"));
    EXPECT_EQ(m.vertexCount(), 7u * 17u + 2u * 16u) << "rows of 17 (the seam twice), poles 16";
    EXPECT_EQ(m.indices.size() / 3, 16u * 6u * 2u + 2u * 16u);
    expectBounds(m, {-2, -2, -2}, {2, 2, 2});
    expectNormalsMatchWinding(m);
    expectRadialNormals(m, true, false);
    expectClosed(m, true);
    EXPECT_GT(volume(m), 0.8 * 4.0 / 3.0 * M_PI * 8.0);
    for (size_t i = 0; i < m.vertexCount(); ++i) {
        const Vec3 p = m.position(i);
        EXPECT_NEAR(std::sqrt(dot(p, p)), 2.0f, 1e-5f);
    }
}

TEST(Primitives, IcospheresHaveTheirTriangleCountsAndFacetedOnesFlatNormals) {
    const Loaded smooth = load(icosphere(10.0f, 2, false, "ico"));
    EXPECT_EQ(smooth.indices.size() / 3, 320u);
    EXPECT_EQ(distinctPositions(smooth), 162u);
    expectBounds(smooth, {-10, -10, -10}, {10, 10, 10}, 1.0f); // the vertices lie on the sphere
    expectNormalsMatchWinding(smooth);
    expectRadialNormals(smooth, true, false);
    expectClosed(smooth, true);

    const Loaded flat = load(icosphere(1.0f, 1, true, "ico"));
    EXPECT_EQ(flat.indices.size() / 3, 80u);
    EXPECT_EQ(flat.vertexCount(), 240u) << "three corners of its own per facet";
    expectNormalsMatchWinding(flat);
    expectClosed(flat, true);
    // Seam triangles are mapped within one copy of the texture, not across all of it.
    for (size_t t = 0; t < flat.indices.size(); t += 3) {
        float lo = 10, hi = -10;
        for (int k = 0; k < 3; ++k) {
            lo = std::min(lo, flat.texcoords[2 * flat.indices[t + k]]);
            hi = std::max(hi, flat.texcoords[2 * flat.indices[t + k]]);
        }
        EXPECT_LT(hi - lo, 0.5f) << "triangle " << t / 3;
    }
}

TEST(Primitives, InwardSphereFacesItsCentre) {
    const Loaded m = load(inwardSphere(50.0f, 24, 12, "sky"));
    expectBounds(m, {-50, -50, -50}, {50, 50, 50}, 1e-3f);
    expectNormalsMatchWinding(m);
    expectRadialNormals(m, false, false);
    expectClosed(m, true);
    EXPECT_LT(volume(m), 0.0) << "seen from outside it is all back faces";
}

TEST(Primitives, TubesAreOpenShellsFacingOutOrIn) {
    const Loaded out = load(tube(3.0f, 10.0f, 20, 4, 2.0f * kPi, false, "pipe"));
    EXPECT_EQ(out.vertexCount(), 5u * 21u);
    EXPECT_EQ(out.indices.size() / 3, 20u * 4u * 2u);
    expectBounds(out, {-3, -5, -3}, {3, 5, 3});
    expectNormalsMatchWinding(out);
    expectRadialNormals(out, true, true);
    for (size_t i = 0; i < out.vertexCount(); ++i) EXPECT_EQ(out.normal(i).y, 0.0f);

    const Loaded tunnel = load(tube(3.0f, 10.0f, 20, 1, 2.0f * kPi, true, "tunnel"));
    expectNormalsMatchWinding(tunnel);
    expectRadialNormals(tunnel, false, true);

    // Half a tube covers the −z side only.
    const Loaded half = load(tube(1.0f, 2.0f, 12, 1, kPi, false, "half"));
    expectBounds(half, {-1, -1, -1}, {1, 1, 0});
    expectNormalsMatchWinding(half);
}

TEST(Primitives, ClosedRoundSolidsEncloseTheirVolume) {
    const int n = 32;
    const Loaded can = load(cylinder(2.0f, 3.0f, n, "can"));
    expectBounds(can, {-2, -1.5f, -2}, {2, 1.5f, 2});
    expectNormalsMatchWinding(can);
    expectClosed(can, true);
    EXPECT_NEAR(volume(can), 3.0 * ngonArea(2.0, n), 1e-3);

    const Loaded wall = load(thickTube(1.0f, 1.5f, 4.0f, n, kPi, "halfwall"));
    expectBounds(wall, {-1.5f, -2, -1.5f}, {1.5f, 2, 0});
    expectNormalsMatchWinding(wall);
    expectClosed(wall, true);
    EXPECT_NEAR(volume(wall), 4.0 * 0.5 * (ngonArea(1.5, 2 * n) - ngonArea(1.0, 2 * n)), 1e-3);

    const Loaded ring = load(thickTube(1.0f, 1.5f, 4.0f, n, 2.0f * kPi, "ring"));
    expectClosed(ring, true);
    EXPECT_NEAR(volume(ring), 4.0 * (ngonArea(1.5, n) - ngonArea(1.0, n)), 1e-3);

    // A frustum: bottom radius 2, top 1, height 3, closed on the axis at both ends.
    const Loaded vase = load(lathe({{0, 0}, {2, 0}, {1, 3}, {0, 3}}, n, 2.0f * kPi, false, "vase"));
    expectNormalsMatchWinding(vase);
    expectClosed(vase, true);
    const double a1 = ngonArea(2.0, n), a2 = ngonArea(1.0, n);
    EXPECT_NEAR(volume(vase), 3.0 / 3.0 * (a1 + a2 + std::sqrt(a1 * a2)), 1e-3);

    // Smooth shading bends the normals across profile corners but keeps them facing out.
    const Loaded bowl =
        load(lathe({{0, 0}, {1, 0.2f}, {1.5f, 1}, {1.6f, 2}}, n, 2.0f * kPi, true, "bowl"));
    expectNormalsMatchWinding(bowl);
}

TEST(Primitives, BoxHasFlatFacesAndWholeTextures) {
    const Loaded m = load(box({2, 4, 6}, "crate"));
    EXPECT_EQ(m.vertexCount(), 24u);
    expectBounds(m, {-1, -2, -3}, {1, 2, 3});
    expectNormalsMatchWinding(m);
    expectClosed(m, true);
    EXPECT_NEAR(volume(m), 48.0, 1e-4);
    std::set<std::pair<float, float>> uvs;
    for (size_t i = 0; i < m.vertexCount(); ++i)
        uvs.insert({m.texcoords[2 * i], m.texcoords[2 * i + 1]});
    EXPECT_EQ(uvs, (std::set<std::pair<float, float>>{{0, 0}, {0, 1}, {1, 0}, {1, 1}}));
}

// ---- transforms -----------------------------------------------------------------------------

TEST(Transforms, MovedTurnedAndMirroredSolidsStayOutwardFacing) {
    Mesh m = box({2, 4, 6}, "crate");
    rotate(m, {0, 1, 0}, 0.5f * kPi); // x -> -z, z -> x
    translate(m, {10, 0, 0});
    Loaded turned = load(m);
    expectBounds(turned, {7, -2, -1}, {13, 2, 1}, 1e-5f);
    expectNormalsMatchWinding(turned);
    EXPECT_NEAR(volume(turned), 48.0, 1e-3);

    Mesh mirrored = cylinder(1.0f, 2.0f, 16, "c");
    scale(mirrored, Vec3{-1.0f, 2.0f, 0.5f});
    const Loaded squashed = load(mirrored);
    expectNormalsMatchWinding(squashed);
    expectClosed(squashed, true);
    EXPECT_NEAR(volume(squashed), 2.0 * 2.0 * 0.5 * ngonArea(1.0, 16), 1e-3);

    Mesh inside = box({1, 1, 1}, "room");
    flipInsideOut(inside);
    const Loaded room = load(inside);
    expectNormalsMatchWinding(room);
    EXPECT_NEAR(volume(room), -1.0, 1e-5);
}

TEST(Transforms, AppendJoinsGroupsByNameAndAppendAsIntoOne) {
    Mesh scene;
    append(scene, box({1, 1, 1}, "a"));
    Mesh two = box({1, 1, 1}, "b");
    append(two, box({1, 1, 1}, "c"));
    appendAs(scene, two, "a");
    append(scene, two);
    ASSERT_EQ(scene.groups.size(), 3u);
    EXPECT_EQ(scene.groups[0].name, "a");
    EXPECT_EQ(scene.groups[0].indices.size(), 3u * 36u);
    EXPECT_EQ(scene.groups[1].name, "b");
    EXPECT_EQ(scene.groups[2].name, "c");
    EXPECT_EQ(scene.vertices.size(), 5u * 24u);
    for (const MeshGroup& g : scene.groups)
        for (uint32_t i : g.indices) ASSERT_LT(i, scene.vertices.size());
}

// ---- outlines and extrusion -----------------------------------------------------------------

TEST(Extrude, TriangulationCoversTheOutlineLessItsHoles) {
    const Loop square = {{0, 0}, {4, 0}, {4, 4}, {0, 4}};
    const Loop hole = {{1, 1}, {1, 3}, {3, 3}, {3, 1}}; // clockwise
    const Loop notch = {{2.5f, 1.5f}, {2.5f, 2.5f}, {3.5f, 2.5f}, {3.5f, 1.5f}};
    const Loop u = {{0, 0}, {3, 0}, {3, 3}, {2, 3}, {2, 1}, {1, 1}, {1, 3}, {0, 3}};
    struct Case {
        Loop outer;
        std::vector<Loop> holes;
        float area;
    } cases[] = {{square, {}, 16},
                 {square, {hole}, 12},
                 {u, {}, 7},
                 {square, {{{0.5f, 0.5f}, {0.5f, 1.5f}, {1.5f, 1.5f}, {1.5f, 0.5f}}, notch}, 14}};
    for (const Case& c : cases) {
        const std::vector<Vec2> t = triangulate(c.outer, c.holes);
        ASSERT_EQ(t.size() % 3, 0u);
        double area = 0.0;
        for (size_t i = 0; i < t.size(); i += 3) {
            const float twice = (t[i + 1].x - t[i].x) * (t[i + 2].y - t[i].y) -
                                (t[i + 1].y - t[i].y) * (t[i + 2].x - t[i].x);
            EXPECT_GE(twice, 0.0f) << "a clockwise triangle";
            area += twice * 0.5;
        }
        EXPECT_NEAR(area, c.area, 1e-5) << c.holes.size() << " holes";
    }
}

TEST(Extrude, ASquareWithAHoleIsAClosedBevelledSolid) {
    const std::vector<Loop> frame = {{{0, 0}, {4, 0}, {4, 4}, {0, 4}},
                                     {{1, 1}, {1, 3}, {3, 3}, {3, 1}}};
    const Loaded plain = load(extrude(frame, 2.0f, 0.0f, "frame"));
    expectBounds(plain, {0, 0, -1}, {4, 4, 1});
    expectNormalsMatchWinding(plain);
    expectClosed(plain, true);
    EXPECT_NEAR(volume(plain), 12.0 * 2.0, 1e-4);

    const float bevel = 0.25f;
    const Loaded bevelled = load(extrude(frame, 2.0f, bevel, "frame"));
    expectBounds(bevelled, {0, 0, -1}, {4, 4, 1});
    expectNormalsMatchWinding(bevelled);
    expectClosed(bevelled, true);
    // Each bevel takes a 45° wedge off every side: per unit of rim b²/2, corners aside.
    EXPECT_LT(volume(bevelled), 24.0);
    EXPECT_GT(volume(bevelled), 24.0 - 2.0 * 32.0 * bevel * bevel);
    int bevelNormals = 0;
    for (size_t i = 0; i < bevelled.vertexCount(); ++i) {
        const float z = std::fabs(bevelled.normal(i).z);
        EXPECT_TRUE(z == 0.0f || z == 1.0f || std::fabs(z - std::sqrt(0.5f)) < 1e-5f) << z;
        bevelNormals += std::fabs(z - std::sqrt(0.5f)) < 1e-5f;
    }
    EXPECT_EQ(bevelNormals, 2 * 8 * 4) << "front and back: 8 sides, 4 corners each";
    // Caps span the outline's box in u and v.
    float uMax = 0.0f, vMax = 0.0f;
    for (size_t i = 0; i < bevelled.vertexCount(); ++i)
        if (std::fabs(bevelled.normal(i).z) == 1.0f) {
            uMax = std::max(uMax, bevelled.texcoords[2 * i]);
            vMax = std::max(vMax, bevelled.texcoords[2 * i + 1]);
        }
    EXPECT_NEAR(uMax, (4.0f - bevel) / 4.0f, 1e-6f);
    EXPECT_NEAR(vMax, (4.0f - bevel) / 4.0f, 1e-6f);
}

TEST(Extrude, TextWithoutCornerContactsBecomesOneClosedSolidPerLetter) {
    const Loaded word = load(extrude(textOutline("TILE"), 1.0f, 0.15f, "logo"));
    expectBounds(word, {0, 0, -0.5f}, {float(textBlocks("TILE")), 7, 0.5f});
    expectNormalsMatchWinding(word);
    expectClosed(word, true);
    int blocks = 0;
    for (char c : std::string("TILE"))
        for (const char* row : findGlyph(c)->rows) blocks += std::count(row, row + 5, '#');
    EXPECT_LT(volume(word), blocks);
    EXPECT_GT(volume(word), 0.8 * blocks);
}

TEST(BlockFont, EveryGlyphOutlineEnclosesItsBlocksAndExtrudesClosed) {
    for (char c : blockFontCharacters()) {
        SCOPED_TRACE(std::string("glyph '") + c + "'");
        const BlockGlyph* g = findGlyph(c);
        ASSERT_NE(g, nullptr);
        int blocks = 0;
        for (const char* row : g->rows) {
            ASSERT_EQ(std::string(row).size(), 5u);
            blocks += std::count(row, row + 5, '#');
        }
        const std::vector<Loop> loops = glyphOutline(c);
        double area = 0.0;
        for (const Loop& loop : loops) {
            area += signedArea(loop);
            for (size_t i = 0; i < loop.size(); ++i) {
                const Vec2 a = loop[(i + loop.size() - 1) % loop.size()], b = loop[i],
                           d = loop[(i + 1) % loop.size()];
                EXPECT_NE((b.x - a.x) * (d.y - b.y) - (b.y - a.y) * (d.x - b.x), 0.0f)
                    << "a point where the side runs straight on";
            }
        }
        EXPECT_EQ(area, blocks);
        if (blocks == 0) continue;
        const Loaded solid = load(extrude(loops, 1.0f, 0.1f, "glyph"));
        expectNormalsMatchWinding(solid);
        expectClosed(solid, false);
        EXPECT_GT(volume(solid), 0.8 * blocks);
        EXPECT_LT(volume(solid), blocks);
    }
}

TEST(BlockFont, CaseDoesNotMatterAndUnknownCharactersAreGaps) {
    EXPECT_EQ(findGlyph('q'), findGlyph('Q'));
    EXPECT_EQ(findGlyph('~'), nullptr);
    const std::vector<Loop> gap = textOutline("L~L");
    ASSERT_EQ(gap.size(), 2u);
    float minX = 1e9f;
    for (Vec2 p : gap[1]) minX = std::min(minX, p.x);
    EXPECT_EQ(minX, 2.0f * kGlyphAdvance);
    EXPECT_EQ(textBlocks("L~L"), 17);
}
