#pragma once

#include <chrono>
#include <cstdint>
#include <cstring>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

// A plain blocking TCP client for talking to awg-sim in tests. Every read has a time
// limit, so a server that fails to answer fails the test instead of hanging it.
class ScpiTestClient {
public:
    static constexpr std::chrono::milliseconds kDefaultTimeout{5000};

    explicit ScpiTestClient(std::uint16_t port);
    ~ScpiTestClient();
    ScpiTestClient(const ScpiTestClient&) = delete;
    ScpiTestClient& operator=(const ScpiTestClient&) = delete;

    bool Connected() const { return socket_ >= 0; }
    bool Send(std::string_view bytes);
    // One response line without its "\n"; nothing when the time runs out or the peer closes.
    std::optional<std::string> ReadLine(std::chrono::milliseconds timeout = kDefaultTimeout);
    // A definite-length block response and its "\n"; the block's bytes only.
    std::optional<std::string> ReadBlock(std::chrono::milliseconds timeout = kDefaultTimeout);
    // Sends `command` + "\n" and reads one line.
    std::optional<std::string> Query(std::string_view command);
    // True when the server closed the connection within `wait`.
    bool ClosedByPeer(std::chrono::milliseconds wait);
    void Close();

    // "#<n><count>" + bytes, the way a controller sends a block.
    static std::string Block(std::string_view bytes);
    // Seeded pseudo-random bytes: newlines, "#" and quotes among them, as binary data holds.
    static std::string Pattern(std::size_t size, unsigned seed = 1);
    static std::string Repeated(std::string_view text, int times);
    // The bytes of values as this machine stores them, as FM codes and frequencies travel.
    template <typename T> static std::string Bytes(const std::vector<T>& values) {
        std::string bytes(values.size() * sizeof(T), '\0');
        std::memcpy(bytes.data(), values.data(), bytes.size());
        return bytes;
    }

private:
    bool Fill(std::chrono::steady_clock::time_point deadline);
    std::optional<std::string> Take(std::size_t count,
                                    std::chrono::steady_clock::time_point deadline);

    int socket_ = -1;
    std::string pending_;
};
