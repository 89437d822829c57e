#include "transport/SocketTransport.h"

#include <cerrno>
#include <cstring>
#include <netdb.h>
#include <netinet/in.h>
#include <netinet/tcp.h>
#include <poll.h>
#include <sys/socket.h>
#include <unistd.h>

namespace {

// The socket stays non-blocking: every wait for the instrument is a poll with a timeout.
int ConnectWithTimeout(const addrinfo& address, int timeoutMs) {
    const int socket = ::socket(
        address.ai_family, address.ai_socktype | SOCK_CLOEXEC | SOCK_NONBLOCK, address.ai_protocol);
    if (socket < 0) {
        return -1;
    }
    int result = ::connect(socket, address.ai_addr, address.ai_addrlen);
    if (result < 0 && errno == EINPROGRESS &&
        StreamTransport::WaitFor(socket, POLLOUT, timeoutMs)) {
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

bool SocketTransport::Open() {
    Close();
    const InstrumentAddress& address = Address();
    addrinfo hints{};
    hints.ai_family = AF_UNSPEC;
    hints.ai_socktype = SOCK_STREAM;
    addrinfo* found = nullptr;
    const std::string port = std::to_string(address.port);
    const int status = ::getaddrinfo(address.host.c_str(), port.c_str(), &hints, &found);
    if (status != 0) {
        return Fail(address.ToString() + ": " + ::gai_strerror(status));
    }
    int error = 0;
    int socket = -1;
    for (const addrinfo* candidate = found; candidate && socket < 0;
         candidate = candidate->ai_next) {
        socket = ConnectWithTimeout(*candidate, CurrentTimeouts().connectMs);
        error = errno;
    }
    ::freeaddrinfo(found);
    Adopt(socket);
    if (socket < 0) {
        return Fail(address.ToString() + ": " + std::strerror(error));
    }
    Opened();
    return true;
}

void SocketTransport::CloseIfHungUp() {
    if (!IsOpen() || !WaitFor(Descriptor(), POLLIN, 0)) {
        return;
    }
    char next = 0;
    const ssize_t peeked = ::recv(Descriptor(), &next, 1, MSG_PEEK | MSG_DONTWAIT);
    if (peeked == 0 || (peeked < 0 && errno != EAGAIN && errno != EWOULDBLOCK && errno != EINTR)) {
        Close();
    }
}

ssize_t SocketTransport::WriteSome(const iovec* parts, int count) {
    msghdr message{};
    message.msg_iov = const_cast<iovec*>(parts);
    message.msg_iovlen = static_cast<std::size_t>(count);
    return ::sendmsg(Descriptor(), &message, MSG_NOSIGNAL);
}
