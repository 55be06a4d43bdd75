// gfx_context.h - gfxContext, the one implementation of igfxContext.
//
// The host constructs it after its window exists (construction loads the default textures, so
// a GL context must be current) and calls init() once. It owns, in construction order: the
// shader library, the render-state cache, the model registry, the render-target pool and the
// texture manager; destruction runs in reverse. Most operations forward to one of them.
#pragma once

#include "igfx_context.h"
#include "render_state_cache.h"
#include "render_target.h"
#include "shader_library.h"
#include "texture_manager.h"

#include <string>
#include <unordered_map>
#include <unordered_set>

class gfxContext : public igfxContext {
  public:
    gfxContext();
    ~gfxContext() override;
    gfxContext(const gfxContext&) = delete;
    gfxContext& operator=(const gfxContext&) = delete;

    void init(const WindowDesc* desc) override;
    void setClearColor(float r, float g, float b, float a) override;
    void setClearDepth(float depth) override;
    void setClearStencil(uint8_t value) override;
    void clear(int flags) override;
    void setViewport(const int& x, const int& y, const int& width, const int& height) override;
    void drawTriangles(const float* positions, int vertexCount) override;
    void drawIndexedTrianglesUV2(const uint32_t* indices, const float* positions, const float* uv,
                                 const float* uv2, int indexCount) override;
    void drawIndexedTrianglesUV(const uint32_t* indices, const float* positions, const float* uv,
                                int indexCount) override;
    void drawIndexedTriangles(const uint32_t* indices, const float* positions,
                              int indexCount) override;
    void drawPoints3(const float* positions, int count) override;
    void drawPoints(const float* positions, int count) override;
    void drawLines(const float* positions, int vertexCount) override;
    void drawQuad(const float& x0, const float& y0, const float& x1, const float& y1,
                  const float& u, const float& v) override;
    void drawFullscreenQuad() override;
    void drawFullscreenQuadUV(const float& u, const float& v) override;
    void drawBox(const float* box) override;
    uint64_t* renderState() override { return &state_.requested; }
    void applyRenderState() override { state_.apply(); }
    void pushRenderState() override { state_.push(); }
    void popRenderState() override { state_.pop(); }
    void loadShaderDefines(const std::string& name, const std::string& vertexFile,
                           const std::string& fragmentFile, const char* defines) override;
    void loadShaderGeometry(const std::string& name, const std::string& vertexFile,
                            const std::string& geometryFile,
                            const std::string& fragmentFile) override;
    void loadShader(const std::string& name, const std::string& vertexFile,
                    const std::string& fragmentFile) override;
    bool hasShader(const std::string& name, const char* defines) override;
    uint32_t useShader(const std::string& name) override;
    void setTexture(const std::string& shader, const std::string& sampler,
                    TextureHandle* texture) override;
    void setMatrix(const std::string& shader, const std::string& uniform,
                   const float* m16) override;
    void setVector(const std::string& shader, const std::string& uniform, const float* v4) override;
    iModel* loadModel(const std::string& name, const std::string& file) override;
    iModel* model(const std::string& name) override;
    TextureHandle* loadTexture(const std::string& file, bool mipmaps, int wrap, bool compress,
                               int dimensions) override;
    TextureHandle* createTexture1D(int width, int pixelFormat, int internalFormat,
                                   const void* pixels) override;
    TextureHandle* createTexture2D(int width, int height, int pixelFormat, int internalFormat,
                                   int wrap, const void* pixels) override;
    TextureHandle* createTexture3D(int width, int height, int depth, int pixelFormat,
                                   int internalFormat, const void* pixels) override;
    void updateTexture(TextureHandle* texture, int x, int y, int width, int height, int pixelFormat,
                       const void* pixels) override;
    RenderTargetHandle acquireRenderTarget(int width, int height) override;
    RenderTargetHandle acquireScreenRenderTarget(int divisor) override;
    iRenderTarget* createRenderTarget(TextureHandle* texture, bool hasDepth) override;
    void releaseRenderTarget(RenderTargetHandle* handle) override;
    TextureHandle* depthTexture(iRenderTarget* target) override;

    // The screen: render width, and the window height when the description asks for it.
    int screenWidth() const;
    int screenHeight() const;
    const RenderTargetPool& renderTargetPool() const { return pool_; }
    // The development player rebuilds programs from their files while the demo runs.
    ShaderLibrary& shaderLibrary() { return shaders_; }

  private:
    const WindowDesc* desc_ = nullptr;
    // Declared in construction order; destroyed in reverse.
    ShaderLibrary shaders_;
    RenderStateCache state_;
    std::unordered_map<std::string, iModel*> models_;
    RenderTargetPool pool_;
    TextureManager textures_;
    // The depth copy of each render target, made on the first depthTexture() call for it, or
    // for a pooled target when the pool makes it (makeDepthCopy): the pool hands its targets
    // out in turn, so a scene would otherwise meet a target without a copy, and make one,
    // frames after its first. A member, not a global: the context lives to the end of the
    // process, and a global map would be destroyed at exit before the leak check, leaving its
    // textures unreferenced.
    std::unordered_map<iRenderTarget*, TextureHandle*> depthTextures_;
    // Image files the texture manager refused; asked again, they give null without a word.
    std::unordered_set<std::string> refusedTextures_;
    // Programs (name and defines) that failed to build. Several plug-ins register the same
    // program; the failure is reported by the first and the others get no second report.
    std::unordered_set<std::string> refusedShaders_;
    // The empty depth copy of `target`, made now unless it has one.
    void makeDepthCopy(iRenderTarget* target);
    void loadShaderOnce(const std::string& name, const std::string& vertexFile,
                        const std::string& geometryFile, const std::string& fragmentFile,
                        const char* defines);
};
