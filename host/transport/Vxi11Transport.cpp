#include "transport/Vxi11Transport.h"

#include "scpi/ScpiVocabulary.h"

#include <lxi.h>

#include <algorithm>
#include <cerrno>
#include <chrono>
#include <csignal>
#include <cstring>
#include <mutex>
#include <netdb.h>
#include <poll.h>
#include <sys/socket.h>
#include <system_error>
#include <thread>
#include <unistd.h>

namespace {

using Clock = std::chrono::steady_clock;

long long MillisecondsSince(Clock::time_point start) {
    return std::chrono::duration_cast<std::chrono::milliseconds>(Clock::now() - start).count();
}

// A plain TCP connect to rpcbind: "" when it accepts, else why not.
std::string ReachRpcbind(const std::string& host, int timeoutMs) {
    addrinfo hints{};
    hints.ai_family = AF_UNSPEC;
    hints.ai_socktype = SOCK_STREAM;
    addrinfo* found = nullptr;
    const std::string port = std::to_string(Vxi11Transport::kRpcbindPort);
    if (const int status = ::getaddrinfo(host.c_str(), port.c_str(), &hints, &found); status != 0) {
        return ::gai_strerror(status);
    }
    const int socket = ::socket(found->ai_family, found->ai_socktype | SOCK_NONBLOCK | SOCK_CLOEXEC,
                                found->ai_protocol);
    std::string why = socket < 0 ? std::strerror(errno) : "";
    if (socket >= 0 && ::connect(socket, found->ai_addr, found->ai_addrlen) < 0) {
        why = std::strerror(errno);
        if (errno == EINPROGRESS) {
            pollfd entry{socket, POLLOUT, 0};
            int error = ETIMEDOUT;
            if (::poll(&entry, 1, timeoutMs) > 0) {
                socklen_t length = sizeof error;
                ::getsockopt(socket, SOL_SOCKET, SO_ERROR, &error, &length);
            }
            why = error == 0 ? "" : std::strerror(error);
        }
    }
    if (socket >= 0) {
        ::close(socket);
    }
    ::freeaddrinfo(found);
    return why;
}

// The RPC library takes a message whole, so a block is read before any of it goes out while
// the instrument waits; a long one is read as two halves at once, on a second core where
// there is one.
constexpr std::size_t kReadInHalvesBytes = std::size_t{8} << 20;

std::string ReadBlock(const InstrumentTransport::BlockReader& read, char* into, std::size_t size) {
    if (size < kReadInHalvesBytes) {
        return read(0, into, size);
    }
    const std::size_t half = size / 2;
    std::string firstProblem;
    std::thread first;
    try {
        first = std::thread([&] { firstProblem = read(0, into, half); });
    } catch (const std::system_error&) {
        return read(0, into, size); // no thread to be had: one after the other
    }
    const std::string secondProblem = read(half, into + half, size - half);
    first.join();
    return firstProblem.empty() ? secondProblem : firstProblem;
}

std::string Trimmed(std::string answer) {
    while (!answer.empty() && (answer.back() == '\n' || answer.back() == '\r')) {
        answer.pop_back();
    }
    return answer;
}

} // namespace

Vxi11Transport::Vxi11Transport(InstrumentAddress address)
    : InstrumentTransport(std::move(address)) {
    static std::once_flag initialised;
    std::call_once(initialised, [] {
        lxi_init();
        // The RPC library writes to its sockets without MSG_NOSIGNAL: an instrument that
        // hangs up mid-message must end the call with an error, not the program.
        struct sigaction current {};
        if (::sigaction(SIGPIPE, nullptr, &current) == 0 && current.sa_handler == SIG_DFL) {
            std::signal(SIGPIPE, SIG_IGN);
        }
    });
}

Vxi11Transport::~Vxi11Transport() {
    Close();
}

bool Vxi11Transport::Open() {
    Close();
    const InstrumentAddress& address = Address();
    const int timeoutMs = CurrentTimeouts().connectMs;
    // liblxi says only that no link came; rpcbind's answer to a plain connect tells the
    // user whether the instrument is there at all.
    const std::string rpcbind = ReachRpcbind(address.host, timeoutMs);
    if (!rpcbind.empty()) {
        return Fail(address.ToString() + ": rpcbind (port " + std::to_string(kRpcbindPort) +
                    ") did not answer: " + rpcbind);
    }
    device_ = lxi_connect(address.host.c_str(), 0, address.device.c_str(), timeoutMs, VXI11);
    if (device_ < 0) {
        device_ = -1;
        return Fail(address.ToString() + ": the instrument refused a VXI-11 link to " +
                    address.device + " or gave none within " + std::to_string(timeoutMs) + " ms");
    }
    Opened();
    return true;
}

void Vxi11Transport::Close() {
    if (device_ >= 0) {
        lxi_disconnect(device_);
        device_ = -1;
    }
}

