#include "instrument/ScpiTestClient.h"

#include <arpa/inet.h>
#include <cerrno>
#include <netinet/in.h>
#include <netinet/tcp.h>
#include <poll.h>
#include <random>
#include <sys/socket.h>
#include <unistd.h>

ScpiTestClient::ScpiTestClient(std::uint16_t port) {
    socket_ = ::socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0);
    sockaddr_in address{AF_INET, htons(port), {htonl(INADDR_LOOPBACK)}, {}};
    if (socket_ >= 0 &&
        ::connect(socket_, reinterpret_cast<sockaddr*>(&address), sizeof address) != 0) {
        Close();
    }
    if (socket_ >= 0) {
        const int on = 1;
        ::setsockopt(socket_, IPPROTO_TCP, TCP_NODELAY, &on, sizeof on);
    }
}

ScpiTestClient::~ScpiTestClient() {
    Close();
}

void ScpiTestClient::Close() {
    if (socket_ >= 0) {
        ::close(socket_);
        socket_ = -1;
    }
}

bool ScpiTestClient::Send(std::string_view bytes) {
    while (!bytes.empty() && socket_ >= 0) {
        const ssize_t sent = ::send(socket_, bytes.data(), bytes.size(), MSG_NOSIGNAL);
        if (sent < 0 && errno == EINTR) {
            continue;
        }
        if (sent <= 0) {
            return false;
        }
        bytes.remove_prefix(static_cast<std::size_t>(sent));
    }
    return bytes.empty();
}

bool ScpiTestClient::Fill(std::chrono::steady_clock::time_point deadline) {
    if (socket_ < 0) {
        return false;
    }
    const auto left = std::chrono::duration_cast<std::chrono::milliseconds>(
        deadline - std::chrono::steady_clock::now());
    if (left.count() <= 0) {
        return false;
    }
    pollfd watched{socket_, POLLIN, 0};
    if (::poll(&watched, 1, static_cast<int>(left.count())) <= 0) {
        return false;
    }
    char buffer[65536];
    const ssize_t received = ::recv(socket_, buffer, sizeof buffer, 0);
    if (received <= 0) {
        return false;
    }
    pending_.append(buffer, static_cast<std::size_t>(received));
    return true;
}

std::optional<std::string> ScpiTestClient::Take(std::size_t count,
                                                std::chrono::steady_clock::time_point deadline) {
    while (pending_.size() < count) {
        if (!Fill(deadline)) {
            return std::nullopt;
        }
    }
    std::string taken = pending_.substr(0, count);
    pending_.erase(0, count);
    return taken;
}

std::optional<std::string> ScpiTestClient::ReadLine(std::chrono::milliseconds timeout) {
    const auto deadline = std::chrono::steady_clock::now() + timeout;
    std::size_t newline;
    while ((newline = pending_.find('\n')) == std::string::npos) {
        if (!Fill(deadline)) {
            return std::nullopt;
        }
    }
    std::string line = pending_.substr(0, newline);
    pending_.erase(0, newline + 1);
    return line;
}

std::optional<std::string> ScpiTestClient::ReadBlock(std::chrono::milliseconds timeout) {
    const auto deadline = std::chrono::steady_clock::now() + timeout;
    const auto start = Take(2, deadline);
    if (!start || (*start)[0] != '#' || (*start)[1] < '1' || (*start)[1] > '9') {
        return std::nullopt;
    }
    const auto digits = Take(static_cast<std::size_t>((*start)[1] - '0'), deadline);
    if (!digits) {
        return std::nullopt;
    }
    const auto data = Take(std::stoull(*digits), deadline);
    const auto terminator = Take(1, deadline);
    if (!data || !terminator || *terminator != "\n") {
        return std::nullopt;
    }
    return data;
}

std::optional<std::string> ScpiTestClient::Query(std::string_view command) {
    if (!Send(std::string(command) + "\n")) {
        return std::nullopt;
    }
    return ReadLine();
}

bool ScpiTestClient::ClosedByPeer(std::chrono::milliseconds wait) {
    pollfd watched{socket_, POLLIN, 0};
    if (::poll(&watched, 1, static_cast<int>(wait.count())) <= 0) {
        return false;
    }
    char byte;
    return ::recv(socket_, &byte, 1, MSG_PEEK) == 0;
}

std::string ScpiTestClient::Block(std::string_view bytes) {
    const std::string count = std::to_string(bytes.size());
    return "#" + std::to_string(count.size()) + count + std::string(bytes);
}

std::string ScpiTestClient::Pattern(std::size_t size, unsigned seed) {
    std::mt19937 random(seed);
    std::string bytes(size, '\0');
    for (char& byte : bytes) {
        byte = static_cast<char>(random() & 0xFF);
    }
    return bytes;
}

std::string ScpiTestClient::Repeated(std::string_view text, int times) {
    std::string all;
    for (int i = 0; i < times; ++i) {
        all += text;
    }
    return all;
}
