#include "SimulatorOptions.h"

#include <gtest/gtest.h>

TEST(SimulatorOptions, MisfitCommandLinesAreRefused) {
    const std::vector<std::vector<std::string>> cases = {
        {"--bogus"},
        {"--port"},
        {"--port", "65536"},
        {"--port", "-1"},
        {"--memory", "1"},
        {"--max-clients", "0"},
        {"--max-connections", "4097"},
        {"--idle-timeout", "x"},
        {"--max-steps", "0"},
        {"--max-steps", "32769"},
        {"--max-loops", "16777216"},
        {"stray"},
    };
    for (const auto& arguments : cases) {
        SimulatorOptions options;
        std::string error;
        EXPECT_FALSE(SimulatorOptions::Parse(arguments, options, error)) << arguments.front();
        EXPECT_FALSE(error.empty()) << arguments.front();
    }
}

TEST(SimulatorOptions, AliasesAndRepeatsTakeTheLastValue) {
    SimulatorOptions options;
    std::string error;
    ASSERT_TRUE(SimulatorOptions::Parse({"--port", "0", "--max-clients", "3", "--max-connections",
                                         "7", "--idle-timeout", "0", "--port-file", "-p",
                                         "--max-steps", "8192", "--max-loops", "1048575"},
                                        options, error))
        << error;
    EXPECT_EQ(options.server.port, 0);
    EXPECT_EQ(options.server.maxClients, 7u);
    EXPECT_EQ(options.server.idleTimeout.count(), 0);
    EXPECT_EQ(options.portFile, "-p");
    EXPECT_EQ(options.server.sequenceLimits.maxSteps, 8192);
    EXPECT_EQ(options.server.sequenceLimits.maxLoops, 1048575u);
    EXPECT_EQ(options.request, SimulatorOptions::Request::Run);
}

TEST(SimulatorOptions, HelpAndVersionNeedNoServer) {
    for (const auto& [word, request] :
         std::vector<std::pair<std::string, SimulatorOptions::Request>>{
             {"-h", SimulatorOptions::Request::Help},
             {"--help", SimulatorOptions::Request::Help},
             {"--version", SimulatorOptions::Request::Version},
             {"--help-man", SimulatorOptions::Request::Manual}}) {
        SimulatorOptions options;
        std::string error;
        EXPECT_TRUE(SimulatorOptions::Parse({word}, options, error)) << word;
        EXPECT_EQ(options.request, request) << word;
    }
    EXPECT_NE(SimulatorOptions::Usage().find("  --max-connections N     connections served"),
              std::string::npos);
}
