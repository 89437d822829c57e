#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

class ProfileStore;
class FmSettings;

// What the FM markers become once the frequency window is known: the items of the
// marker bar and the marker sample list (the sample positions where the waveform crosses
// a marker, the content of the marker file handed to the host). Both are rebuilt from
// the context file whenever the window or the markers change; the owner calls the
// rebuilds and holds the result.
class FmMarkerLists {
public:
    // The bar: every stored marker inside the window, exactly as stored, in reverse file
    // order; the single item "0" when none lies inside.
    void RebuildBar(ProfileStore& store, const FmSettings& fm);
    // The sample list over 32-bit codes (normal variant) or samples in Hz (wide variant,
    // where the samples are compared with the marker frequencies themselves). No marker
    // inside the window gives the single entry 0.
    void RebuildSamples(ProfileStore& store, const FmSettings& fm, const std::int32_t* codes,
                        std::size_t count);
    void RebuildSamples(ProfileStore& store, const FmSettings& fm, const double* hz,
                        std::size_t count);

    const std::vector<std::string>& BarItems() const { return barItems_; }
    const std::vector<std::int32_t>& SampleList() const { return samples_; }
    int InsideCount() const { return insideCount_; }

    // The level code of a marker frequency in the normal variant: the window mapped onto
    // 0 .. 1000000000, truncated toward zero.
    static std::int32_t LevelCode(double frequency, double fmin, double fmax);

private:
    // The markers inside the window, in file order; counts them.
    std::vector<double> FrequenciesInWindow(ProfileStore& store, const FmSettings& fm);

    std::vector<std::string> barItems_;
    std::vector<std::int32_t> samples_;
    int insideCount_ = 0;
};
