#include "core/StringTable.h"

#include <array>
#include <utility>

namespace {

constexpr std::array<std::pair<int, const char*>, 27> kTable{{
    {MsgFmClockOutOfLimit, "FM Sample clock is out of limit.\nModify the sample clock setting and "
                           "restart the FM Wavesmith."},
    {MsgWavelengthResolution,
     "Wavelength is not match Instrument resolution.\nValue will be corrected."},
    {MsgValueOutOfRange, "Value out of range. Previous value will be restored."},
    {MsgInvalidMinMax, "Invalid Min/Max values."},
    {MsgExpressionEmpty, "Expression is empty."},
    {MsgUnbalanced, "Unbalanced "},
    {MsgDomainError, "Domain error."},
    {MsgWaveformFileMissing, "Waveform file missing."},
    {MsgUnknownComponent, "Unknown equation component."},
    {MsgIllegalExtension, "Illegal file name extension."},
    {MsgTemporaryFolder, "Storing in Temporary folder is not recommended.\nSave ?"},
    {MsgDeviationLimit, "Deviation range exceeds the limit.\nPrevious value will be restored."},
    {MsgCannotConvert, "Cannot convert the format to binary format \nor invalid file path"},
    {MsgMarkerOutOfRange, "The FM marker value will be added but note it is out of current range."},
    {MsgVppOutOfRange, "Vpp value %s  out of range[%g, %g].\nPrevious value will be restored."},
    {MsgVppCutsWave, "Vpp value = %.3f cuts current wave.\nPrevious value will be restored."},
    {MsgTrainModeChange, "Train mode may be changed for the empty section only.\nClick\n\tYes - to "
                         "remove all items,\n\tNo - to insert new section."},
    {MsgMemoryRestriction,
     "Memory restriction.\nDo you want attempt to implement it in the sequence form?"},
    {MsgClockRestriction,
     "Can not comply with requested resolution/accuracy,\ndue Sampling clock implemetation "
     "restriction.\n(SClK max = %d required = %g).\nYou may continue with lower resolution."},
    {MsgInvalidTimeOrder, "Link: %d\nInvalid time order: %s.\nPrevious value will be restored."},
    {MsgImplementationRestriction, "Link: %d\nImplementation restriction.\nTime: %s exceeds "
                                   "Instrument resolution.\nPrevious value will be restored."},
    {MsgFirstNodeTime,
     "Link: %d\nFirst node time %s is not equal start time.\nPrevious value will be restored."},
    {MsgTimeNotPositive,
     "Link: %d\nTime interval %s is not positive.\nPrevious value will be restored."},
    {MsgLevelOutOfRange, "Link: %d\nLevel %s  out of range.\nPrevious value will be restored."},
    {MsgLoopsOutOfRange, "Loops number: %d out of range.\nPrevious value will be restored."},
    {MsgEmptyInput, "Link: %d\nEmpty input %s is not allowed.\nPrevious value will be restored."},
    {MsgNonNumeric,
     "Link: %d\nNon numeric value %s is not allowed.\nPrevious value will be restored."},
}};

} // namespace

const char* MessageText(int id) {
    for (const auto& [key, text] : kTable) {
        if (key == id) {
            return text;
        }
    }
    return "";
}

int MessageIdOf(const std::string& text) {
    for (const auto& [key, entry] : kTable) {
        if (text == entry) {
            return key;
        }
    }
    return 0;
}
