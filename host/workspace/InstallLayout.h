#pragma once

#include <string>
#include <vector>

// Where consolux finds what it ships with, both in the build tree and installed:
//   build tree: <build>/host/consolux, <build>/host/instrument/awg-sim,
//               <build>/src/ui/wavesmith, families in the source tree
//   installed:  <prefix>/bin/{consolux,awg-sim,wavesmith}, <prefix>/share/wavesmith/families
// The source tree's families serve only a consolux inside the build tree, so that an
// installed copy never quietly reads the files of the tree it was built from.
class InstallLayout {
public:
    // programFolder: the folder of the consolux executable.
    explicit InstallLayout(std::string programFolder);

    std::string FamiliesFolder() const;
    std::vector<std::string> FamilyNames() const;
    // Empty when not found.
    std::string ToolExecutable() const;
    std::string SimulatorExecutable() const;

private:
    bool RunsFromBuildTree() const;
    std::string FirstExecutable(const std::vector<std::string>& candidates) const;

    std::string programFolder_;
};
