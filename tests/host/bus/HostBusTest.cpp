#include "HostTestSupport.h"
#include "bus/HostBusClient.h"
#include "platform/console/ConsoleHostBus.h"
#include "platform/qt/DbusHostBus.h"
#include "support/ScopedEnvironment.h"

#include <QCoreApplication>
#include <QDBusConnection>
#include <QDir>

#include <gtest/gtest.h>

#include <vector>

namespace {

struct Heard {
    uint code;
    qlonglong data;
    QString sender;
};

// A second connection to the same bus, as another process would have.
QDBusConnection OtherConnection(const QString& name) {
    return QDBusConnection::connectToBus(QDBusConnection::SessionBus, name);
}

} // namespace

// The command-line tool's notice is the same signal as the GUI tool's; it is posted once the
// GUI tool's have come, so the order is fixed.
TEST_F(SessionBusTest, ToolNotificationsReachTheHostWithTheirCodeAndSender) {
    HostBusClient host(OtherConnection(QStringLiteral("host-notify")), nullptr);
    ASSERT_TRUE(host.Listen());
    std::vector<Heard> heard;
    QObject::connect(&host, &HostBusClient::ToolNotified,
                     [&](uint code, qlonglong data, const QString& sender) {
                         heard.push_back({code, data, sender});
                     });
    DbusHostBus tool;
    tool.PostToolNotify(2);
    tool.PostToolNotify(0);
    ASSERT_TRUE(SpinEventLoopUntil([&] { return heard.size() == 2; }));
    {
        ConsoleHostBus console;
        ASSERT_TRUE(console.Connected());
        console.PostToolNotify(18);
    }
    ASSERT_TRUE(SpinEventLoopUntil([&] { return heard.size() == 3; }));
    EXPECT_EQ(heard[0].code, 2u);
    EXPECT_EQ(heard[1].code, 0u);
    EXPECT_EQ(heard[2].code, 18u);
    EXPECT_EQ(heard[0].data, 0);
    EXPECT_EQ(heard[0].sender, QDBusConnection::sessionBus().baseService());
}

TEST_F(SessionBusTest, HostRequestReachesTheToolsHandlerWithItsDataUnlessAddressedElsewhere) {
    DbusHostBus tool;
    std::vector<std::pair<std::uint32_t, std::int64_t>> requests;
    tool.SetRequestHandler(
        [&](std::uint32_t code, std::int64_t data) { requests.emplace_back(code, data); });
    QDBusConnection elsewhere = OtherConnection(QStringLiteral("elsewhere"));
    HostBusClient host(OtherConnection(QStringLiteral("host-request")), nullptr);
    ASSERT_TRUE(host.SendRequest(3, 0, elsewhere.baseService()));
    ASSERT_TRUE(host.SendRequest(6, 0xFFFB0064));
    ASSERT_TRUE(host.SendRequest(7, 0, QDBusConnection::sessionBus().baseService()));
    ASSERT_TRUE(SpinEventLoopUntil([&] { return requests.size() == 2; }));
    EXPECT_EQ(requests,
              (std::vector<std::pair<std::uint32_t, std::int64_t>>{{6, 0xFFFB0064}, {7, 0}}));
}

TEST_F(SessionBusTest, SenderIsKnownByItsProcessAndWorkingFolderEvenAfterItLeft) {
    HostBusClient host(OtherConnection(QStringLiteral("host-leaving")), nullptr);
    ASSERT_TRUE(host.Listen());
    QStringList joined;
    QObject::connect(&host, &HostBusClient::ToolJoined,
                     [&](const QString& name) { joined << name; });
    std::vector<ToolProcess> senders;
    QObject::connect(
        &host, &HostBusClient::ToolNotified,
        [&](uint, qlonglong, const QString& sender) { senders.push_back(host.ProcessOf(sender)); });
    {
        QDBusConnection connection = OtherConnection(QStringLiteral("tool-leaving"));
        const QString name = connection.baseService();
        DbusHostBus tool(connection);
        ASSERT_TRUE(SpinEventLoopUntil([&] { return joined.contains(name); }));
        tool.PostToolNotify(5);
        QDBusConnection::disconnectFromBus(QStringLiteral("tool-leaving"));
    }
    ASSERT_TRUE(SpinEventLoopUntil([&] { return !senders.empty(); }));
    EXPECT_EQ(senders[0].id, QCoreApplication::applicationPid());
    EXPECT_EQ(senders[0].folder, QDir::current().canonicalPath().toStdString());
    EXPECT_EQ(host.ProcessOf(QStringLiteral(":1.99999")).id, 0);
}

TEST(HostBusMissing, TheCommandLineToolPrintsTheCode) {
    const ScopedEnvironment noBus("DBUS_SESSION_BUS_ADDRESS", "unix:path=/nonexistent/bus");
    testing::internal::CaptureStderr();
    {
        ConsoleHostBus tool;
        EXPECT_FALSE(tool.Connected());
        tool.PostToolNotify(2);
    }
    EXPECT_EQ(testing::internal::GetCapturedStderr(), "notify 2\n");
}
