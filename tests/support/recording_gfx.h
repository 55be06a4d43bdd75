// recording_gfx.h - a graphics context for scene tests that passes every call on to a real
// gfxContext and keeps a journal of the ones a scene's pass chain is judged by: programs
// selected, vector and matrix uniforms and samplers set, quads drawn (with the blend factors
// and the viewport they were drawn with), targets leased and textures loaded.
//
// A plug-in reaches the host only through igfxContext, so handing it this object instead of
// the real context shows everything the scene and its compiled-in post-processing do, while
// the real context still draws on llvmpipe.
#pragma once

#include "gfx_context.h"
#include "irender_target.h"
#include "render_state.h"

#include <array>
#include <string>
#include <vector>

// One blend factor (kBlend*) of a render-state word such as Quad::state; `shift` is one of
// rs::kBlend*Shift.
inline uint64_t blendField(uint64_t state, int shift) {
    return rs::field(state, shift, 0xfull << shift);
}

class RecordingGfx final : public igfxContext {
  public:
    // One uniform set: a vector (4 floats) or a matrix (16).
    template <size_t N> struct Uniform {
        std::string shader, uniform;
        std::array<float, N> value;
    };
    using Vector = Uniform<4>;
    using Matrix = Uniform<16>;
    struct Sampler {
        std::string shader, sampler;
        TextureHandle* texture;
    };
    struct Quad {
        std::string shader; // the program selected last
        float x0, y0, x1, y1;
        uint64_t state; // the requested render-state word at the draw
        std::array<int, 4> viewport;
    };
    struct Lease {
        int width, height;
    };

    explicit RecordingGfx(gfxContext* real) : real_(real) {}

    void clearJournal() {
        used.clear();
        vectors.clear();
        matrices.clear();
        samplers.clear();
        quads.clear();
        leases.clear();
        loads.clear();
    }
    // The values set on `uniform` of `shader`, in order.
    std::vector<std::array<float, 4>> vectorsOf(const std::string& shader,
                                                const std::string& uniform) const {
        return valuesOf(vectors, shader, uniform);
    }
    std::vector<std::array<float, 16>> matricesOf(const std::string& shader,
                                                  const std::string& uniform) const {
        return valuesOf(matrices, shader, uniform);
    }
    // The program of each quad drawn, in order.
    std::vector<std::string> quadShaders() const {
        std::vector<std::string> out;
        for (const Quad& q : quads) out.push_back(q.shader);
        return out;
    }
    // How many times `name` was selected.
    int uses(const std::string& name) const {
        int n = 0;
        for (const std::string& s : used) n += s == name;
        return n;
    }
    bool usedShader(const std::string& name) const { return uses(name) > 0; }
    bool sampled(TextureHandle* texture) const {
        for (const Sampler& s : samplers)
            if (s.texture == texture) return true;
        return false;
    }
    bool loaded(const std::string& file) const {
        for (const std::string& f : loads)
            if (f == file) return true;
        return false;
    }

    std::vector<std::string> used;
    std::vector<Vector> vectors;
    std::vector<Matrix> matrices;
    std::vector<Sampler> samplers;
    std::vector<Quad> quads;
    std::vector<Lease> leases;
    std::vector<std::string> loads;

