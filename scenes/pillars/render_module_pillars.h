// render_module_pillars.h - the title scene ("cylinders_scene"), plug-in renderModulePillars.
//
// Pillars of rock around a sculpture ("kaos") that assembles itself surface by surface under
// the track "kaos_numsurfs", inside a painted sky sphere with a letterbox, seen by a camera
// that shakes with the kick (spectrum bins 20-28) and slowly rolls over; then a long post
// chain, and last the production's title: a live spectrogram of the music, one column a
// frame, seen through the title lettering and burned into the picture.
//
// Models, shaders, textures and the four colour tables are registered in initialise and
// belong to the graphics context. The object owns the surface list, the spectrum buffer and
// the spectrogram's pixels (2 MiB, held column by column so that the one column a frame
// changes is uploaded alone); the camera, the spectrogram's column and its first-frame flag
// live in the plug-in's static storage.
#pragma once

#include "scene_base.h"

#include <cstdint>
#include <memory>

class iModel;

class cRenderModulePillars final : public cRenderModuleBase {
  public:
    void initialise(iModuleInput* input) override;
    void render(iModuleInput* input) override;
    void release() override {}
    const char* name() override { return "cylinders_scene"; }

  private:
    void drawRocks(igfxContext* gfx);
    void drawKaos(iModuleInput* input, float seconds);
    // The spectrogram into T, then the burn and the masked title: source -> destination.
    void title(iModuleInput* input, TextureHandle* source, RenderTargetHandle& destination);
    void drawSpectrogram(iModuleInput* input);

    iModel* kaos_ = nullptr;
    iModel* invsphere_ = nullptr;
    iModel* rocks_ = nullptr;
    int32_t surfaceCount_ = 0;
    std::unique_ptr<int32_t[]> surfaces_; // 0, 1, 2, ... one per surface of kaos
    std::unique_ptr<float[]> spectrum_;   // made on the first frame
    TextureHandle* spectrogram_ = nullptr;
    std::unique_ptr<uint8_t[]> pixels_; // the spectrogram, blue-green-red-alpha, by column
    TextureHandle* titleMask_ = nullptr;
    TextureHandle* burnGradient_ = nullptr;
    TextureHandle* lutPurple_ = nullptr;
    TextureHandle* lutPassthrough_ = nullptr;
    TextureHandle* lutHighContrast_ = nullptr;
    TextureHandle* lutPurpleDarks_ = nullptr;
};
