#include "ScpiServer.h"

#include "InstrumentCommands.h"
#include "ResponseBuffer.h"
#include "ScpiError.h"
#include "ScpiSession.h"

#include <arpa/inet.h>
#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <netinet/in.h>
#include <netinet/tcp.h>
#include <poll.h>
#include <sys/socket.h>
#include <sys/time.h>
#include <unistd.h>

#include <chrono>
#include <span>
#include <system_error>
#include <vector>

namespace {

// Large enough that a burst of clients waits for the accept loop instead of being dropped.
constexpr int kListenBacklog = 1024;
constexpr int kReapIntervalMs = 500;
// Beyond two messages' worth of blocks, each budget has room for the largest text answers
// (a full sequence table is about 700 kB) and the huge-page rounding of block buffers.
constexpr std::uint64_t kBudgetHeadroom = 8 << 20;

std::string SystemError(const char* what) {
    return std::string(what) + ": " + std::strerror(errno);
}

void CloseIfOpen(int& descriptor) {
    if (descriptor >= 0) {
        ::close(descriptor);
        descriptor = -1;
    }
}

} // namespace

std::uint64_t ScpiServer::BlockBudgetBytes(std::uint64_t memoryPoints) {
    return 2 * InstrumentState(memoryPoints).MaxMessageBlockBytes() + kBudgetHeadroom;
}

ScpiServer::ScpiServer(Options options)
    : options_(std::move(options)), instrument_(options_.memoryPoints, options_.sequenceLimits),
      commands_(InstrumentCommands::Build()), inputBlocks_(BlockBudgetBytes(options_.memoryPoints)),
      outputBlocks_(BlockBudgetBytes(options_.memoryPoints)) {}

ScpiServer::~ScpiServer() {
    Stop();
}

bool ScpiServer::Start(std::string& error) {
    sockaddr_in address{};
    address.sin_family = AF_INET;
    address.sin_port = htons(options_.port);
    if (::inet_pton(AF_INET, options_.bindAddress.c_str(), &address.sin_addr) != 1) {
        error = "not an IPv4 address: " + options_.bindAddress;
        return false;
    }
    listenSocket_ = ::socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC | SOCK_NONBLOCK, 0);
    if (listenSocket_ < 0) {
        error = SystemError("socket");
        return false;
    }
    const int on = 1;
    ::setsockopt(listenSocket_, SOL_SOCKET, SO_REUSEADDR, &on, sizeof on);
    if (::bind(listenSocket_, reinterpret_cast<sockaddr*>(&address), sizeof address) != 0 ||
        ::listen(listenSocket_, kListenBacklog) != 0) {
        error = SystemError("cannot listen on the port");
        CloseIfOpen(listenSocket_);
        return false;
    }
    socklen_t length = sizeof address;
    ::getsockname(listenSocket_, reinterpret_cast<sockaddr*>(&address), &length);
    port_ = ntohs(address.sin_port);
    int wake[2];
    if (::pipe2(wake, O_CLOEXEC) != 0) {
        error = SystemError("pipe");
        CloseIfOpen(listenSocket_);
        return false;
    }
    wakeRead_ = wake[0];
    wakeWrite_ = wake[1];
    acceptThread_ = std::thread([this] { AcceptLoop(); });
    return true;
}

void ScpiServer::Stop() {
    if (stopping_.exchange(true)) {
        return;
    }
    if (wakeWrite_ >= 0) {
        const char byte = 's';
        [[maybe_unused]] const ssize_t written = ::write(wakeWrite_, &byte, 1);
    }
    if (acceptThread_.joinable()) {
        acceptThread_.join();
    }
    CloseIfOpen(listenSocket_);
    CloseIfOpen(wakeRead_);
    CloseIfOpen(wakeWrite_);
    std::scoped_lock lock(clientsMutex_);
    // Shutting the sockets down wakes threads blocked in recv or send.
    for (const auto& client : clients_) {
        ::shutdown(client->socket, SHUT_RDWR);
    }
    for (const auto& client : clients_) {
        client->thread.join();
        ::close(client->socket);
    }
    clients_.clear();
}

std::size_t ScpiServer::ClientCount() const {
    std::scoped_lock lock(clientsMutex_);
    return clients_.size();
}

void ScpiServer::AcceptLoop() {
    while (!stopping_) {
        pollfd watched[2] = {{listenSocket_, POLLIN, 0}, {wakeRead_, POLLIN, 0}};
        const int ready = ::poll(watched, 2, kReapIntervalMs);
        ReapFinishedClients();
        if (stopping_) {
            break;
        }
        if (ready > 0 && (watched[0].revents & POLLIN) != 0) {
            AcceptPending();
        }
    }
}

// Takes every connection waiting, so that a burst of clients never overflows the backlog
// (a connection dropped there is retried by the client only after a second or more).
void ScpiServer::AcceptPending() {
    while (!stopping_) {
        const int socket = ::accept4(listenSocket_, nullptr, nullptr, SOCK_CLOEXEC);
        if (socket >= 0) {
            Admit(socket);
            continue;
        }
        if (errno == EINTR || errno == ECONNABORTED) {
            continue;
        }
        if (errno == EMFILE || errno == ENFILE || errno == ENOBUFS || errno == ENOMEM) {
            // Out of descriptors: let connections wait in the backlog for a while.
            std::this_thread::sleep_for(std::chrono::milliseconds(50));
        }
        return;
    }
}

