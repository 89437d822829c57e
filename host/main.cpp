#include "ConsoluxCommands.h"

#include <QApplication>
#include <QCoreApplication>

#include <iostream>
#include <memory>

int main(int argc, char** argv) {
    const std::vector<std::string> arguments(argv + 1, argv + argc);
    std::string error;
    const auto options = ConsoluxOptions::Parse(arguments, error);
    if (!options) {
        std::cerr << "consolux: " << error << "\n" << ConsoluxOptions::Usage();
        return 2;
    }
    using Command = ConsoluxOptions::Command;
    std::unique_ptr<QCoreApplication> application;
    if (options->command == Command::Demo) {
        application = std::make_unique<QApplication>(argc, argv);
    } else {
        application = std::make_unique<QCoreApplication>(argc, argv);
    }
    ConsoluxCommands commands(*options,
                              InstallLayout(QCoreApplication::applicationDirPath().toStdString()));
    switch (options->command) {
    case Command::Prepare:
        return commands.Prepare();
    case Command::Serve:
        return commands.Serve();
    case Command::Request:
        return commands.Request();
    default:
        return commands.Demo();
    }
}
