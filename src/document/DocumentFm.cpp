#include "document/DocumentFm.h"

#include "core/AppServices.h"
#include "document/SampleBuffer.h"
#include "settings/ProfileStore.h"

#include <algorithm>

DocumentFm::DocumentFm(AppServices& services, const LinkMode& mode)
    : services_(services), settings_(services, mode) {}

void DocumentFm::Load(FmSettings::Notifier closeRequest, FmSettings::Notifier markersChanged) {
    settings_.onCloseRequest = std::move(closeRequest);
    settings_.onMarkersChanged = std::move(markersChanged);
    settings_.LoadLimits();
}

bool DocumentFm::Reload() {
    const FmSettings before = settings_;
    settings_.LoadFmSettings();
    return before.Deviation() != settings_.Deviation() || before.Fmax() != settings_.Fmax() ||
           before.Fmin() != settings_.Fmin() || before.FunctionMode() != settings_.FunctionMode();
}

void DocumentFm::RecomputeWindow(const SampleBuffer& samples, double count) {
    settings_.RecomputeFmWindow(samples.Values64(), static_cast<long long>(count));
}

void DocumentFm::RebuildBar() {
    markers_.RebuildBar(services_.store, settings_);
    if (onBarRebuilt) {
        onBarRebuilt();
    }
}

double DocumentFm::StoredCarrier() const {
    return services_.store.ReadProfileNumber("FmCarFrq", 0, "Settings", kMissingNumber);
}

void DocumentFm::RebuildSamples(const SampleBuffer& samples, double count) {
    const auto n =
        static_cast<std::size_t>(std::clamp(count, 0.0, static_cast<double>(samples.Size())));
    if (samples.Kind() == SampleKind::Hz64) {
        markers_.RebuildSamples(services_.store, settings_, samples.Values64(), n);
    } else {
        markers_.RebuildSamples(services_.store, settings_, samples.Codes32(), n);
    }
}
