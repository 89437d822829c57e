#include "synthesis/GeneratedWaveform.h"

#include "core/LongJob.h"
#include "document/SampleSnapshot.h"
#include "document/UndoSetAside.h"
#include "document/WaveDoc.h"

bool GeneratedWaveform::Commit(WaveDoc& document, const SampleSnapshot& snapshot, LongJob& job) {
    UndoSetAside previousUndo(document.Undo());
    // The undo copy before the change: a run that stops in between leaves the old
    // waveform, never a new one whose undo copy is stale.
    const CopyResult undo = snapshot.CopyTo(document.Undo().Path(), job.Stage(kUndoCopyShare));
    if (!undo.copied) {
        if (!undo.cancelled) {
            document.ReportWriteFailure(undo.error);
        }
        return false;
    }
    if (!document.CommitToWorkingFile(job.Stage(1.0 - kGenerationShare - kUndoCopyShare))) {
        if (job.Cancelled()) {
            previousUndo.Cancel();
        }
        return false;
    }
    return true;
}
