#include "synthesis/CrtRandom.h"

int CrtRandom::Next() {
    state_ = state_ * 214013u + 2531011u;
    return static_cast<int>((state_ >> 16) & 0x7FFFu);
}

CrtRandom& CrtRandom::Process() {
    static CrtRandom generator;
    return generator;
}
