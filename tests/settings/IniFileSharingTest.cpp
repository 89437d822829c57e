#include "settings/IniFile.h"

#include "ScratchFolder.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <sys/wait.h>
#include <unistd.h>

namespace fs = std::filesystem;

namespace {

constexpr int kKeysPerWriter = 2000;

std::string WriterKey(char writer, int index) {
    return std::string(1, writer) + std::to_string(index);
}

int CountKeysOf(const IniEntries& entries, char writer) {
    int count = 0;
    for (const auto& entry : entries) {
        count += !entry.first.empty() && entry.first[0] == writer;
    }
    return count;
}

// Child process bodies: they report through their exit status only.
[[noreturn]] void RunWriter(const std::string& path, char writer) {
    IniFile ini(path);
    for (int i = 0; i < kKeysPerWriter; ++i) {
        if (!ini.Write("Shared", WriterKey(writer, i), std::to_string(i))) {
            ::_exit(1);
        }
    }
    ::_exit(0);
}

// Reads until the stop file appears. Every read must find the sentinel, and neither
// writer's key count may ever go down: a torn file or a lost write would show here.
[[noreturn]] void RunReader(const std::string& path, const std::string& stopFile) {
    const IniFile ini(path);
    int lastA = 0;
    int lastB = 0;
    long reads = 0;
    while (!fs::exists(stopFile) || reads == 0) {
        if (ini.Read("Sentinel", "Alive") != "yes") {
            ::_exit(2);
        }
        const IniEntries entries = ini.ReadSection("Shared");
        const int a = CountKeysOf(entries, 'a');
        const int b = CountKeysOf(entries, 'b');
        if (a < lastA || b < lastB) {
            ::_exit(3);
        }
        lastA = a;
        lastB = b;
        ++reads;
    }
    ::_exit(0);
}

int ExitStatusOf(pid_t child) {
    int status = 0;
    if (::waitpid(child, &status, 0) != child || !WIFEXITED(status)) {
        return -1;
    }
    return WEXITSTATUS(status);
}

} // namespace

TEST(IniFileSharing, TwoWritingProcessesLoseNoKeyAndAReaderNeverSeesATornFile) {
    ScratchFolder folder;
    const std::string path = folder.Write("TempGlyp.cad", "[Sentinel]\r\nAlive=yes\r\n");
    const std::string stopFile = folder.File("stop");

    const pid_t reader = ::fork();
    ASSERT_GE(reader, 0);
    if (reader == 0) {
        RunReader(path, stopFile);
    }
    const pid_t writerA = ::fork();
    ASSERT_GE(writerA, 0);
    if (writerA == 0) {
        RunWriter(path, 'a');
    }
    const pid_t writerB = ::fork();
    ASSERT_GE(writerB, 0);
    if (writerB == 0) {
        RunWriter(path, 'b');
    }

    EXPECT_EQ(ExitStatusOf(writerA), 0);
    EXPECT_EQ(ExitStatusOf(writerB), 0);
    folder.Write("stop", "");
    EXPECT_EQ(ExitStatusOf(reader), 0) << "2: sentinel missing, 3: keys disappeared";

    const IniFile ini(path);
    const IniEntries entries = ini.ReadSection("Shared");
    EXPECT_EQ(CountKeysOf(entries, 'a'), kKeysPerWriter);
    EXPECT_EQ(CountKeysOf(entries, 'b'), kKeysPerWriter);
    for (int i = 0; i < kKeysPerWriter; i += 97) {
        EXPECT_EQ(ini.Read("Shared", WriterKey('a', i)), std::to_string(i));
        EXPECT_EQ(ini.Read("Shared", WriterKey('b', i)), std::to_string(i));
    }
    EXPECT_EQ(ini.Read("Sentinel", "Alive"), "yes");
    const std::string content = ScratchFolder::Read(path);
    EXPECT_EQ(std::count(content.begin(), content.end(), '\n'), 2 * kKeysPerWriter + 3)
        << "no line is written twice";
}
