#include "download/DownloadAgent.h"

#include "core/HostBus.h"
#include "download/ChannelLeftovers.h"
#include "download/DownloadCommand.h"
#include "download/FmDownload.h"
#include "download/SequenceDownload.h"
#include "download/WaveformStream.h"
#include "scpi/ScpiVocabulary.h"

#include <algorithm>
#include <cstdio>

namespace {

constexpr int kMaxQueuedErrors = 32;
constexpr std::size_t kBytesPerPoint = 2;

// Control characters would end the log line (and, sent, the program message) early.
std::string Printable(const std::string& text) {
    std::string shown;
    for (char c : text) {
        const auto byte = static_cast<unsigned char>(c);
        if (byte < 0x20 || byte == 0x7F) {
            char escaped[8];
            std::snprintf(escaped, sizeof escaped, "\\x%02X", byte);
            shown += escaped;
        } else {
            shown += c;
        }
    }
    return shown;
}

std::string Quoted(const std::string& text) {
    std::string quoted = "\"";
    quoted += Printable(text);
    quoted += '"';
    return quoted;
}

bool HasControlCharacters(const std::string& text) {
    return Printable(text) != text;
}

DownloadAgent::Outcome Done(std::string line, std::string result = {}) {
    DownloadAgent::Outcome outcome;
    outcome.line = std::move(line);
    outcome.result = std::move(result);
    return outcome;
}

DownloadAgent::Outcome Failed(std::string line, std::string result = {}) {
    DownloadAgent::Outcome outcome = Done(std::move(line), std::move(result));
    outcome.succeeded = false;
    return outcome;
}

} // namespace

DownloadAgent::DownloadAgent(Workspace workspace, InstrumentAddress address)
    : workspace_(std::move(workspace)), address_(std::move(address)),
      instrument_(InstrumentTransport::For(address_)) {}

void DownloadAgent::SetAddress(const InstrumentAddress& address) {
    address_ = address;
    instrument_ = InstrumentTransport::For(address_);
    instrument_->SetCancel(cancel_);
}

void DownloadAgent::SetCancel(const std::atomic<bool>* cancel) {
    cancel_ = cancel;
    instrument_->SetCancel(cancel_);
}

std::string DownloadAgent::Handle(int code) {
    return Perform(ToolNotice::Read(workspace_, code)).line;
}

DownloadAgent::Outcome DownloadAgent::Perform(const ToolNotice& notice,
                                              const InstrumentTransport::Progress& progress) {
    const std::string head = "notify " + std::to_string(notice.code) + " ";
    Outcome outcome;
    switch (notice.code) {
    case NotifyDeactivated:
        return Done(head + "deactivated");
    case NotifyCommand:
        outcome = Forward(notice);
        break;
    case NotifyDownloadSegment:
        outcome = Download(notice, progress);
        break;
    case NotifyClosing:
        return Done(head + "closing");
    case NotifyClosingFm:
        return Done(head + "closing (FM)");
    case NotifyDownloadFm:
        outcome = DownloadFm(progress);
        break;
    case NotifyDownloadSequence:
        outcome = DownloadSequence(progress);
        break;
    default:
        return Done(head + "unknown");
    }
    outcome.line.insert(0, head);
    return outcome;
}

bool DownloadAgent::EnsureConnected() {
    instrument_->CloseIfHungUp();
    return instrument_->IsOpen() || instrument_->Open();
}

bool DownloadAgent::Exchange(const std::function<bool()>& exchange, std::string& error) {
    if (!EnsureConnected()) {
        error = instrument_->LastError();
        return false;
    }
    if (exchange()) {
        return true;
    }
    error = instrument_->LastError();
    if (!instrument_->ConnectionLost()) {
        return false;
    }
    if (!instrument_->Open()) {
        error += "; reconnecting: " + instrument_->LastError();
        return false;
    }
    if (exchange()) {
        return true;
    }
    error = "after reconnecting: " + instrument_->LastError();
    return false;
}

