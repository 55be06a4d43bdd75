// panel.cpp - see panel.h. Dear ImGui with its SDL2 and OpenGL 3 back-ends, as Debian ships
// them (libimgui-dev). The back-end saves and restores the GL state it touches, so the graphics
// context's state cache stays true.
#include "panel.h"

#include "sync_grid.h"
#include "transport.h"

#include <imgui.h>
#include <backends/imgui_impl_opengl3.h>
#include <backends/imgui_impl_sdl.h>

#include <algorithm>
#include <cstdio>

namespace {

bool g_ready = false;

// A steady colour per scene name, so a scene keeps its colour across reloads.
ImU32 sceneColour(const std::string& name) {
    uint32_t h = 2166136261u;
    for (char c : name) h = (h ^ uint8_t(c)) * 16777619u;
    const float hue = float(h % 360) / 360.0f;
    float r, g, b;
    ImGui::ColorConvertHSVtoRGB(hue, 0.55f, 0.85f, r, g, b);
    return ImGui::GetColorU32(ImVec4(r, g, b, 1.0f));
}

// The whole demo as a strip: scene spans, the bar grid, the loop, the playhead. A click or a
// drag on it seeks.
void timelineStrip(const PanelView& view, PanelRequests& asked) {
    const float width = ImGui::GetContentRegionAvail().x;
    const float height = 34.0f;
    const ImVec2 origin = ImGui::GetCursorScreenPos();
    ImGui::InvisibleButton("timeline", ImVec2(width, height));
    ImDrawList* draw = ImGui::GetWindowDrawList();
    const double end = double(std::max<int64_t>(view.endMs, 1));
    auto xOf = [&](int64_t ms) { return origin.x + float(double(ms) / end) * width; };

    draw->AddRectFilled(origin, ImVec2(origin.x + width, origin.y + height),
                        IM_COL32(25, 25, 30, 255));
    if (view.spans) {
        for (const SceneSpan& s : *view.spans) {
            const int64_t to = s.toMs < 0 ? view.endMs : std::min(s.toMs, view.endMs);
            draw->AddRectFilled(ImVec2(xOf(s.fromMs), origin.y + 4),
                                ImVec2(xOf(to), origin.y + height - 4), sceneColour(s.scene));
            if (xOf(to) - xOf(s.fromMs) > 60)
                draw->AddText(ImVec2(xOf(s.fromMs) + 3, origin.y + 9), IM_COL32(0, 0, 0, 255),
                              s.scene.c_str());
        }
    }
    for (int bar = 0;; ++bar) {
        const int64_t ms = msOfBeats(double(bar) * kBeatsPerBar);
        if (ms > view.endMs) break;
        const bool section = bar % kLiveBarsPerSection == 0;
        draw->AddLine(ImVec2(xOf(ms), origin.y + (section ? 0 : height - 6)),
                      ImVec2(xOf(ms), origin.y + height),
                      section ? IM_COL32(220, 220, 220, 160) : IM_COL32(160, 160, 160, 90));
    }
    if (view.loopOn)
        draw->AddRectFilled(ImVec2(xOf(view.loopFromMs), origin.y),
                            ImVec2(xOf(view.loopToMs), origin.y + height),
                            IM_COL32(255, 255, 255, 40));
    if (view.trackView.editor)
        for (const TimelineMark& m : view.trackView.editor->text.compiled.marks) {
            const float x = xOf(int64_t(msAtRow(double(m.row))));
            draw->AddTriangleFilled(ImVec2(x - 4, origin.y), ImVec2(x + 4, origin.y),
                                    ImVec2(x, origin.y + 7), IM_COL32(255, 210, 60, 255));
        }
    draw->AddLine(ImVec2(xOf(view.timeMs), origin.y), ImVec2(xOf(view.timeMs), origin.y + height),
                  IM_COL32(255, 60, 60, 255), 2.0f);

    if (ImGui::IsItemActive() && ImGui::IsMouseDown(ImGuiMouseButton_Left)) {
        const float f = std::clamp((ImGui::GetIO().MousePos.x - origin.x) / width, 0.0f, 1.0f);
        const int64_t ms = int64_t(double(f) * end);
        // A drag that stays on one millisecond is not a new seek each frame.
        if (ImGui::IsItemActivated() || ms != view.timeMs) {
            asked.seek = true;
            asked.seekMs = ms;
        }
    }
}

// Ctrl, Shift, Alt and GUI, left and right: SDL numbers their scancodes in one run.
bool isModifier(SDL_Scancode key) {
    return key >= SDL_SCANCODE_LCTRL && key <= SDL_SCANCODE_RGUI;
}

} // namespace

bool panelInit(SDL_Window* window, SDL_GLContext context) {
    IMGUI_CHECKVERSION();
    ImGui::CreateContext();
    ImGui::GetIO().IniFilename = nullptr; // no imgui.ini left in the demo's root
    ImGui::StyleColorsDark();
    g_ready =
        ImGui_ImplSDL2_InitForOpenGL(window, context) && ImGui_ImplOpenGL3_Init("#version 130");
    if (!g_ready)
        std::fputs("## WARNING: demolive: the panel cannot be drawn; keys still work\n", stderr);
    return g_ready;
}