void ScpiServer::Admit(int socket) {
    if (ClientCount() >= options_.maxClients) {
        ReapFinishedClients();
    }
    std::scoped_lock lock(clientsMutex_);
    if (clients_.size() >= options_.maxClients) {
        Refuse(socket, "connection limit of " + std::to_string(options_.maxClients) +
                           " reached, try again later");
        return;
    }
    ConfigureClientSocket(socket);
    auto client = std::make_unique<Client>();
    client->socket = socket;
    Client& started = *client;
    try {
        client->thread = std::thread([this, &started] { Serve(started); });
    } catch (const std::system_error&) {
        Refuse(socket, "no thread for another connection, try again later");
        return;
    }
    clients_.push_back(std::move(client));
}

// One line the client can read instead of a reset. The socket is new, so the line fits
// in its send buffer at once.
void ScpiServer::Refuse(int socket, const std::string& reason) {
    const std::string line = ScpiError(scpi_errors::kSystemError, reason).Format() + "\n";
    [[maybe_unused]] const ssize_t sent =
        ::send(socket, line.data(), line.size(), MSG_NOSIGNAL | MSG_DONTWAIT);
    ::shutdown(socket, SHUT_WR);
    // Closing a socket with unread input resets the connection, and the client might lose
    // the line with it: what it has sent already is read and dropped.
    char discarded[512];
    while (::recv(socket, discarded, sizeof discarded, MSG_DONTWAIT) > 0) {
    }
    ::close(socket);
}

void ScpiServer::ConfigureClientSocket(int socket) const {
    const int on = 1;
    ::setsockopt(socket, IPPROTO_TCP, TCP_NODELAY, &on, sizeof on);
    if (options_.idleTimeout.count() <= 0) {
        return;
    }
    // Both directions: a client that neither sends nor takes any of its answer for the
    // idle timeout is gone.
    const auto milliseconds = options_.idleTimeout.count();
    timeval timeout{};
    timeout.tv_sec = static_cast<time_t>(milliseconds / 1000);
    timeout.tv_usec = static_cast<suseconds_t>(milliseconds % 1000 * 1000);
    ::setsockopt(socket, SOL_SOCKET, SO_RCVTIMEO, &timeout, sizeof timeout);
    ::setsockopt(socket, SOL_SOCKET, SO_SNDTIMEO, &timeout, sizeof timeout);
}

void ScpiServer::ReapFinishedClients() {
    std::scoped_lock lock(clientsMutex_);
    for (auto it = clients_.begin(); it != clients_.end();) {
        if ((*it)->finished) {
            (*it)->thread.join();
            ::close((*it)->socket);
            it = clients_.erase(it);
        } else {
            ++it;
        }
    }
}

void ScpiServer::Serve(Client& client) {
    ScpiSession session(instrument_, commands_, &inputBlocks_);
    std::vector<char> buffer(kReceiveBufferBytes);
    ResponseBuffer response(&outputBlocks_);
    while (!stopping_) {
        // A block's payload is received straight into the message that becomes the
        // segment, in as large pieces as the socket has; everything else goes through the
        // session's reader from the small buffer.
        const std::span<char> payload = session.PayloadSpace();
        const std::span<char> into = payload.empty() ? std::span<char>(buffer) : payload;
        const ssize_t received = ::recv(client.socket, into.data(), into.size(), 0);
        if (received < 0 && errno == EINTR) {
            continue;
        }
        // Also the idle timeout (EAGAIN) and Stop (the socket was shut down).
        if (received <= 0) {
            break;
        }
        const auto count = static_cast<std::size_t>(received);
        if (!payload.empty()) {
            session.ReceivePayload(count);
            continue;
        }
        if (!Answer(client.socket, session, std::string_view(buffer.data(), count), response)) {
            break;
        }
    }
    // The client sees the end of the stream at once, not when the connection is reaped.
    ::shutdown(client.socket, SHUT_WR);
    client.finished = true;
}

// The session stops after a message once the answers fill the connection's share; they
// are sent before the rest of the input runs, as an instrument stops parsing while its
// output queue is full.
bool ScpiServer::Answer(int socket, ScpiSession& session, std::string_view input,
                        ResponseBuffer& response) {
    while (!input.empty()) {
        input.remove_prefix(session.Receive(input, response));
        if (!response.Empty()) {
            const bool sent = SendAll(socket, response);
            response.Clear();
            if (!sent) {
                return false;
            }
        }
    }
    return true;
}

bool ScpiServer::SendAll(int socket, const ResponseBuffer& response) {
    const auto& pieces = response.Pieces();
    for (std::size_t i = 0; i < pieces.size(); ++i) {
        std::string_view rest = pieces[i].View();
        const int flags = MSG_NOSIGNAL | (i + 1 < pieces.size() ? MSG_MORE : 0);
        while (!rest.empty()) {
            const ssize_t sent = ::send(socket, rest.data(), rest.size(), flags);
            if (sent < 0 && errno == EINTR) {
                continue;
            }
            if (sent <= 0) {
                return false;
            }
            rest.remove_prefix(static_cast<std::size_t>(sent));
        }
    }
    return true;
}
