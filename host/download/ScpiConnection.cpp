#include "download/ScpiConnection.h"

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <netdb.h>
#include <netinet/in.h>
#include <netinet/tcp.h>
#include <poll.h>
#include <sys/socket.h>
#include <sys/uio.h>
#include <unistd.h>

namespace {

constexpr std::size_t kReadChunk = 1 << 16;
constexpr std::size_t kMostHeaderDigits = 9;
// A block's announced length is the instrument's word, not a promise: memory is taken as
// its bytes arrive.
constexpr std::size_t kMostReserved = std::size_t{1} << 26;

bool WaitFor(int socket, short events, int timeoutMs) {
    pollfd entry{socket, events, 0};
    int ready = 0;
    do {
        ready = ::poll(&entry, 1, timeoutMs);
    } while (ready < 0 && errno == EINTR);
    return ready > 0;
}

bool WouldBlock(int error) {
    return error == EAGAIN || error == EWOULDBLOCK;
}

// The socket stays non-blocking: every wait for the instrument is a poll with a timeout.
int ConnectWithTimeout(const addrinfo& address, int timeoutMs) {
    const int socket = ::socket(
        address.ai_family, address.ai_socktype | SOCK_CLOEXEC | SOCK_NONBLOCK, address.ai_protocol);
    if (socket < 0) {
        return -1;
    }
    int result = ::connect(socket, address.ai_addr, address.ai_addrlen);
    if (result < 0 && errno == EINPROGRESS && WaitFor(socket, POLLOUT, timeoutMs)) {
        int error = 0;
        socklen_t length = sizeof error;
        ::getsockopt(socket, SOL_SOCKET, SO_ERROR, &error, &length);
        errno = error;
        result = error == 0 ? 0 : -1;
    } else if (result < 0 && errno == EINPROGRESS) {
        errno = ETIMEDOUT;
    }
    if (result < 0) {
        const int saved = errno;
        ::close(socket);
        errno = saved;
        return -1;
    }
    const int on = 1;
    ::setsockopt(socket, IPPROTO_TCP, TCP_NODELAY, &on, sizeof on);
    return socket;
}

} // namespace

ScpiConnection::~ScpiConnection() {
    Close();
}

bool ScpiConnection::Open(const InstrumentAddress& address) {
    Close();
    lost_ = false;
    addrinfo hints{};
    hints.ai_family = AF_UNSPEC;
    hints.ai_socktype = SOCK_STREAM;
    addrinfo* found = nullptr;
    const std::string port = std::to_string(address.port);
    const int status = ::getaddrinfo(address.host.c_str(), port.c_str(), &hints, &found);
    if (status != 0) {
        lastError_ = address.ToString() + ": " + ::gai_strerror(status);
        return false;
    }
    int error = 0;
    for (const addrinfo* candidate = found; candidate && socket_ < 0;
         candidate = candidate->ai_next) {
        socket_ = ConnectWithTimeout(*candidate, timeoutMs_);
        error = errno;
    }
    ::freeaddrinfo(found);
    if (socket_ < 0) {
        lastError_ = address.ToString() + ": " + std::strerror(error);
        return false;
    }
    lastError_.clear();
    return true;
}

void ScpiConnection::Close() {
    if (socket_ >= 0) {
        ::close(socket_);
        socket_ = -1;
    }
    pending_.clear();
}

void ScpiConnection::CloseIfHungUp() {
    if (socket_ < 0 || !WaitFor(socket_, POLLIN, 0)) {
        return;
    }
    char next = 0;
    const ssize_t peeked = ::recv(socket_, &next, 1, MSG_PEEK | MSG_DONTWAIT);
    if (peeked == 0 || (peeked < 0 && !WouldBlock(errno) && errno != EINTR)) {
        Close();
    }
}

bool ScpiConnection::Send(std::string_view message) {
    iovec parts[2] = {{const_cast<char*>(message.data()), message.size()},
                      {const_cast<char*>("\n"), 1}};
    return WriteVector(parts, 2, {});
}

bool ScpiConnection::SendBlock(std::string_view prefix, const void* bytes, std::size_t size,
                               const Progress& progress) {
    const std::string header = BlockHeader(size);
    iovec parts[4] = {{const_cast<char*>(prefix.data()), prefix.size()},
                      {const_cast<char*>(header.data()), header.size()},
                      {const_cast<void*>(bytes), size},
                      {const_cast<char*>("\n"), 1}};
    return WriteVector(parts, 4, progress);
}

std::optional<std::string> ScpiConnection::Query(std::string_view message) {
    std::string line;
    if (!Send(message) || !ReadLine(line)) {
        return std::nullopt;
    }
    return line;
}

std::optional<std::string> ScpiConnection::QueryBlock(std::string_view message) {
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

std::string ScpiConnection::BlockHeader(std::size_t size) {
    const std::string count = std::to_string(size);
    std::string header = "#";
    header += std::to_string(count.size());
    header += count;
    return header;
}

bool ScpiConnection::ReadBlockLength(std::size_t& length) {
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

bool ScpiConnection::WriteVector(iovec* parts, int count, const Progress& progress) {
    if (socket_ < 0) {
        return Fail("not connected");
    }
    std::size_t total = 0;
    for (int i = 0; i < count; ++i) {
        total += parts[i].iov_len;
    }
    std::size_t sent = 0;
    while (count > 0) {
        msghdr message{};
        message.msg_iov = parts;
        message.msg_iovlen = static_cast<std::size_t>(count);
        const ssize_t written = ::sendmsg(socket_, &message, MSG_NOSIGNAL);
        if (written < 0 && errno == EINTR) {
            continue;
        }
        if (written < 0 && WouldBlock(errno)) {
            if (!WaitFor(socket_, POLLOUT, timeoutMs_)) {
                return Fail("the instrument took no data for " + std::to_string(timeoutMs_) +
                            " ms");
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

bool ScpiConnection::Fill() {
    if (socket_ < 0) {
        return Fail("not connected");
    }
    char buffer[kReadChunk];
    for (;;) {
        if (!WaitFor(socket_, POLLIN, timeoutMs_)) {
            return Fail("no answer within " + std::to_string(timeoutMs_) + " ms");
        }
        const ssize_t received = ::recv(socket_, buffer, sizeof buffer, MSG_DONTWAIT);
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

bool ScpiConnection::ReadLine(std::string& line) {
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

bool ScpiConnection::ReadBytes(std::size_t count, std::string& out) {
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

bool ScpiConnection::Fail(const std::string& what) {
    lastError_ = what;
    lost_ = false;
    Close();
    return false;
}

bool ScpiConnection::Lost(const std::string& what) {
    Fail(what);
    lost_ = true;
    return false;
}
