// igfx_context.h - the one rendering interface of the system.
//
// The host creates a single gfxContext (gfx_context.h), calls init() once its GL window
// exists, advances frameCounter every frame and hands the context to every scene. Plug-ins
// are built separately and call it through its table of virtual operations, so the order of
// the operations below, and their argument lists, are a binary contract: never reorder, insert
// or remove (a test pins the slots). Shaders, models and textures are addressed by name;
// "ref" arguments are passed by reference and only read.
//
// Vertex data for the draw operations are client-side arrays of tightly packed floats:
// attribute 0 = positions (vec4; vec3 for drawPoints3), 2 = first texture coordinate (vec2),
// 3 = second (vec2). The bound program must use these attribute locations.
#pragma once

#include <cstdint>
#include <string>

struct TextureHandle;
struct WindowDesc;
class iRenderTarget;
class iModel;
class igfxContext;

// A pooled render target on loan. Destroying the handle gives the target back to the context
// that lent it. Its first member is the target pointer, so &handle serves as iRenderTarget**.
struct RenderTargetHandle {
    iRenderTarget* target = nullptr;
    igfxContext* owner = nullptr;

    RenderTargetHandle() = default;
    RenderTargetHandle(iRenderTarget* t, igfxContext* o) : target(t), owner(o) {}
    RenderTargetHandle(RenderTargetHandle&& other) noexcept
        : target(other.target), owner(other.owner) {
        other.target = nullptr;
        other.owner = nullptr;
    }
    RenderTargetHandle& operator=(RenderTargetHandle&& other) noexcept;
    RenderTargetHandle(const RenderTargetHandle&) = delete;
    RenderTargetHandle& operator=(const RenderTargetHandle&) = delete;
    inline ~RenderTargetHandle();

    iRenderTarget* operator->() const { return target; }
};

class igfxContext {
  public:
    // The host sets it to (counter + 1) mod 2^31 once per frame, before scene dispatch.
    int32_t frameCounter = 0;
    // x, y, width, height as last set by setViewport; all -1 until then.
    int32_t viewportRect[4] = {-1, -1, -1, -1};

    // clang-format off
    virtual ~igfxContext() {}                                                            // 0
    virtual void init(const WindowDesc* desc) = 0;                                       // 1
    virtual void setClearColor(float r, float g, float b, float a) = 0;                  // 2
    virtual void setClearDepth(float depth) = 0;                                         // 3
    virtual void setClearStencil(uint8_t value) = 0;                                     // 4
    virtual void clear(int flags) = 0;                     /* 1 colour, 2 depth, 4 stencil  5 */
    virtual int32_t* viewport() { return viewportRect; }                                 // 6
    virtual void setViewport(const int& x, const int& y, const int& width, const int& height) = 0; // 7
    virtual void drawTriangles(const float* positions, int vertexCount) = 0;             // 8
    virtual void drawIndexedTrianglesUV2(const uint32_t* indices, const float* positions,
                                         const float* uv, const float* uv2, int indexCount) = 0; // 9
    virtual void drawIndexedTrianglesUV(const uint32_t* indices, const float* positions,
                                        const float* uv, int indexCount) = 0;            // 10
    virtual void drawIndexedTriangles(const uint32_t* indices, const float* positions,
                                      int indexCount) = 0;                               // 11
    virtual void drawPoints3(const float* positions, int count) = 0;                     // 12
    virtual void drawPoints(const float* positions, int count) = 0;                      // 13
    virtual void drawLines(const float* positions, int vertexCount) = 0;                 // 14
    virtual void drawQuad(const float& x0, const float& y0, const float& x1, const float& y1,
                          const float& u, const float& v) = 0;                           // 15
    virtual void drawFullscreenQuad() = 0;                                               // 16
    virtual void drawFullscreenQuadUV(const float& u, const float& v) = 0;               // 17
    virtual void drawBox(const float* box) = 0;        /* min x,y,z, max x,y,z          18 */
    virtual uint64_t* renderState() = 0;               /* the requested word, edit in place 19 */
    virtual void applyRenderState() = 0;                                                 // 20
    virtual void pushRenderState() = 0;                                                  // 21
    virtual void popRenderState() = 0;                                                   // 22
    virtual void loadShaderDefines(const std::string& name, const std::string& vertexFile,
                                   const std::string& fragmentFile, const char* defines) = 0; // 23
    virtual void loadShaderGeometry(const std::string& name, const std::string& vertexFile,
                                    const std::string& geometryFile,
                                    const std::string& fragmentFile) = 0;                // 24
    virtual void loadShader(const std::string& name, const std::string& vertexFile,
                            const std::string& fragmentFile) = 0;                        // 25
    virtual bool hasShader(const std::string& name, const char* defines) = 0;            // 26
    virtual uint32_t useShader(const std::string& name) = 0;                             // 27
    virtual void setTexture(const std::string& shader, const std::string& sampler,
                            TextureHandle* texture) = 0;                                 // 28
    virtual void setMatrix(const std::string& shader, const std::string& uniform,
                           const float* m16) = 0;                                        // 29
    virtual void setVector(const std::string& shader, const std::string& uniform,
                           const float* v4) = 0;                                         // 30
    virtual iModel* loadModel(const std::string& name, const std::string& file) = 0;     // 31
    virtual iModel* model(const std::string& name) = 0;                                  // 32
    virtual TextureHandle* loadTexture(const std::string& file, bool mipmaps, int wrap,
                                       bool compress, int dimensions) = 0;               // 33
    virtual TextureHandle* createTexture1D(int width, int pixelFormat, int internalFormat,
                                           const void* pixels) = 0;                      // 34
    virtual TextureHandle* createTexture2D(int width, int height, int pixelFormat,
                                           int internalFormat, int wrap,
                                           const void* pixels) = 0;                      // 35
    virtual TextureHandle* createTexture3D(int width, int height, int depth, int pixelFormat,
                                           int internalFormat, const void* pixels) = 0;  // 36
    virtual void updateTexture(TextureHandle* texture, int x, int y, int width, int height,
                               int pixelFormat, const void* pixels) = 0;                 // 37
    virtual RenderTargetHandle acquireRenderTarget(int width, int height) = 0;           // 38
    virtual RenderTargetHandle acquireScreenRenderTarget(int divisor) = 0;               // 39
    virtual iRenderTarget* createRenderTarget(TextureHandle* texture, bool hasDepth) = 0; // 40
    virtual void releaseRenderTarget(RenderTargetHandle* handle) = 0;                    // 41
    virtual TextureHandle* depthTexture(iRenderTarget* target) = 0;                      // 42
    // clang-format on
};

inline RenderTargetHandle::~RenderTargetHandle() {
    if (owner) owner->releaseRenderTarget(this);
}

inline RenderTargetHandle& RenderTargetHandle::operator=(RenderTargetHandle&& other) noexcept {
    if (this != &other) {
        if (owner) owner->releaseRenderTarget(this);
        target = other.target;
        owner = other.owner;
        other.target = nullptr;
        other.owner = nullptr;
    }
    return *this;
}
