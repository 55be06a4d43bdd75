// extrude.cpp - see extrude.h. Triangulation is ear clipping, holes first joined to their
// outer loop by a two-way cut: quadratic, which is nothing for logo-sized outlines.
#include "extrude.h"

#include <algorithm>
#include <cmath>
#include <cstddef>
#include <limits>

namespace {

// > 0 when a b c turn left (counter-clockwise).
float orient(Vec2 a, Vec2 b, Vec2 c) {
    return (b.x - a.x) * (c.y - a.y) - (b.y - a.y) * (c.x - a.x);
}

bool same(Vec2 a, Vec2 b) {
    return a.x == b.x && a.y == b.y;
}

bool insideOrOn(Vec2 p, Vec2 a, Vec2 b, Vec2 c) {
    return orient(a, b, p) >= 0.0f && orient(b, c, p) >= 0.0f && orient(c, a, p) >= 0.0f;
}

// True when segments pq and rs cross at a point inside both; shared end points do not count.
bool properlyCross(Vec2 p, Vec2 q, Vec2 r, Vec2 s) {
    if (same(p, r) || same(p, s) || same(q, r) || same(q, s)) return false;
    const float d1 = orient(p, q, r), d2 = orient(p, q, s);
    const float d3 = orient(r, s, p), d4 = orient(r, s, q);
    return ((d1 > 0 && d2 < 0) || (d1 < 0 && d2 > 0)) && ((d3 > 0 && d4 < 0) || (d3 < 0 && d4 > 0));
}

bool crossesLoop(Vec2 p, Vec2 q, const Loop& loop) {
    for (size_t i = 0; i < loop.size(); ++i)
        if (properlyCross(p, q, loop[i], loop[(i + 1) % loop.size()])) return true;
    return false;
}

// Whether the direction from polygon point `at` (between prev and next, counter-clockwise
// polygon) towards m starts inside the polygon.
bool startsInside(Vec2 prev, Vec2 at, Vec2 next, Vec2 m) {
    if (orient(prev, at, next) > 0.0f)
        return orient(prev, at, m) > 0.0f && orient(at, next, m) > 0.0f;
    return orient(prev, at, m) > 0.0f || orient(at, next, m) > 0.0f;
}

// Joins `hole` into `polygon` through the nearest polygon point its rightmost point can see:
// the polygon walks over to the hole, round it, and back the same way.
void bridge(Loop& polygon, const Loop& hole, const std::vector<Loop>& otherHoles) {
    size_t m = 0;
    for (size_t i = 1; i < hole.size(); ++i)
        if (hole[i].x > hole[m].x || (hole[i].x == hole[m].x && hole[i].y < hole[m].y)) m = i;
    const Vec2 from = hole[m];
    size_t best = polygon.size(), nearest = 0;
    float bestDistance = std::numeric_limits<float>::max(), nearestDistance = bestDistance;
    for (size_t i = 0; i < polygon.size(); ++i) {
        const Vec2 v = polygon[i];
        const float dx = v.x - from.x, dy = v.y - from.y, d = dx * dx + dy * dy;
        if (d < nearestDistance) nearestDistance = d, nearest = i;
        if (d >= bestDistance) continue;
        const Vec2 prev = polygon[(i + polygon.size() - 1) % polygon.size()];
        const Vec2 next = polygon[(i + 1) % polygon.size()];
        if (!startsInside(prev, v, next, from) || crossesLoop(v, from, polygon) ||
            crossesLoop(v, from, hole))
            continue;
        bool blocked = false;
        for (const Loop& other : otherHoles) blocked = blocked || crossesLoop(v, from, other);
        if (blocked) continue;
        bestDistance = d;
        best = i;
    }
    // Outlines that break the rules above still get a cap, if not a pretty one.
    if (best == polygon.size()) best = nearest;
    Loop joined(polygon.begin(), polygon.begin() + best + 1);
    for (size_t k = 0; k <= hole.size(); ++k) joined.push_back(hole[(m + k) % hole.size()]);
    joined.push_back(polygon[best]);
    joined.insert(joined.end(), polygon.begin() + best + 1, polygon.end());
    polygon.swap(joined);
}

std::vector<Vec2> earClip(const Loop& polygon) {
    std::vector<Vec2> out;
    std::vector<size_t> left(polygon.size());
    for (size_t i = 0; i < left.size(); ++i) left[i] = i;
    while (left.size() > 3) {
        const size_t n = left.size();
        size_t ear = n;
        for (size_t k = 0; k < n && ear == n; ++k) {
            const Vec2 a = polygon[left[(k + n - 1) % n]], b = polygon[left[k]],
                       c = polygon[left[(k + 1) % n]];
            if (orient(a, b, c) <= 0.0f) continue;
            bool blocked = false;
            for (size_t j = 0; j < n && !blocked; ++j) {
                const Vec2 p = polygon[left[j]];
                if (same(p, a) || same(p, b) || same(p, c)) continue;
                blocked = insideOrOn(p, a, b, c);
            }
            if (!blocked) ear = k;
        }
        // Nothing clips cleanly only for degenerate leftovers (all points on a line); a
        // zero-area triangle keeps the cap's edges matched to the walls.
        if (ear == n) ear = 0;
        out.push_back(polygon[left[(ear + n - 1) % n]]);
        out.push_back(polygon[left[ear]]);
        out.push_back(polygon[left[(ear + 1) % n]]);
        left.erase(left.begin() + ear);
    }
    if (left.size() == 3)
        for (size_t i : left) out.push_back(polygon[i]);
    return out;
}

float maxX(const Loop& loop) {
    float x = -std::numeric_limits<float>::max();
    for (Vec2 p : loop) x = std::max(x, p.x);
    return x;
}

bool pointInLoop(Vec2 p, const Loop& loop) {
    bool in = false;
    for (size_t i = 0, j = loop.size() - 1; i < loop.size(); j = i++) {
        const Vec2 a = loop[i], b = loop[j];
        if ((a.y > p.y) != (b.y > p.y) && p.x < (b.x - a.x) * (p.y - a.y) / (b.y - a.y) + a.x)
            in = !in;
    }
    return in;
}

} // namespace

