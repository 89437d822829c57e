#include "document/SampleSnapshot.h"

#include "core/LongJob.h"
#include "document/SampleBuffer.h"
#include "settings/AtomicFileWriter.h"
#include "settings/FileHelpers.h"

#include <cstdio>
#include <memory>

namespace {

struct FileCloser {
    void operator()(std::FILE* file) const { std::fclose(file); }
};
using FileHandle = std::unique_ptr<std::FILE, FileCloser>;

} // namespace

SampleSnapshot::~SampleSnapshot() {
    DeleteFileIfExists(path_);
}

bool SampleSnapshot::Save(const SampleBuffer& samples, const ProgressCallback& progress) {
    AtomicFileWriter out(path_);
    out.SetOwnFile(true);
    saved_ = false;
    stopped_ = false;
    if (out.Open()) {
        stopped_ = !out.Write(samples.Bytes(), samples.ByteSize(), progress);
        saved_ = !stopped_ && out.Commit();
    }
    problem_ = saved_ ? "cannot read " + path_ + " back" : out.Error();
    return saved_;
}

bool SampleSnapshot::Save(const SampleBuffer& samples, UserInterface& ui) {
    LongJob job(ui, "Copying the waveform");
    return Save(samples, job.Stage(1.0));
}

bool SampleSnapshot::Restore(SampleBuffer& samples) const {
    FileHandle in(saved_ ? std::fopen(path_.c_str(), "rb") : nullptr);
    if (!in) {
        return false;
    }
    std::fseek(in.get(), 0, SEEK_END);
    const long size = std::ftell(in.get());
    std::fseek(in.get(), 0, SEEK_SET);
    if (size < 0) {
        return false;
    }
    const std::size_t points = static_cast<std::size_t>(size) / samples.ElementWidth();
    // The array is reused when the length is unchanged: a preview of 16 M points should
    // not allocate a second array.
    if (points != samples.Size()) {
        samples.AllocateUninitialized(points);
    }
    const std::size_t bytes = samples.ByteSize();
    return bytes == 0 || std::fread(samples.Bytes(), 1, bytes, in.get()) == bytes;
}

CopyResult SampleSnapshot::CopyTo(const std::string& undoPath,
                                  const ProgressCallback& progress) const {
    if (!saved_) {
        return {false, false, problem_};
    }
    return CopyFileSafely(path_, undoPath, CopyTarget::OwnFile, progress);
}
