// track_view.cpp - see track_view.h. Drawn with the window's draw list rather than widgets:
// a few hundred cells a frame, each a rectangle and a number, cost nothing that way.
#include "track_view.h"

#include "sync_grid.h"
#include "track.h"
#include "transport.h"

#include <imgui.h>

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <map>

namespace {

constexpr float kLineHeight = 14.0f;
constexpr float kGutter = 74.0f;       // row labels
constexpr float kColumnWidth = 112.0f; // a track: its cells and its curve
constexpr float kCurveWidth = 30.0f;
constexpr float kFoldedWidth = 18.0f;

const ImU32 kKick = IM_COL32(255, 90, 70, 255);
const ImU32 kSnare = IM_COL32(80, 200, 255, 255);
const ImU32 kMark = IM_COL32(255, 210, 60, 255);

// Folded groups, by name; the panel's own state, lasting while demolive runs.
std::map<std::string, bool>& folded() {
    static std::map<std::string, bool> groups;
    return groups;
}

char interpolationGlyph(int32_t interpolation) {
    switch (interpolation) {
    case INTERP_LINEAR:
        return '/';
    case INTERP_SMOOTH:
        return '~';
    case INTERP_RAMP:
        return '^';
    default:
        return '_';
    }
}

// A key written by hand (a key line) rather than made by a pulse statement.
bool handKey(const KeyEditor& ed, const std::string& track, int32_t row) {
    return findKeyLine(ed.text.text, track, row) >= 0;
}

void drawOnsets(ImDrawList* draw, const OnsetLists& onsets, const char* list, ImU32 colour,
                double fromMs, double toMs, ImVec2 origin, float width, float y0, float y1) {
    auto it = onsets.lists.find(list);
    if (it == onsets.lists.end()) return;
    const std::vector<double>& times = it->second;
    for (auto t = std::lower_bound(times.begin(), times.end(), fromMs);
         t != times.end() && *t < toMs; ++t) {
        const float x = origin.x + float((*t - fromMs) / (toMs - fromMs)) * width;
        draw->AddLine(ImVec2(x, y0), ImVec2(x, y1), colour, 2.0f);
    }
}

// A one-line text field that hands over its text when Enter is pressed, then empties.
bool nameField(const char* id, const char* hint, char* text, size_t size, std::string& entered) {
    ImGui::SetNextItemWidth(120);
    if (!ImGui::InputTextWithHint(id, hint, text, size, ImGuiInputTextFlags_EnterReturnsTrue))
        return false;
    entered = text;
    text[0] = 0;
    return true;
}

} // namespace

void drawNearStrip(const TrackViewInput& in) {
    const float width = ImGui::GetContentRegionAvail().x;
    const float height = 30.0f;
    const ImVec2 o = ImGui::GetCursorScreenPos();
    ImGui::Dummy(ImVec2(width, height));
    ImDrawList* draw = ImGui::GetWindowDrawList();
    const double span = msAtBar(4.0);
    const double from = double(in.timeMs) - span / 2, to = from + span;
    auto xOf = [&](double ms) { return o.x + float((ms - from) / span) * width; };
    draw->AddRectFilled(o, ImVec2(o.x + width, o.y + height), IM_COL32(18, 18, 22, 255));

    if (in.energy && !in.energy->level.empty()) {
        const MusicEnergy& e = *in.energy;
        for (int px = 0; px < int(width); px += 2) {
            const double ms = from + span * px / width;
            const long bin = long(ms / e.msPerBin);
            if (bin < 0 || bin >= long(e.level.size())) continue;
            const float level = std::min(1.0f, e.level[size_t(bin)] * 2.5f);
            const float low = std::min(1.0f, e.low[size_t(bin)] * 3.0f);
            const float x = o.x + float(px);
            draw->AddLine(ImVec2(x, o.y + height), ImVec2(x, o.y + height - level * height),
                          IM_COL32(110, 110, 120, 255), 2.0f);
            draw->AddLine(ImVec2(x, o.y + height), ImVec2(x, o.y + height - low * height),
                          IM_COL32(150, 60, 50, 255), 2.0f);
        }
    }
    for (long beat = long(std::floor(beatAtMs(int64_t(from)))); msAtBeat(double(beat)) < to;
         ++beat) {
        if (beat < 0) continue;
        const bool bar = beat % long(kBeatsPerBar) == 0;
        const float x = xOf(msAtBeat(double(beat)));
        draw->AddLine(ImVec2(x, o.y), ImVec2(x, o.y + height),
                      bar ? IM_COL32(230, 230, 230, 150) : IM_COL32(150, 150, 150, 60));
        if (bar) {
            char label[24];
            std::snprintf(label, sizeof label, "b%ld", beat / long(kBeatsPerBar));
            draw->AddText(ImVec2(x + 2, o.y), IM_COL32(200, 200, 200, 200), label);
        }
    }
    if (in.onsets) {
        drawOnsets(draw, *in.onsets, "kick", kKick, from, to, o, width, o.y + height * 0.55f,
                   o.y + height);
        drawOnsets(draw, *in.onsets, "snare", kSnare, from, to, o, width, o.y + height * 0.3f,
                   o.y + height * 0.75f);
    }
    if (in.editor)
        for (const TimelineMark& m : in.editor->text.compiled.marks) {
            const double ms = msAtRow(double(m.row));
            if (ms < from || ms >= to) continue;
            const float x = xOf(ms);
            draw->AddTriangleFilled(ImVec2(x, o.y), ImVec2(x + 8, o.y + 5), ImVec2(x, o.y + 10),
                                    kMark);
            draw->AddText(ImVec2(x + 9, o.y + 10), kMark, m.name.c_str());
        }
    draw->AddLine(ImVec2(xOf(double(in.timeMs)), o.y), ImVec2(xOf(double(in.timeMs)), o.y + height),
                  IM_COL32(255, 60, 60, 255), 2.0f);
    draw->AddText(ImVec2(o.x + width - 150, o.y), IM_COL32(255, 255, 255, 160),
                  "kick red, snare blue");
}

