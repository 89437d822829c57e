#pragma once

#include <cstddef>
#include <cstdint>
#include <vector>

// The element type of a waveform, fixed by the operating mode.
enum class SampleKind {
    Code16, // signed 16-bit DAC codes (standard and pulse modes)
    Code32, // 32-bit FM codes, 500000000 being the base frequency
    Hz64,   // 64-bit floating point values in Hz (the wide FM variant)
};

// Bytes per point of each kind; also the record size of the binary files.
int ElementWidth(SampleKind kind);

// The document's waveform: one array of the mode's element type, allocated with exactly
// as many elements as the waveform has points and replaced as a whole on a length change.
class SampleBuffer {
public:
    explicit SampleBuffer(SampleKind kind = SampleKind::Code16) : kind_(kind) {}

    SampleKind Kind() const { return kind_; }
    int ElementWidth() const { return ::ElementWidth(kind_); }
    std::size_t Size() const;
    // The length in points as the rules keep it: a double that carries a whole number.
    double Length() const { return static_cast<double>(Size()); }

    // Replaces the array by n elements, each equal to `neutral` converted to the kind.
    void Assign(std::size_t n, double neutral);
    // Replaces the array by n elements taken from raw little-endian bytes of the kind.
    void AssignBytes(std::size_t n, const void* bytes);

    std::int16_t* Codes16() { return kind_ == SampleKind::Code16 ? codes16_.data() : nullptr; }
    std::int32_t* Codes32() { return kind_ == SampleKind::Code32 ? codes32_.data() : nullptr; }
    double* Values64() { return kind_ == SampleKind::Hz64 ? values64_.data() : nullptr; }
    const std::int16_t* Codes16() const {
        return kind_ == SampleKind::Code16 ? codes16_.data() : nullptr;
    }
    const std::int32_t* Codes32() const {
        return kind_ == SampleKind::Code32 ? codes32_.data() : nullptr;
    }
    const double* Values64() const { return kind_ == SampleKind::Hz64 ? values64_.data() : nullptr; }

    // Point i as a double, whatever the kind.
    double At(std::size_t i) const;
    // Stores v at point i converted as the original platform's C cast does: truncation
    // toward zero, the low 16 bits for 16-bit codes, INT32_MIN for NaN or numbers beyond
    // 32 bits. Callers apply their operation's rounding and clamping rules first.
    void Store(std::size_t i, double v);

    const void* Bytes() const;
    void* Bytes();
    std::size_t ByteSize() const { return Size() * static_cast<std::size_t>(ElementWidth()); }

private:
    SampleKind kind_;
    std::vector<std::int16_t> codes16_;
    std::vector<std::int32_t> codes32_;
    std::vector<double> values64_;
};
