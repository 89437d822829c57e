#include "synthesis/WaveGeneratorSettings.h"

#include "core/AppServices.h"
#include "core/AppState.h"
#include "core/CharClass.h"
#include "core/StringTable.h"
#include "core/UserInterface.h"
#include "document/WaveDoc.h"
#include "settings/NumberFormat.h"
#include "settings/ProfileStore.h"
#include "settings/TextFormat.h"

#include <cmath>
#include <cstdlib>
#include <sstream>

namespace {

constexpr int kDefaultEntryText = 80;
constexpr const char* kPositionSubkey = "DrawRect";

std::string FirstWord(const std::string& text) {
    std::istringstream words(text);
    std::string word;
    words >> word;
    return word;
}

} // namespace

WaveGeneratorSettings::WaveGeneratorSettings(WaveDoc& document, std::string defaultSection,
                                             std::string parameterSection)
    : document_(document), defaultSection_(std::move(defaultSection)),
      parameterSection_(std::move(parameterSection)) {}

std::string WaveGeneratorSettings::NumberText(double value) {
    std::string text = CrtFormat("%g", value);
    StripExponentZeros(text);
    return text;
}

std::string WaveGeneratorSettings::PointText(double point, std::string sixDigitText) {
    if (std::strtod(sixDigitText.c_str(), nullptr) == point) {
        return sixDigitText;
    }
    return std::to_string(static_cast<long long>(std::trunc(point)));
}

double WaveGeneratorSettings::LevelLow(WaveDoc& document) {
    return document.IsFmDocument() ? document.Fm().Fmin() : document.Limits().VerticalLow();
}

double WaveGeneratorSettings::LevelHigh(WaveDoc& document) {
    return document.IsFmDocument() ? document.Fm().Fmax() : document.Limits().VerticalHigh();
}

std::size_t WaveGeneratorSettings::ParameterKeyCount() const {
    ProfileStore& store = document_.Store();
    return store.ReadProfileSection(parameterSection_, store.ContextFile()).size();
}

void WaveGeneratorSettings::LoadParamDefaults() {
    ProfileStore& store = document_.Store();
    const IniEntries defaults = store.ReadProfileSection(defaultSection_, store.FamilyFile());
    // The form's fields change together: a killed run leaves the old ones or all defaults.
    IniEntries fields;
    for (const auto& entry : defaults) {
        const std::string& key = entry.first;
        std::string value;
        if (!store.ReadProfileText(defaultSection_, key, value, kDefaultEntryText,
                                   store.FamilyFile(), false)) {
            continue;
        }
        if (EqualsNoCase(key, "Equ")) {
            fields.emplace_back(key, value);
            continue;
        }
        const std::string word = FirstWord(value);
        if (word.empty()) {
            continue;
        }
        std::string text;
        if (IsDigit(word[0]) || word[0] == '-') {
            text = word;
        } else if (EqualsNoCase(word, "WavLen")) {
            const double last = document_.Length() - 1.0;
            text = PointText(last, NumberText(last));
        } else if (EqualsNoCase(word, "Wavmin")) {
            text = NumberText(LevelLow(document_));
        } else if (EqualsNoCase(word, "Wavmax")) {
            text = NumberText(LevelHigh(document_));
        } else {
            // Any other word has no value: the key keeps what it holds.
            continue;
        }
        fields.emplace_back(key, text);
    }
    store.WriteProfileTexts(parameterSection_, fields, store.ContextFile());
}

std::string WaveGeneratorSettings::PositionValueName() const {
    return document_.IsFmDocument() ? "FmsOrg" : "SmOrg";
}

std::optional<DialogPosition> WaveGeneratorSettings::ReadPosition() const {
    const std::string text = document_.Store().ReadHostValue(kPositionSubkey, PositionValueName());
    const char* cursor = text.data();
    const char* end = text.data() + text.size();
    DialogPosition position;
    if (!ReadLeadingInt(cursor, end, position.left) || !ReadLeadingInt(cursor, end, position.top)) {
        return std::nullopt;
    }
    return position;
}

void WaveGeneratorSettings::WritePosition(const DialogPosition& position) {
    document_.Store().WriteHostValue(
        PositionValueName(), std::to_string(position.left) + " " + std::to_string(position.top),
        kPositionSubkey);
}

bool WaveGeneratorSettings::CheckOrder(const double* values, UserInterface& ui) {
    std::string text;
    if (!(values[0] < values[1])) {
        text = "min=" + CrtFormat("%g", values[0]) + "  max=" + CrtFormat("%g", values[1]);
    } else if (!(values[2] <= values[3])) {
        text = "min=" + CrtFormat("%g", values[2]) + "  max=" + CrtFormat("%g", values[3]);
    } else {
        return true;
    }
    ui.ShowText(text, MessageText(MsgInvalidMinMax), MessageButtons::Ok, MessageIcon::Exclamation);
    return false;
}
