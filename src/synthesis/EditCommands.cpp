#include "synthesis/EditCommands.h"

#include <cstring>

namespace {

struct CommandPrompt {
    int id;
    const char* text;
};

// The prompts keep the product's own wording, spelling included.
constexpr CommandPrompt kPrompts[] = {
    {EditCommands::kPrint, "Print Waveform.\nPrint"},
    {EditCommands::kAutoline, "Draw stright line sections. Press right button to stop.\nAutoline"},
    {EditCommands::kSketch,
     "Draw freehand waveform. Press and hold left button to draw, right to stop.\nSketch"},
    {EditCommands::kFilter, "Moving average filter.\nFilter"},
    {EditCommands::kSmooth, "Smooth marked area using spline function.\nSmooth"},
    {EditCommands::kInvert, "Invert waveform between anchors.\nInvert"},
    {EditCommands::kUnmark, "Remove anchors.\nUnmark"},
    {EditCommands::kTrimLeft, "Trim part of the wave to the left of the left anchor\nTrim Left"},
    {EditCommands::kTrimRight,
     "Trim part of the wave to the right of the right anchor\nTrim Right"},
    {EditCommands::kZoomIn, "Zoom into wave area between anchors.\nZoom in"},
    {EditCommands::kZoomOut, "View full wave area\nZoom out"},
};

} // namespace

bool EditCommands::IsEditCommand(int id) {
    return Prompt(id)[0] != '\0';
}

bool EditCommands::IsEnabled(int id, const EditState& state) {
    const bool drawing = state.mode != DrawMode::None;
    switch (id) {
    case kAutoline:
        return state.mode != DrawMode::Sketch;
    case kSketch:
        return state.mode != DrawMode::Autoline;
    case kFilter:
    case kSmooth:
    case kInvert:
    case kUnmark:
        return !drawing;
    case kTrimLeft:
        return state.left > 0;
    case kTrimRight:
        return static_cast<double>(state.right) < state.length - 1;
    case kZoomIn:
        return static_cast<double>(state.left) != state.xmin ||
               static_cast<double>(state.right) != state.xmax;
    case kZoomOut:
        return state.xmin > 0 || state.xmax != state.length - 1;
    case kPrint:
        return true;
    default:
        return false;
    }
}

bool EditCommands::IsChecked(int id, const EditState& state) {
    return (id == kAutoline && state.mode == DrawMode::Autoline) ||
           (id == kSketch && state.mode == DrawMode::Sketch);
}

const char* EditCommands::Prompt(int id) {
    for (const CommandPrompt& prompt : kPrompts) {
        if (prompt.id == id) {
            return prompt.text;
        }
    }
    return "";
}

std::string EditCommands::StatusText(int id) {
    const char* text = Prompt(id);
    const char* newline = std::strchr(text, '\n');
    return newline == nullptr ? std::string(text) : std::string(text, newline);
}

std::string EditCommands::ToolTip(int id) {
    const char* newline = std::strchr(Prompt(id), '\n');
    return newline == nullptr ? std::string() : std::string(newline + 1);
}
