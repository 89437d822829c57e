#pragma once

#include "download/DownloadAgent.h"

#include <QByteArray>
#include <QObject>
#include <QString>
#include <QStringList>

#include <atomic>
#include <functional>

// The host's instrument work, on a thread of its own: the tool's downloads and commands
// and the control panel's looks at the instrument memory queue up here in arrival order,
// so that a slow or stalled instrument never holds up the window or the bus. Every call
// returns at once; the answer comes as a signal.
class InstrumentWorker : public QObject {
    Q_OBJECT
public:
    InstrumentWorker(Workspace workspace, InstrumentAddress address);

    void Perform(const ToolNotice& notice);
    // The work queued after this goes to `address`.
    void Reconnect(const InstrumentAddress& address);
    // Ends the download being sent, from any thread; the next one starts afresh.
    void CancelDownload() { cancel_ = true; }
    void ReadIdentity();
    // The segment catalogue of channels 1 to `channels`; afterwards the instrument is put
    // back on the tool's active channel (1-based).
    void ReadMemory(int channels, int activeChannel);
    void ReadSegment(int channel, int segment, int activeChannel);

signals:
    void Started(uint code);
    void Progress(qint64 sent, qint64 total);
    void Performed(uint code, const QString& line, bool succeeded, const QString& result);
    void IdentityRead(const QString& identity, bool known);
    // One catalogue per channel, empty where it could not be read; `error` says why.
    void MemoryRead(const QStringList& catalogues, const QString& error);
    void SegmentRead(int channel, int segment, const QByteArray& data, const QString& error);
    // The markers of an FM download whose files were read, in words.
    void FmMarkersRead(const QString& markers);

private:
    void Queue(std::function<void()> job);
    void DoPerform(const ToolNotice& notice);
    void DoReadMemory(int channels, int activeChannel);
    void DoReadSegment(int channel, int segment, int activeChannel);
    void RestoreChannel(int activeChannel);

    DownloadAgent agent_;
    std::atomic<bool> cancel_{false};
};
