#pragma once

// The C library's rand() of the original platform: seed 1, never reseeded, so that a
// noise waveform is the same on every platform and every first run.
// x = x * 214013 + 2531011; value = (x >> 16) & 0x7FFF.
class CrtRandom {
public:
    static constexpr int kMax = 0x7FFF;

    int Next();
    // The process-wide generator that rand() would be.
    static CrtRandom& Process();

private:
    unsigned int state_ = 1;
};
