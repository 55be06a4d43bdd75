// An identity table written by the asset kit, loaded by the scenes' own LUT loader on a real
// GL context: every texel of the 3D texture holds its own coordinates as red, green and blue,
// so grading through it changes nothing.
#include "colour_lut.h"
#include "gfx_context.h"
#include "gl_test_context.h"
#include "lut_loader.h"
#include "texture_handle.h"
#include "window.h"

#include <cmath>
#include <cstdint>
#include <string>
#include <vector>

TEST(AssetKitLut, IdentityTableLoadsAsTheIdentity3dTexture) {
    static WindowDesc desc{1280, 720, 1280, 720, false, false, false};
    gfxContext* gfx = makeTestGfx(&desc);
    const int n = 16;
    const std::string path = testing::TempDir() + "kit_identity_lut_gl.png";
    ASSERT_TRUE(writeLut(path, n, identityGrade, "test"));

    testing::internal::CaptureStderr();
    TextureHandle* lut = loadColorLut(gfx, path);
    EXPECT_EQ(testing::internal::GetCapturedStderr(), "");
    ASSERT_NE(lut, nullptr);

    std::vector<uint8_t> texels(static_cast<size_t>(n) * n * n * 4, 0);
    glBindTexture(GL_TEXTURE_3D, lut->name);
    glGetTexImage(GL_TEXTURE_3D, 0, GL_RGBA, GL_UNSIGNED_BYTE, texels.data());
    glBindTexture(GL_TEXTURE_3D, 0);
    auto level = [&](int i) { return static_cast<int>(std::lround(255.0 * i / (n - 1))); };
    int wrong = 0;
    for (int z = 0; z < n; ++z)
        for (int y = 0; y < n; ++y)
            for (int x = 0; x < n; ++x) {
                const uint8_t* t = &texels[((z * n + y) * n + x) * 4];
                const bool same =
                    t[0] == level(x) && t[1] == level(y) && t[2] == level(z) && t[3] == 255;
                if (!same && ++wrong <= 5)
                    ADD_FAILURE() << "texel " << x << "," << y << "," << z << " is " << int(t[0])
                                  << "," << int(t[1]) << "," << int(t[2]) << "," << int(t[3]);
            }
    EXPECT_EQ(wrong, 0);
}
