#pragma once

#include <string>
#include <string_view>

// One parameter of a message unit as the client wrote it.
struct ScpiArgument {
    enum class Kind {
        Number, // decimal or #H/#Q/#B non-decimal numeric; `number`, `suffix`
        Word,   // character data such as MIN, MAX, CH1 (upper-cased in `text`)
        String, // quoted string data (quotes removed, doubled quotes undone, in `text`)
        Block,  // definite-length arbitrary block (`block` views the message's raw bytes)
    };

    Kind kind = Kind::Number;
    double number = 0.0;
    std::string suffix; // upper-cased unit of a number, such as "MHZ"
    std::string text;
    std::string_view block;

    std::string_view KindName() const;
};