DownloadAgent::Outcome DownloadAgent::Download(const ToolNotice& notice,
                                               const InstrumentTransport::Progress& progress) {
    const int channel = notice.channel + 1;
    std::string line = "download ch=" + std::to_string(channel) + " " + Quoted(notice.command) +
                       " " + Printable(notice.waveFile);
    std::string where;
    const auto failed = [&](const std::string& reason, bool emptied = false) {
        const std::string lineNote =
            emptied ? "; " + where + " may be left without its waveform" : "";
        const std::string resultNote = emptied ? "; it may be left without its waveform" : "";
        return Failed(line + " failed: " + reason + lineNote,
                      (where.empty() ? "" : where + ": ") + reason + resultNote);
    };
    const auto definition = DownloadCommand::Parse(notice.command);
    if (!definition) {
        return failed("the link command is not a segment definition");
    }
    where =
        "segment " + std::to_string(definition->segment) + " of channel " + std::to_string(channel);
    std::string error;
    const auto file = WaveformStream::Open(notice.waveFile, error);
    if (!file) {
        return failed(error);
    }
    if (error = file->CheckLength(); !error.empty()) {
        return failed(error);
    }
    const std::size_t size = file->Size();
    const std::size_t points = size / kBytesPerPoint;
    line += " " + std::to_string(size) + " bytes";
    if (points != static_cast<std::size_t>(definition->points)) {
        return failed("the file holds " + std::to_string(points) + " points, the command defines " +
                      std::to_string(definition->points));
    }
    // A pulse design sent as one segment no longer plays the sequence an earlier download
    // of it left: that sequence and its segments go first, which also frees their memory.
    ChannelLeftovers leftovers;
    if (!definition->clock.empty()) {
        const auto found = ReadLeftovers(channel, error, [&](const std::string& answer) {
            return ChannelLeftovers::BeforeSegment(answer, definition->segment);
        });
        if (!found) {
            return failed(error);
        }
        leftovers = *found;
    }
    std::vector<Message> messages;
    for (const std::string& removal : leftovers.RemovalMessages(channel)) {
        messages.push_back({removal});
    }
    messages.push_back({definition->MessagePrefix(channel), nullptr, &*file});
    const Transfer transfer = SendAll(messages, progress);
    if (!transfer.exchanged) {
        return failed(transfer.error, transfer.began);
    }
    if (!ScpiVocabulary::IsNoError(transfer.summary)) {
        return failed(transfer.summary, true);
    }
    const std::string removed = leftovers.Empty() ? "" : "; " + leftovers.Describe();
    return Done(line + removed + " -> " + transfer.summary, where + ": " + std::to_string(points) +
                                                                " points, " + std::to_string(size) +
                                                                " bytes" + removed);
}

std::optional<ChannelLeftovers> DownloadAgent::ReadLeftovers(int channel, std::string& error,
                                                             const LeftoverRule& rule) {
    const std::string query = ChannelLeftovers::Query(channel);
    std::optional<std::string> answer;
    if (!Exchange([&] { return (answer = instrument_->Query(query)).has_value(); }, error)) {
        error = "asking what channel " + std::to_string(channel) + " holds: " + error;
        return std::nullopt;
    }
    auto leftovers = rule(*answer);
    if (!leftovers) {
        error = "the instrument's catalogues of channel " + std::to_string(channel) +
                " are unreadable: " + Quoted(*answer);
    }
    return leftovers;
}

DownloadAgent::Outcome DownloadAgent::DownloadFm(const InstrumentTransport::Progress& progress) {
    std::string error;
    const auto fm = FmDownload::Read(workspace_, error);
    if (!fm) {
        return Failed("FM download failed: " + error, error);
    }
    const std::string where = "FM waveform of channel " + std::to_string(fm->channel + 1);
    std::string line = "FM download ch=" + std::to_string(fm->channel + 1) + " " +
                       Printable(fm->waveFile) + " " + std::to_string(fm->bytes.size()) +
                       " bytes, " +
                       (fm->wide ? std::string("in Hz") : "deviation " + fm->deviation) +
                       ", markers: " + fm->MarkerText();
    const Transfer transfer = Send(fm->MessagePrefix(), fm->bytes, progress);
    Outcome outcome;
    if (!transfer.exchanged || !ScpiVocabulary::IsNoError(transfer.summary)) {
        const std::string reason = transfer.exchanged ? transfer.summary : transfer.error;
        outcome = Failed(line + " failed: " + reason, where + ": " + reason);
    } else {
        outcome = Done(line + " -> " + transfer.summary,
                       where + ": " + std::to_string(fm->points) + " points" +
                           (fm->wide ? " in Hz" : ", deviation " + fm->deviation + " Hz"));
    }
    outcome.markers = fm->MarkerText();
    return outcome;
}

DownloadAgent::Outcome
DownloadAgent::DownloadSequence(const InstrumentTransport::Progress& progress) {
    std::string error;
    const auto sequence = SequenceDownload::Read(workspace_, error);
    if (!sequence) {
        return Failed("sequence download failed: " + error, error);
    }
    const int channel = sequence->channel + 1;
    const std::string where = "sequence of channel " + std::to_string(channel);
    // The channel is cleared whole; what of it the sequence does not define again is told.
    const auto leftovers = ReadLeftovers(channel, error, [&](const std::string& answer) {
        return ChannelLeftovers::BeforeSequence(answer, sequence->segments.size());
    });
    if (!leftovers) {
        return Failed("sequence download ch=" + std::to_string(channel) + " failed: " + error,
                      where + ": " + error);
    }
    const std::string amount = std::to_string(sequence->steps.size()) + " steps over " +
                               std::to_string(sequence->segments.size()) + " segments, " +
                               std::to_string(sequence->TotalBytes()) + " bytes" +
                               (leftovers->Empty() ? "" : "; " + leftovers->Describe());
    const std::string line = "sequence download ch=" + std::to_string(channel) + " [" +
                             sequence->section + "] " + amount;
    std::vector<Message> messages;
    messages.push_back({sequence->ClearMessage()});
    for (std::size_t i = 0; i < sequence->segments.size(); ++i) {
        messages.push_back({sequence->SegmentPrefix(i), &sequence->segments[i].bytes});
    }
    for (const std::string& steps : sequence->StepMessages()) {
        messages.push_back({steps});
    }
    messages.push_back({sequence->PlayMessage()});
    const Transfer transfer = SendAll(messages, progress);
    if (!transfer.exchanged || !ScpiVocabulary::IsNoError(transfer.summary)) {
        const std::string reason = transfer.exchanged ? transfer.summary : transfer.error;
        const std::string note =
            transfer.began ? "; the channel may be left with part of the sequence" : "";
        return Failed(line + " failed: " + reason + note, where + ": " + reason + note);
    }
    return Done(line + " -> " + transfer.summary, where + ": " + amount);
}

