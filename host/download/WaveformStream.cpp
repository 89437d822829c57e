#include "download/WaveformStream.h"

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

std::string ChangedLength() {
    return "the waveform file changed length while it was read";
}

std::string ReadError() {
    return std::string("cannot read the waveform file: ") + std::strerror(errno);
}

} // namespace

std::optional<WaveformStream> WaveformStream::Open(const std::string& path, std::string& error) {
    if (const auto problem = PathProblem(path)) {
        error = *problem;
        return std::nullopt;
    }
    const int descriptor = ::open(path.c_str(), O_RDONLY | O_CLOEXEC);
    if (descriptor < 0) {
        error = ReadError();
        return std::nullopt;
    }
    struct stat facts {};
    if (::fstat(descriptor, &facts) != 0 || !S_ISREG(facts.st_mode)) {
        ::close(descriptor);
        error = "the waveform file is not a regular file";
        return std::nullopt;
    }
    return WaveformStream(descriptor, static_cast<std::size_t>(facts.st_size));
}

WaveformStream::WaveformStream(WaveformStream&& other) noexcept
    : descriptor_(other.descriptor_), size_(other.size_) {
    other.descriptor_ = -1;
}

WaveformStream::~WaveformStream() {
    if (descriptor_ >= 0) {
        ::close(descriptor_);
    }
}

std::string WaveformStream::ReadAt(std::size_t offset, char* into, std::size_t count) const {
    while (count > 0) {
        const ssize_t got = ::pread(descriptor_, into, count, static_cast<off_t>(offset));
        if (got < 0 && errno == EINTR) {
            continue;
        }
        if (got < 0) {
            return ReadError();
        }
        if (got == 0) {
            return ChangedLength() + " (" + std::to_string(size_) + " bytes when opened)";
        }
        into += got;
        offset += static_cast<std::size_t>(got);
        count -= static_cast<std::size_t>(got);
    }
    return {};
}

std::string WaveformStream::CheckLength() const {
    // Files whose length the system does not know (those of /proc say 0) show it here too.
    char probe = 0;
    ssize_t got = 0;
    do {
        got = ::pread(descriptor_, &probe, 1, static_cast<off_t>(size_));
    } while (got < 0 && errno == EINTR);
    struct stat facts {};
    if (got < 0) {
        return ReadError();
    }
    if (got > 0) {
        return ChangedLength() + " (" + std::to_string(size_) + " bytes when opened)";
    }
    if (::fstat(descriptor_, &facts) != 0 || static_cast<std::size_t>(facts.st_size) != size_) {
        return ChangedLength();
    }
    return {};
}
