#include "transport/InstrumentAddress.h"

#include "core/CharClass.h"

#include <algorithm>
#include <vector>

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

bool IsHostCharacter(char c) {
    return IsAsciiLetter(c) || IsDigit(c) || c == '.' || c == '-' || c == '_' || c == ':' ||
           c == '%';
}

bool IsV6Character(char c) {
    return IsDigit(c) || (c >= 'a' && c <= 'f') || (c >= 'A' && c <= 'F') || c == ':' || c == '.';
}

bool IsHost(const std::string& text) {
    return !text.empty() && std::all_of(text.begin(), text.end(), IsHostCharacter);
}

// "TCPIP" or "TCPIP0": the interface keyword with its optional board number.
bool IsInterface(const std::string& word, const std::string& keyword) {
    const std::string upper = ToUpperAscii(word);
    return upper.rfind(keyword, 0) == 0 &&
           std::all_of(upper.begin() + static_cast<long>(keyword.size()), upper.end(), IsDigit);
}

// "::"-separated fields; a bracketed IPv6 host stays one field.
std::vector<std::string> ResourceFields(const std::string& text) {
    std::vector<std::string> fields;
    std::size_t start = 0;
    while (start <= text.size()) {
        std::size_t from = start;
        if (from < text.size() && text[from] == '[') {
            from = text.find(']', from);
            if (from == std::string::npos) {
                return {};
            }
        }
        const std::size_t end = text.find("::", from);
        fields.push_back(text.substr(start, end - start));
        if (end == std::string::npos) {
            break;
        }
        start = end + 2;
    }
    return fields;
}

std::string Unbracketed(const std::string& host) {
    if (host.size() > 2 && host.front() == '[' && host.back() == ']') {
        return host.substr(1, host.size() - 2);
    }
    return host;
}

bool IsHexId(const std::string& text) {
    std::string digits = ToUpperAscii(text);
    if (digits.rfind("0X", 0) == 0) {
        digits.erase(0, 2);
    }
    return !digits.empty() && digits.size() <= 4 &&
           std::all_of(digits.begin(), digits.end(),
                       [](char c) { return IsDigit(c) || (c >= 'A' && c <= 'F'); });
}

std::string HexId(const std::string& text) {
    std::string digits = text;
    if (digits.size() > 2 && (digits[1] == 'x' || digits[1] == 'X')) {
        digits.erase(0, 2);
    }
    std::transform(digits.begin(), digits.end(), digits.begin(),
                   [](char c) { return c >= 'A' && c <= 'F' ? static_cast<char>(c + 32) : c; });
    return std::string(4 - std::min<std::size_t>(4, digits.size()), '0') + digits;
}

std::optional<InstrumentAddress> ParseTcpip(const std::vector<std::string>& fields) {
    InstrumentAddress address;
    if (fields.size() < 2 || !IsHost(Unbracketed(fields[1]))) {
        return std::nullopt;
    }
    address.host = Unbracketed(fields[1]);
    const std::string last = ToUpperAscii(fields.back());
    if (fields.size() == 4 && last == "SOCKET") {
        const auto port = ParsePort(fields[2]);
        if (!port) {
            return std::nullopt;
        }
        address.port = *port;
        return address;
    }
    // VXI-11: the device is "inst0" unless named; "INSTR" may be left out.
    std::size_t count = fields.size();
    if (count > 2 && last == "INSTR") {
        --count;
    }
    if (count > 3) {
        return std::nullopt;
    }
    address.transport = InstrumentAddress::Transport::Vxi11;
    address.port = 0;
    if (count == 3) {
        address.device = fields[2];
        const std::string upper = ToUpperAscii(address.device);
        // A number alone is a port that lacks its "::SOCKET".
        const bool named = !address.device.empty() && IsAsciiLetter(address.device.front()) &&
                           std::all_of(address.device.begin(), address.device.end(), [](char c) {
                               return IsAsciiLetter(c) || IsDigit(c) || c == ',' || c == '_';
                           });
        // HiSLIP is another protocol, not a VXI-11 device.
        if (!named || upper.rfind("HISLIP", 0) == 0) {
            return std::nullopt;
        }
    }
    return address;
}

