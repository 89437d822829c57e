#include "core/LongJob.h"

#include "core/UserInterface.h"

#include <algorithm>

LongJob::LongJob(UserInterface& ui, const std::string& what) : display_(ui.BeginProgress(what)) {
    whole_ = [display = display_.get()](double done) { return display->Report(done); };
}

LongJob::LongJob(ProgressCallback whole) : whole_(std::move(whole)) {}

LongJob::~LongJob() = default;

ProgressCallback LongJob::Stage(double share) {
    const double begin = begun_;
    begun_ = std::min(1.0, begun_ + share);
    return [this, begin, share](double done) { return Report(begin, share, done); };
}

bool LongJob::Report(double begin, double share, double done) {
    if (!cancelled_ && whole_ && !whole_(begin + share * std::clamp(done, 0.0, 1.0))) {
        cancelled_ = true;
    }
    return !cancelled_;
}
