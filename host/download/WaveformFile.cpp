#include "download/WaveformFile.h"

#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace {

// What the settings store hands out for a record that is not there: the tool posts the
// download anyway, with this as the file name.
constexpr const char* kNotFoundText = "noo";

std::optional<std::string> PathProblem(const std::string& path) {
    if (path.empty()) {
        return "the link key names no waveform file";
    }
    if (path == kNotFoundText) {
        return std::string("the tool found no file for this segment in its segment table (\"") +
               kNotFoundText + "\")";
    }
    if (path.front() != '/') {
        return "not a full path";
    }
    return std::nullopt;
}

// Reads exactly `size` bytes; false when the file ends sooner or goes on longer.
bool ReadExactly(int descriptor, std::string& bytes, std::size_t size, std::string& error) {
    bytes.assign(size, '\0');
    std::size_t done = 0;
    for (;;) {
        char probe = 0;
        char* into = done < size ? bytes.data() + done : &probe;
        const std::size_t want = done < size ? size - done : 1;
        const ssize_t got = ::read(descriptor, into, want);
        if (got < 0 && errno == EINTR) {
            continue;
        }
        if (got < 0) {
            error = std::string("cannot read the waveform file: ") + std::strerror(errno);
            return false;
        }
        if (got == 0 && done == size) {
            return true;
        }
        if (got == 0 || done == size) {
            error = "the waveform file changed length while it was read (" + std::to_string(size) +
                    " bytes when opened)";
            return false;
        }
        done += static_cast<std::size_t>(got);
    }
}

} // namespace

std::optional<WaveformFile> WaveformFile::Read(const std::string& path, std::string& error) {
    if (const auto problem = PathProblem(path)) {
        error = *problem;
        return std::nullopt;
    }
    const int descriptor = ::open(path.c_str(), O_RDONLY | O_CLOEXEC);
    if (descriptor < 0) {
        error = std::string("cannot read the waveform file: ") + std::strerror(errno);
        return std::nullopt;
    }
    struct stat before {};
    struct stat after {};
    std::string bytes;
    bool read = false;
    if (::fstat(descriptor, &before) != 0 || !S_ISREG(before.st_mode)) {
        error = "the waveform file is not a regular file";
    } else if (ReadExactly(descriptor, bytes, static_cast<std::size_t>(before.st_size), error)) {
        read = ::fstat(descriptor, &after) == 0 && after.st_size == before.st_size;
        if (!read) {
            error = "the waveform file changed length while it was read";
        }
    }
    ::close(descriptor);
    if (!read) {
        return std::nullopt;
    }
    return WaveformFile(std::move(bytes));
}
