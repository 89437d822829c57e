#include "workspace/InstallLayout.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <unistd.h>

namespace fs = std::filesystem;

namespace {

// A prefix outside the build tree: <prefix>/bin, with or without share/wavesmith/families.
struct ScratchPrefix {
    fs::path root = fs::temp_directory_path() / ("ws-prefix-" + std::to_string(::getpid()));

    explicit ScratchPrefix(bool withFamilies) {
        fs::create_directories(root / "bin");
        if (withFamilies) {
            fs::create_directories(root / "share" / "wavesmith" / "families");
            std::ofstream(root / "share" / "wavesmith" / "families" / "ZZ100.fam") << "[Axis]\n";
        }
    }
    ~ScratchPrefix() { fs::remove_all(root); }
};

} // namespace

TEST(InstallLayout, FamiliesComeFromBesideTheProgramAndTheSourceTreeOnlyServesTheBuildTree) {
    {
        ScratchPrefix installed(true);
        const InstallLayout layout((installed.root / "bin").string());
        EXPECT_EQ(fs::path(layout.FamiliesFolder()),
                  fs::canonical(installed.root / "share" / "wavesmith" / "families"));
        EXPECT_EQ(layout.FamilyNames(), std::vector<std::string>{"ZZ100"});
    }
    {
        // A broken install says where the files should be instead of reading the source tree.
        ScratchPrefix broken(false);
        const InstallLayout layout((broken.root / "bin").string());
        EXPECT_NE(layout.FamiliesFolder(), WAVESMITH_FAMILIES_DIR);
        EXPECT_TRUE(layout.FamilyNames().empty());
    }
    const InstallLayout buildTree(WAVESMITH_BINARY_DIR "/host");
    EXPECT_EQ(buildTree.FamiliesFolder(), WAVESMITH_FAMILIES_DIR);
    EXPECT_FALSE(buildTree.FamilyNames().empty());
}
