#pragma once

#include "SharedBytes.h"

#include <cstddef>
#include <string>
#include <string_view>
#include <vector>

// Response bytes waiting to be sent to one client. Segment data are referenced, not
// copied, so answering :TRAC:DATA? costs no copy however large the segment is. The
// responses of the queries of one program message are joined by ";" and the message's
// response ends with "\n", as IEEE 488.2 asks.
class ResponseBuffer {
public:
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
        bool messageHasResponse = false;
    };

    // Starts the answer of one query unit (adds the ";" between two answers).
    void BeginQuery();
    void Append(std::string_view text);
    void AppendShared(SharedBytes bytes);
    // Ends the program message: "\n" if any of its queries answered.
    void EndMessage();

    Mark Save() const;
    void Restore(const Mark& mark);

    const std::vector<Piece>& Pieces() const { return pieces_; }
    std::size_t Size() const { return size_; }
    bool Empty() const { return size_ == 0; }
    void Clear();
    std::string Joined() const;

private:
    std::vector<Piece> pieces_;
    std::size_t size_ = 0;
    bool messageHasResponse_ = false;
};
