#include "transport/StreamTransport.h"

#include "scpi/ScpiVocabulary.h"

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <poll.h>
#include <sys/uio.h>
#include <unistd.h>

namespace {

constexpr std::size_t kReadChunk = 1 << 16;
// A block read from a file goes out in pieces of this size: large enough that the calls
// cost nothing, small enough to stay in the processor's cache between read and send.
constexpr std::size_t kBlockPiece = std::size_t{1} << 20;
constexpr std::size_t kMostHeaderDigits = 9;
// A block's announced length is the instrument's word, not a promise: memory is taken as
// its bytes arrive.
constexpr std::size_t kMostReserved = std::size_t{1} << 26;

bool WouldBlock(int error) {
    return error == EAGAIN || error == EWOULDBLOCK;
}

} // namespace

StreamTransport::~StreamTransport() {
    Close();
}

bool StreamTransport::WaitFor(int descriptor, short events, int timeoutMs) {
    pollfd entry{descriptor, events, 0};
    int ready = 0;
    do {
        ready = ::poll(&entry, 1, timeoutMs);
    } while (ready < 0 && errno == EINTR);
    return ready > 0;
}

void StreamTransport::Close() {
    if (descriptor_ >= 0) {
        ::close(descriptor_);
        descriptor_ = -1;
    }
    pending_.clear();
}

bool StreamTransport::Send(std::string_view message) {
    iovec parts[2] = {{const_cast<char*>(message.data()), message.size()},
                      {const_cast<char*>("\n"), 1}};
    return WriteVector(parts, 2, {});
}

bool StreamTransport::SendBlock(std::string_view prefix, const void* bytes, std::size_t size,
                                const Progress& progress) {
    const std::string header = ScpiVocabulary::BlockHeader(size);
    iovec parts[4] = {{const_cast<char*>(prefix.data()), prefix.size()},
                      {const_cast<char*>(header.data()), header.size()},
                      {const_cast<void*>(bytes), size},
                      {const_cast<char*>("\n"), 1}};
    return WriteVector(parts, 4, progress);
}

bool StreamTransport::SendBlockFrom(std::string_view prefix, std::size_t size,
                                    const BlockReader& read, const Progress& progress) {
    const std::string header = ScpiVocabulary::BlockHeader(size);
    const std::size_t total = prefix.size() + header.size() + size + 1;
    std::size_t done = 0;
    const auto write = [&](iovec* parts, int count) {
        const std::size_t before = done;
        for (int i = 0; i < count; ++i) {
            done += parts[i].iov_len;
        }
        return WriteVector(parts, count, [&](std::size_t sent, std::size_t) {
            if (progress) {
                progress(before + sent, total);
            }
        });
    };
    iovec head[2] = {{const_cast<char*>(prefix.data()), prefix.size()},
                     {const_cast<char*>(header.data()), header.size()}};
    if (!write(head, 2)) {
        return false;
    }
    std::string piece(std::min(size, kBlockPiece), '\0');
    for (std::size_t offset = 0; offset < size; offset += piece.size()) {
        const std::size_t count = std::min(piece.size(), size - offset);
        if (const std::string problem = read(offset, piece.data(), count); !problem.empty()) {
            return Fail(problem);
        }
        iovec part{piece.data(), count};
        if (!write(&part, 1)) {
            return false;
        }
    }
    iovec end{const_cast<char*>("\n"), 1};
    return write(&end, 1);
}

std::optional<std::string> StreamTransport::Query(std::string_view message) {
    std::string line;
    if (!Send(message) || !ReadLine(line)) {
        return std::nullopt;
    }
    return line;
}

std::optional<std::string> StreamTransport::QueryBlock(std::string_view message) {
    std::size_t length = 0;
    if (!Send(message) || !ReadBlockLength(length)) {
        return std::nullopt;
    }
    std::string data;
    std::string terminator;
    if (!ReadBytes(length, data) || !ReadLine(terminator)) {
        return std::nullopt;
    }
    return data;
}

