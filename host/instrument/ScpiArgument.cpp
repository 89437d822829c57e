#include "ScpiArgument.h"

std::string_view ScpiArgument::KindName() const {
    switch (kind) {
    case Kind::Number:
        return "number";
    case Kind::Word:
        return "character data";
    case Kind::String:
        return "string";
    case Kind::Block:
        return "block";
    }
    return "argument";
}
