#pragma once

class LongJob;
class SampleSnapshot;
class WaveDoc;

// The end of a generator's OK, after the samples were computed: the undo copy of the
// waveform as it was, then the write, as stages of the generation's one progress. A stop
// or a failure (told) leaves the waveform's file and the undo step as they were; the
// caller then puts the samples back from the snapshot.
class GeneratedWaveform {
public:
    // The shares of the progress bar: computing the samples, then the undo copy; the
    // write takes the rest.
    static constexpr double kGenerationShare = 0.5;
    static constexpr double kUndoCopyShare = 0.25;

    static bool Commit(WaveDoc& document, const SampleSnapshot& snapshot, LongJob& job);
};
