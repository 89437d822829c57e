#pragma once

#include <atomic>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <optional>
#include <string>
#include <unistd.h>

// A fresh folder under the system's temporary folder, removed with everything in it.
class ScratchFolder {
public:
    ScratchFolder() {
        static std::atomic<int> counter{0};
        path_ = (std::filesystem::temp_directory_path() /
                 ("ws-settings-" + std::to_string(::getpid()) + "-" + std::to_string(counter++)))
                    .string();
        std::filesystem::remove_all(path_);
        std::filesystem::create_directories(path_);
    }
    ~ScratchFolder() {
        std::error_code error;
        std::filesystem::permissions(path_, std::filesystem::perms::owner_all,
                                     std::filesystem::perm_options::add, error);
        std::filesystem::remove_all(path_, error);
    }
    ScratchFolder(const ScratchFolder&) = delete;
    ScratchFolder& operator=(const ScratchFolder&) = delete;

    const std::string& Path() const { return path_; }
    std::string File(const std::string& name) const { return path_ + "/" + name; }

    std::string Write(const std::string& name, const std::string& bytes) const {
        const std::string file = File(name);
        std::ofstream(file, std::ios::binary) << bytes;
        return file;
    }

    static std::string Read(const std::string& file) {
        std::ifstream stream(file, std::ios::binary);
        return {std::istreambuf_iterator<char>(stream), std::istreambuf_iterator<char>()};
    }

private:
    std::string path_;
};

// Sets an environment variable for the lifetime of the object, then restores it.
class ScopedEnvironment {
public:
    ScopedEnvironment(const char* name, const char* value) : name_(name) {
        if (const char* previous = std::getenv(name)) {
            previous_ = previous;
        }
        if (value != nullptr) {
            ::setenv(name, value, 1);
        } else {
            ::unsetenv(name);
        }
    }
    ~ScopedEnvironment() {
        if (previous_) {
            ::setenv(name_, previous_->c_str(), 1);
        } else {
            ::unsetenv(name_);
        }
    }
    ScopedEnvironment(const ScopedEnvironment&) = delete;
    ScopedEnvironment& operator=(const ScopedEnvironment&) = delete;

private:
    const char* name_;
    std::optional<std::string> previous_;
};

// Makes a folder unwritable for this process: permission bits for a normal user, and for
// root (who ignores them) an effective user id without rights on the folder.
class UnwritableFolder {
public:
    explicit UnwritableFolder(const std::string& folder) : folder_(folder) {
        std::filesystem::permissions(
            folder_, std::filesystem::perms::owner_read | std::filesystem::perms::owner_exec |
                         std::filesystem::perms::group_read | std::filesystem::perms::group_exec |
                         std::filesystem::perms::others_read | std::filesystem::perms::others_exec);
        if (::geteuid() == 0) {
            switched_ = ::seteuid(kNobody) == 0;
        }
        const std::string probe = folder_ + "/.probe";
        std::FILE* file = std::fopen(probe.c_str(), "w");
        effective_ = file == nullptr;
        if (file != nullptr) {
            std::fclose(file);
            std::remove(probe.c_str());
        }
    }
    ~UnwritableFolder() {
        if (switched_) {
            [[maybe_unused]] const int restored = ::seteuid(0);
        }
        std::filesystem::permissions(folder_, std::filesystem::perms::owner_all);
    }
    UnwritableFolder(const UnwritableFolder&) = delete;
    UnwritableFolder& operator=(const UnwritableFolder&) = delete;

    // False when this process can write anyway (root without the right to switch user).
    bool Effective() const { return effective_; }

private:
    static constexpr uid_t kNobody = 65534;
    std::string folder_;
    bool switched_ = false;
    bool effective_ = false;
};