    // ---- igfxContext: journal, then pass on ----------------------------------------------------
    void init(const WindowDesc* desc) override { real_->init(desc); }
    void setClearColor(float r, float g, float b, float a) override {
        real_->setClearColor(r, g, b, a);
    }
    void setClearDepth(float depth) override { real_->setClearDepth(depth); }
    void setClearStencil(uint8_t value) override { real_->setClearStencil(value); }
    void clear(int flags) override { real_->clear(flags); }
    int32_t* viewport() override { return real_->viewport(); }
    void setViewport(const int& x, const int& y, const int& w, const int& h) override {
        real_->setViewport(x, y, w, h);
    }
    void drawTriangles(const float* p, int n) override { real_->drawTriangles(p, n); }
    void drawIndexedTrianglesUV2(const uint32_t* i, const float* p, const float* uv,
                                 const float* uv2, int n) override {
        real_->drawIndexedTrianglesUV2(i, p, uv, uv2, n);
    }
    void drawIndexedTrianglesUV(const uint32_t* i, const float* p, const float* uv,
                                int n) override {
        real_->drawIndexedTrianglesUV(i, p, uv, n);
    }
    void drawIndexedTriangles(const uint32_t* i, const float* p, int n) override {
        real_->drawIndexedTriangles(i, p, n);
    }
    void drawPoints3(const float* p, int n) override { real_->drawPoints3(p, n); }
    void drawPoints(const float* p, int n) override { real_->drawPoints(p, n); }
    void drawLines(const float* p, int n) override { real_->drawLines(p, n); }
    void drawQuad(const float& x0, const float& y0, const float& x1, const float& y1,
                  const float& u, const float& v) override {
        const int32_t* vp = real_->viewport();
        quads.push_back({used.empty() ? std::string() : used.back(),
                         x0,
                         y0,
                         x1,
                         y1,
                         *real_->renderState(),
                         {vp[0], vp[1], vp[2], vp[3]}});
        real_->drawQuad(x0, y0, x1, y1, u, v);
    }
    // Through this object, so that the quad is journalled.
    void drawFullscreenQuad() override { drawFullscreenQuadUV(1.0f, 1.0f); }
    void drawFullscreenQuadUV(const float& u, const float& v) override {
        drawQuad(-1.0f, -1.0f, 1.0f, 1.0f, u, v);
    }
    void drawBox(const float* box) override { real_->drawBox(box); }
    uint64_t* renderState() override { return real_->renderState(); }
    void applyRenderState() override { real_->applyRenderState(); }
    void pushRenderState() override { real_->pushRenderState(); }
    void popRenderState() override { real_->popRenderState(); }
    void loadShaderDefines(const std::string& name, const std::string& v, const std::string& f,
                           const char* defines) override {
        real_->loadShaderDefines(name, v, f, defines);
    }
    void loadShaderGeometry(const std::string& name, const std::string& v, const std::string& g,
                            const std::string& f) override {
        real_->loadShaderGeometry(name, v, g, f);
    }
    void loadShader(const std::string& name, const std::string& v, const std::string& f) override {
        real_->loadShader(name, v, f);
    }
    bool hasShader(const std::string& name, const char* defines) override {
        return real_->hasShader(name, defines);
    }
    uint32_t useShader(const std::string& name) override {
        used.push_back(name);
        return real_->useShader(name);
    }
    void setTexture(const std::string& shader, const std::string& sampler,
                    TextureHandle* texture) override {
        samplers.push_back({shader, sampler, texture});
        real_->setTexture(shader, sampler, texture);
    }
    void setMatrix(const std::string& shader, const std::string& uniform,
                   const float* m16) override {
        Matrix m{shader, uniform, {}};
        for (int i = 0; i < 16; ++i) m.value[i] = m16[i];
        matrices.push_back(m);
        real_->setMatrix(shader, uniform, m16);
    }
    void setVector(const std::string& shader, const std::string& uniform,
                   const float* v4) override {
        vectors.push_back({shader, uniform, {v4[0], v4[1], v4[2], v4[3]}});
        real_->setVector(shader, uniform, v4);
    }
    iModel* loadModel(const std::string& name, const std::string& file) override {
        return real_->loadModel(name, file);
    }
    iModel* model(const std::string& name) override { return real_->model(name); }
    TextureHandle* loadTexture(const std::string& file, bool mipmaps, int wrap, bool compress,
                               int dimensions) override {
        loads.push_back(file);
        return real_->loadTexture(file, mipmaps, wrap, compress, dimensions);
    }
    TextureHandle* createTexture1D(int w, int pf, int itf, const void* px) override {
        return real_->createTexture1D(w, pf, itf, px);
    }
    TextureHandle* createTexture2D(int w, int h, int pf, int itf, int wrap,
                                   const void* px) override {
        return real_->createTexture2D(w, h, pf, itf, wrap, px);
    }
    TextureHandle* createTexture3D(int w, int h, int d, int pf, int itf, const void* px) override {
        return real_->createTexture3D(w, h, d, pf, itf, px);
    }
    void updateTexture(TextureHandle* t, int x, int y, int w, int h, int pf,
                       const void* px) override {
        real_->updateTexture(t, x, y, w, h, pf, px);
    }
    RenderTargetHandle acquireRenderTarget(int width, int height) override {
        leases.push_back({width, height});
        return real_->acquireRenderTarget(width, height);
    }
    RenderTargetHandle acquireScreenRenderTarget(int divisor) override {
        RenderTargetHandle h = real_->acquireScreenRenderTarget(divisor);
        const TextureHandle* t = h.target ? h.target->texture() : nullptr;
        leases.push_back({t ? t->width : -1, t ? t->height : -1});
        return h;
    }
    iRenderTarget* createRenderTarget(TextureHandle* texture, bool hasDepth) override {
        return real_->createRenderTarget(texture, hasDepth);
    }
    void releaseRenderTarget(RenderTargetHandle* handle) override {
        real_->releaseRenderTarget(handle);
    }
    TextureHandle* depthTexture(iRenderTarget* target) override {
        return real_->depthTexture(target);
    }

  private:
    template <size_t N>
    static std::vector<std::array<float, N>> valuesOf(const std::vector<Uniform<N>>& set,
                                                      const std::string& shader,
                                                      const std::string& uniform) {
        std::vector<std::array<float, N>> out;
        for (const Uniform<N>& u : set)
            if (u.shader == shader && u.uniform == uniform) out.push_back(u.value);
        return out;
    }

    gfxContext* real_;
};
