#include "bus/InstrumentWorker.h"

#include "scpi/ScpiVocabulary.h"

#include <QMetaObject>

namespace {

constexpr int kProgressSteps = 100;

} // namespace

InstrumentWorker::InstrumentWorker(Workspace workspace, InstrumentAddress address)
    : agent_(std::move(workspace), std::move(address)) {
    agent_.SetCancel(&cancel_);
}

void InstrumentWorker::Perform(const ToolNotice& notice) {
    Queue([this, notice] { DoPerform(notice); });
}

void InstrumentWorker::Reconnect(const InstrumentAddress& address) {
    Queue([this, address] { agent_.SetAddress(address); });
}

void InstrumentWorker::ReadIdentity() {
    Queue([this] {
        std::string error;
        std::optional<std::string> identity;
        agent_.Exchange(
            [&] {
                return (identity = agent_.Instrument().Query(ScpiVocabulary::kIdentify))
                    .has_value();
            },
            error);
        emit IdentityRead(QString::fromStdString(identity.value_or(error)), identity.has_value());
    });
}

void InstrumentWorker::ReadMemory(int channels, int activeChannel) {
    Queue([=, this] { DoReadMemory(channels, activeChannel); });
}

void InstrumentWorker::ReadSegment(int channel, int segment, int activeChannel) {
    Queue([=, this] { DoReadSegment(channel, segment, activeChannel); });
}

void InstrumentWorker::Queue(std::function<void()> job) {
    QMetaObject::invokeMethod(this, std::move(job), Qt::QueuedConnection);
}

void InstrumentWorker::DoPerform(const ToolNotice& notice) {
    cancel_ = false;
    emit Started(static_cast<uint>(notice.code));
    int shownStep = -1;
    const auto progress = [&](std::size_t sent, std::size_t total) {
        const int step =
            total == 0 ? kProgressSteps : static_cast<int>(sent * kProgressSteps / total);
        if (step != shownStep) {
            shownStep = step;
            emit Progress(static_cast<qint64>(sent), static_cast<qint64>(total));
        }
    };
    const DownloadAgent::Outcome outcome = agent_.Perform(notice, progress);
    if (!outcome.markers.empty()) {
        emit FmMarkersRead(QString::fromStdString(outcome.markers));
    }
    emit Performed(static_cast<uint>(notice.code), QString::fromStdString(outcome.line),
                   outcome.succeeded, QString::fromStdString(outcome.result));
}

void InstrumentWorker::DoReadMemory(int channels, int activeChannel) {
    InstrumentTransport& instrument = agent_.Instrument();
    QStringList catalogues;
    std::string error;
    for (int channel = 1; channel <= channels; ++channel) {
        std::optional<std::string> reply;
        const bool read = agent_.Exchange(
            [&] {
                return instrument.Send(ScpiVocabulary::SelectChannel(channel)) &&
                       (reply = instrument.Query(ScpiVocabulary::kSegmentCatalog)).has_value();
            },
            error);
        if (!read) {
            break;
        }
        catalogues << QString::fromStdString(*reply);
    }
    RestoreChannel(activeChannel);
    emit MemoryRead(catalogues, QString::fromStdString(error));
}

void InstrumentWorker::DoReadSegment(int channel, int segment, int activeChannel) {
    InstrumentTransport& instrument = agent_.Instrument();
    std::optional<std::string> data;
    std::string error;
    agent_.Exchange(
        [&] {
            const std::string select = ScpiVocabulary::Join(
                {ScpiVocabulary::SelectChannel(channel), ScpiVocabulary::SelectSegment(segment)});
            return instrument.Send(select) &&
                   (data = instrument.QueryBlock(ScpiVocabulary::kSegmentData)).has_value();
        },
        error);
    RestoreChannel(activeChannel);
    emit SegmentRead(channel, segment, data ? QByteArray::fromStdString(*data) : QByteArray(),
                     data ? QString() : QString::fromStdString(error));
}

void InstrumentWorker::RestoreChannel(int activeChannel) {
    InstrumentTransport& instrument = agent_.Instrument();
    if (instrument.IsOpen()) {
        instrument.Send(ScpiVocabulary::SelectChannel(activeChannel));
    }
}
