#pragma once

#include <string>

// The Edit and View menu commands that act between the view's two anchors, their
// status-bar prompts and their enabling. Plain functions of the view's state so that the
// menus, the tool bar and the tests agree on one rule.

// At most one drawing mode is active; while one is, the other edit commands wait.
enum class DrawMode { None, Autoline, Sketch };

// What the enabling rules look at: the anchors a < b, the visible range, the length.
struct EditState {
    long long left = 0;  // a
    long long right = 0; // b
    double xmin = 0.0;
    double xmax = 0.0;
    double length = 0.0; // L
    DrawMode mode = DrawMode::None;
};

class EditCommands {
public:
    static constexpr int kPrint = 32775;
    static constexpr int kAutoline = 32777;
    static constexpr int kSketch = 32778;
    static constexpr int kFilter = 32780;
    static constexpr int kSmooth = 32781;
    static constexpr int kInvert = 32782;
    static constexpr int kUnmark = 32783;
    static constexpr int kZoomIn = 32801;
    static constexpr int kZoomOut = 32802;
    static constexpr int kTrimLeft = 32807;
    static constexpr int kTrimRight = 32808;

    // True for the ids above.
    static bool IsEditCommand(int id);
    static bool IsEnabled(int id, const EditState& state);
    static bool IsChecked(int id, const EditState& state);
    // The prompt resource: status text, "\n", tool-tip. Empty for an unknown id.
    static const char* Prompt(int id);
    // The part before "\n" (the status bar) and the part after it (the tool-tip).
    static std::string StatusText(int id);
    static std::string ToolTip(int id);
};
