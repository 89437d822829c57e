#include "settings/RegistryKey.h"

#include "ScratchFolder.h"
#include "support/ScopedEnvironment.h"

#include <gtest/gtest.h>

namespace fs = std::filesystem;

TEST(RegistryKey, FolderComesFromOverrideThenXdgThenHome) {
    ScopedEnvironment registry("WAVESMITH_REGISTRY_DIR", "/x/registry");
    ScopedEnvironment xdg("XDG_CONFIG_HOME", "/x/config");
    ScopedEnvironment home("HOME", "/x/home");
    EXPECT_EQ(RegistryKey::RegistryFolder(), "/x/registry");
    {
        ScopedEnvironment unset("WAVESMITH_REGISTRY_DIR", nullptr);
        EXPECT_EQ(RegistryKey::RegistryFolder(), "/x/config/wavesmith");
        ScopedEnvironment relative("XDG_CONFIG_HOME", "relative");
        EXPECT_EQ(RegistryKey::RegistryFolder(), "/x/home/.config/wavesmith");
        ScopedEnvironment empty("XDG_CONFIG_HOME", "");
        EXPECT_EQ(RegistryKey::RegistryFolder(), "/x/home/.config/wavesmith");
    }
}

TEST(RegistryKey, ValuesLiveInAPrivateFilePerRootWithOneSectionPerKeyPath) {
    ScratchFolder folder;
    const std::string registryFolder = folder.Path() + "/config/wavesmith";
    ScopedEnvironment registry("WAVESMITH_REGISTRY_DIR", registryFolder.c_str());
    const RegistryKey user(RegistryRoot::CurrentUser, "Software\\Q\\3.1\\DwnStr");
    const RegistryKey machine(RegistryRoot::LocalMachine, "Software\\Q\\3.1\\DwnStr");

    EXPECT_EQ(user.ReadValue("Cmd"), std::nullopt);
    EXPECT_FALSE(fs::exists(registryFolder)) << "reads create nothing";
    ASSERT_TRUE(user.WriteValue("Cmd", ":TRAC:DEF 1,1024;:TRAC:SEL 1"));
    ASSERT_TRUE(machine.WriteValue("Cmd", "other"));
    EXPECT_EQ(user.ReadValue("cmd"), ":TRAC:DEF 1,1024;:TRAC:SEL 1");
    EXPECT_EQ(machine.ReadValue("Cmd"), "other");
    EXPECT_EQ(RegistryKey(RegistryRoot::CurrentUser, "software\\q\\3.1\\dwnstr").ReadValue("CMD"),
              ":TRAC:DEF 1,1024;:TRAC:SEL 1");
    EXPECT_EQ(ScratchFolder::Read(registryFolder + "/hkcu.ini"),
              "[Software\\Q\\3.1\\DwnStr]\nCmd=:TRAC:DEF 1,1024;:TRAC:SEL 1\n");

    const auto mask = [](const std::string& path) {
        return fs::status(path).permissions() & fs::perms::mask;
    };
    EXPECT_EQ(mask(registryFolder), fs::perms::owner_all);
    EXPECT_EQ(mask(registryFolder + "/hkcu.ini"), fs::perms::owner_read | fs::perms::owner_write);
    EXPECT_EQ(mask(registryFolder + "/hklm.ini"), fs::perms::owner_read | fs::perms::owner_write);
}

TEST(RegistryKey, KeyExistsOnceCreatedOrWhenAKeyBelowItWasCreated) {
    ScratchFolder folder;
    ScopedEnvironment registry("WAVESMITH_REGISTRY_DIR", folder.Path().c_str());
    const RegistryKey parent(RegistryRoot::CurrentUser, "Software\\Q");
    const RegistryKey child(RegistryRoot::CurrentUser, "Software\\Q\\ViewsSM");
    const RegistryKey sibling(RegistryRoot::CurrentUser, "Software\\Qx");
    EXPECT_FALSE(child.Exists());
    ASSERT_TRUE(child.Create());
    EXPECT_TRUE(child.Exists());
    EXPECT_TRUE(parent.Exists());
    EXPECT_FALSE(sibling.Exists());
    EXPECT_FALSE(RegistryKey(RegistryRoot::LocalMachine, "Software\\Q").Exists());
    EXPECT_EQ(child.ReadValue("visFile"), std::nullopt);
    ASSERT_TRUE(child.Create()) << "creating an existing key is fine";
    EXPECT_EQ(ScratchFolder::Read(folder.File("hkcu.ini")), "[Software\\Q\\ViewsSM]\n");
}

TEST(RegistryKey, ValueIsReadIntoTwoHundredFiftyFiveBytes) {
    ScratchFolder folder;
    ScopedEnvironment registry("WAVESMITH_REGISTRY_DIR", folder.Path().c_str());
    const RegistryKey key(RegistryRoot::CurrentUser, "Software\\Q\\DwnStr");
    const std::string path(300, 'p');
    ASSERT_TRUE(key.WriteValue("wFile", path));
    EXPECT_EQ(key.ReadValue("wFile"), path.substr(0, 255));
    ASSERT_TRUE(key.WriteValue("exact", path.substr(0, 255)));
    EXPECT_EQ(key.ReadValue("exact"), path.substr(0, 255));
}
