#pragma once

#include "document/HeadlessView.h"
#include "document/WaveDoc.h"
#include "settings/IniFile.h"
#include "support/SampleValues.h"
#include "support/TempWorkspace.h"
#include "synthesis/WaveGeneratorForm.h"

#include <gtest/gtest.h>

#include <cstddef>
#include <cstdint>
#include <functional>
#include <string>
#include <utility>
#include <vector>

// The low 16 bits of a whole number as the signed code a 16-bit sample keeps.
inline double Low16(long long w) {
    return static_cast<std::int16_t>(static_cast<std::uint16_t>(w));
}

// Texts typed into a form, each under its field's settings key.
using TypedTexts = std::vector<std::pair<std::string, std::string>>;

// Opens the form as its dialog does and types the texts; every key must name a field.
inline void OpenAndType(WaveGeneratorForm& form, const TypedTexts& typed) {
    form.Initialize();
    for (const auto& [key, text] : typed) {
        EXPECT_TRUE(form.SetFieldByKey(key, text)) << key;
    }
}

// A document of a chosen length in a throw-away workspace, with a headless view and a
// recognisable waveform (a ramp of codes), as a generator dialog finds it when it opens.
class GeneratorFixture {
public:
    using Preparation = std::function<void(TempWorkspace&)>;

    // `prepare` may change the workspace's files before the document reads them.
    explicit GeneratorFixture(const std::string& family = "QW2182",
                              OperatingMode mode = OperatingMode::Standard,
                              std::size_t length = 1000, const Preparation& prepare = {})
        : workspace(family, mode), prepared_(Prepare(workspace, prepare)),
          document(workspace.services, workspace.Mode()) {
        document.SetView(&view);
        workspace.OpenActiveSegment(document);
        document.CreateDefault(length);
        for (std::size_t i = 0; i < length; ++i) {
            document.EditAllPoints().Store(i,
                                           document.NeutralValue() + static_cast<double>(i % 97));
        }
        document.CommitToWorkingFile();
        view.SetAnchors(0, static_cast<double>(length) - 1);
        workspace.ui.Clear();
    }

    std::vector<double> Samples() const { return Values(document.Samples()); }

    std::string ParameterSection() const {
        return document.IsFmDocument() ? "FmsWav_Par" : "SmWav_Par";
    }
    std::string Stored(const std::string& key) const {
        return workspace.Context(ParameterSection(), key);
    }
    void Store(const std::string& key, const std::string& value) {
        workspace.SetContext(ParameterSection(), key, value);
    }
    void SetFamily(const std::string& section, const std::string& key, const std::string& value) {
        IniFile(workspace.state.familyFile).Write(section, key, value);
    }

    TempWorkspace workspace;

private:
    static bool Prepare(TempWorkspace& workspace, const Preparation& prepare) {
        if (prepare) {
            prepare(workspace);
        }
        return true;
    }
    [[maybe_unused]] bool prepared_;

public:
    WaveDoc document;
    HeadlessView view;
};
