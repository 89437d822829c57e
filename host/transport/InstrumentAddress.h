#pragma once

#include <optional>
#include <string>

// Where an instrument answers, in the forms engineers already type (VISA resource
// strings, keywords in any case, the board number optional):
//   TCPIP::HOST::PORT::SOCKET         a raw SCPI socket; also "HOST", "HOST:PORT" and
//                                     "[V6ADDR]:PORT", the forms consolux always took
//   TCPIP::HOST[::DEVICE][::INSTR]    VXI-11, device "inst0" unless named
//   /dev/usbtmcN (any absolute path)  USBTMC through the kernel's device file
//   USB::VID::PID[::SERIAL]::INSTR    USBTMC, mapped to its device file when opened
// Every place that names an instrument parses it here and shows ParseError's one text.
struct InstrumentAddress {
    enum class Transport { Socket, Vxi11, Usbtmc };

    static constexpr int kScpiPort = 5025;

    Transport transport = Transport::Socket;
    std::string host = "127.0.0.1";
    int port = kScpiPort;
    std::string device = "inst0"; // the VXI-11 device
    std::string path;             // the USBTMC device file; empty for a USB resource
    std::string usbVendor;        // a USB resource's ids as hexadecimal digits, lower case
    std::string usbProduct;
    std::string usbSerial; // empty: any

    static std::optional<InstrumentAddress> Parse(const std::string& text);
    static std::string ParseError(const std::string& text);
    static InstrumentAddress Socket(const std::string& host, int port);

    // "HOST:PORT" for a socket, the resource string or device file otherwise.
    std::string ToString() const;
    // "raw socket", "VXI-11" or "USBTMC".
    std::string TransportName() const;
};
