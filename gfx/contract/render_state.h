// render_state.h - the 64-bit requested render state word.
//
// Callers (the host, post-processing, plug-ins) edit the requested word in place through
// igfxContext::renderState(); nothing reaches GL until the next draw or clear, and then only
// the fields whose bits changed (render_state_cache.h). The bit positions are part of the
// host/plug-in contract.
//
//   bit  0      depth write                 bits 12-15  blend source factor, colour
//   bits 1-3    depth function index        bits 16-19  blend destination factor, colour
//   bits 4-5    polygon mode (fill/pt/line) bits 20-23  blend source factor, alpha
//   bit  6      face culling on             bits 24-27  blend destination factor, alpha
//   bit  7      culled face: 1 back 0 front bits 32-35  colour write mask r, g, b, a
//   bit  8      front face: 1 CCW 0 CW
//   bit  9      multisampling on
//   bit 10      alpha test on
#pragma once

#include <cstdint>

// Depth function indices.
enum DepthFunc : uint32_t {
    kDepthLess = 0,
    kDepthLequal = 1,
    kDepthGreater = 2,
    kDepthEqual = 3,
    kDepthGequal = 4,
    kDepthAlways = 5,
};

// Polygon modes.
enum PolygonMode : uint32_t { kPolygonFill = 0, kPolygonPoint = 1, kPolygonLine = 2 };

// Blend-factor indices.
enum BlendFactor : uint32_t {
    kBlendZero = 0,
    kBlendOne = 1,
    kBlendSrcColor = 2,
    kBlendOneMinusSrcColor = 3,
    kBlendSrcAlpha = 4,
    kBlendOneMinusSrcAlpha = 5,
    kBlendDstAlpha = 6,
    kBlendOneMinusDstAlpha = 7,
};

namespace rs {

constexpr uint64_t kDepthWrite = 1ull << 0;
constexpr int kDepthFuncShift = 1;
constexpr uint64_t kDepthFuncMask = 7ull << kDepthFuncShift;
constexpr int kPolygonShift = 4;
constexpr uint64_t kPolygonMask = 3ull << kPolygonShift;
constexpr uint64_t kCullEnable = 1ull << 6;
constexpr uint64_t kCullBack = 1ull << 7;
constexpr uint64_t kFrontCCW = 1ull << 8;
constexpr uint64_t kMultisample = 1ull << 9;
constexpr uint64_t kAlphaTest = 1ull << 10;
constexpr int kBlendSrcColorShift = 12;
constexpr int kBlendDstColorShift = 16;
constexpr int kBlendSrcAlphaShift = 20;
constexpr int kBlendDstAlphaShift = 24;
constexpr uint64_t kBlendMask = 0xffffull << kBlendSrcColorShift;
constexpr int kColorMaskShift = 32;
constexpr uint64_t kColorMask = 0xfull << kColorMaskShift;

inline uint64_t field(uint64_t word, int shift, uint64_t mask) {
    return (word & mask) >> shift;
}
inline void setField(uint64_t& word, int shift, uint64_t mask, uint64_t value) {
    word = (word & ~mask) | ((value << shift) & mask);
}
inline void setFlag(uint64_t& word, uint64_t bit, bool on) {
    word = on ? word | bit : word & ~bit;
}

inline void setDepthWrite(uint64_t& w, bool on) {
    setFlag(w, kDepthWrite, on);
}
inline void setDepthFunc(uint64_t& w, uint32_t f) {
    setField(w, kDepthFuncShift, kDepthFuncMask, f);
}
inline void setPolygonMode(uint64_t& w, uint32_t m) {
    setField(w, kPolygonShift, kPolygonMask, m);
}
inline void setCulling(uint64_t& w, bool on) {
    setFlag(w, kCullEnable, on);
}
inline void setCullBack(uint64_t& w, bool back) {
    setFlag(w, kCullBack, back);
}
inline void setFrontCCW(uint64_t& w, bool ccw) {
    setFlag(w, kFrontCCW, ccw);
}
inline void setMultisample(uint64_t& w, bool on) {
    setFlag(w, kMultisample, on);
}
inline void setAlphaTest(uint64_t& w, bool on) {
    setFlag(w, kAlphaTest, on);
}
inline void setBlend(uint64_t& w, uint32_t srcColor, uint32_t dstColor, uint32_t srcAlpha,
                     uint32_t dstAlpha) {
    uint64_t v = uint64_t(srcColor & 15) | uint64_t(dstColor & 15) << 4 |
                 uint64_t(srcAlpha & 15) << 8 | uint64_t(dstAlpha & 15) << 12;
    setField(w, kBlendSrcColorShift, kBlendMask, v);
}
// r, g, b, a as bits 0..3 of `rgba`.
inline void setColorMask(uint64_t& w, uint32_t rgba) {
    setField(w, kColorMaskShift, kColorMask, rgba);
}

// Depth write on, LESS, fill, back faces culled, CCW front, no multisampling or alpha test,
// blending (ONE, ZERO) for colour and alpha, all channels written.
inline uint64_t defaultWord() {
    uint64_t w = 0;
    setDepthWrite(w, true);
    setDepthFunc(w, kDepthLess);
    setPolygonMode(w, kPolygonFill);
    setCulling(w, true);
    setCullBack(w, true);
    setFrontCCW(w, true);
    setBlend(w, kBlendOne, kBlendZero, kBlendOne, kBlendZero);
    setColorMask(w, 0xf);
    return w;
}

} // namespace rs
