#pragma once

#include <filesystem>
#include <string>
#include <sys/inotify.h>
#include <unistd.h>

// Counts the times a file was replaced (renamed over) since construction. The renames'
// other halves are watched too: the kernel merges equal events that follow each other.
class ReplacementCounter {
public:
    explicit ReplacementCounter(const std::string& path)
        : name_(std::filesystem::path(path).filename().string()),
          descriptor_(inotify_init1(IN_NONBLOCK)) {
        inotify_add_watch(descriptor_, std::filesystem::path(path).parent_path().c_str(),
                          IN_MOVED_FROM | IN_MOVED_TO);
    }
    ~ReplacementCounter() { close(descriptor_); }
    ReplacementCounter(const ReplacementCounter&) = delete;
    ReplacementCounter& operator=(const ReplacementCounter&) = delete;

    int Count() {
        alignas(inotify_event) char buffer[4096];
        ssize_t length = 0;
        while ((length = read(descriptor_, buffer, sizeof buffer)) > 0) {
            for (ssize_t at = 0; at < length;) {
                const auto* event = reinterpret_cast<const inotify_event*>(buffer + at);
                const bool replaced =
                    (event->mask & IN_MOVED_TO) != 0 && event->len > 0 && name_ == event->name;
                count_ += replaced ? 1 : 0;
                at += static_cast<ssize_t>(sizeof(inotify_event) + event->len);
            }
        }
        return count_;
    }

private:
    std::string name_;
    int descriptor_;
    int count_ = 0;
};