std::optional<InstrumentAddress> ParseUsb(const std::vector<std::string>& fields) {
    if (fields.size() < 4 || fields.size() > 6 || ToUpperAscii(fields.back()) != "INSTR" ||
        !IsHexId(fields[1]) || !IsHexId(fields[2])) {
        return std::nullopt;
    }
    InstrumentAddress address;
    address.transport = InstrumentAddress::Transport::Usbtmc;
    address.usbVendor = HexId(fields[1]);
    address.usbProduct = HexId(fields[2]);
    address.usbSerial = fields.size() >= 5 ? fields[3] : "";
    return address;
}

// The forms consolux took before resource strings: "HOST", "HOST:PORT", "[V6ADDR]:PORT".
std::optional<InstrumentAddress> ParseHostPort(const std::string& text) {
    InstrumentAddress address;
    std::string portText;
    bool hasPort = false;
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
            hasPort = true;
        }
    } else {
        const std::size_t colon = text.find(':');
        if (colon != std::string::npos && text.find(':', colon + 1) != std::string::npos) {
            address.host = text; // a bare IPv6 address
            if (!std::all_of(text.begin(), text.end(), IsV6Character)) {
                return std::nullopt;
            }
        } else if (colon != std::string::npos) {
            address.host = text.substr(0, colon);
            portText = text.substr(colon + 1);
            hasPort = true;
        } else {
            address.host = text;
        }
    }
    if (!IsHost(address.host)) {
        return std::nullopt;
    }
    if (hasPort) {
        const auto port = ParsePort(portText);
        if (!port) {
            return std::nullopt;
        }
        address.port = *port;
    }
    return address;
}

} // namespace

std::optional<InstrumentAddress> InstrumentAddress::Parse(const std::string& text) {
    if (text.empty()) {
        return std::nullopt;
    }
    if (text.front() == '/') {
        if (text.find('\0') != std::string::npos || text.back() == '/') {
            return std::nullopt;
        }
        InstrumentAddress address;
        address.transport = Transport::Usbtmc;
        address.path = text;
        return address;
    }
    if (text.find("::") != std::string::npos && text.front() != '[') {
        const std::vector<std::string> fields = ResourceFields(text);
        if (fields.empty()) {
            return std::nullopt;
        }
        if (IsInterface(fields[0], "TCPIP")) {
            return ParseTcpip(fields);
        }
        if (IsInterface(fields[0], "USB")) {
            return ParseUsb(fields);
        }
        return ParseHostPort(text); // a bare IPv6 address such as "::1"
    }
    return ParseHostPort(text);
}

std::string InstrumentAddress::ParseError(const std::string& text) {
    return "not an instrument address: \"" + text +
           "\"; use TCPIP::HOST::PORT::SOCKET (or HOST:PORT), TCPIP::HOST[::inst0]::INSTR or "
           "a USBTMC device file such as /dev/usbtmc0";
}

InstrumentAddress InstrumentAddress::Socket(const std::string& host, int port) {
    InstrumentAddress address;
    address.host = host;
    address.port = port;
    return address;
}

std::string InstrumentAddress::ToString() const {
    const bool v6 = host.find(':') != std::string::npos;
    const std::string shownHost = v6 ? "[" + host + "]" : host;
    switch (transport) {
    case Transport::Socket:
        return shownHost + ":" + std::to_string(port);
    case Transport::Vxi11:
        return "TCPIP::" + shownHost + "::" + device + "::INSTR";
    case Transport::Usbtmc:
        break;
    }
    if (!path.empty()) {
        return path;
    }
    return "USB::0x" + usbVendor + "::0x" + usbProduct +
           (usbSerial.empty() ? "" : "::" + usbSerial) + "::INSTR";
}

std::string InstrumentAddress::TransportName() const {
    switch (transport) {
    case Transport::Socket:
        return "raw socket";
    case Transport::Vxi11:
        return "VXI-11";
    case Transport::Usbtmc:
        break;
    }
    return "USBTMC";
}