DownloadAgent::Transfer DownloadAgent::Send(const std::string& prefix, const std::string& bytes,
                                            const InstrumentTransport::Progress& progress) {
    // Definition, selection and data go as one program message, which an instrument that
    // acts on whole messages leaves untouched when the transfer breaks off. One that acts
    // unit by unit may have emptied the segment by then: every failure after the first
    // byte says so.
    return SendAll({{prefix, &bytes}}, progress);
}

namespace {

// The bytes of a message's block as they go out; the file's length is checked once more
// with the last piece, before the message is completed.
std::string ReadPiece(const WaveformStream& file, std::size_t offset, char* into,
                      std::size_t count) {
    std::string problem = file.ReadAt(offset, into, count);
    if (problem.empty() && offset + count == file.Size()) {
        problem = file.CheckLength();
    }
    return problem;
}

} // namespace

DownloadAgent::Transfer DownloadAgent::SendAll(const std::vector<Message>& messages,
                                               const InstrumentTransport::Progress& progress) {
    Transfer transfer;
    // What each message puts on the wire: its text, its block with the header, a newline.
    const auto wireSize = [](const Message& message) {
        const bool block = message.file || message.bytes;
        const std::size_t size = message.file ? message.file->Size()
                                 : block      ? message.bytes->size()
                                              : 0;
        return message.text.size() + 1 +
               (block ? ScpiVocabulary::BlockHeader(size).size() + size : 0);
    };
    std::size_t total = 0;
    for (const Message& message : messages) {
        total += wireSize(message);
    }
    const auto sendAndComplete = [&] {
        std::size_t done = 0;
        for (const Message& message : messages) {
            const auto step = [&](std::size_t sent, std::size_t) {
                transfer.began = true;
                if (progress) {
                    progress(std::min(done + sent, total), total);
                }
            };
            bool sent = false;
            if (message.file) {
                const auto read = [&file = *message.file](std::size_t offset, char* into,
                                                          std::size_t count) {
                    return ReadPiece(file, offset, into, count);
                };
                sent = instrument_->SendBlockFrom(message.text, message.file->Size(), read, step);
            } else if (message.bytes) {
                sent = instrument_->SendBlock(message.text, message.bytes->data(),
                                              message.bytes->size(), step);
            } else {
                sent = instrument_->Send(message.text);
            }
            if (!sent) {
                return false;
            }
            transfer.began = true;
            done += wireSize(message);
        }
        return ReadCompletion(transfer.summary);
    };
    transfer.exchanged = Exchange(sendAndComplete, transfer.error);
    return transfer;
}

DownloadAgent::Outcome DownloadAgent::Forward(const ToolNotice& notice) {
    const std::string& command = notice.command;
    const std::string line = "command " + Quoted(command);
    if (command.empty()) {
        return Done(line + " ignored: empty");
    }
    if (HasControlCharacters(command)) {
        return Failed(line + " failed: control characters have no place in a command");
    }
    std::string error;
    std::string summary;
    if (!Exchange([&] { return instrument_->Send(command) && ReadCompletion(summary); }, error)) {
        return Failed(line + " failed: " + error);
    }
    if (!ScpiVocabulary::IsNoError(summary)) {
        return Failed(line + " failed: " + summary);
    }
    return Done(line + " -> " + summary);
}

bool DownloadAgent::ReadCompletion(std::string& summary) {
    const auto complete = instrument_->Query(ScpiVocabulary::kOperationComplete);
    if (!complete) {
        return false;
    }
    // Anything but "1" means the operation did not complete, whatever the queue then holds.
    std::string errors = *complete == "1" ? "" : "*OPC? answered " + Quoted(*complete);
    for (int i = 0; i < kMaxQueuedErrors; ++i) {
        const auto reply = instrument_->Query(ScpiVocabulary::kNextError);
        if (!reply) {
            return false;
        }
        if (ScpiVocabulary::IsNoError(*reply)) {
            summary = errors.empty() ? *reply : errors;
            return true;
        }
        errors += errors.empty() ? "" : "; ";
        errors += *reply;
    }
    summary = errors;
    return true;
}
