#include "scpi/ScpiVocabulary.h"
#include "CommandTable.h"
#include "InstrumentCommands.h"
#include "InstrumentState.h"
#include "ResponseBuffer.h"
#include "ScpiSession.h"
#include "instrument/ScpiTestClient.h"

#include <gtest/gtest.h>

#include <string>

namespace {

using V = ScpiVocabulary;

std::string WithBlock(const std::string& prefix, const std::string& bytes) {
    return prefix + V::BlockHeader(bytes.size()) + bytes;
}

} // namespace

// Every message the host builds is one the simulator's command table runs: a text that
// drifts on either side shows up as an error here rather than in a download.
TEST(ScpiVocabularyOnTheSimulator, EveryMessageTheHostBuildsRunsWithoutAnError) {
    InstrumentState instrument(1000);
    const CommandTable commands = InstrumentCommands::Build();
    ScpiSession session(instrument, commands);
    const std::string points(32, '\x0A'); // 16 points, every byte a newline
    const std::string hertz = ScpiTestClient::Bytes(std::vector<double>(10, 1e6));
    const std::string messages[] = {
        WithBlock(V::Join({V::SelectChannel(2), V::SetSampleClock("1e6"), V::kPlaySegments,
                           V::DefineSegment(3, 16), V::SelectSegment(3), V::kSegmentDataPrefix}),
                  points),
        V::Join({V::SelectChannel(2), V::DeleteSegment(3)}),
        V::Join({V::SelectChannel(1), V::kPlaySegments, V::kDeleteAllSteps, V::kDeleteAllSegments}),
        WithBlock(V::Join({V::SelectChannel(1), V::DefineSegment(1, 16), V::SelectSegment(1),
                           V::kSegmentDataPrefix}),
                  points),
        V::Join({V::SelectChannel(1), V::DefineStep(1, 1, 3), V::DefineStep(2, 1, 1)}),
        V::Join({V::SelectChannel(1), V::SetSampleClock("2e6"), V::kPlaySequence}),
        WithBlock(V::Join({V::SelectChannel(1), V::SetFmDeviation("1000"), V::kFmDataPrefix}),
                  std::string(40, '\0')),
        WithBlock(V::Join({V::SelectChannel(2), V::kFmHzDataPrefix}), hertz),
        std::string(V::kIdentify),
        std::string(V::kOperationComplete),
        V::Join({V::SelectChannel(1), V::SelectSegment(1), V::kSegmentData}),
        V::Join({V::kSegmentCatalog, V::kFreeMemory, V::kSampleClock, V::kSequenceCatalog}),
    };
    for (const std::string& message : messages) {
        ResponseBuffer response;
        session.Receive(message + "\n" + std::string(V::kNextError) + "\n", response);
        const std::string answer = response.Joined();
        const std::size_t last = answer.rfind('\n', answer.size() - 2);
        const std::string error = answer.substr(last == std::string::npos ? 0 : last + 1);
        EXPECT_TRUE(V::IsNoError(error)) << message.substr(0, 80) << " -> " << error;
    }
}
