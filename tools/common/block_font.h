// block_font.h - the production's own 5 x 7 block font: letters A-Z, digits and a little
// punctuation, each a grid of square blocks. One design serves three uses:
//   - BlockTextField: a signed distance to set text, for soft, glowing logo images (the
//     distance-field scene's logos are drawn with it);
//   - stampText / drawText: text drawn straight into a picture, hard-edged or anti-aliased;
//   - glyphOutline / textOutline: the blocks as polygons, for extrude() (extrude.h) into a
//     solid 3-D logo.
// Lower-case letters draw as capitals; characters the font lacks leave their space empty.
//
// Glyph units: a block is 1 x 1, a glyph 5 wide and 7 high, the advance 6 (one block of
// space). Pictures are addressed as Picture::at, with glyph row 0 on picture row `top`:
// text stands upright in a Picture::kTopFirst picture. Outlines have y up, the baseline at 0.
#pragma once

#include "extrude.h"
#include "picture.h"

#include <string>
#include <vector>

constexpr int kGlyphColumns = 5, kGlyphRows = 7, kGlyphAdvance = 6;

struct BlockGlyph {
    char c;
    const char* rows[kGlyphRows]; // top row first; '#' a block, '.' empty
};

// The glyph for `c` (either case), or null.
const BlockGlyph* findGlyph(char c);
// Every character the font has, in table order.
std::string blockFontCharacters();
// Width of `text` in blocks: advance per character less the space after the last.
int textBlocks(const std::string& text);

// Signed distance, in pixels, to `text` set centred at (cx, cy) with blocks of `cell` pixels
// (y grows downwards). Neighbouring blocks touch, so strokes are solid; the rounding softens
// the outer corners.
class BlockTextField {
  public:
    BlockTextField(const std::string& text, float cx, float cy, float cell);
    float distance(float x, float y) const;

  private:
    struct Cell {
        float x, y;
    };
    std::vector<Cell> cells_;
    float half_ = 0.0f, round_ = 0.0f;
};

// Fills each block of `text` as a cell x cell square of `colour`, the first glyph's top left
// block at pixel (left, top); what falls outside the picture is dropped.
void stampText(Picture& picture, const std::string& text, int left, int top, int cell, Rgb colour);
// `text` centred at (cx, cy), anti-aliased through BlockTextField, over what is there.
void drawText(Picture& picture, const std::string& text, float cx, float cy, float cell,
              Rgb colour);

// The glyph's blocks as closed loops in glyph units: blocks that share a side merge into one
// loop, outer loops counter-clockwise, holes clockwise, no point where a side runs straight
// on. Blocks that touch only at a corner stay separate loops meeting at that point.
std::vector<Loop> glyphOutline(char c);
// Outlines of a whole text, glyph i moved right by kGlyphAdvance · i.
std::vector<Loop> textOutline(const std::string& text);
