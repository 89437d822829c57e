#include "ScpiSession.h"

#include "InstrumentState.h"
#include "ScpiParser.h"

#include <mutex>
#include <new>

namespace {

ProgramMessageReader::Limits LimitsFor(const InstrumentState& instrument) {
    ProgramMessageReader::Limits limits;
    limits.maxBlockBytes = instrument.MaxBlockBytes();
    limits.maxMessageBlockBytes = instrument.MaxMessageBlockBytes();
    return limits;
}

} // namespace

ScpiSession::ScpiSession(InstrumentState& instrument, const CommandTable& commands,
                         ByteBudget* blockBudget)
    : instrument_(instrument), commands_(commands), reader_(LimitsFor(instrument), blockBudget) {}

std::size_t ScpiSession::Receive(std::string_view bytes, ResponseBuffer& response) {
    response_ = &response;
    const std::size_t taken = reader_.Feed(bytes, *this);
    response_ = nullptr;
    return taken;
}

bool ScpiSession::ReadyForNextMessage() const {
    return response_ == nullptr || !response_->Full();
}

void ScpiSession::OnInputError(ScpiError error) {
    status_.Report(std::move(error));
}

void ScpiSession::OnMessage(const std::shared_ptr<const MessageBuffer>& message) {
    std::scoped_lock lock(instrument_.Mutex());
    ExecuteMessage(message, *response_);
}

void ScpiSession::ExecuteMessage(const std::shared_ptr<const MessageBuffer>& message,
                                 ResponseBuffer& response) {
    ScpiParser parser(message->View());
    CommandUnit unit;
    CommandContext context{instrument_, status_, response, message};
    while (true) {
        const ResponseBuffer::Mark mark = response.Save();
        try {
            if (!parser.Next(unit)) {
                break;
            }
            const CommandTable::Handler* handler = commands_.Find(unit);
            if (handler == nullptr) {
                throw ScpiError(scpi_errors::kUndefinedHeader, unit.HeaderText());
            }
            (*handler)(context, ArgumentList(unit.arguments));
            if (response.Overflowed()) {
                response.Restore(mark);
                status_.Report(ScpiError(scpi_errors::kQueryDeadlocked,
                                         unit.HeaderText() + " answer exceeds the output memory"));
            }
        } catch (const ScpiError& error) {
            response.Restore(mark);
            status_.Report(error);
            if (error.IsCommandError()) {
                break;
            }
        } catch (const std::bad_alloc&) {
            response.Restore(mark);
            status_.Report(ScpiError(scpi_errors::kOutOfMemory));
        }
    }
    response.EndMessage();
}
