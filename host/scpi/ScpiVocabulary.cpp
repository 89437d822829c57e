#include "scpi/ScpiVocabulary.h"

std::string ScpiVocabulary::SelectChannel(int channel) {
    return ":INST " + std::to_string(channel);
}

std::string ScpiVocabulary::SetSampleClock(std::string_view clock) {
    return ":FREQ:RAST " + std::string(clock);
}

std::string ScpiVocabulary::DefineSegment(long long segment, long long points) {
    return ":TRAC:DEF " + std::to_string(segment) + "," + std::to_string(points);
}

std::string ScpiVocabulary::SelectSegment(long long segment) {
    return ":TRAC:SEL " + std::to_string(segment);
}

std::string ScpiVocabulary::DeleteSegment(long long segment) {
    return ":TRAC:DEL " + std::to_string(segment);
}

std::string ScpiVocabulary::SetFmDeviation(std::string_view deviation) {
    return ":FM:DEV " + std::string(deviation);
}

std::string ScpiVocabulary::DefineStep(std::size_t step, long long segment, long long loops) {
    return ":SEQ:DEF " + std::to_string(step) + "," + std::to_string(segment) + "," +
           std::to_string(loops);
}

std::string ScpiVocabulary::Join(std::initializer_list<std::string_view> units) {
    std::string message;
    for (std::string_view unit : units) {
        if (unit.empty()) {
            continue;
        }
        if (!message.empty()) {
            message += ';';
        }
        message += unit;
    }
    return message;
}

std::string ScpiVocabulary::BlockHeader(std::size_t size) {
    const std::string count = std::to_string(size);
    return "#" + std::to_string(count.size()) + count;
}

bool ScpiVocabulary::IsNoError(std::string_view reply) {
    return !reply.empty() && reply[0] == '0' && (reply.size() == 1 || reply[1] == ',');
}
