#include "InstrumentCommands.h"

#include "BlockHeader.h"
#include "InstrumentState.h"
#include "ResponseBuffer.h"
#include "ScpiError.h"
#include "SessionStatus.h"

#include <charconv>
#include <string>

namespace {

using Context = CommandContext;
using Args = ArgumentList;

constexpr ArgumentList::RealRange kRasterRange{ChannelState::kMinRaster, ChannelState::kMaxRaster,
                                               ChannelState::kDefaultRaster, true};
constexpr ArgumentList::RealRange kFmDeviationRange{ChannelState::kMinFmDeviation,
                                                    ChannelState::kMaxFmDeviation,
                                                    ChannelState::kDefaultFmDeviation, true};

// Like "%.15g" in the C locale: 100000000, 2500000, 0.5, 1e-06.
std::string FormatReal(double value) {
    char buffer[32];
    const auto result =
        std::to_chars(buffer, buffer + sizeof buffer, value, std::chars_format::general, 15);
    return std::string(buffer, result.ptr);
}

// Catalog answers are flat comma-separated lists: "1,4096,2,500".
void AppendListItem(std::string& list, std::uint64_t value) {
    if (!list.empty()) {
        list += ',';
    }
    list += std::to_string(value);
}

void Answer(Context& context, std::string_view text) {
    context.response.BeginQuery();
    context.response.Append(text);
}

void AnswerBlock(Context& context, SharedBytes bytes) {
    context.response.BeginQuery();
    context.response.Append(BlockHeader::Format(bytes.Size()));
    context.response.AppendShared(std::move(bytes));
}

int SegmentNumber(const Args& args, std::size_t index) {
    return static_cast<int>(args.Integer(index, 1, ChannelState::kMaxSegmentNumber));
}

// A settings query may ask for the limits instead: ":FREQ:RAST? MAX".
void AnswerReal(Context& context, const Args& args, const ArgumentList::RealRange& range,
                double current) {
    args.ExpectCount(0, 1);
    if (args.Count() == 1) {
        const std::string_view word = args.Word(0);
        if (word == "MIN" || word == "MINIMUM") {
            current = range.min;
        } else if (word == "MAX" || word == "MAXIMUM") {
            current = range.max;
        } else if (word == "DEF" || word == "DEFAULT") {
            current = range.byDefault;
        } else {
            throw ScpiError(scpi_errors::kInvalidCharacterData, std::string(word));
        }
    }
    Answer(context, FormatReal(current));
}

void AddCommonCommands(CommandTable& table) {
    table.Add("*IDN", nullptr, [](Context& c, const Args& a) {
        a.ExpectCount(0, 0);
        Answer(c, c.instrument.Identity());
    });
    table.Add(
        "*RST",
        [](Context& c, const Args& a) {
            a.ExpectCount(0, 0);
            c.instrument.Reset();
        },
        nullptr);
    table.Add(
        "*CLS",
        [](Context& c, const Args& a) {
            a.ExpectCount(0, 0);
            c.status.Clear();
        },
        nullptr);
    // Commands complete as they are parsed, so the operation is complete at once.
    table.Add(
        "*OPC",
        [](Context& c, const Args& a) {
            a.ExpectCount(0, 0);
            c.status.SetEvent(SessionStatus::kOperationComplete);
        },
        [](Context& c, const Args& a) {
            a.ExpectCount(0, 0);
            Answer(c, "1");
        });
    table.Add(
        "*WAI", [](Context&, const Args& a) { a.ExpectCount(0, 0); }, nullptr);
    table.Add("*TST", nullptr, [](Context& c, const Args& a) {
        a.ExpectCount(0, 0);
        Answer(c, "0");
    });
    table.Add("*ESR", nullptr, [](Context& c, const Args& a) {
        a.ExpectCount(0, 0);
        Answer(c, std::to_string(c.status.TakeEventRegister()));
    });
    table.Add(
        "*ESE",
        [](Context& c, const Args& a) {
            a.ExpectCount(1, 1);
            c.status.SetEventEnable(static_cast<std::uint8_t>(a.Integer(0, 0, 255)));
        },
        [](Context& c, const Args& a) {
            a.ExpectCount(0, 0);
            Answer(c, std::to_string(c.status.EventEnable()));
        });
    table.Add(
        "*SRE",
        [](Context& c, const Args& a) {
            a.ExpectCount(1, 1);
            c.status.SetServiceRequestEnable(static_cast<std::uint8_t>(a.Integer(0, 0, 255)));
        },
        [](Context& c, const Args& a) {
            a.ExpectCount(0, 0);
            Answer(c, std::to_string(c.status.ServiceRequestEnable()));
        });
    table.Add("*STB", nullptr, [](Context& c, const Args& a) {
        a.ExpectCount(0, 0);
        Answer(c, std::to_string(c.status.StatusByte()));
    });
}

void AddSystemCommands(CommandTable& table) {
    table.Add(":SYSTem:ERRor[:NEXT]", nullptr, [](Context& c, const Args& a) {
        a.ExpectCount(0, 0);
        Answer(c, c.status.Errors().Pop().Format());
    });
    table.Add(":SYSTem:ERRor:COUNt", nullptr, [](Context& c, const Args& a) {
        a.ExpectCount(0, 0);
        Answer(c, std::to_string(c.status.Errors().Count()));
    });
    table.Add(":SYSTem:ERRor:ALL", nullptr, [](Context& c, const Args& a) {
        a.ExpectCount(0, 0);
        std::string all = c.status.Errors().Pop().Format();
        while (!c.status.Errors().Empty()) {
            all += ',';
            all += c.status.Errors().Pop().Format();
        }
        Answer(c, all);
    });
    table.Add(":SYSTem:VERSion", nullptr, [](Context& c, const Args& a) {
        a.ExpectCount(0, 0);
        Answer(c, "1999.0");
    });
    table.Add(
        ":INSTrument[:SELect]",
        [](Context& c, const Args& a) {
            a.ExpectCount(1, 1);
            if (!a.IsWord(0)) {
                c.instrument.SelectChannel(static_cast<int>(a.Integer(0, 1, 2)));
                return;
            }
            const std::string_view word = a.Word(0);
            if (word == "CH1" || word == "CHAN1" || word == "CHANNEL1") {
                c.instrument.SelectChannel(1);
            } else if (word == "CH2" || word == "CHAN2" || word == "CHANNEL2") {
                c.instrument.SelectChannel(2);
            } else {
                throw ScpiError(scpi_errors::kIllegalParameterValue, std::string(word));
            }
        },
        [](Context& c, const Args& a) {
            a.ExpectCount(0, 0);
            Answer(c, std::to_string(c.instrument.SelectedChannelNumber()));
        });
}

void AnswerCatalog(Context& c, const Args& a) {
    a.ExpectCount(0, 0);
    std::string catalog;
    for (const auto& [number, segment] : c.instrument.SelectedChannel().Segments()) {
        AppendListItem(catalog, number);
        AppendListItem(catalog, segment.points);
    }
    Answer(c, catalog);
}

void AddTraceCommands(CommandTable& table) {
    table.Add(
        ":TRACe:DEFine",
        [](Context& c, const Args& a) {
            a.ExpectCount(2, 2);
            const int segment = SegmentNumber(a, 0);
            const std::int64_t points =
                a.Integer(1, ChannelState::kMinSegmentPoints,
                          static_cast<std::int64_t>(c.instrument.MemoryPoints()));
            c.instrument.SelectedChannel().DefineSegment(segment, points);
        },
        AnswerCatalog);
    table.Add(":TRACe:CATalog", nullptr, AnswerCatalog);
    table.Add(
        ":TRACe:DELete",
        [](Context& c, const Args& a) {
            a.ExpectCount(1, 1);
            if (a.IsWord(0) && a.Word(0) == "ALL") {
                c.instrument.SelectedChannel().DeleteAllSegments();
                return;
            }
            c.instrument.SelectedChannel().DeleteSegment(SegmentNumber(a, 0));
        },
        nullptr);
    table.Add(
        ":TRACe:DELete:ALL",
        [](Context& c, const Args& a) {
            a.ExpectCount(0, 0);
            c.instrument.SelectedChannel().DeleteAllSegments();
        },
        nullptr);
    table.Add(
        ":TRACe:SELect",
        [](Context& c, const Args& a) {
            a.ExpectCount(1, 1);
            c.instrument.SelectedChannel().SelectSegment(SegmentNumber(a, 0));
        },
        [](Context& c, const Args& a) {
            a.ExpectCount(0, 0);
            Answer(c, std::to_string(c.instrument.SelectedChannel().SelectedSegment()));
        });
    table.Add(":TRACe:FREE", nullptr, [](Context& c, const Args& a) {
        a.ExpectCount(0, 0);
        Answer(c, std::to_string(c.instrument.SelectedChannel().FreePoints()));
    });
    table.Add(
        ":TRACe[:DATA]",
        [](Context& c, const Args& a) {
            a.ExpectCount(1, 1);
            c.instrument.SelectedChannel().WriteSelectedData(
                SharedBytes::ShareOrCopy(c.message, a.Block(0)));
        },
        [](Context& c, const Args& a) {
            a.ExpectCount(0, 0);
            AnswerBlock(c, c.instrument.SelectedChannel().SelectedData());
        });
}

void AddSourceCommands(CommandTable& table) {
    table.Add(
        "[:SOURce]:FREQuency:RASTer",
        [](Context& c, const Args& a) {
            a.ExpectCount(1, 1);
            c.instrument.SelectedChannel().SetRaster(a.Real(0, kRasterRange));
        },
        [](Context& c, const Args& a) {
            AnswerReal(c, a, kRasterRange, c.instrument.SelectedChannel().Raster());
        });
    table.Add(
        "[:SOURce]:FM:DEViation",
        [](Context& c, const Args& a) {
            a.ExpectCount(1, 1);
            c.instrument.SelectedChannel().SetFmDeviation(a.Real(0, kFmDeviationRange));
        },
        [](Context& c, const Args& a) {
            AnswerReal(c, a, kFmDeviationRange, c.instrument.SelectedChannel().FmDeviation());
        });
    table.Add(
        "[:SOURce]:FM:DATA",
        [](Context& c, const Args& a) {
            a.ExpectCount(1, 1);
            c.instrument.SelectedChannel().Fm().SetCodes(
                SharedBytes::ShareOrCopy(c.message, a.Block(0)));
        },
        [](Context& c, const Args& a) {
            a.ExpectCount(0, 0);
            AnswerBlock(c, c.instrument.SelectedChannel().Fm().In(FmTable::Form::Codes));
        });
    table.Add(
        "[:SOURce]:FM:DATA:HZ",
        [](Context& c, const Args& a) {
            a.ExpectCount(1, 1);
            c.instrument.SelectedChannel().Fm().SetFrequencies(
                SharedBytes::ShareOrCopy(c.message, a.Block(0)));
        },
        [](Context& c, const Args& a) {
            a.ExpectCount(0, 0);
            AnswerBlock(c, c.instrument.SelectedChannel().Fm().In(FmTable::Form::Hertz));
        });
    table.Add(
        "[:SOURce]:FUNCtion:MODE",
        [](Context& c, const Args& a) {
            a.ExpectCount(1, 1);
            const std::string_view word = a.IsWord(0) ? a.Word(0) : std::string_view();
            if (word == "USER" || word == "ARB" || word == "ARBITRARY") {
                c.instrument.SelectedChannel().SetMode(ChannelState::RunMode::Arbitrary);
            } else if (word == "SEQ" || word == "SEQUENCE") {
                c.instrument.SelectedChannel().SetMode(ChannelState::RunMode::Sequence);
            } else {
                throw ScpiError(scpi_errors::kIllegalParameterValue,
                                "mode " + std::string(word) + " is not USER or SEQuence");
            }
        },
        [](Context& c, const Args& a) {
            a.ExpectCount(0, 0);
            const bool sequence =
                c.instrument.SelectedChannel().Mode() == ChannelState::RunMode::Sequence;
            Answer(c, sequence ? "SEQ" : "USER");
        });
}

void AnswerSequence(Context& c, const Args& a) {
    a.ExpectCount(0, 0);
    std::string table;
    for (const auto& [step, entry] : c.instrument.SelectedChannel().Sequence().Steps()) {
        AppendListItem(table, step);
        AppendListItem(table, entry.segment);
        AppendListItem(table, entry.loops);
    }
    Answer(c, table);
}

void AddSequenceCommands(CommandTable& table) {
    table.Add(
        ":SEQuence:DEFine",
        [](Context& c, const Args& a) {
            a.ExpectCount(3, 3);
            SequenceTable& sequence = c.instrument.SelectedChannel().Sequence();
            const int step = static_cast<int>(a.Integer(0, 1, sequence.Bounds().maxSteps));
            const int segment = SegmentNumber(a, 1);
            const std::int64_t loops = a.Integer(2, 1, sequence.Bounds().maxLoops);
            sequence.Define(step, segment, loops);
        },
        AnswerSequence);
    table.Add(":SEQuence:CATalog", nullptr, AnswerSequence);
    table.Add(
        ":SEQuence:DELete",
        [](Context& c, const Args& a) {
            a.ExpectCount(1, 1);
            if (a.IsWord(0) && a.Word(0) == "ALL") {
                c.instrument.SelectedChannel().Sequence().Clear();
                return;
            }
            c.instrument.SelectedChannel().Sequence().Delete(
                static_cast<int>(a.Integer(0, 1, ChannelState::kMaxSequenceStep)));
        },
        nullptr);
    table.Add(
        ":SEQuence:DELete:ALL",
        [](Context& c, const Args& a) {
            a.ExpectCount(0, 0);
            c.instrument.SelectedChannel().Sequence().Clear();
        },
        nullptr);
    // The samples the sequence plays in one pass, for comparing it with a single segment.
    table.Add(":SEQuence:DATA", nullptr, [](Context& c, const Args& a) {
        a.ExpectCount(0, 0);
        AnswerBlock(c, c.instrument.SelectedChannel().ExpandedSequence());
    });
}

} // namespace

CommandTable InstrumentCommands::Build() {
    CommandTable table;
    AddCommonCommands(table);
    AddSystemCommands(table);
    AddTraceCommands(table);
    AddSourceCommands(table);
    AddSequenceCommands(table);
    return table;
}
