#include "FormatsTestFiles.h"

#include "document/TextImport.h"
#include "settings/DecimalReader.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <clocale>
#include <cstdlib>
#include <cstring>
#include <memory>
#include <random>
#include <utility>

namespace {

class FormatsTextImport : public FormatsFolder {
protected:
    std::vector<std::int16_t> Spaced16(const std::string& text) {
        const std::string binary =
            TextImport::ConvertSpaced(Write("in.asc", text), SampleKind::Code16);
        EXPECT_EQ(binary, PathOf("in.wav"));
        return ReadCodes16(binary);
    }
    std::vector<std::int16_t> Columns(const std::string& text, CodeRange range) {
        const std::string binary =
            TextImport::ConvertColumns(Write("in.csv", text), Scratch(), range);
        EXPECT_EQ(binary, PathOf("in.wav"));
        return ReadCodes16(binary);
    }
    std::string Scratch() const { return PathOf("$$.asc"); }
};

using Codes = std::vector<std::int16_t>;

// Each number is cast to an int and then to 16 bits, with no range check: 40000 -> -25536;
// the 32-bit ends still truncate toward zero.
TEST_F(FormatsTextImport, SpacedNumbersAreTruncatedTowardZeroAndKeepTheirLowSixteenBits) {
    const std::string zeros(3u << 20, '0'); // one number longer than the read buffer
    const std::pair<std::string, Codes> cases[] = {
        {"1.9 -1.9 3", {1, -1, 3}},
        {"  \t7\r\n\r\n  -0.5\v8\f+9 .5 5. 1e2 -2E-1", {7, 0, 8, 9, 0, 5, 100, 0}},
        {"40000 -40000 65536.9 32768 2147483647.9 -2147483648.9",
         {-25536, 25536, 0, -32768, -1, 0}},
        {"5 " + zeros + "42.75 -0." + zeros + "9 1", {5, 42, 0, 1}},
        {"", {}},
        {" \r\n\t", {}},
    };
    for (const auto& [text, codes] : cases) {
        SCOPED_TRACE(text.substr(0, 20));
        std::filesystem::remove(PathOf("in.wav"));
        EXPECT_EQ(Spaced16(text), codes);
        EXPECT_TRUE(std::filesystem::exists(PathOf("in.wav")));
    }
    EXPECT_EQ(Columns("no numbers here", {0, 4095}), Codes{});
}

TEST_F(FormatsTextImport, SpacedFmNumbersAreThirtyTwoBitCodesAndWideOnesExactDoubles) {
    const std::string text = "500000000 1e9 -3.7 -2147483648.5 10000000.25";
    const std::string fm = TextImport::ConvertSpaced(Write("in.asf", text), SampleKind::Code32);
    ASSERT_EQ(fm, PathOf("in.wvf"));
    EXPECT_EQ(ReadElements<std::int32_t>(fm),
              (std::vector<std::int32_t>{500000000, 1000000000, -3, INT32_MIN, 10000000}));
    const std::string wide =
        TextImport::ConvertSpaced(Write("in.afm", text + " 3e9"), SampleKind::Hz64);
    ASSERT_EQ(wide, PathOf("in.wfm"));
    EXPECT_EQ(ReadElements<double>(wide),
              (std::vector<double>{500000000, 1e9, -3.7, -2147483648.5, 10000000.25, 3e9}));
}

struct RefusedText {
    std::string text;
    SampleKind kind;
    TextImportProblem::Kind problem;
    unsigned long long line;
    std::string shown;
};

TEST_F(FormatsTextImport, SpacedWordThatIsNoNumberOrNumberBeyondTheTargetIsRefused) {
    using enum TextImportProblem::Kind;
    const std::string longNines(3u << 20, '9');
    const RefusedText cases[] = {
        {"1 2 inf 3", SampleKind::Code16, NotANumber, 1, "inf"},
        {"nan 1", SampleKind::Hz64, NotANumber, 1, "nan"},
        {"1.5abc 2", SampleKind::Code16, NotANumber, 1, "1.5abc"},
        {"0x10 5", SampleKind::Code32, NotANumber, 1, "0x10"}, // no hexadecimal numbers
        {"4 - 5", SampleKind::Code16, NotANumber, 1, "-"},
        {"6,7", SampleKind::Code16, NotANumber, 1, "6,7"},
        {"1\r\n2\r\n\r\n 3 x\x01y\n", SampleKind::Code16, NotANumber, 4, "x?y"},
        {"1\n1e10", SampleKind::Code16, OutOfRange, 2, "1e10"},
        {"-2147483649 0", SampleKind::Code16, OutOfRange, 1, "-2147483649"},
        {"3e9", SampleKind::Code32, OutOfRange, 1, "3e9"},
        {"1 1e999", SampleKind::Hz64, OutOfRange, 1, "1e999"},
        {"5\n" + longNines, SampleKind::Hz64, OutOfRange, 2, std::string(40, '9') + "..."},
    };
    for (const RefusedText& refused : cases) {
        SCOPED_TRACE(refused.text.substr(0, 20));
        Write("in.wav", "old");
        Write("in.wvf", "old");
        Write("in.wfm", "old");
        const std::string source = Write("in.asc", refused.text);
        const std::vector<std::string> before = Entries();
        TextImportProblem problem;
        EXPECT_EQ(TextImport::ConvertSpaced(source, refused.kind, &problem), "");
        EXPECT_EQ(problem.GetKind(), refused.problem);
        EXPECT_EQ(problem.Line(), refused.line);
        EXPECT_EQ(problem.Text(), refused.shown);
        // The binary file of an earlier import is kept, and nothing else is left.
        EXPECT_EQ(ReadBytes(PathOf("in.wav")) + ReadBytes(PathOf("in.wvf")) +
                      ReadBytes(PathOf("in.wfm")),
                  "oldoldold");
        EXPECT_EQ(Entries(), before);
    }
}

// Text of a few megabytes, read in several pieces: 400000 lines of spaced numbers, or a
// header line and as many records of two.
std::string LargeText(bool columns) {
    std::string text = columns ? "Time,Volt\n" : "";
    for (int i = 0; i < 400000; ++i) {
        text += columns ? "7,-1234\r\n" : "-1234\r\n";
    }
    return text;
}

TEST_F(FormatsTextImport, RefusedTextIsFoundOnItsLineFarBeyondTheReadBuffer) {
    TextImportProblem problem;
    EXPECT_EQ(TextImport::ConvertSpaced(Write("big.asc", LargeText(false) + "1 2 x3 4\r\n"),
                                        SampleKind::Code16, &problem),
              "");
    EXPECT_EQ(problem.Describe(), "Line 400001: \"x3\" is not a number.");
    EXPECT_EQ(TextImport::ConvertColumns(Write("big.csv", LargeText(true) + "1,2,3\n"), Scratch(),
                                         {0, 1}, &problem),
              "");
    EXPECT_EQ(problem.Describe(), "Line 400002: \"1,2,3\" is not a record of two numbers.");
}

// Reports rise to the end over both passes of a column import. A cancel at the first or the
// very last report (in the second pass of a column import) leaves an earlier binary file of
// the target's name as it was, and no scratch file.
TEST_F(FormatsTextImport, ProgressRisesToTheEndAndACancelLeavesTheTargetAsItWas) {
    for (const bool columns : {false, true}) {
        SCOPED_TRACE(columns ? "columns" : "spaced");
        const auto convert = [&](TextImportProblem& problem) {
            const std::string source = Write(columns ? "in.csv" : "in.asc", LargeText(columns));
            const std::unique_ptr<ProgressDisplay> display = workspace_.ui.BeginProgress(source);
            const ImportProgress progress = [&display](double done) {
                return display->Report(done);
            };
            return columns
                       ? TextImport::ConvertColumns(source, Scratch(), {0, 1}, &problem, progress)
                       : TextImport::ConvertSpaced(source, SampleKind::Code16, &problem, progress);
        };
        workspace_.ui.Clear();
        TextImportProblem uncancelled;
        EXPECT_EQ(convert(uncancelled), PathOf("in.wav"));
        const std::vector<double> reports = workspace_.ui.progressReports;
        ASSERT_GE(reports.size(), 2u);
        EXPECT_LT(reports.front(), 1.0);
        EXPECT_TRUE(std::is_sorted(reports.begin(), reports.end()));
        EXPECT_DOUBLE_EQ(reports.back(), 1.0);
        for (const int cancelAt : {0, static_cast<int>(reports.size()) - 1}) {
            SCOPED_TRACE(cancelAt);
            workspace_.ui.Clear();
            workspace_.ui.cancelAtReport = cancelAt;
            Write("in.wav", "earlier");
            TextImportProblem problem;
            EXPECT_EQ(convert(problem), "");
            EXPECT_EQ(problem.GetKind(), TextImportProblem::Kind::Cancelled);
            EXPECT_EQ(workspace_.ui.progressReports.size(), static_cast<std::size_t>(cancelAt + 1));
            EXPECT_TRUE(ReadBytes(PathOf("in.wav")) == "earlier");
            EXPECT_FALSE(std::filesystem::exists(Scratch()));
        }
    }
}

TEST_F(FormatsTextImport, TargetTakesTheExtensionOfTheLastDotOfTheFileName) {
    EXPECT_EQ(TextImport::ConvertSpaced(Write("a.b.asc", "1"), SampleKind::Code16),
              PathOf("a.b.wav"));
    EXPECT_EQ(TextImport::ConvertSpaced(Write("noext", "1"), SampleKind::Code16),
              PathOf("noext.wav"));
    std::filesystem::create_directory(PathOf("dir.v2"));
    EXPECT_EQ(TextImport::ConvertSpaced(Write("dir.v2/data", "1"), SampleKind::Code16),
              PathOf("dir.v2/data.wav"));
}

TEST_F(FormatsTextImport, UnreadableSourceOrUnwritableTargetGivesNoPath) {
    EXPECT_EQ(TextImport::ConvertSpaced(PathOf("missing.asc"), SampleKind::Code16), "");
    EXPECT_FALSE(std::filesystem::exists(PathOf("missing.wav")));
    std::filesystem::create_directory(PathOf("folder.asc"));
    EXPECT_EQ(TextImport::ConvertSpaced(PathOf("folder.asc"), SampleKind::Code16), "");
    EXPECT_FALSE(std::filesystem::exists(PathOf("folder.wav")));
    EXPECT_EQ(TextImport::ConvertColumns(PathOf("folder.asc"), Scratch(), {0, 1}), "");
    EXPECT_EQ(TextImport::ConvertColumns(PathOf("missing.csv"), Scratch(), {0, 1}), "");
    EXPECT_FALSE(std::filesystem::exists(Scratch()));

    std::filesystem::create_directory(PathOf("busy.wav"));
    EXPECT_EQ(TextImport::ConvertSpaced(Write("busy.asc", "1 2"), SampleKind::Code16), "");
    EXPECT_EQ(TextImport::ConvertColumns(Write("busy.csv", "0,1"), Scratch(), {0, 1}), "");
    EXPECT_FALSE(std::filesystem::exists(Scratch()));
}

TEST_F(FormatsTextImport, FiftyMegabyteSingleLineIsReadCompletely) {
    std::string line;
    line.reserve(50u << 20);
    std::size_t count = 0;
    while (line.size() < (50u << 20)) {
        line += std::to_string(static_cast<int>(count % 60000) - 30000);
        line += ' ';
        ++count;
    }
    const Codes codes = Spaced16(line);
    ASSERT_EQ(codes.size(), count);
    for (std::size_t i = 0; i < count; i += 99991) {
        ASSERT_EQ(codes[i], static_cast<int>(i % 60000) - 30000) << i;
    }
    EXPECT_EQ(codes.back(), static_cast<int>((count - 1) % 60000) - 30000);
}

// Each number's value is what strtod reads from it alone.
TEST_F(FormatsTextImport, NumbersCrossingReadBufferBoundariesAreReadWhole) {
    std::mt19937 random(7);
    std::string text;
    std::vector<double> expected;
    const char* separators[] = {" ", "\r\n", "\t", "   "};
    while (text.size() < (5u << 20)) {
        std::string number = std::to_string(static_cast<int>(random() % 2000001) - 1000000);
        if (random() % 3 == 0) {
            number += "." + std::to_string(random() % 100000) + "e-" + std::to_string(random() % 4);
        }
        expected.push_back(std::strtod(number.c_str(), nullptr));
        text += number + separators[random() % 4];
    }
    const std::string binary = TextImport::ConvertSpaced(Write("big.afm", text), SampleKind::Hz64);
    EXPECT_EQ(ReadElements<double>(binary), expected);
}

// The reader stops where strtod stops and gives the same bits, except that it reads no
// hexadecimal numbers.
void ExpectReadLikeStrtod(const std::string& text) {
    char* strtodEnd = nullptr;
    const double expected = std::strtod(text.c_str(), &strtodEnd);
    const bool hasNumber = strtodEnd != text.c_str() && text[0] != ' ';
    const std::size_t hex = text.find('x');
    if (hex != std::string::npos && hasNumber && strtodEnd - text.c_str() > std::ptrdiff_t(hex)) {
        return;
    }
    double value = -99;
    const char* end = text[0] == ' '
                          ? nullptr
                          : DecimalReader::Read(text.data(), text.data() + text.size(), value);
    ASSERT_EQ(end != nullptr, hasNumber) << text;
    if (hasNumber) {
        ASSERT_EQ(end - text.data(), strtodEnd - text.c_str()) << text;
        ASSERT_EQ(std::memcmp(&value, &expected, sizeof value), 0) << text;
    }
}

// Number-like text of every shape the fast road has to get right: long and short digit
// runs, leading zeros, fractions, exponents near and beyond 22, and what follows them.
std::string RandomNumberText(std::mt19937& random) {
    std::string text;
    const int sign = static_cast<int>(random() % 4);
    text += sign == 0 ? "-" : sign == 1 ? "+" : "";
    const auto digits = [&](int most) {
        std::string run;
        const int length = static_cast<int>(random() % static_cast<unsigned>(most + 1));
        for (int i = 0; i < length; ++i) {
            run += static_cast<char>(random() % 5 == 0 ? '0' : '0' + random() % 10);
        }
        return run;
    };
    text += digits(random() % 2 == 0 ? 9 : 20);
    if (random() % 2 == 0) {
        text += "." + digits(random() % 2 == 0 ? 8 : 20);
    }
    if (random() % 2 == 0) {
        text += random() % 2 == 0 ? "e" : "E";
        text += random() % 3 == 0 ? "-" : random() % 2 == 0 ? "+" : "";
        text += std::to_string(random() % (random() % 2 == 0 ? 30 : 400));
    }
    const char* tails[] = {"", " ", ",", "e", "e+", ".", "x", "\xfa\xff", "9", ";1234567890"};
    return text + tails[random() % 10];
}

// Random runs of number characters, then number-like text.
TEST(FormatsDecimalReader, ReadsWhatStrtodReadsInTheCLocale) {
    ASSERT_STREQ(std::setlocale(LC_NUMERIC, nullptr), "C");
    std::mt19937 random(11);
    const char alphabet[] = "0123456789000.....eeE++--x ";
    for (int i = 0; i < 300000; ++i) {
        std::string token;
        const int length = 1 + static_cast<int>(random() % 12);
        for (int c = 0; c < length; ++c) {
            token += alphabet[random() % (sizeof alphabet - 1)];
        }
        if (random() % 4 == 0) {
            token = std::to_string(random()) + "e" +
                    std::to_string(static_cast<int>(random() % 700) - 350);
        }
        ASSERT_NO_FATAL_FAILURE(ExpectReadLikeStrtod(token));
    }
    for (int i = 0; i < 400000; ++i) {
        ASSERT_NO_FATAL_FAILURE(ExpectReadLikeStrtod(RandomNumberText(random)));
    }
}

TEST_F(FormatsTextImport, HeaderEndsAfterTheFirstLineBeginningWithTime) {
    EXPECT_EQ(TextImport::HeaderOffset(Write("a.csv", "Time,Ampl\r\n0,1\r\n")), 11u);
    EXPECT_EQ(TextImport::HeaderOffset(Write("b.csv", "# scope\r\n\"TIME\",\"V\"\n1,2\n")), 20u);
    EXPECT_EQ(TextImport::HeaderOffset(Write("c.csv", "x\ntimestamp;v\ntime again\n")), 14u);
    EXPECT_EQ(TextImport::HeaderOffset(Write("d.csv", "0,1\n1,2\n")), 0u);
    EXPECT_EQ(TextImport::HeaderOffset(Write("e.csv", " time\n\"x\"time\n")), 0u);
    EXPECT_EQ(TextImport::HeaderOffset(Write("f.csv", "Time")), 4u);
    EXPECT_EQ(TextImport::HeaderOffset(PathOf("missing.csv")), 0u);
}

TEST_F(FormatsTextImport, HeaderSearchSeesLongLinesInPiecesOf180Characters) {
    const std::string longLine = std::string(180, 'x') + "time" + std::string(20, 'y') + "\n";
    EXPECT_EQ(TextImport::HeaderOffset(Write("a.csv", longLine + "1,2\n")), 205u);
    const std::string shifted = std::string(181, 'x') + "time\n";
    EXPECT_EQ(TextImport::HeaderOffset(Write("b.csv", shifted)), 0u);
    // Far into a big file, past the first read buffer.
    std::string big;
    while (big.size() < (3u << 20)) {
        big += "12345,67890\r\n";
    }
    const std::string withHeader = big + "TIME,x\r\n1,2\r\n";
    EXPECT_EQ(TextImport::HeaderOffset(Write("c.csv", withHeader)), big.size() + 8);
}

// Random records of two numbers with assorted separators and line ends.
std::string RandomRecords(std::mt19937& random, int lines) {
    const char* separators[] = {",", ", ", "\t", ";", " : "};
    std::string text;
    for (int i = 0; i < lines; ++i) {
        text += std::to_string(random() % 1000) + separators[random() % 5];
        text += std::to_string(static_cast<int>(random() % 20001) - 10000);
        if (random() % 3 == 0) {
            text += "." + std::to_string(random() % 1000);
        }
        text += random() % 2 == 0 ? "\r\n" : "\n";
    }
    return text;
}

TEST_F(FormatsTextImport, ColumnsAreReadAsIfTheFileBeganAfterTheHeader) {
    std::mt19937 random(5);
    const std::string decoys[] = {"tame,1\n", "\"tim\"\n", " time\n", "Tim,3\n", "x\"time\n"};
    const std::string headers[] = {"Time,Ampl\r\n", "\"TIME\",\"V\"\n",
                                   std::string(360, 'x') + "time;7\n",
                                   "time" + std::string(190, 'y') + "5,6\n", "TiMe"};
    for (int round = 0; round < 30; ++round) {
        std::string before = RandomRecords(random, static_cast<int>(random() % 20));
        before += decoys[random() % 5] + "42\n"; // an odd number of numbers before the header
        if (round == 7) {
            before += RandomRecords(random, 120000); // the header beyond the first read buffer
        }
        const std::string text = before + headers[round % 5] +
                                 RandomRecords(random, 1 + static_cast<int>(random() % 30));
        const std::string path = Write("whole.csv", text);
        const unsigned long long offset = TextImport::HeaderOffset(path);
        ASSERT_GT(offset, before.size()) << round;
        const std::string tail = Write("tail.csv", text.substr(offset));
        ASSERT_EQ(TextImport::HeaderOffset(tail), 0u) << round;
        const std::string whole = TextImport::ConvertColumns(path, Scratch(), {-2048, 2047});
        const Codes expected =
            ReadCodes16(TextImport::ConvertColumns(tail, Scratch(), {-2048, 2047}));
        EXPECT_EQ(ReadCodes16(whole), expected) << round;
    }
}

TEST_F(FormatsTextImport, ColumnLineWithoutTwoNumbersOrNumberBeyondADoubleIsRefused) {
    using enum TextImportProblem::Kind;
    const RefusedText cases[] = {
        // "inf" is three separators, so the line holds one number.
        {"0,inf\n1,5\n2,7", SampleKind::Code16, IncompleteRecord, 1, "0,inf"},
        {"0,1\r\n1,-\r\n", SampleKind::Code16, IncompleteRecord, 2, "1,-"},
        {"0,1\n1,3\n2", SampleKind::Code16, IncompleteRecord, 3, "2"},
        {"0,1\n1,2,3\n2,2\n", SampleKind::Code16, IncompleteRecord, 2, "1,2,3"},
        // Without a "time" line the first line is data: its "1" is a number.
        {"Sample;V1\n0;1\n1;3\n", SampleKind::Code16, IncompleteRecord, 1, "Sample;V1"},
        {"Time,V\n0,1\n1,1e400\n", SampleKind::Code16, OutOfRange, 3, "1e400"},
        {"x\nTime,V\n-1e999,1\n", SampleKind::Code16, OutOfRange, 3, "-1e999"},
    };
    for (const RefusedText& refused : cases) {
        SCOPED_TRACE(refused.text);
        Write("in.wav", "old");
        const std::string source = Write("in.csv", refused.text);
        const std::vector<std::string> before = Entries();
        TextImportProblem problem;
        EXPECT_EQ(TextImport::ConvertColumns(source, Scratch(), {0, 8}, &problem), "");
        EXPECT_EQ(problem.GetKind(), refused.problem);
        EXPECT_EQ(problem.Line(), refused.line);
        EXPECT_EQ(problem.Text(), refused.shown);
        EXPECT_EQ(ReadBytes(PathOf("in.wav")), "old");
        EXPECT_EQ(Entries(),
                  before); // no scratch file either
    }
}

struct ColumnCase {
    const char* text;
    CodeRange range;
    Codes codes;
};

// The values of the second column are scaled so that the smallest lands on the lowest code
// and the largest on the highest; a scratch file left by an earlier import is replaced and
// removed.
TEST_F(FormatsTextImport, ColumnsAreScaledOntoTheCodeRange) {
    const ColumnCase cases[] = {
        {"Time,Ampl\r\n0,1\r\n1,3\r\n2,2", {0, 4095}, {0, 4095, 2047}},
        {"0,1\n1,3\n2,2\n", {0, 4095}, {0, 4095, 2047}}, // no header: all lines are data
        // Separators are anything but digits and signs, words included.
        {"1e-6\t-25e-1 ; 2e-6 :: +75e-1 | 3e-6 x 2.5", {-100, 100}, {-100, 100, 0}},
        {"0,1 V\n\nend of data\n1,+3 V-\n", {0, 8}, {0, 8}},
        {"0,.5\n1,1\n2,3", {0, 4}, {4, 0, 2}}, // "." before the first digit: ".5" reads 5
        {"Scope 7\n1e999\n0,inf\nTime,V\n0,1\n1,3\n", {0, 8}, {0, 8}}, // before the header
        // 4094.9999 goes through the six-digit scratch text as "4095".
        {"0,0\n1,4095\n2,4094.9999\n3,4094.99", {0, 4095}, {0, 4095, 4095, 4094}},
        {"0,5\n1,5\n2,5", {-2048, 2047}, {-2048, -2048, -2048}}, // equal: all the lowest
        // Seven digits come back from the scratch text as six: the tiny difference times the
        // slope of 1e20 is beyond every code, and the integer cast gives 0.
        {"0,0.1234567\n1,0.1234567", {-2048, 2047}, {0, 0}},
        {"0,100\n1,300\n2,200", {-2048, 2047}, {-2048, 2047, 0}},
        {"0,-0.3\n1,0.7\n2,0.1", {-8192, 8191}, {-8192, 8191, -1638}},
        // The extremes are the values as read, though all three read back from "%g" as 1:
        // (1 - 1.0000001) x 8 / 3e-7 is about -2.67.
        {"0,1.0000002\n1,1.0000004\n2,1.0000001", {0, 8}, {-2, -2, -2}},
        {"1e305,1\n2e305,3", {0, 8}, {0, 8}}, // a time far beyond the codes is still a number
    };
    for (const ColumnCase& c : cases) {
        SCOPED_TRACE(c.text);
        Write("$$.asc", "999 999 999 999");
        EXPECT_EQ(Columns(c.text, c.range), c.codes);
        EXPECT_FALSE(std::filesystem::exists(Scratch()));
    }
}

} // namespace
