// demolive's panel in a real window: which keys it takes from the player. Its keys are the
// player's (Tab steps through the scenes); the panel may only have them while a field of its own
// is being typed into.
#include "gl_test_context.h"
#include "key_editor.h"
#include "panel.h"
#include "temp_dir.h"

#include <gtest/gtest.h>
#include <imgui.h>

#include <fstream>

namespace {

SDL_Event keyEvent(Uint32 type, SDL_Keycode key) {
    SDL_Event e{};
    e.type = type;
    e.key.state = type == SDL_KEYDOWN ? SDL_PRESSED : SDL_RELEASED;
    e.key.keysym.sym = key;
    e.key.keysym.scancode = SDL_GetScancodeFromKey(key);
    return e;
}

struct PanelFixture : ::testing::Test {
    TempDir dir;
    KeyEditor ed;
    PanelView view;

    void SetUp() override {
        const std::string path = dir.path() + "/demo.timeline";
        std::ofstream(path, std::ios::binary) << "tempo 145 8\ncyl_fade b0 0.5 linear\n";
        keyEditorOpen(ed, path);
        keyEditorSetColumns(ed, {{"cyl_fade", "cylinders_scene"}});
        // A picked track in a writable editor: the panel shows its value field.
        ASSERT_TRUE(ed.writable);
        view.trackView.editor = &ed;
        static bool ready = panelInit(g_glTestContext->window, g_glTestContext->context);
        ASSERT_TRUE(ready);
    }
    PanelRequests frame() {
        glBindFramebuffer(GL_FRAMEBUFFER, 0);
        return panelDraw(view);
    }
};

} // namespace

// A key held over a frame (as a person holds it) reaches the panel between its press and its
// release. Tab there used to move the panel's focus into the value field: the keys after it were
// typed into the field, and leaving it wrote the value back as a track edit.
TEST_F(PanelFixture, TabHeldOverFramesLeavesTheKeysToThePlayer) {
    frame();
    for (int i = 0; i < 3; ++i) {
        EXPECT_FALSE(panelEvent(keyEvent(SDL_KEYDOWN, SDLK_TAB))) << "press " << i;
        const PanelRequests during = frame();
        EXPECT_FALSE(panelEvent(keyEvent(SDL_KEYUP, SDLK_TAB)));
        const PanelRequests after = frame();
        EXPECT_FALSE(ImGui::GetIO().WantTextInput) << "Tab " << i << " focused a field";
        EXPECT_FALSE(during.trackView.dragValue || after.trackView.dragValue ||
                     after.trackView.setValue);
    }
    for (SDL_Keycode k : {SDLK_LEFT, SDLK_UP, SDLK_RETURN, SDLK_4}) {
        EXPECT_FALSE(panelEvent(keyEvent(SDL_KEYDOWN, k))) << SDL_GetKeyName(k);
        frame();
        EXPECT_FALSE(panelEvent(keyEvent(SDL_KEYUP, k))) << SDL_GetKeyName(k);
        frame();
    }
}