float signedArea(const Loop& loop) {
    float twice = 0.0f;
    for (size_t i = 0; i < loop.size(); ++i) {
        const Vec2 a = loop[i], b = loop[(i + 1) % loop.size()];
        twice += a.x * b.y - b.x * a.y;
    }
    return twice * 0.5f;
}

// Each point moved by `distance` to the left of the loop's edges (inwards for outer loops,
// into the solid around a hole), corners mitred. Keep `distance` under half the narrowest
// stroke, or the loop turns over on itself.
static Loop insetLoop(const Loop& loop, float distance) {
    const size_t n = loop.size();
    Loop out(n);
    auto leftNormal = [](Vec2 a, Vec2 b) {
        const float dx = b.x - a.x, dy = b.y - a.y, length = std::sqrt(dx * dx + dy * dy);
        return length > 0.0f ? Vec2{-dy / length, dx / length} : Vec2{0.0f, 0.0f};
    };
    for (size_t i = 0; i < n; ++i) {
        const Vec2 n1 = leftNormal(loop[(i + n - 1) % n], loop[i]);
        const Vec2 n2 = leftNormal(loop[i], loop[(i + 1) % n]);
        // The mitre: the point `distance` away from both edges' lines. Nearly reversing edges
        // would send it far away; they are kept within ten times the distance.
        const float k = distance / std::max(1.0f + n1.x * n2.x + n1.y * n2.y, 0.02f);
        out[i] = {loop[i].x + (n1.x + n2.x) * k, loop[i].y + (n1.y + n2.y) * k};
    }
    return out;
}

std::vector<Vec2> triangulate(const Loop& outer, const std::vector<Loop>& holes) {
    if (outer.size() < 3) return {};
    std::vector<Loop> waiting;
    for (const Loop& h : holes)
        if (h.size() >= 3) waiting.push_back(h);
    std::sort(waiting.begin(), waiting.end(),
              [](const Loop& a, const Loop& b) { return maxX(a) > maxX(b); });
    Loop polygon = outer;
    for (size_t i = 0; i < waiting.size(); ++i) {
        const std::vector<Loop> rest(waiting.begin() + i + 1, waiting.end());
        bridge(polygon, waiting[i], rest);
    }
    return earClip(polygon);
}

