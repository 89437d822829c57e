#pragma once

#include "ByteBudget.h"
#include "SharedBytes.h"

#include <cstddef>
#include <string>
#include <string_view>
#include <vector>

// Response bytes waiting to be sent to one client. Segment data are referenced, not
// copied, so answering :TRAC:DATA? costs no copy however large the segment is. The
// responses of the queries of one program message are joined by ";" and the message's
// response ends with "\n", as IEEE 488.2 asks.
//
// With a budget, the memory held is bounded: kOwnBytes per connection, and beyond that
// what the budget shared by all connections grants. A referenced segment counts with the
// whole buffer it keeps alive, which may be an old version the instrument has replaced. An
// answer that does not fit is refused (Overflowed), and the caller takes it back.
class ResponseBuffer {
public:
    static constexpr std::size_t kOwnBytes = 64 * 1024;

    struct Piece {
        std::string text;
        SharedBytes shared;
        bool isShared = false;
        std::string_view View() const { return isShared ? shared.View() : text; }
    };
    // Where the buffer stood before a query ran, to take back a half-written answer.
    struct Mark {
        std::size_t pieces = 0;
        std::size_t lastTextSize = 0;
        std::size_t size = 0;
        std::size_t held = 0;
        bool messageHasResponse = false;
    };

    // Without a budget there is no limit, and the buffer never reports Full.
    explicit ResponseBuffer(ByteBudget* budget = nullptr);
    ~ResponseBuffer();
    ResponseBuffer(const ResponseBuffer&) = delete;
    ResponseBuffer& operator=(const ResponseBuffer&) = delete;

    // Starts the answer of one query unit (adds the ";" between two answers).
    void BeginQuery();
    void Append(std::string_view text);
    void AppendShared(SharedBytes bytes);
    // Ends the program message: "\n" if any of its queries answered. Never refused.
    void EndMessage();

    Mark Save() const;
    // Takes back everything since `mark`, and with it an overflow.
    void Restore(const Mark& mark);
    // An answer since the last Save did not fit; what was appended since is incomplete.
    bool Overflowed() const { return overflowed_; }
    // The connection's own share is used up: time to send before running more messages.
    bool Full() const { return budget_ != nullptr && held_ >= kOwnBytes; }

    const std::vector<Piece>& Pieces() const { return pieces_; }
    std::size_t Size() const { return size_; }
    bool Empty() const { return size_ == 0; }
    void Clear();
    std::string Joined() const;

private:
    Piece& PieceForText();
    bool Hold(std::size_t bytes);
    void GiveBackBeyond(std::size_t held);

    ByteBudget* budget_;
    std::vector<Piece> pieces_;
    std::size_t size_ = 0;
    // Memory the pieces hold as counted: text and piece slots twice over, for the spare
    // room of a growing string or vector, and shared bytes by their footprint.
    std::size_t held_ = 0;
    std::size_t charged_ = 0; // drawn from the budget: what held_ exceeds kOwnBytes by
    bool messageHasResponse_ = false;
    bool overflowed_ = false;
};
