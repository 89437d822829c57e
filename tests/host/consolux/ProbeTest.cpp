#include "HostTestSupport.h"

#include <QProcess>

#include <gtest/gtest.h>

// `consolux probe` over each transport that answers, and the clear ends of the ones that do
// not: garbage, a link the instrument refuses, and a machine where nothing serves rpcbind
// (a network namespace of the test's own, where 127.0.0.1 is nobody's).
TEST(ConsoluxProbe, SaysWhatAnsweredOverWhichTransportOrWhyNothingDid) {
    RpcbindGuard rpcbind;
    if (!rpcbind.Missing().empty()) {
        GTEST_SKIP() << rpcbind.Missing();
    }
    SimulatorProcess simulator(true);
    ASSERT_TRUE(simulator.Running());
    const QString consolux = QString::fromStdString(BuildTreeProgram("host/consolux"));
    const QString socket = QStringLiteral("TCPIP::127.0.0.1::%1::SOCKET").arg(simulator.Port());
    struct Case {
        QString program;
        QStringList arguments;
        int status;
        std::vector<std::string> said;
    };
    const std::string identity = "identity: Quellwerk,AWG-SIM-2CH,";
    const Case cases[] = {
        {consolux,
         {"probe", "TCPIP::127.0.0.1::INSTR"},
         0,
         {"transport: VXI-11", identity, "error queue: 0,\"No error\"",
          "free memory (points): 16000000", "sample clock (Hz): "}},
        {consolux, {"probe", socket}, 0, {"transport: raw socket", identity}},
        {consolux, {"probe", "TCPIP::127.0.0.1::inst3::INSTR"}, 1, {"refused the link to inst3"}},
        {consolux, {"probe", "TCPIP::127.0.0.1::5025"}, 2, {"not an instrument address"}},
        {"unshare",
         {"--net", "sh", "-c", "ip link set lo up && exec \"$0\" probe TCPIP::127.0.0.1::INSTR",
          consolux},
         1,
         {"nothing answers over VXI-11", "rpcbind (port 111) did not answer: Connection refused"}},
    };
    for (const Case& c : cases) {
        QProcess probe;
        probe.setProcessChannelMode(QProcess::MergedChannels);
        probe.start(c.program, c.arguments);
        probe.waitForFinished(30000);
        const std::string output = probe.readAll().toStdString();
        EXPECT_EQ(probe.exitCode(), c.status) << output;
        for (const std::string& part : c.said) {
            EXPECT_TRUE(Contains(output, part)) << part << " in\n" << output;
        }
    }
}
