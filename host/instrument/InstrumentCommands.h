#pragma once

#include "CommandTable.h"

// The SCPI commands of the simulated instrument.
//
// Common: *IDN? *RST *CLS *OPC *OPC? *WAI *ESR? *ESE[?] *SRE[?] *STB? *TST?
// :SYSTem:ERRor[:NEXT]?  :SYSTem:ERRor:COUNt?  :SYSTem:ERRor:ALL?  :SYSTem:VERSion?
// :INSTrument[:SELect] 1|2|CH1|CH2, and its query
// :TRACe:DEFine <seg>,<points>   :TRACe:DEFine? and :TRACe:CATalog? ("seg,points,...")
// :TRACe:DELete <seg>   :TRACe:DELete:ALL   :TRACe:SELect <seg>, and its query
// :TRACe[:DATA] <block>, and its query   :TRACe:FREE?
// [:SOURce]:FREQuency:RASTer <Sa/s>|MIN|MAX|DEF, and its query (optionally MIN|MAX)
// [:SOURce]:FM:DEViation <Hz>|MIN|MAX|DEF, and its query (optionally MIN|MAX)
// [:SOURce]:FM:DATA <block> (32-bit codes), [:SOURce]:FM:DATA:HZ <block> (doubles in Hz),
// and their queries
// [:SOURce]:FUNCtion:MODE USER|SEQuence, and its query
// :SEQuence:DEFine <step>,<seg>,<loops>   :SEQuence:DEFine? and :SEQuence:CATalog?
// :SEQuence:DELete <step>   :SEQuence:DELete:ALL   :SEQuence:DATA? (the expanded samples)
//
// Trace, frequency, FM and sequence commands act on the selected channel.
class InstrumentCommands {
public:
    static CommandTable Build();
};
