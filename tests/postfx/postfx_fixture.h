// postfx_fixture.h - a graphics context on a real GL context for pass tests, with small
// textures and targets made from pixel lists and read back.
//
// Every test is checked on the way out for what every pass promises: the requested render
// state as it was, no target left bound, every borrowed pool target given back, and no error
// from the shader library (a shader that failed to compile shows up here).
#pragma once

#include "gfx_context.h"
#include "gl_test_context.h"
#include "postfx.h"
#include "render_target.h"
#include "window.h"

#include <cstdint>
#include <string>
#include <vector>

using Pixels = std::vector<uint8_t>; // RGBA, rows bottom first

struct Rgba {
    int r, g, b, a;
};

class PostFx : public testing::Test {
  protected:
    static void SetUpTestSuite() {
        if (gfx) return;
        desc = WindowDesc{1280, 720, 1280, 720, false, false, false};
        gfx = makeTestGfx(&desc);
    }

    void SetUp() override {
        gfx->setClearColor(0.0f, 0.0f, 0.0f, 0.0f);
        stateBefore = *gfx->renderState();
        outstandingBefore = gfx->renderTargetPool().outstanding();
        // Only stderr: gtest reports failures on stdout as they happen.
        testing::internal::CaptureStderr();
    }

    void TearDown() override {
        const std::string err = takeStderr();
        testing::internal::GetCapturedStderr();
        EXPECT_EQ(err.find("ERROR"), std::string::npos) << err;
        EXPECT_EQ(err.find("not found"), std::string::npos) << err;
        EXPECT_EQ(*gfx->renderState(), stateBefore) << "the pass left the render state changed";
        EXPECT_EQ(gfx->renderTargetPool().outstanding(), outstandingBefore);
        GLint framebuffer = -1;
        glGetIntegerv(GL_FRAMEBUFFER_BINDING, &framebuffer);
        EXPECT_EQ(framebuffer, 0) << "a target was left bound";
    }

    // What the passes wrote to the standard error since the last call; capture goes on.
    std::string takeStderr() {
        const std::string err = testing::internal::GetCapturedStderr();
        testing::internal::CaptureStderr();
        return err;
    }

    // ---- pictures ---------------------------------------------------------------------------

    static Pixels solid(int w, int h, Rgba c) {
        Pixels p(size_t(w) * h * 4);
        for (size_t i = 0; i < p.size(); i += 4) {
            p[i] = uint8_t(c.r);
            p[i + 1] = uint8_t(c.g);
            p[i + 2] = uint8_t(c.b);
            p[i + 3] = uint8_t(c.a);
        }
        return p;
    }
    static void put(Pixels& p, int w, int x, int y, Rgba c) {
        uint8_t* q = &p[(size_t(y) * w + x) * 4];
        q[0] = uint8_t(c.r);
        q[1] = uint8_t(c.g);
        q[2] = uint8_t(c.b);
        q[3] = uint8_t(c.a);
    }
    static Rgba at(const Pixels& p, int w, int x, int y) {
        const uint8_t* q = &p[(size_t(y) * w + x) * 4];
        return {q[0], q[1], q[2], q[3]};
    }

    // A clamped, linearly filtered RGBA8 texture holding `pixels`.
    static TextureHandle* texture(int w, int h, const Pixels& pixels) {
        return gfx->createTexture2D(w, h, kFormatRGBA8, kFormatRGBA8, 2, pixels.data());
    }

    // A target of its own (not from the pool), holding `pixels`.
    static iRenderTarget* target(int w, int h, const Pixels& pixels) {
        cRenderTarget_fbo* t = new cRenderTarget_fbo();
        t->initWithSize(gfx, w, h, false);
        load(t, pixels);
        return t;
    }
    static void load(iRenderTarget* t, const Pixels& pixels) {
        TextureHandle* tex = t->texture();
        gfx->updateTexture(tex, 0, 0, tex->width, tex->height, kFormatRGBA8, pixels.data());
    }

    static Pixels read(iRenderTarget* t) {
        TextureHandle* tex = t->texture();
        Pixels p(size_t(tex->width) * tex->height * 4);
        t->bind(gfx, 0);
        glReadPixels(0, 0, tex->width, tex->height, GL_RGBA, GL_UNSIGNED_BYTE, p.data());
        t->unbind(gfx);
        return p;
    }

    // Current value of a vec4 uniform of a registered program.
    static std::vector<float> uniform(const std::string& shader, const char* name) {
        GLint previous = 0;
        glGetIntegerv(GL_CURRENT_PROGRAM, &previous);
        const GLuint program = gfx->useShader(shader);
        std::vector<float> v(4, -999.0f);
        const GLint location = glGetUniformLocation(program, name);
        if (location >= 0) glGetUniformfv(program, location, v.data());
        return v;
    }

    static WindowDesc desc;
    static gfxContext* gfx;
    uint64_t stateBefore = 0;
    int outstandingBefore = 0;
};
inline WindowDesc PostFx::desc;
inline gfxContext* PostFx::gfx = nullptr;

// Channel-wise comparison with a tolerance in 8-bit steps.
inline testing::AssertionResult near(Rgba got, Rgba want, int tolerance) {
    const int d[4] = {got.r - want.r, got.g - want.g, got.b - want.b, got.a - want.a};
    for (int v : d)
        if (v > tolerance || v < -tolerance)
            return testing::AssertionFailure()
                   << "got (" << got.r << ", " << got.g << ", " << got.b << ", " << got.a
                   << "), want (" << want.r << ", " << want.g << ", " << want.b << ", " << want.a
                   << ") within " << tolerance;
    return testing::AssertionSuccess();
}
