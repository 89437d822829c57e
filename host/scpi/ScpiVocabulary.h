#pragma once

#include <cstddef>
#include <initializer_list>
#include <string>
#include <string_view>

// The SCPI texts the host sends to an instrument, each written once: the download code,
// the probe, the Python client and the simulator's tests build their messages here, so a
// sender and the instrument's command table cannot drift apart one text at a time.
// Channels and segments are numbered from 1, as the instrument counts them.
class ScpiVocabulary {
public:
    static constexpr std::string_view kIdentify = "*IDN?";
    static constexpr std::string_view kOperationComplete = "*OPC?";
    static constexpr std::string_view kNextError = ":SYST:ERR?";
    static constexpr std::string_view kSegmentCatalog = ":TRAC:CAT?";
    static constexpr std::string_view kSegmentData = ":TRAC:DATA?";
    static constexpr std::string_view kFreeMemory = ":TRAC:FREE?";
    static constexpr std::string_view kSampleClock = ":FREQ:RAST?";
    static constexpr std::string_view kSequenceCatalog = ":SEQ:CAT?";
    static constexpr std::string_view kPlaySegments = ":FUNC:MODE USER";
    static constexpr std::string_view kPlaySequence = ":FUNC:MODE SEQ";
    static constexpr std::string_view kDeleteAllSegments = ":TRAC:DEL:ALL";
    static constexpr std::string_view kDeleteAllSteps = ":SEQ:DEL:ALL";
    // Each of these is followed by a definite-length block.
    static constexpr std::string_view kSegmentDataPrefix = ":TRAC:DATA ";
    static constexpr std::string_view kFmDataPrefix = ":FM:DATA ";
    static constexpr std::string_view kFmHzDataPrefix = ":FM:DATA:HZ ";

    static std::string SelectChannel(int channel);
    static std::string SetSampleClock(std::string_view clock);
    static std::string DefineSegment(long long segment, long long points);
    static std::string SelectSegment(long long segment);
    static std::string DeleteSegment(long long segment);
    static std::string SetFmDeviation(std::string_view deviation);
    static std::string DefineStep(std::size_t step, long long segment, long long loops);

    // Message units joined into one program message, which the instrument runs whole.
    static std::string Join(std::initializer_list<std::string_view> units);
    // The IEEE 488.2 definite-length header of a block of `size` bytes: "#<n><size>".
    static std::string BlockHeader(std::size_t size);
    // The no-error answer of ":SYST:ERR?": "0" alone or "0," and its text.
    static bool IsNoError(std::string_view reply);
};
