#pragma once

#include "document/SampleBuffer.h"

#include <algorithm>
#include <cstddef>
#include <cstdint>

// A change of a waveform's samples in memory over a range of points that was checked
// against the waveform when the edit was made: a range reaching past the end is cut at
// the end, one that starts outside (or holds no point) is empty, so nothing written
// through it lands outside the array. Points are counted from the range's first point.
//
// For the document's samples (WaveDoc::EditPoints) the change stays in memory: the files
// keep the waveform the host knows until the document writes it back (WriteWaveform,
// CommitToWorkingFile), and ReloadCurrentFile drops it. An edit is valid until the samples
// are replaced as a whole (a load, a length change, a restore).
class SampleEdit {
public:
    // The whole of a buffer the caller holds (implicit, as a span is made from a vector).
    SampleEdit(SampleBuffer& samples)
        : SampleEdit(samples, 0, static_cast<long long>(samples.Size())) {}
    SampleEdit(SampleBuffer& samples, long long first, long long count) : samples_(samples) {
        const auto size = static_cast<long long>(samples.Size());
        if (first >= 0 && first < size && count > 0) {
            first_ = static_cast<std::size_t>(first);
            count_ = static_cast<std::size_t>(std::min(count, size - first));
        }
    }

    SampleKind Kind() const { return samples_.Kind(); }
    int ElementWidth() const { return samples_.ElementWidth(); }
    std::size_t Size() const { return count_; }
    // The range's elements of the buffer's kind (nullptr for the other kinds).
    std::int16_t* Codes16() const { return Offset(samples_.Codes16()); }
    std::int32_t* Codes32() const { return Offset(samples_.Codes32()); }
    double* Values64() const { return Offset(samples_.Values64()); }

    double At(std::size_t i) const { return samples_.At(first_ + i); }
    // Stores v at point i as SampleBuffer::Store does.
    void Store(std::size_t i, double v) const { samples_.Store(first_ + i, v); }

private:
    template <class T> T* Offset(T* data) const {
        return data == nullptr ? nullptr : data + first_;
    }

    SampleBuffer& samples_;
    std::size_t first_ = 0;
    std::size_t count_ = 0;
};
