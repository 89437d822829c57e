#pragma once

#include <cstdio>
#include <filesystem>
#include <string>
#include <unistd.h>

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
