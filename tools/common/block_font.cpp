// block_font.cpp - see block_font.h. The first thirteen glyphs are the ones the logo images
// were first drawn with; changing them changes those images.
#include "block_font.h"

#include <algorithm>
#include <cctype>
#include <cmath>
#include <map>
#include <utility>

namespace {

const BlockGlyph kGlyphs[] = {
    {'A', {".###.", "#...#", "#...#", "#####", "#...#", "#...#", "#...#"}},
    {'E', {"#####", "#....", "#....", "####.", "#....", "#....", "#####"}},
    {'K', {"#...#", "#..#.", "#.#..", "##...", "#.#..", "#..#.", "#...#"}},
    {'L', {"#....", "#....", "#....", "#....", "#....", "#....", "#####"}},
    {'M', {"#...#", "##.##", "#.#.#", "#.#.#", "#...#", "#...#", "#...#"}},
    {'N', {"#...#", "##..#", "#.#.#", "#..##", "#...#", "#...#", "#...#"}},
    {'O', {".###.", "#...#", "#...#", "#...#", "#...#", "#...#", ".###."}},
    {'P', {"####.", "#...#", "#...#", "####.", "#....", "#....", "#...."}},
    {'R', {"####.", "#...#", "#...#", "####.", "#.#..", "#..#.", "#...#"}},
    {'T', {"#####", "..#..", "..#..", "..#..", "..#..", "..#..", "..#.."}},
    {'U', {"#...#", "#...#", "#...#", "#...#", "#...#", "#...#", ".###."}},
    {'V', {"#...#", "#...#", "#...#", "#...#", "#...#", ".#.#.", "..#.."}},
    {'X', {"#...#", "#...#", ".#.#.", "..#..", ".#.#.", "#...#", "#...#"}},
    {'B', {"####.", "#...#", "#...#", "####.", "#...#", "#...#", "####."}},
    {'C', {".###.", "#...#", "#....", "#....", "#....", "#...#", ".###."}},
    {'D', {"####.", "#...#", "#...#", "#...#", "#...#", "#...#", "####."}},
    {'F', {"#####", "#....", "#....", "####.", "#....", "#....", "#...."}},
    {'G', {".###.", "#...#", "#....", "#.###", "#...#", "#...#", ".###."}},
    {'H', {"#...#", "#...#", "#...#", "#####", "#...#", "#...#", "#...#"}},
    {'I', {"#####", "..#..", "..#..", "..#..", "..#..", "..#..", "#####"}},
    {'J', {"..###", "...#.", "...#.", "...#.", "...#.", "#..#.", ".##.."}},
    {'Q', {".###.", "#...#", "#...#", "#...#", "#.#.#", "#..#.", ".##.#"}},
    {'S', {".###.", "#...#", "#....", ".###.", "....#", "#...#", ".###."}},
    {'W', {"#...#", "#...#", "#...#", "#.#.#", "#.#.#", "##.##", "#...#"}},
    {'Y', {"#...#", "#...#", ".#.#.", "..#..", "..#..", "..#..", "..#.."}},
    {'Z', {"#####", "....#", "...#.", "..#..", ".#...", "#....", "#####"}},
    {'0', {".###.", "#...#", "#..##", "#.#.#", "##..#", "#...#", ".###."}},
    {'1', {"..#..", ".##..", "..#..", "..#..", "..#..", "..#..", ".###."}},
    {'2', {".###.", "#...#", "....#", "...#.", "..#..", ".#...", "#####"}},
    {'3', {"#####", "...#.", "..#..", "...#.", "....#", "#...#", ".###."}},
    {'4', {"...#.", "..##.", ".#.#.", "#..#.", "#####", "...#.", "...#."}},
    {'5', {"#####", "#....", "####.", "....#", "....#", "#...#", ".###."}},
    {'6', {"..##.", ".#...", "#....", "####.", "#...#", "#...#", ".###."}},
    {'7', {"#####", "....#", "...#.", "..#..", ".#...", ".#...", ".#..."}},
    {'8', {".###.", "#...#", "#...#", ".###.", "#...#", "#...#", ".###."}},
    {'9', {".###.", "#...#", "#...#", ".####", "....#", "...#.", ".##.."}},
    {' ', {".....", ".....", ".....", ".....", ".....", ".....", "....."}},
    {'.', {".....", ".....", ".....", ".....", ".....", ".##..", ".##.."}},
    {',', {".....", ".....", ".....", ".....", ".##..", "..#..", ".#..."}},
    {'!', {"..#..", "..#..", "..#..", "..#..", "..#..", ".....", "..#.."}},
    {'?', {".###.", "#...#", "....#", "...#.", "..#..", ".....", "..#.."}},
    {'-', {".....", ".....", ".....", ".###.", ".....", ".....", "....."}},
    {'+', {".....", "..#..", "..#..", "#####", "..#..", "..#..", "....."}},
    {':', {".....", ".##..", ".##..", ".....", ".##..", ".##..", "....."}},
    {'\'', {"..#..", "..#..", ".#...", ".....", ".....", ".....", "....."}},
    {'/', {"....#", "....#", "...#.", "..#..", ".#...", "#....", "#...."}},
    {'&', {".##..", "#..#.", "#.#..", ".#...", "#.#.#", "#..#.", ".##.#"}},
};

float boxDistance(float px, float py, float cx, float cy, float half) {
    const float qx = std::fabs(px - cx) - half, qy = std::fabs(py - cy) - half;
    const float ox = std::max(qx, 0.0f), oy = std::max(qy, 0.0f);
    return std::sqrt(ox * ox + oy * oy) + std::min(std::max(qx, qy), 0.0f);
}

bool filled(const BlockGlyph& g, int column, int row) {
    return column >= 0 && column < kGlyphColumns && row >= 0 && row < kGlyphRows &&
           g.rows[row][column] == '#';
}

} // namespace

