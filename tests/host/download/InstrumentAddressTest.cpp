#include "transport/InstrumentAddress.h"

#include <gtest/gtest.h>

TEST(InstrumentAddressParsing, ResourceStringsAndTheOlderHostPortForms) {
    using Transport = InstrumentAddress::Transport;
    const struct {
        const char* text;
        Transport transport;
        const char* shown; // ToString()
    } cases[] = {
        {"awg", Transport::Socket, "awg:5025"},
        {"10.0.0.7:6000", Transport::Socket, "10.0.0.7:6000"},
        {"[::1]:6000", Transport::Socket, "[::1]:6000"},
        {"::1", Transport::Socket, "[::1]:5025"},
        {"TCPIP::127.0.0.1::5025::SOCKET", Transport::Socket, "127.0.0.1:5025"},
        {"tcpip0::awg.lab::6000::socket", Transport::Socket, "awg.lab:6000"},
        {"TCPIP::127.0.0.1::INSTR", Transport::Vxi11, "TCPIP::127.0.0.1::inst0::INSTR"},
        {"TCPIP0::awg::inst1::INSTR", Transport::Vxi11, "TCPIP::awg::inst1::INSTR"},
        {"TCPIP::awg", Transport::Vxi11, "TCPIP::awg::inst0::INSTR"},
        {"TCPIP::[::1]::INSTR", Transport::Vxi11, "TCPIP::[::1]::inst0::INSTR"},
        {"/dev/usbtmc0", Transport::Usbtmc, "/dev/usbtmc0"},
        {"USB0::0x0AAD::0x01D6::1234::INSTR", Transport::Usbtmc,
         "USB::0x0aad::0x01d6::1234::INSTR"},
        {"USB::0x1ab1::0x0588::INSTR", Transport::Usbtmc, "USB::0x1ab1::0x0588::INSTR"},
    };
    for (const auto& c : cases) {
        const auto address = InstrumentAddress::Parse(c.text);
        ASSERT_TRUE(address) << c.text;
        EXPECT_EQ(address->transport, c.transport) << c.text;
        EXPECT_EQ(address->ToString(), c.shown) << c.text;
        // What an address shows parses back to the same address.
        EXPECT_EQ(InstrumentAddress::Parse(address->ToString())->ToString(), c.shown) << c.text;
    }
}

TEST(InstrumentAddressParsing, GarbageIsRefusedWithTheOneText) {
    for (const char* text :
         {"", "awg:", "awg:0", "awg:65536", "[::1", "[::1]x", "TCPIP::", "TCPIP::awg::0::SOCKET",
          "TCPIP::awg::5025", "TCPIP::awg::hislip0::INSTR", "TCPIP::awg::inst0::x::INSTR",
          "GPIB0::5::INSTR", "USB::0x1ab1::INSTR", "USB::wxyz::0x0588::INSTR", "/dev/", "awg lab",
          "foo::bar", "awg;:TRAC:DEL:ALL"}) {
        EXPECT_FALSE(InstrumentAddress::Parse(text)) << text;
    }
}
