#pragma once

#include "core/ProgressDisplay.h"
#include "document/SampleEdit.h"

#include <algorithm>
#include <climits>
#include <cstdint>
#include <functional>

// The loop that every generator runs, and the storage rules S1-S5 that turn a computed
// value into a sample of the mode's kind. The rules reproduce the original platform's C
// casts to the bit: truncation toward zero, the "integer indefinite" value for NaN and
// out-of-range numbers, the low 16 bits of the integer for 16-bit codes, and no clipping.
class WaveGenerator {
public:
    // Points between two progress questions.
    static constexpr long long kProgressStride = 65536;

    // (int)v of the original platform.
    static std::int32_t Int32(double v) {
        if (!(v > -2147483649.0 && v < 2147483648.0)) {
            return INT32_MIN;
        }
        return static_cast<std::int32_t>(v);
    }
    // (short)(int)v: the low 16 bits.
    static std::int16_t Low16(std::int32_t w) {
        return static_cast<std::int16_t>(static_cast<std::uint16_t>(w));
    }

    // S1: rounded (v + 0.5 truncated); the wide FM kind keeps v.
    static void StoreS1(std::int16_t& out, double v) { out = Low16(Int32(v + 0.5)); }
    static void StoreS1(std::int32_t& out, double v) { out = Int32(v + 0.5); }
    static void StoreS1(double& out, double v) { out = v; }

    // S2: w = v truncated; 32-bit FM codes round a negative w up by one ((int)(w + 0.5)).
    static void StoreS2(std::int16_t& out, double v) { out = Low16(Int32(v)); }
    static void StoreS2(std::int32_t& out, double v) {
        const std::int32_t w = Int32(v);
        out = w < 0 ? Int32(w + 0.5) : w;
    }
    static void StoreS2(double& out, double v) { out = Int32(v); }

    // S3 (Sinc): y is already a whole number, centre is C.
    static void StoreS3(std::int16_t& out, std::int32_t y, double centre) {
        out = Low16(static_cast<std::int32_t>(static_cast<std::uint32_t>(Int32(centre)) +
                                              static_cast<std::uint32_t>(y)));
    }
    static void StoreS3(std::int32_t& out, std::int32_t y, double centre) {
        out = static_cast<std::int32_t>(static_cast<std::uint32_t>(Int32(y + 0.5)) +
                                        static_cast<std::uint32_t>(Int32(centre)));
    }
    static void StoreS3(double& out, std::int32_t y, double centre) { out = y + centre; }

    // S4: truncated codes, rounded FM codes, v itself in Hz.
    static void StoreS4(std::int16_t& out, double v) { out = Low16(Int32(v)); }
    static void StoreS4(std::int32_t& out, double v) { out = Int32(v + 0.5); }
    static void StoreS4(double& out, double v) { out = v; }

    // S5 (Noise): truncated in every kind.
    static void StoreS5(std::int16_t& out, double v) { out = Low16(Int32(v)); }
    static void StoreS5(std::int32_t& out, double v) { out = Int32(v); }
    static void StoreS5(double& out, double v) { out = Int32(v); }

    // Runs body(element, i) for i = 0 .. Size() - 1 on the points of the edit's range,
    // asking `progress` after every kProgressStride points. The body is a generic callable
    // so that the kind is chosen once, outside the loop. False when cancelled.
    template <class Body>
    static bool Fill(const SampleEdit& points, const ProgressCallback& progress, Body&& body) {
        const auto count = static_cast<long long>(points.Size());
        if (count == 0) {
            return true;
        }
        switch (points.Kind()) {
        case SampleKind::Code32:
            return FillTyped(points.Codes32(), count, progress, body);
        case SampleKind::Hz64:
            return FillTyped(points.Values64(), count, progress, body);
        default:
            return FillTyped(points.Codes16(), count, progress, body);
        }
    }

private:
    template <class T, class Body>
    static bool FillTyped(T* out, long long count, const ProgressCallback& progress, Body& body) {
        for (long long begin = 0; begin < count; begin += kProgressStride) {
            const long long end = std::min(count, begin + kProgressStride);
            for (long long i = begin; i < end; ++i) {
                body(out[i], i);
            }
            if (progress && !progress(static_cast<double>(end) / static_cast<double>(count))) {
                return false;
            }
        }
        return true;
    }
};
