#include "download/InstrumentAddress.h"

#include "core/CharClass.h"

#include <algorithm>

namespace {

std::optional<int> ParsePort(const std::string& text) {
    if (text.empty() || text.size() > 5 || !std::all_of(text.begin(), text.end(), IsDigit)) {
        return std::nullopt;
    }
    const int port = std::stoi(text);
    if (port < 1 || port > 65535) {
        return std::nullopt;
    }
    return port;
}

} // namespace

std::optional<InstrumentAddress> InstrumentAddress::Parse(const std::string& text) {
    InstrumentAddress address;
    std::string portText;
    if (!text.empty() && text.front() == '[') {
        const std::size_t close = text.find(']');
        if (close == std::string::npos) {
            return std::nullopt;
        }
        address.host = text.substr(1, close - 1);
        if (close + 1 < text.size()) {
            if (text[close + 1] != ':') {
                return std::nullopt;
            }
            portText = text.substr(close + 2);
            if (portText.empty()) {
                return std::nullopt;
            }
        }
    } else {
        const std::size_t colon = text.find(':');
        if (colon != std::string::npos && text.find(':', colon + 1) != std::string::npos) {
            address.host = text; // a bare IPv6 address
        } else if (colon != std::string::npos) {
            address.host = text.substr(0, colon);
            portText = text.substr(colon + 1);
            if (portText.empty()) {
                return std::nullopt;
            }
        } else {
            address.host = text;
        }
    }
    if (address.host.empty()) {
        return std::nullopt;
    }
    if (!portText.empty()) {
        const auto port = ParsePort(portText);
        if (!port) {
            return std::nullopt;
        }
        address.port = *port;
    }
    return address;
}

std::string InstrumentAddress::ToString() const {
    const bool v6 = host.find(':') != std::string::npos;
    return (v6 ? "[" + host + "]" : host) + ":" + std::to_string(port);
}