bool Vxi11Transport::Failed(const char* what, int timeoutMs, long long elapsedMs) {
    const std::string text =
        std::string(what) + " (VXI-11, after " + std::to_string(elapsedMs) + " ms)";
    if (elapsedMs * 10 < timeoutMs * 9LL) {
        return Lost(text);
    }
    return Fail(text);
}

bool Vxi11Transport::WriteMessage(const char* data, std::size_t size) {
    if (device_ < 0) {
        return Fail("not connected");
    }
    if (Cancelled()) {
        return Fail("cancelled");
    }
    const int timeoutMs = CurrentTimeouts().writeMs;
    const auto start = Clock::now();
    const int written = lxi_send(device_, data, static_cast<int>(size), timeoutMs);
    if (written < 0) {
        return Failed("the instrument did not take the message", timeoutMs,
                      MillisecondsSince(start));
    }
    // liblxi keeps create_link's answer to itself: a link the instrument refused shows as
    // a link that takes nothing.
    if (written == 0 && size > 0) {
        return Fail(Address().ToString() + ": the instrument refused the link to " +
                    Address().device + " or took nothing");
    }
    if (static_cast<std::size_t>(written) != size) {
        return Fail("the instrument took " + std::to_string(written) + " of " +
                    std::to_string(size) + " bytes");
    }
    return true;
}

std::optional<std::string> Vxi11Transport::ReadAnswer() {
    if (device_ < 0) {
        Fail("not connected");
        return std::nullopt;
    }
    if (!answer_) {
        // Pages are taken only as an answer fills them.
        answer_.reset(new char[kMostAnswerBytes]);
    }
    const int timeoutMs = CurrentTimeouts().readMs;
    const auto start = Clock::now();
    const int received =
        lxi_receive(device_, answer_.get(), static_cast<int>(kMostAnswerBytes), timeoutMs);
    if (received < 0) {
        Failed("no answer", timeoutMs, MillisecondsSince(start));
        return std::nullopt;
    }
    return std::string(answer_.get(), static_cast<std::size_t>(received));
}

bool Vxi11Transport::Send(std::string_view message) {
    char* out = MessageOfSize(message.size() + 1);
    std::copy(message.begin(), message.end(), out);
    out[message.size()] = '\n';
    return WriteMessage(out, messageSize_);
}

bool Vxi11Transport::SendBlock(std::string_view prefix, const void* bytes, std::size_t size,
                               const Progress& progress) {
    const auto copy = [bytes](std::size_t offset, char* into, std::size_t count) {
        if (count > 0) {
            std::memcpy(into, static_cast<const char*>(bytes) + offset, count);
        }
        return std::string();
    };
    return SendBlockFrom(prefix, size, copy, progress);
}

bool Vxi11Transport::SendBlockFrom(std::string_view prefix, std::size_t size,
                                   const BlockReader& read, const Progress& progress) {
    const std::string header = ScpiVocabulary::BlockHeader(size);
    const std::size_t start = prefix.size() + header.size();
    char* out = MessageOfSize(start + size + 1);
    std::copy(header.begin(), header.end(), std::copy(prefix.begin(), prefix.end(), out));
    if (const std::string problem = ReadBlock(read, out + start, size); !problem.empty()) {
        return Fail(problem);
    }
    out[start + size] = '\n';
    return SendWhole(progress);
}

char* Vxi11Transport::MessageOfSize(std::size_t size) {
    if (size > messageCapacity_) {
        message_ = std::make_unique_for_overwrite<char[]>(size);
        messageCapacity_ = size;
    }
    messageSize_ = size;
    return message_.get();
}

bool Vxi11Transport::SendWhole(const Progress& progress) {
    if (progress) {
        progress(0, messageSize_);
    }
    if (!WriteMessage(message_.get(), messageSize_)) {
        return false;
    }
    if (progress) {
        progress(messageSize_, messageSize_);
    }
    return true;
}

std::optional<std::string> Vxi11Transport::Query(std::string_view message) {
    if (!Send(message)) {
        return std::nullopt;
    }
    auto answer = ReadAnswer();
    if (!answer) {
        return std::nullopt;
    }
    return Trimmed(std::move(*answer));
}

std::optional<std::string> Vxi11Transport::QueryBlock(std::string_view message) {
    if (!Send(message)) {
        return std::nullopt;
    }
    auto answer = ReadAnswer();
    if (!answer) {
        return std::nullopt;
    }
    const std::string& text = *answer;
    const bool definite = text.size() >= 2 && text[0] == '#' && text[1] >= '1' && text[1] <= '9';
    const std::size_t digits = definite ? static_cast<std::size_t>(text[1] - '0') : 0;
    const bool numeric = definite && text.size() >= 2 + digits &&
                         std::all_of(text.begin() + 2, text.begin() + 2 + static_cast<long>(digits),
                                     [](char c) { return c >= '0' && c <= '9'; });
    const std::size_t length = numeric ? std::stoull(text.substr(2, digits)) : 0;
    if (!numeric || text.size() < 2 + digits + length) {
        Fail("not a definite-length block: " + Trimmed(text.substr(0, 40)));
        return std::nullopt;
    }
    return text.substr(2 + digits, length);
}
