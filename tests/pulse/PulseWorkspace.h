#pragma once

#include "pulse/PulseDesign.h"
#include "support/TempWorkspace.h"

#include <string>
#include <utility>
#include <vector>

// A pulse-mode workspace of the QW2182 family, read and written through the keys of the
// design of channel 1: its root section and its numbered sections.
struct PulseWorkspace : TempWorkspace {
    using Keys = std::vector<std::pair<std::string, std::string>>;

    PulseWorkspace() : TempWorkspace("QW2182", OperatingMode::Pulse) {}

    std::string Root(const std::string& key) const { return Context("PulseRoot-ch1", key); }
    std::string Sect(int k, const std::string& key) const { return Context(SectionName(k), key); }

    void SetRoot(const Keys& keys) { Write(*this, "PulseRoot-ch1", keys); }
    void SetSect(int k, const std::string& key, const std::string& value) {
        SetContext(SectionName(k), key, value);
    }
    void SetSect(int k, const Keys& keys) { Write(*this, SectionName(k), keys); }

    // The same for any workspace, such as one a running frame prepares.
    static void Write(TempWorkspace& workspace, const std::string& section, const Keys& keys) {
        for (const auto& [key, value] : keys) {
            workspace.SetContext(section, key, value);
        }
    }
    static std::string SectionName(int k) { return "Pulse" + std::to_string(k) + "-ch1"; }
};

// A design opened on a channel as the view opens it.
struct OpenedDesign : PulseDesign {
    explicit OpenedDesign(PulseWorkspace& ws, int channel = 0) : PulseDesign(ws.services) {
        Open(channel);
    }
};