bool panelEvent(const SDL_Event& event) {
    if (!g_ready) return false;
    const ImGuiIO& io = ImGui::GetIO();
    // The keys are the player's. ImGui gets a key press only while one of its fields is being
    // typed into, and the modifiers always (Ctrl+click types into the value field). Otherwise a
    // Tab held across a frame, as a person holds it, moved ImGui's focus into the value field:
    // the keys after it were typed there, and leaving the field wrote its value as a track edit.
    // Releases always reach it, so ImGui never sees a key as still held.
    if (event.type == SDL_KEYDOWN && !io.WantTextInput && !isModifier(event.key.keysym.scancode))
        return false;
    ImGui_ImplSDL2_ProcessEvent(&event);
    const bool mouse = event.type == SDL_MOUSEBUTTONDOWN || event.type == SDL_MOUSEBUTTONUP ||
                       event.type == SDL_MOUSEWHEEL || event.type == SDL_MOUSEMOTION;
    const bool keys =
        event.type == SDL_KEYDOWN || event.type == SDL_KEYUP || event.type == SDL_TEXTINPUT;
    return (mouse && io.WantCaptureMouse) || (keys && io.WantTextInput);
}

PanelRequests panelDraw(const PanelView& view) {
    PanelRequests asked;
    if (!g_ready) return asked;
    ImGui_ImplOpenGL3_NewFrame();
    ImGui_ImplSDL2_NewFrame();
    ImGui::NewFrame();
    const ImVec2 screen = ImGui::GetIO().DisplaySize;

    if (view.error && !view.error->empty()) {
        // Shown with the panel hidden too: a broken edit must not go unnoticed.
        ImGui::SetNextWindowPos(ImVec2(10, 10));
        ImGui::SetNextWindowSize(ImVec2(screen.x - 20, 0));
        ImGui::SetNextWindowBgAlpha(0.85f);
        ImGui::Begin("error", nullptr,
                     ImGuiWindowFlags_NoDecoration | ImGuiWindowFlags_NoInputs |
                         ImGuiWindowFlags_AlwaysAutoResize | ImGuiWindowFlags_NoSavedSettings);
        ImGui::PushStyleColor(ImGuiCol_Text, IM_COL32(255, 110, 110, 255));
        ImGui::TextWrapped("%s", view.error->c_str());
        ImGui::PopStyleColor();
        ImGui::End();
    }

    if (view.showPanel) {
        const float height = std::min(screen.y * 0.6f, 430.0f);
        ImGui::SetNextWindowPos(ImVec2(0, screen.y - height));
        ImGui::SetNextWindowSize(ImVec2(screen.x, height));
        ImGui::SetNextWindowBgAlpha(0.8f);
        ImGui::Begin("demolive", nullptr,
                     ImGuiWindowFlags_NoTitleBar | ImGuiWindowFlags_NoResize |
                         ImGuiWindowFlags_NoMove | ImGuiWindowFlags_NoSavedSettings);
        timelineStrip(view, asked);
        drawNearStrip(view.trackView);
        if (ImGui::Button(view.paused ? "Play" : "Pause")) asked.togglePause = true;
        ImGui::SameLine();
        bool loop = view.loopOn;
        if (ImGui::Checkbox("Loop", &loop)) asked.toggleLoop = true;
        ImGui::SameLine();
        ImGui::Text("%lld ms  %s  %s", (long long)view.timeMs, barBeatText(view.timeMs).c_str(),
                    view.paused ? "paused" : "playing");
        ImGui::SameLine();
        if (view.gpuFrameMs >= 0)
            ImGui::Text("|  %.0f fps  CPU %.2f ms  GPU %.2f ms", view.fps, view.cpuFrameMs,
                        view.gpuFrameMs);
        else
            ImGui::Text("|  %.0f fps  CPU %.2f ms  GPU -", view.fps, view.cpuFrameMs);

        ImGui::Columns(2, "cols", false);
        ImGui::SetColumnWidth(0, screen.x * 0.68f);
        drawTrackView(view.trackView, asked.trackView);
        ImGui::NextColumn();
        if (view.scenes)
            for (const PanelSceneTime& s : *view.scenes) {
                if (s.gpuMs >= 0)
                    ImGui::Text("%s: CPU %.2f ms  GPU %.2f ms", s.scene.c_str(), s.cpuMs, s.gpuMs);
                else
                    ImGui::Text("%s: CPU %.2f ms  GPU -", s.scene.c_str(), s.cpuMs);
            }
        ImGui::BeginChild("messages", ImVec2(0, 0));
        if (view.messages)
            for (auto it = view.messages->rbegin(); it != view.messages->rend(); ++it)
                ImGui::TextWrapped("%s", it->c_str());
        ImGui::EndChild();
        ImGui::Columns(1);
        ImGui::End();
    }

    ImGui::Render();
    ImGui_ImplOpenGL3_RenderDrawData(ImGui::GetDrawData());
    return asked;
}
