#include "app/ToolSession.h"
#include "core/OperatingMode.h"
#include "platform/posix/PosixProcessFacts.h"
#include "platform/qt/DbusHostBus.h"
#include "platform/qt/QtUserInterface.h"
#include "ui/BarIcons.h"
#include "ui/MainFrame.h"

#include <QApplication>

#include <memory>

int main(int argc, char* argv[]) {
    QApplication application(argc, argv);
    QApplication::setApplicationName(QStringLiteral("Wavesmith"));
    QApplication::setApplicationVersion(QStringLiteral("3.2"));
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