const BlockGlyph* findGlyph(char c) {
    const char upper = static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
    for (const BlockGlyph& g : kGlyphs)
        if (g.c == upper) return &g;
    return nullptr;
}

std::string blockFontCharacters() {
    std::string all;
    for (const BlockGlyph& g : kGlyphs) all += g.c;
    return all;
}

int textBlocks(const std::string& text) {
    return text.empty() ? 0 : kGlyphAdvance * static_cast<int>(text.size()) - 1;
}

// ---- distance field -------------------------------------------------------------------------

BlockTextField::BlockTextField(const std::string& text, float cx, float cy, float cell) {
    const float advance = 6.0f * cell;
    const float left = cx - (advance * text.size() - cell) * 0.5f;
    const float top = cy - 3.5f * cell;
    for (size_t i = 0; i < text.size(); ++i) {
        const BlockGlyph* g = findGlyph(text[i]);
        if (!g) continue;
        for (int row = 0; row < 7; ++row)
            for (int col = 0; col < 5; ++col)
                if (g->rows[row][col] == '#')
                    cells_.push_back(
                        {left + i * advance + (col + 0.5f) * cell, top + (row + 0.5f) * cell});
    }
    half_ = cell * 0.5f;
    round_ = cell * 0.3f;
}

float BlockTextField::distance(float x, float y) const {
    float d = 1e9f;
    for (const Cell& c : cells_) {
        if (std::fabs(x - c.x) > d + half_ || std::fabs(y - c.y) > d + half_) continue;
        d = std::min(d, boxDistance(x, y, c.x, c.y, half_ - round_) - round_);
    }
    return d;
}

// ---- pictures -------------------------------------------------------------------------------

void stampText(Picture& picture, const std::string& text, int left, int top, int cell, Rgb colour) {
    for (size_t i = 0; i < text.size(); ++i) {
        const BlockGlyph* g = findGlyph(text[i]);
        if (!g) continue;
        for (int row = 0; row < kGlyphRows; ++row)
            for (int col = 0; col < kGlyphColumns; ++col) {
                if (!filled(*g, col, row)) continue;
                const int x0 = left + (static_cast<int>(i) * kGlyphAdvance + col) * cell;
                const int y0 = top + row * cell;
                for (int y = std::max(y0, 0); y < std::min(y0 + cell, picture.height()); ++y)
                    for (int x = std::max(x0, 0); x < std::min(x0 + cell, picture.width()); ++x)
                        picture.at(x, y) = colour;
            }
    }
}

