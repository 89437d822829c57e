#include "app/ToolSession.h"
#include "core/OperatingMode.h"
#include "platform/posix/DisplayCheck.h"
#include "platform/posix/PosixProcessFacts.h"
#include "platform/qt/DbusHostBus.h"
#include "platform/qt/QtUserInterface.h"
#include "ui/BarIcons.h"
#include "ui/MainFrame.h"
#include "ui/ToolCommandLine.h"

#include <QApplication>

#include <iostream>
#include <memory>

namespace {

// --help, --version and --help-man answer without a display and without a workspace.
int AnswerRequest(ToolCommandLine::Request request) {
    switch (request) {
    case ToolCommandLine::Request::Help:
        std::cout << ToolCommandLine::Usage();
        break;
    case ToolCommandLine::Request::Manual:
        std::cout << ToolCommandLine::Manual(WAVESMITH_VERSION);
        break;
    default:
        std::cout << "wavesmith " << WAVESMITH_VERSION << "\n";
        break;
    }
    return 0;
}

} // namespace

int main(int argc, char* argv[]) {
    const auto request = ToolCommandLine::Parse(std::vector<std::string>(argv + 1, argv + argc));
    if (request != ToolCommandLine::Request::Run) {
        return AnswerRequest(request);
    }
    if (const std::string advice = DisplayCheck::MissingDisplayAdvice("wavesmith");
        !advice.empty()) {
        std::cerr << "wavesmith: " << advice;
        return 1;
    }
    QApplication application(argc, argv);
    QApplication::setApplicationName(QStringLiteral("Wavesmith"));
    QApplication::setApplicationVersion(QStringLiteral(WAVESMITH_VERSION));
    QGuiApplication::setDesktopFileName(QStringLiteral("org.wavesmith.Wavesmith.Tool"));
    QApplication::setWindowIcon(BarIcons::Application());

    // The bus and the user interface outlive the session: the document's destruction
    // still tells the host that the tool is closing.
    PosixProcessFacts facts;
    QtUserInterface ui;
    DbusHostBus bus;
    ToolSession session(facts, ui, bus);
    const std::unique_ptr<MainFrame> frame =
        MainFrame::Launch(session, [&ui, &session](MainFrame& newFrame) {
            ui.SetCaption(QString::fromLatin1(ModeTitle(session.State().mode)));
            ui.SetParentWindow(&newFrame);
            newFrame.SetDroppedFileAnswer([&ui](const std::string& path) {
                ui.AnswerNextOpenWith(QString::fromStdString(path));
            });
        });
    if (!frame) {
        return 1; // the start-up sequence has said why
    }
    return QApplication::exec();
}
