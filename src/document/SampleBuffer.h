#pragma once

#include <cstddef>
#include <cstdint>
#include <memory>

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
    std::size_t Size() const { return size_; }
    // The length in points as the rules keep it: a double that carries a whole number.
    double Length() const { return static_cast<double>(Size()); }

    // Replaces the array by n elements, each equal to `neutral` converted to the kind.
    void Assign(std::size_t n, double neutral);
    // Replaces the array by n elements taken from raw little-endian bytes of the kind.
    void AssignBytes(std::size_t n, const void* bytes);
    // Frees the array, then allocates n elements left uninitialised (to be filled at once,
    // e.g. straight from a file), so that at most one array of the waveform exists.
    void AllocateUninitialized(std::size_t n);

    std::int16_t* Codes16() { return codes16_.get(); }
    std::int32_t* Codes32() { return codes32_.get(); }
    double* Values64() { return values64_.get(); }
    const std::int16_t* Codes16() const { return codes16_.get(); }
    const std::int32_t* Codes32() const { return codes32_.get(); }
    const double* Values64() const { return values64_.get(); }

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
    void Free();

    SampleKind kind_;
    std::size_t size_ = 0;
    // Exactly one of the three is allocated, the one of the kind.
    std::unique_ptr<std::int16_t[]> codes16_;
    std::unique_ptr<std::int32_t[]> codes32_;
    std::unique_ptr<double[]> values64_;
};
