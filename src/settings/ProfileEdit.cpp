#include "settings/ProfileEdit.h"

#include "settings/IniText.h"
#include "settings/NumberFormat.h"
#include "settings/TextFormat.h"

#include <algorithm>

namespace {

constexpr const char* kMissingText = "noo";
constexpr int kNumberRoom = 80;

} // namespace

std::string ProfileEdit::PlatformValue(std::optional<std::string_view> raw) {
    if (!raw) {
        return kMissingText;
    }
    const char first = raw->empty() ? '\0' : raw->front();
    if (raw->size() >= 2 && (first == '"' || first == '\'') && raw->back() == first) {
        return std::string(raw->substr(1, raw->size() - 2));
    }
    return std::string(*raw);
}

void ProfileEdit::CutComment(std::string& text) {
    std::size_t cut = text.find("//");
    if (cut == std::string::npos) {
        return;
    }
    while (cut > 0 && text[cut - 1] == ' ') {
        --cut;
    }
    text.erase(cut);
    std::replace(text.begin(), text.end(), '\t', ' ');
}

double ProfileEdit::NthNumber(std::string_view text, int index, double defaultValue) {
    double result = defaultValue;
    std::size_t position = 0;
    for (int count = 0; count <= index; ++count) {
        double number = 0.0;
        const std::size_t used =
            ParseLeadingDouble(text.data() + position, text.size() - position, number);
        if (used == 0) {
            break;
        }
        result = number;
        position += used;
    }
    return result;
}

bool ProfileEdit::Fits(std::size_t length, int size) {
    return static_cast<long long>(length) < static_cast<long long>(size) - 2;
}

std::optional<std::string> ProfileEdit::Read(std::string_view section, std::string_view key,
                                             int size) const {
    std::string value = PlatformValue(FindIniValue(text_, section, key));
    const std::size_t room = size > 1 ? static_cast<std::size_t>(size - 1) : 0;
    value.resize(std::min(value.size(), room));
    if (!Fits(value.size(), size) || EqualsNoCase(value, kMissingText)) {
        return std::nullopt;
    }
    CutComment(value);
    return value;
}

double ProfileEdit::ReadNumber(std::string_view section, std::string_view key, int index,
                               double defaultValue) const {
    const std::optional<std::string> text = Read(section, key, kNumberRoom);
    return text ? NthNumber(*text, index, defaultValue) : defaultValue;
}

bool ProfileEdit::Write(std::string_view section, std::string_view key, std::string_view value) {
    if (!IniWriteProblem(section, key, value).empty()) {
        return false;
    }
    changed_ = SetIniValue(text_, section, key, value) || changed_;
    return true;
}

void ProfileEdit::Delete(std::string_view section, std::string_view key) {
    changed_ = SetIniValue(text_, section, key, std::nullopt) || changed_;
}
