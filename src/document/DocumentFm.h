#pragma once

#include "fm/FmMarkerLists.h"
#include "fm/FmSettings.h"

#include <functional>
#include <string>

struct AppServices;
class SampleBuffer;

// The FM part of a document in FM mode: its FM settings and the marker lists drawn
// from them for the current window and samples. The settings change only through their
// own rules (the deviation field, a reload from the files, the window the wide variant
// takes from the samples); the document hands in the samples the lists are built from.
class DocumentFm {
public:
    DocumentFm(AppServices& services, const LinkMode& mode);

    // Creation in FM mode: limits and settings from the family and context files.
    // closeRequest is raised when the base lies outside the limits; markersChanged after
    // every change of the deviation or the window.
    void Load(FmSettings::Notifier closeRequest, FmSettings::Notifier markersChanged);
    // True when the reload changed the deviation, the window or the function mode.
    bool Reload();
    std::string SetDeviation(const std::string& fieldText) {
        return settings_.SetDeviationFromField(fieldText);
    }
    // The wide variant: the window spans the first count samples in Hz.
    void RecomputeWindow(const SampleBuffer& samples, double count);
    void RebuildBar();
    // The carrier the context file holds: a new waveform of the wide variant starts
    // flat on it.
    double StoredCarrier() const;
    // The marker positions over the first count samples (at most all of them).
    void RebuildSamples(const SampleBuffer& samples, double count);

    void SendCommandsWith(FmSettings::CommandSender sender) {
        settings_.sendCommand = std::move(sender);
    }
    void ShowDeviationWith(FmSettings::TextShower shower) {
        settings_.onDeviationText = std::move(shower);
    }

    const FmSettings& Settings() const { return settings_; }
    const FmMarkerLists& Markers() const { return markers_; }

    // The marker bar's items changed (its window shows them).
    std::function<void()> onBarRebuilt;

private:
    AppServices& services_;
    FmSettings settings_;
    FmMarkerLists markers_;
};