Mesh extrude(const std::vector<Loop>& loops, float depth, float bevel, const std::string& group) {
    Mesh mesh;
    MeshGroup& g = mesh.group(group);
    const float h = depth * 0.5f, b = std::min(std::max(bevel, 0.0f), h);

    Vec2 lo = {std::numeric_limits<float>::max(), std::numeric_limits<float>::max()};
    Vec2 hi = {-lo.x, -lo.y};
    for (const Loop& loop : loops)
        for (Vec2 p : loop) {
            lo = {std::min(lo.x, p.x), std::min(lo.y, p.y)};
            hi = {std::max(hi.x, p.x), std::max(hi.y, p.y)};
        }
    const Vec2 span = {hi.x > lo.x ? hi.x - lo.x : 1.0f, hi.y > lo.y ? hi.y - lo.y : 1.0f};

    std::vector<Loop> capLoops; // each loop as the caps see it: inset by the bevel
    for (const Loop& loop : loops) {
        if (loop.size() < 3 || signedArea(loop) == 0.0f) {
            capLoops.emplace_back();
            continue;
        }
        const Loop cap = b > 0.0f ? insetLoop(loop, b) : loop;
        capLoops.push_back(cap);

        // Walls and bevels: rings from the front cap's rim to the back cap's, each band of
        // quads between two rings.
        struct Ring {
            const Loop* points;
            float z;
        };
        std::vector<Ring> rings = {{&cap, h}};
        if (b > 0.0f) rings.push_back({&loop, h - b});
        if (b > 0.0f) rings.push_back({&loop, -h + b});
        rings.push_back({&cap, -h});
        const size_t n = loop.size();
        std::vector<float> along(n + 1, 0.0f);
        for (size_t i = 0; i < n; ++i) {
            const Vec2 p = loop[i], q = loop[(i + 1) % n];
            along[i + 1] =
                along[i] + std::sqrt((q.x - p.x) * (q.x - p.x) + (q.y - p.y) * (q.y - p.y));
        }
        for (size_t r = 0; r + 1 < rings.size(); ++r) {
            const Ring top = rings[r], bottom = rings[r + 1];
            if (top.z == bottom.z) continue;
            const float vTop = (top.z + h) / depth, vBottom = (bottom.z + h) / depth;
            for (size_t i = 0; i < n; ++i) {
                const size_t j = (i + 1) % n;
                const Vec2 t0 = (*top.points)[i], t1 = (*top.points)[j];
                const Vec2 b0 = (*bottom.points)[i], b1 = (*bottom.points)[j];
                const Vec3 a = {t0.x, t0.y, top.z}, d = {b0.x, b0.y, bottom.z};
                const Vec3 c = {b1.x, b1.y, bottom.z}, e = {t1.x, t1.y, top.z};
                Vec3 normal = normalise(cross(d - a, c - a) + cross(c - a, e - a));
                const float u0 = along[i] / along[n], u1 = along[i + 1] / along[n];
                const uint32_t va = mesh.addVertex(a, normal, {u0, vTop});
                const uint32_t vd = mesh.addVertex(d, normal, {u0, vBottom});
                const uint32_t vc = mesh.addVertex(c, normal, {u1, vBottom});
                const uint32_t ve = mesh.addVertex(e, normal, {u1, vTop});
                mesh.addQuad(g, va, vd, vc, ve);
            }
        }
    }

    // Caps: each outer loop with the holes inside it.
    for (size_t o = 0; o < loops.size(); ++o) {
        if (capLoops[o].empty() || signedArea(loops[o]) < 0.0f) continue;
        std::vector<Loop> holes;
        for (size_t k = 0; k < loops.size(); ++k) {
            if (capLoops[k].empty() || signedArea(loops[k]) > 0.0f) continue;
            const Vec2 mid = {(loops[k][0].x + loops[k][1].x) * 0.5f,
                              (loops[k][0].y + loops[k][1].y) * 0.5f};
            size_t owner = loops.size();
            for (size_t c = 0; c < loops.size(); ++c)
                if (!capLoops[c].empty() && signedArea(loops[c]) > 0.0f &&
                    pointInLoop(mid, loops[c]) &&
                    (owner == loops.size() || signedArea(loops[c]) < signedArea(loops[owner])))
                    owner = c;
            if (owner == o) holes.push_back(capLoops[k]);
        }
        const std::vector<Vec2> corners = triangulate(capLoops[o], holes);
        for (size_t t = 0; t + 2 < corners.size(); t += 3) {
            uint32_t front[3], back[3];
            for (int k = 0; k < 3; ++k) {
                const Vec2 p = corners[t + k];
                const Vec2 uv = {(p.x - lo.x) / span.x, (p.y - lo.y) / span.y};
                front[k] = mesh.addVertex({p.x, p.y, h}, {0.0f, 0.0f, 1.0f}, uv);
                back[k] = mesh.addVertex({p.x, p.y, -h}, {0.0f, 0.0f, -1.0f}, uv);
            }
            mesh.addTriangle(g, front[0], front[1], front[2]);
            mesh.addTriangle(g, back[0], back[2], back[1]);
        }
    }
    return mesh;
}