void drawText(Picture& picture, const std::string& text, float cx, float cy, float cell,
              Rgb colour) {
    const BlockTextField field(text, cx, cy, cell);
    for (int y = 0; y < picture.height(); ++y)
        for (int x = 0; x < picture.width(); ++x) {
            const float a = clamp01(0.5f - field.distance(x + 0.5f, y + 0.5f));
            if (a <= 0.0f) continue;
            Rgb& p = picture.at(x, y);
            p = {p.r + (colour.r - p.r) * a, p.g + (colour.g - p.g) * a,
                 p.b + (colour.b - p.b) * a};
        }
}

// ---- outlines -------------------------------------------------------------------------------

// Traces the sides between blocks and empty space, each directed with its block on the left.
// Where two loops meet at a corner the walk turns left, keeping to its own block, so blocks
// that touch only diagonally stay apart.
std::vector<Loop> glyphOutline(char c) {
    const BlockGlyph* g = findGlyph(c);
    if (!g) return {};
    struct Side {
        int x, y, dir; // start corner (y up) and direction: 0 +x, 1 +y, 2 -x, 3 -y
        bool used;
    };
    static const int kStep[4][2] = {{1, 0}, {0, 1}, {-1, 0}, {0, -1}};
    std::vector<Side> sides;
    for (int row = 0; row < kGlyphRows; ++row)
        for (int col = 0; col < kGlyphColumns; ++col) {
            if (!filled(*g, col, row)) continue;
            const int x = col, y = kGlyphRows - 1 - row; // block [x, x+1] x [y, y+1]
            if (!filled(*g, col, row + 1)) sides.push_back({x, y, 0, false});
            if (!filled(*g, col + 1, row)) sides.push_back({x + 1, y, 1, false});
            if (!filled(*g, col, row - 1)) sides.push_back({x + 1, y + 1, 2, false});
            if (!filled(*g, col - 1, row)) sides.push_back({x, y + 1, 3, false});
        }
    std::map<std::pair<int, int>, std::vector<size_t>> startingAt;
    for (size_t i = 0; i < sides.size(); ++i) startingAt[{sides[i].x, sides[i].y}].push_back(i);

    std::vector<Loop> loops;
    for (size_t first = 0; first < sides.size(); ++first) {
        if (sides[first].used) continue;
        std::vector<size_t> walk;
        for (size_t at = first; at < sides.size() && !sides[at].used;) {
            sides[at].used = true;
            walk.push_back(at);
            const Side& s = sides[at];
            const std::pair<int, int> end = {s.x + kStep[s.dir][0], s.y + kStep[s.dir][1]};
            size_t next = sides.size();
            for (int turn : {1, 0, 3}) // left, straight on, right
                for (size_t k : startingAt[end])
                    if (next == sides.size() && sides[k].dir == (s.dir + turn) % 4 &&
                        (!sides[k].used || k == first))
                        next = k;
            at = next;
        }
        Loop loop;
        for (size_t k = 0; k < walk.size(); ++k) {
            const Side& s = sides[walk[k]];
            if (s.dir != sides[walk[(k + walk.size() - 1) % walk.size()]].dir)
                loop.push_back({float(s.x), float(s.y)});
        }
        if (loop.size() >= 4) loops.push_back(loop);
    }
    return loops;
}

std::vector<Loop> textOutline(const std::string& text) {
    std::vector<Loop> all;
    for (size_t i = 0; i < text.size(); ++i)
        for (Loop loop : glyphOutline(text[i])) {
            for (Vec2& p : loop) p.x += float(kGlyphAdvance * static_cast<int>(i));
            all.push_back(loop);
        }
    return all;
}
