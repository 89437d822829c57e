#pragma once

#include "ScpiServer.h"

#include <string>
#include <vector>

// The command line of awg-sim:
//   awg-sim [--port N] [--bind ADDRESS] [--memory POINTS] [--port-file FILE]
//           [--max-connections N] [--idle-timeout SECONDS]
struct SimulatorOptions {
    ScpiServer::Options server;
    std::string portFile;
    bool help = false;

    // False with the reason in `error` on an unknown option or a bad value.
    static bool Parse(const std::vector<std::string>& arguments, SimulatorOptions& options,
                      std::string& error);
    static const char* Usage();
};
