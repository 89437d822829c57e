#pragma once

#include <optional>
#include <string>

struct AppServices;
class DocumentMode;
class FmSettings;

// The limits the instrument family imposes on a document, read once when the
// document is made: the length range, the second field's range (segments, or
// the FM limits), the vertical range, the resolution factor every length must
// be a multiple of, and the number of channels. Nothing changes them
// afterwards.
class FamilyLimits {
public:
    FamilyLimits() = default;
    // Reads the standard limits from the family and context files, or takes them
    // from the FM settings (already loaded) in FM mode; a pulse document keeps
    // the defaults.
    static FamilyLimits Read(AppServices& services, const DocumentMode& mode, const FmSettings* fm);

    // The resolution rule binds the lengths where the mode says so, and only a
    // factor above 1.
    bool ResolutionApplies() const { return bindsResolution_ && resolutionFactor_ > 1; }
    // The resolution rule: n when the rule does not apply or n is a multiple of
    // the factor, otherwise the nearest multiple after the user agreed; nullopt
    // when the user cancelled or nothing is left.
    std::optional<double> CheckLength(AppServices& services, double n) const;
    bool IsValidSegment(double n) const { return n >= 1 && n <= secondHigh_; }
    bool LengthInRange(double n) const { return n >= lengthLow_ && n <= lengthHigh_; }
    // A file this many points long cannot be a waveform of this instrument: it is
    // refused instead of allocated.
    bool IsOversize(double points) const;
    // More points than this machine's memory can hold (MemoryPointsHigh).
    bool ExceedsMemory(double points) const;
    // True, told to the user, when the file at path is refused as oversize or as more
    // than the memory holds; checked before anything is allocated or changed.
    bool RefuseOversize(AppServices& services, const std::string& path, long long points) const;

    // The length the family proposes for a new waveform.
    double InitialLength() const { return initialLength_; }
    double LengthLow() const { return lengthLow_; }
    double LengthHigh() const { return lengthHigh_; }
    double SecondLow() const { return secondLow_; }
    double SecondHigh() const { return secondHigh_; }
    double VerticalLow() const { return verticalLow_; }
    double VerticalHigh() const { return verticalHigh_; }
    int ResolutionFactor() const { return resolutionFactor_; }
    int ChannelCount() const { return channelCount_; }
    // The longest waveform this machine can hold: the samples may take half its physical
    // memory, the other half stays for the copies a change makes and for everything else
    // that runs. 0 when the memory is unknown.
    double MemoryPointsHigh() const { return memoryPointsHigh_; }

private:
    void ReadStandard(AppServices& services);
    void TakeFm(const FmSettings& fm);
    void ReadResolutionFactor(AppServices& services);
    void ReadChannelCount(AppServices& services);
    // A family that promises longer waveforms than the memory holds is told once and held
    // to what fits.
    void FitToMemory(AppServices& services, int elementWidth);

    double initialLength_ = 1024;
    double lengthLow_ = 16;
    double lengthHigh_ = 16000000;
    double secondLow_ = 1;
    double secondHigh_ = 1;
    double verticalLow_ = -8192;
    double verticalHigh_ = 8191;
    int resolutionFactor_ = 2;
    int channelCount_ = 1;
    double memoryPointsHigh_ = 0;
    bool bindsResolution_ = false;
};
