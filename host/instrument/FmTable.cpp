#include "FmTable.h"

#include "ScpiError.h"

#include <cmath>
#include <cstring>
#include <string>

namespace {

const char* FormName(FmTable::Form form) {
    return form == FmTable::Form::Codes ? "32-bit codes (:FM:DATA)"
                                        : "frequencies in Hz (:FM:DATA:HZ)";
}

// The simulator runs on little-endian machines only, where the wire order is the host's.
double FrequencyAt(std::string_view bytes, std::size_t index) {
    double value = 0;
    std::memcpy(&value, bytes.data() + index * FmTable::kBytesPerFrequency, sizeof value);
    return value;
}

} // namespace

void FmTable::Clear() {
    bytes_ = SharedBytes();
    form_ = Form::Codes;
}

void FmTable::CheckSize(const SharedBytes& bytes, std::size_t width, const char* what) const {
    const std::uint64_t most = maxBytes_ / width;
    if (bytes.Size() / width > most) {
        throw ScpiError(scpi_errors::kTooMuchData, std::to_string(bytes.Size() / width) + " " +
                                                       what + ", at most " + std::to_string(most));
    }
    if (bytes.Size() % width != 0 || bytes.Size() / width < kMinPoints) {
        throw ScpiError(scpi_errors::kDataOutOfRange,
                        std::to_string(bytes.Size()) + " bytes is not a whole number of at least " +
                            std::to_string(kMinPoints) + " " + what);
    }
}

void FmTable::SetCodes(SharedBytes bytes) {
    CheckSize(bytes, kBytesPerCode, "32-bit FM codes");
    bytes_ = std::move(bytes);
    form_ = Form::Codes;
}

void FmTable::SetFrequencies(SharedBytes bytes) {
    CheckSize(bytes, kBytesPerFrequency, "64-bit frequencies");
    const std::size_t points = bytes.Size() / kBytesPerFrequency;
    for (std::size_t i = 0; i < points; ++i) {
        const double hertz = FrequencyAt(bytes.View(), i);
        if (!(hertz > 0 && hertz <= kMaxFrequency)) {
            throw ScpiError(scpi_errors::kDataOutOfRange,
                            "point " + std::to_string(i) + " is no frequency in (0, 1e10] Hz");
        }
    }
    bytes_ = std::move(bytes);
    form_ = Form::Hertz;
}

SharedBytes FmTable::In(Form form) const {
    if (!bytes_.Empty() && form != form_) {
        throw ScpiError(scpi_errors::kSettingsConflict,
                        std::string("the FM table holds ") + FormName(form_));
    }
    return bytes_;
}