void drawTrackView(const TrackViewInput& in, TrackViewRequests& asked) {
    if (!in.editor) return;
    const KeyEditor& ed = *in.editor;
    const int32_t row = editRowAt(ed, in.timeMs);
    const std::string& picked = keyEditorTrack(ed);

    // The line above the columns: what an edit would do, and the fields.
    if (!ed.writable) {
        ImGui::PushStyleColor(ImGuiCol_Text, IM_COL32(255, 180, 90, 255));
        ImGui::TextWrapped("read-only: %s", ed.readOnlyWhy.c_str());
        ImGui::PopStyleColor();
    }
    ImGui::Text("row %d %s  snap %s  step %g  %s%s", row, barBeatText(msOfEditRow(row)).c_str(),
                snapName(ed.snap), double(kEditorSteps[ed.stepIndex]),
                ed.typing.empty() ? "" : "typing: ", ed.typing.c_str());
    if (!picked.empty() && ed.writable) {
        ImGui::SameLine();
        const KeyTrack curve = editorCurve(ed, picked);
        const float v = keytrack_value(&curve, double(row));
        ImGui::SetNextItemWidth(110);
        // Every step of a drag (or of a number typed after Ctrl+click) is written, so the
        // picture follows; the whole gesture is one undo step.
        float shown = v;
        const bool changed = ImGui::DragFloat(
            "value", &shown, 0.01f * kEditorSteps[ed.stepIndex] * 10.0f, 0, 0, "%.3f");
        if (changed) {
            asked.dragValue = true;
            asked.value = shown;
        }
        if (ImGui::IsItemDeactivated()) asked.endDrag = true;
    }
    ImGui::SameLine();
    static char pinText[64] = "", markText[64] = "";
    asked.pin = nameField("##pin", "show track...", pinText, sizeof pinText, asked.pinName);
    if (ed.writable) {
        ImGui::SameLine();
        asked.addMark =
            nameField("##mark", "bookmark here...", markText, sizeof markText, asked.markName);
    }

    // The columns, scrolled so that the picked one is in view.
    ImGui::BeginChild("trackview", ImVec2(0, 0), false, ImGuiWindowFlags_HorizontalScrollbar);
    const ImVec2 region = ImGui::GetContentRegionAvail();
    const int lines = std::max(3, int((region.y - 2 * kLineHeight) / kLineHeight));
    const int step = std::max(1, ed.rowsPerLine);
    const int32_t centre = row - row % step;
    const int32_t firstRow = centre - (lines / 2) * step;
    float contentWidth = kGutter;
    for (size_t c = 0; c < ed.columns.size(); ++c)
        contentWidth += folded()[ed.columns[c].group] ? kFoldedWidth : kColumnWidth;
    const ImVec2 o = ImGui::GetCursorScreenPos();
    ImGui::Dummy(ImVec2(contentWidth, region.y - 4));
    ImDrawList* draw = ImGui::GetWindowDrawList();
    const float top = o.y + 2 * kLineHeight; // group and track names above the rows
    auto yOf = [&](int32_t r) { return top + float(r - firstRow) / float(step) * kLineHeight; };

    // Row labels and the grid: bars bright, beats dim, the playhead's line red.
    for (int i = 0; i < lines; ++i) {
        const int32_t r = firstRow + i * step;
        const float y = top + float(i) * kLineHeight;
        const bool bar = r % 32 == 0, beat = r % 8 == 0;
        if (r == centre)
            draw->AddRectFilled(ImVec2(o.x, y), ImVec2(o.x + contentWidth, y + kLineHeight),
                                IM_COL32(120, 30, 30, 160));
        if (r < 0) continue;
        if (beat)
            draw->AddLine(ImVec2(o.x, y), ImVec2(o.x + contentWidth, y),
                          bar ? IM_COL32(220, 220, 220, 120) : IM_COL32(150, 150, 150, 50));
        char label[32];
        if (beat)
            std::snprintf(label, sizeof label, "b%d:%d", r / 32, (r % 32) / 8);
        else
            std::snprintf(label, sizeof label, "  %5d", r);
        draw->AddText(ImVec2(o.x + 2, y),
                      bar ? IM_COL32(255, 255, 255, 255) : IM_COL32(160, 160, 160, 255), label);
    }
    if (ed.selecting) {
        const int32_t a = std::min(ed.anchorRow, row), b = std::max(ed.anchorRow, row);
        draw->AddRectFilled(ImVec2(o.x + kGutter, yOf(a)),
                            ImVec2(o.x + contentWidth, yOf(b) + kLineHeight),
                            IM_COL32(60, 90, 200, 60));
    }

    float x = o.x + kGutter;
    const std::string* lastGroup = nullptr; // a pointer: no string copied per frame
    for (size_t c = 0; c < ed.columns.size(); ++c) {
        const EditorColumn& col = ed.columns[c];
        bool& isFolded = folded()[col.group];
        const float w = isFolded ? kFoldedWidth : kColumnWidth;
        if (!lastGroup || col.group != *lastGroup) {
            // The group's name: a click folds or unfolds all of its columns.
            ImGui::SetCursorScreenPos(ImVec2(x, o.y));
            ImGui::PushID(int(c));
            char label[96];
            std::snprintf(label, sizeof label, "%s %s", isFolded ? "+" : "-", col.group.c_str());
            if (ImGui::SmallButton(label)) isFolded = !isFolded;
            ImGui::PopID();
            draw->AddLine(ImVec2(x - 1, o.y), ImVec2(x - 1, o.y + region.y),
                          IM_COL32(200, 200, 200, 120));
            lastGroup = &col.group;
        }
        if (isFolded) {
            x += w;
            continue;
        }
        const bool isPicked = c == ed.current;
        draw->AddRectFilled(ImVec2(x, o.y + kLineHeight), ImVec2(x + w - 2, top),
                            isPicked ? IM_COL32(170, 60, 60, 255) : IM_COL32(45, 45, 55, 255));
        draw->PushClipRect(ImVec2(x, o.y), ImVec2(x + w - 3, o.y + region.y), true);
        draw->AddText(ImVec2(x + 2, o.y + kLineHeight), IM_COL32(255, 255, 255, 255),
                      col.track.c_str());
        // Scrolled to once when picked: the view follows the keys, the mouse can still scroll.
        static std::string scrolledTo;
        if (isPicked && scrolledTo != col.track) {
            scrolledTo = col.track;
            ImGui::SetScrollX(std::max(0.0f, x - o.x + w / 2 - region.x / 2));
        }

        const KeyTrack view = editorCurve(ed, col.track);
        if (view.key_count > 0) {
            // The curve beside the cells, scaled to what it spans in view.
            float lo = 1e30f, hi = -1e30f;
            float values[256];
            const int n = std::min(lines, 256);
            for (int i = 0; i < n; ++i) {
                values[i] = keytrack_value(&view, double(firstRow + i * step));
                lo = std::min(lo, values[i]);
                hi = std::max(hi, values[i]);
            }
            const float range = hi - lo > 1e-6f ? hi - lo : 1.0f;
            const float cx = x + w - kCurveWidth - 4;
            for (int i = 1; i < n; ++i) {
                const float x0 = cx + (values[i - 1] - lo) / range * kCurveWidth;
                const float x1 = cx + (values[i] - lo) / range * kCurveWidth;
                draw->AddLine(ImVec2(x0, top + (float(i) - 0.5f) * kLineHeight),
                              ImVec2(x1, top + (float(i) + 0.5f) * kLineHeight),
                              IM_COL32(120, 220, 120, 200));
            }
            // Keys in view: hand keys white, a pulse's keys violet.
            const int32_t lastRow = firstRow + lines * step;
            const TrackKey* begin = view.keys;
            const TrackKey* end = begin + view.key_count;
            const TrackKey* k = std::lower_bound(
                begin, end, firstRow, [](const TrackKey& key, int32_t r) { return key.row < r; });
            for (; k != end && k->row < lastRow; ++k) {
                const float y = yOf(k->row - (k->row - firstRow) % step);
                char text[32];
                std::snprintf(text, sizeof text, "%c %.3g", interpolationGlyph(k->interpolation),
                              double(k->value));
                const bool hand = handKey(ed, col.track, k->row);
                draw->AddText(ImVec2(x + 4, y),
                              hand ? IM_COL32(255, 255, 255, 255) : IM_COL32(190, 140, 255, 255),
                              text);
            }
        }
        draw->PopClipRect();
        x += w;
    }
    if (ed.columns.empty())
        draw->AddText(ImVec2(o.x + kGutter, top), IM_COL32(200, 200, 200, 255),
                      "no scene reads a track here; name one in \"show track...\"");
    ImGui::EndChild();
}
