#include "platform/posix/PosixProcessFacts.h"

#include <cstdlib>
#include <fstream>
#include <iterator>
#include <pwd.h>
#include <unistd.h>
#include <vector>

std::optional<std::string> PosixProcessFacts::LogonUserName() const {
    if (const char* user = std::getenv("USER"); user != nullptr && *user != '\0') {
        return std::string(user);
    }
    if (const passwd* entry = ::getpwuid(::geteuid()); entry != nullptr && entry->pw_name) {
        return std::string(entry->pw_name);
    }
    return std::nullopt;
}

std::string PosixProcessFacts::CurrentFolder() const {
    std::vector<char> buffer(4096);
    if (::getcwd(buffer.data(), buffer.size()) == nullptr) {
        return ".";
    }
    return std::string(buffer.data());
}

std::string PosixProcessFacts::FullCommandLine() const {
    std::ifstream in("/proc/self/cmdline", std::ios::binary);
    std::string raw((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
    while (!raw.empty() && raw.back() == '\0') {
        raw.pop_back();
    }
    for (char& c : raw) {
        if (c == '\0') {
            c = ' ';
        }
    }
    return raw;
}

unsigned long long PosixProcessFacts::PhysicalMemoryBytes() const {
    const long pages = ::sysconf(_SC_PHYS_PAGES);
    const long pageSize = ::sysconf(_SC_PAGESIZE);
    if (pages <= 0 || pageSize <= 0) {
        return 0;
    }
    return static_cast<unsigned long long>(pages) * static_cast<unsigned long long>(pageSize);
}
