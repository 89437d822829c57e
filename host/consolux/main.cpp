#include "consolux/ConsoluxCommandLine.h"
#include "consolux/ConsoluxCommands.h"
#include "platform/posix/DisplayCheck.h"

#include <QApplication>
#include <QCoreApplication>

#include <iostream>
#include <memory>

namespace {

int AnswerRequest(ConsoluxCommandLine::Request request) {
    switch (request) {
    case ConsoluxCommandLine::Request::Help:
        std::cout << ConsoluxCommandLine::Usage();
        break;
    case ConsoluxCommandLine::Request::Manual:
        std::cout << ConsoluxCommandLine::Manual(WAVESMITH_VERSION);
        break;
    default:
        std::cout << "consolux " << WAVESMITH_VERSION << "\n";
        break;
    }
    return 0;
}

} // namespace

int main(int argc, char** argv) {
    const std::vector<std::string> arguments(argv + 1, argv + argc);
    // A bare `consolux` is someone finding out what it does, not a request for the demo.
    if (arguments.empty()) {
        std::cerr << "consolux: no command; `consolux demo` starts the demo\n"
                  << ConsoluxCommandLine::Usage();
        return 2;
    }
    std::string error;
    auto request = ConsoluxCommandLine::Request::Run;
    const auto options = ConsoluxCommandLine::Parse(arguments, error, request);
    if (!options) {
        std::cerr << "consolux: " << error << "\n" << ConsoluxCommandLine::Usage();
        return 2;
    }
    if (request != ConsoluxCommandLine::Request::Run) {
        return AnswerRequest(request);
    }
    const ConsoluxCommand& command = ConsoluxCommandLine::Of(options->command);
    std::unique_ptr<QCoreApplication> application;
    if (command.needsWidgets) {
        std::string commandLine = "consolux";
        for (const std::string& word : arguments) {
            commandLine += " " + word;
        }
        const std::string advice = DisplayCheck::MissingDisplayAdvice(commandLine);
        if (!advice.empty()) {
            std::cerr << "consolux: " << advice;
            return 1;
        }
        application = std::make_unique<QApplication>(argc, argv);
    } else {
        application = std::make_unique<QCoreApplication>(argc, argv);
    }
    ConsoluxCommands commands(*options,
                              InstallLayout(QCoreApplication::applicationDirPath().toStdString()));
    return (commands.*command.run)();
}
