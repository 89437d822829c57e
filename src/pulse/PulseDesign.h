#pragma once

#include "pulse/PulseSection.h"
#include "settings/ProfileSnapshot.h"

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

struct AppServices;
class ProfileBatch;

// The pulse design of one channel. The design has no life of its own outside the context
// file: every read goes to the file (through a copy checked against it, ProfileSnapshot)
// and every change is written at once. What this object keeps is what the view keeps of
// it: the section count, the active section with its train style and time unit, the total
// duration and the amplitude (Vpp), brought up to date by the operations that change them.
//
// Reading a design never fails: a missing or unusable key reads as its default (see
// PulseSection), a count below 1 as 1, an active index outside the list as the nearest
// section in it, a missing section as an empty one.
class PulseDesign {
public:
    // Sections and items beyond these counts are not read: a hand-edited count of a
    // billion must not make the tool try to hold a billion lines. The instruments play at
    // most 8,192 sequence steps (the families' "MaxSequStp"), and a design they can play
    // has no more sections than that.
    static constexpr int kMaxSections = 10000;
    static constexpr int kMaxItems = 100000;

    explicit PulseDesign(AppServices& services);

    // Opens the design of a channel (0-based; the keys name it channel + 1): reads the
    // root and the active section, and writes the default design (one empty Time/Level
    // Points section in msec) when the channel has none.
    void Open(int channel);
    bool IsOpen() const { return open_; }
    int Channel() const { return channel_; }

    // The view's copy of the design.
    int SectionCount() const { return sectionCount_; }
    int ActiveSection() const { return activeSection_; }
    TrainStyle Train() const { return train_; }
    PulseTimeUnit TimeUnit() const { return timeUnit_; }
    double Scale() const { return PulseTimeUnits::Scale(timeUnit_); }
    double Duration() const { return duration_; } // seconds
    double Vpp() const { return vpp_; }
    double LevelLow() const { return -0.5 * vpp_; }
    double LevelHigh() const { return 0.5 * vpp_; }

    // Section k (0-based) as stored now; an index outside the list reads as an empty
    // section. One read of the file for the whole section.
    PulseSection Section(int k);
    // Every section, in order, from one read of the file: what the renderer and the view
    // draw from. Kept until the file changes, so a repaint without an edit costs one check
    // of the file.
    const std::vector<PulseSection>& Sections();
    // Section marks for the view: Start x scale and (Start + LocDur) x scale per section,
    // in the given scale (the shown section's).
    std::vector<double> SectionMarks(double scale);

    std::string RootName() const;
    std::string SectionName(int k) const;

    // -- changes (each writes at once; the view's copy follows) --

    // The editor shows section k: the view's active index, train style and time unit
    // follow it, "qPls" is raised to k + 1 when smaller and a missing "Repeat" gets "1".
    // Returns the section as shown.
    PulseSection ShowSection(int k);
    // How "activePls" is written: a click on a section label writes a plain decimal,
    // Previous and Next Section the compact number of the stored times, where index 1000
    // is "1e3" (read back as 1000 all the same).
    enum class IndexText { Decimal, Compact };
    // Makes k the active section and writes "activePls".
    void SetActiveSection(int k, IndexText text = IndexText::Decimal);
    // The derived values after an edit of section k, in their order: LocDur of k from its
    // items, the Start of every later section, the root's Duration.
    void RestoreDerived(int k);
    // Later Starts and Duration only (a changed Repeat leaves LocDur as it is).
    void RestoreStartsAndDuration(int k);
    // Applies an edit of section k together with its derived values in one write, the
    // section's LocDur given (the editor computes it from its table as shown).
    bool ApplyWithDerived(ProfileBatch& batch, int k, double locDur);
    // Amplitude change from the text of the parameter bar's field: messages 3018 and
    // 3019 refuse it and leave everything as it was. True when the new value is stored
    // (or equals the old one).
    bool ChangeAmplitude(const std::string& text);
    // Re-reads Duration, qPls and Vpp of the root into the view's copy.
    void Reload();

    ProfileSnapshot& Keys() { return keys_; }
    AppServices& Services() { return services_; }
    // Applies a batch of key changes (one locked write). False when it failed.
    bool Apply(const ProfileBatch& batch);

private:
    PulseSection ReadSection(int k);
    void ReadRoot();
    double ReadVpp();
    bool LevelsFitIn(double vpp);
    double LocDurOf(const PulseSection& section) const;
    void AddStartsAndDuration(ProfileBatch& batch, int k, std::optional<double> locDur);

    AppServices& services_;
    ProfileSnapshot keys_;
    bool open_ = false;
    int channel_ = 0;
    int sectionCount_ = 0;
    int activeSection_ = 0;
    TrainStyle train_ = PulseTrainStyles::kDefault;
    PulseTimeUnit timeUnit_ = PulseTimeUnits::kDefault;
    double duration_ = 0.0;
    double vpp_ = 0.0;
    std::vector<PulseSection> sections_;
    std::uint64_t sectionsGeneration_ = 0;
    int sectionsChannel_ = -1;
};
