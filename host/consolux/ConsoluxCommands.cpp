#include "consolux/ConsoluxCommands.h"

#include "bus/HostService.h"
#include "bus/TerminationWatcher.h"
#include "core/HostBus.h"
#include "download/InstrumentProbe.h"
#include "panel/ControlPanel.h"
#include "platform/posix/PosixProcessFacts.h"
#include "session/DemoSession.h"
#include "settings/RegistryKey.h"
#include "workspace/WorkspacePreparer.h"

#include <QCoreApplication>
#include <QMessageBox>

#include <cstdio>
#include <iostream>

namespace {

std::string UserTag(const ConsoluxOptions& options) {
    return Workspace::UserTagFor(options.user ? options.user : PosixProcessFacts().LogonUserName());
}

void PrintLine(const std::string& line) {
    std::cout << line << std::endl;
}

} // namespace

ConsoluxCommands::ConsoluxCommands(ConsoluxOptions options, InstallLayout layout)
    : options_(std::move(options)), layout_(std::move(layout)) {}

int ConsoluxCommands::Prepare() {
    WorkspacePreparer preparer(layout_.FamiliesFolder());
    const auto workspace = preparer.Prepare(options_.folder, options_.family, UserTag(options_));
    if (!workspace) {
        std::cerr << "consolux: " << preparer.LastError() << "\n";
        return 1;
    }
    PrintLine("workspace=" + workspace->Folder());
    PrintLine("context=" + workspace->ContextFile());
    PrintLine("family=" + workspace->FamilyFile());
    PrintLine("hostkey=" + workspace->HostKey());
    return 0;
}

int ConsoluxCommands::Serve() {
    const auto workspace = Workspace::Open(options_.folder, UserTag(options_));
    if (!workspace) {
        std::cerr << "consolux: no context file with a family in " << options_.folder << "/"
                  << UserTag(options_) << "\n";
        return 1;
    }
    HostService service(*workspace, options_.instrument.value_or(InstrumentAddress()));
    if (!service.Start()) {
        std::cerr << "consolux: " << service.LastError().toStdString() << "\n";
        return 1;
    }
    const auto print = [](const QString& line) { PrintLine(line.toStdString()); };
    QObject::connect(&service, &HostService::Logged, print);
    QObject::connect(&service, &HostService::Ignored, print);
    TerminationWatcher termination;
    PrintLine("listening " + service.Bus().UniqueName().toStdString() +
              " family=" + workspace->Family() + " mode=" + options_.mode +
              " instrument=" + service.Address().ToString() + " workspace=" + workspace->Folder());
    return QCoreApplication::exec();
}

int ConsoluxCommands::Request() {
    if (options_.tileRect) {
        const Workspace workspace("", "", options_.family);
        RegistryKey(RegistryRoot::CurrentUser, workspace.LinkKeyPath())
            .WriteValue("tileRct", *options_.tileRect);
    }
    HostBusClient bus;
    if (!bus.SendRequest(options_.requestCode, options_.requestData,
                         QString::fromStdString(options_.destination))) {
        std::cerr << "consolux: request not sent: " << bus.LastError().toStdString() << "\n";
        return 1;
    }
    return 0;
}

int ConsoluxCommands::Probe() {
    constexpr int kProbeTimeoutMs = 5000;
    const InstrumentProbe::Report report =
        InstrumentProbe::Run(*options_.instrument, kProbeTimeoutMs);
    for (const std::string& line : report.lines) {
        std::cout << line << "\n";
    }
    if (!report.failure.empty()) {
        std::cerr << "consolux: probe: " << report.failure << "\n";
    }
    return report.answered && report.failure.empty() ? 0 : 1;
}

int ConsoluxCommands::Demo() {
    DemoSession session(options_, layout_);
    if (!session.Start()) {
        QMessageBox::critical(nullptr, QStringLiteral("Consolux"), session.LastError());
        return 1;
    }
    TerminationWatcher termination;
    ControlPanel panel(session);
    panel.show();
    session.StartTool();
    const int status = QCoreApplication::exec();
    session.ShutDown();
    return status;
}