bool StreamTransport::ReadBlockLength(std::size_t& length) {
    std::string header;
    if (!ReadBytes(2, header)) {
        return false;
    }
    std::string digits;
    const bool definite = header[0] == '#' && header[1] >= '1' && header[1] <= '9';
    if (definite && !ReadBytes(static_cast<std::size_t>(header[1] - '0'), digits)) {
        return false;
    }
    const bool numeric =
        !digits.empty() && digits.size() <= kMostHeaderDigits &&
        std::all_of(digits.begin(), digits.end(), [](char c) { return c >= '0' && c <= '9'; });
    if (!definite || !numeric) {
        std::string rest;
        ReadLine(rest);
        return Fail("not a definite-length block: " + header + digits + rest);
    }
    length = std::stoull(digits);
    return true;
}

bool StreamTransport::WriteVector(iovec* parts, int count, const Progress& progress) {
    if (descriptor_ < 0) {
        return Fail("not connected");
    }
    std::size_t total = 0;
    for (int i = 0; i < count; ++i) {
        total += parts[i].iov_len;
    }
    std::size_t sent = 0;
    while (count > 0) {
        if (Cancelled()) {
            return Fail("cancelled");
        }
        const ssize_t written = WriteSome(parts, count);
        if (written < 0 && errno == EINTR) {
            continue;
        }
        if (written < 0 && WouldBlock(errno)) {
            const int timeoutMs = CurrentTimeouts().writeMs;
            if (!WaitFor(descriptor_, POLLOUT, timeoutMs)) {
                return Fail("the instrument took no data for " + std::to_string(timeoutMs) + " ms");
            }
            continue;
        }
        if (written < 0) {
            return Lost(std::string("connection lost while sending: ") + std::strerror(errno));
        }
        auto left = static_cast<std::size_t>(written);
        sent += left;
        while (count > 0 && left >= parts->iov_len) {
            left -= parts->iov_len;
            ++parts;
            --count;
        }
        if (count > 0) {
            parts->iov_base = static_cast<char*>(parts->iov_base) + left;
            parts->iov_len -= left;
        }
        if (progress) {
            progress(sent, total);
        }
    }
    return true;
}

bool StreamTransport::Fill() {
    if (descriptor_ < 0) {
        return Fail("not connected");
    }
    char buffer[kReadChunk];
    for (;;) {
        const int timeoutMs = CurrentTimeouts().readMs;
        if (!WaitFor(descriptor_, POLLIN, timeoutMs)) {
            return Fail("no answer within " + std::to_string(timeoutMs) + " ms");
        }
        const ssize_t received = ::read(descriptor_, buffer, sizeof buffer);
        if (received > 0) {
            pending_.append(buffer, static_cast<std::size_t>(received));
            return true;
        }
        if (received == 0) {
            return Lost("connection closed by the instrument");
        }
        if (errno != EINTR && !WouldBlock(errno)) {
            return Lost(std::string("connection lost while receiving: ") + std::strerror(errno));
        }
    }
}

bool StreamTransport::ReadLine(std::string& line) {
    std::size_t end = 0;
    while ((end = pending_.find('\n')) == std::string::npos) {
        if (!Fill()) {
            return false;
        }
    }
    line.assign(pending_, 0, end);
    pending_.erase(0, end + 1);
    if (!line.empty() && line.back() == '\r') {
        line.pop_back();
    }
    return true;
}

bool StreamTransport::ReadBytes(std::size_t count, std::string& out) {
    out.clear();
    out.reserve(std::min(count, kMostReserved));
    while (out.size() < count) {
        if (pending_.empty() && !Fill()) {
            return false;
        }
        const std::size_t take = std::min(count - out.size(), pending_.size());
        out.append(pending_, 0, take);
        pending_.erase(0, take);
    }
    return true;
}
