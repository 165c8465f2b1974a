// The SCPI network analyzer's pieces that need no network: the IEEE 488.2 answer reader, the
// numbers of an answer, the command tables and the LAN card's addresses.

#include <gtest/gtest.h>

#include <QFile>
#include <cstring>

#include "ScpiReader.h"
#include "ScpiTables.h"
#include "instrument/LanAddress.h"

namespace kv::test {
namespace {

constexpr std::size_t kMax = 1 << 20;

ScpiParse Parse(const std::string& in, long long indefinite, ScpiAnswer& a, std::size_t& used,
                std::string& error) {
    return ParseScpiAnswer(in.data(), in.size(), indefinite, kMax, a, used, error);
}

TEST(ScpiReader, ReadsLinesAndBlocksToTheirExactLengthFromAnyPrefix) {
    struct Case {
        std::string input;
        long long indefinite;
        bool block;
        std::string bytes;
        std::size_t consumed;
    };
    const std::string binary("\n#1\0\r\n5", 7);  // newlines and '#' inside a block are data
    const std::vector<Case> cases = {
        {"+1.5E+09\nNEXT", -1, false, "+1.5E+09", 9},
        {"0,\"No error\"\r\n", -1, false, "0,\"No error\"", 14},
        {"#17" + binary + "\n*", -1, true, binary, 11},
        {"#207" + binary + "\r\n", -1, true, binary, 13},
        {"#0" + binary + "\n", 7, true, binary, 10},
        {"#10\n", -1, true, "", 4},
    };
    for (const auto& c : cases) {
        // Every prefix short of the whole answer asks for more.
        for (std::size_t n = 0; n < c.consumed; ++n) {
            ScpiAnswer a;
            std::size_t used = 0;
            std::string error;
            EXPECT_EQ(Parse(c.input.substr(0, n), c.indefinite, a, used, error),
                      ScpiParse::NeedMore)
                << c.input << " cut at " << n;
        }
        ScpiAnswer a;
        std::size_t used = 0;
        std::string error;
        ASSERT_EQ(Parse(c.input, c.indefinite, a, used, error), ScpiParse::Complete) << error;
        EXPECT_EQ(a.block, c.block);
        EXPECT_EQ(a.bytes, c.bytes);
        EXPECT_EQ(used, c.consumed);
    }
}

TEST(ScpiReader, RefusesWhatIsNoAnswer) {
    const std::vector<std::pair<std::string, std::string>> cases = {
        {"#A12", "The block header \"#A\" is not a number of digits."},
        {"#3x12abc\n", "The block length \"x12\" is not a number."},
        {"#13abcd\n", "The block is longer than its header says."},
        {"#0abc\n", "An indefinite block came where none was expected."},
        {"#9999999999", "The block is longer than 1048576 bytes."},
        {std::string(kMax + 1, 'x'), "The answer is longer than 1048576 bytes."},
    };
    for (const auto& [input, text] : cases) {
        ScpiAnswer a;
        std::size_t used = 0;
        std::string error;
        EXPECT_EQ(Parse(input, -1, a, used, error), ScpiParse::Malformed) << input.substr(0, 20);
        EXPECT_EQ(error, text);
    }
}

TEST(ScpiReader, DecodesBothByteOrdersAndAsciiNumbers) {
    // 1.0 is 3FF0000000000000, -2.5 is C004000000000000.
    const std::string big("\x3f\xf0\0\0\0\0\0\0\xc0\x04\0\0\0\0\0\0", 16);
    const std::string little("\0\0\0\0\0\0\xf0\x3f\0\0\0\0\0\0\x04\xc0", 16);
    std::vector<double> v;
    std::string error;
    ASSERT_TRUE(DecodeScpiNumbers({true, big}, false, v, error));
    EXPECT_EQ(v, (std::vector<double>{1.0, -2.5}));
    ASSERT_TRUE(DecodeScpiNumbers({true, little}, true, v, error));
    EXPECT_EQ(v, (std::vector<double>{1.0, -2.5}));
    EXPECT_EQ(EncodeReal64Block({1.0, -2.5}, false), "#216" + big);
    ASSERT_TRUE(DecodeScpiNumbers({false, "+1.00000E+00, -2.5,3e9"}, false, v, error));
    EXPECT_EQ(v, (std::vector<double>{1.0, -2.5, 3e9}));

    EXPECT_FALSE(DecodeScpiNumbers({true, big.substr(0, 12)}, false, v, error));
    EXPECT_EQ(error, "The block of 12 bytes does not hold whole 64-bit numbers.");
    EXPECT_FALSE(DecodeScpiNumbers({false, "1,,2"}, false, v, error));
    EXPECT_EQ(error, "The answer holds \"\" where a number was expected.");
    EXPECT_FALSE(DecodeScpiNumbers({false, "1,nan"}, false, v, error));
    EXPECT_FALSE(DecodeScpiNumbers({false, ""}, false, v, error));
    EXPECT_EQ(error, "The analyzer answered nothing where numbers were expected.");

    int number = 0;
    std::string text;
    ASSERT_TRUE(ParseScpiError("-113,\"Undefined header\"", number, text));
    EXPECT_EQ(number, -113);
    EXPECT_EQ(text, "Undefined header");
    EXPECT_FALSE(ParseScpiError("No error", number, text));
    EXPECT_FALSE(ParseScpiError("1.5,\"x\"", number, text));
    EXPECT_FALSE(ParseScpiError("1e90,\"x\"", number, text));
}

TEST(ScpiTables, ReadPickAndExpand) {
    std::vector<ScpiTable> tables;
    std::string error;
    ASSERT_TRUE(
        ParseScpiTables("# made-up families\n[alpha]\nmatch = ,ALPHA-\\d+,\n"
                        "preset = *RST\npreset = :A {x}\n\n[generic]\npreset = *RST\n"
                        "[alpha]\nmatch = ,ALPHA2,\n",
                        tables, error))
        << error;
    ASSERT_EQ(tables.size(), 2u);
    // The later table of a name replaces the earlier one.
    EXPECT_EQ(PickScpiTable(tables, "Made Up,alpha2,1,1")->name, "alpha");
    EXPECT_EQ(PickScpiTable(tables, "Made Up,ALPHA-7,1,1")->name, "generic");
    EXPECT_EQ(tables[0].Lines("preset"), std::vector<std::string>{"*RST"});

    std::string out;
    ASSERT_TRUE(ExpandScpi(":SENS{n}:FREQ {start}", {{"n", "2"}, {"start", "1e9"}}, out, error));
    EXPECT_EQ(out, ":SENS2:FREQ 1e9");
    EXPECT_FALSE(ExpandScpi(":A {x}", {}, out, error));
    EXPECT_EQ(error, "\":A {x}\" names {x}, which has no value here");

    for (const auto& [text, message] : std::vector<std::pair<std::string, std::string>>{
             {"preset = *RST\n", "line 1: a key before the first [table]"},
             {"[a]\n\n[b\n", "line 3: a table name is written [name]"},
             {"[a]\nno value\n", "line 2: expected key = value"},
             {"[a]\nmatch = (\n", "line 2: the pattern does not read"},
             {"[a]\nmax-segments = 2.5\n",
              "line 2: max-segments is a whole number from 1 to 1000000"},
             {"[a]\n\nmax-segments = 0\n",
              "line 3: max-segments is a whole number from 1 to 1000000"},
             {"[a]\nlist-readback = stimulus\n", "line 2: list-readback is axis or segments"}}) {
        std::vector<ScpiTable> t;
        EXPECT_FALSE(ParseScpiTables(text, t, error));
        EXPECT_EQ(error, message);
    }
}

// The shipped file reads; every family names what the driver needs; a made-up analyzer gets the
// generic table.
TEST(ScpiTables, TheShippedFileHasEveryFamily) {
    QFile file(KV_SCPI_TABLES);
    ASSERT_TRUE(file.open(QIODevice::ReadOnly));
    std::vector<ScpiTable> tables;
    std::string error;
    ASSERT_TRUE(ParseScpiTables(file.readAll().toStdString(), tables, error)) << error;
    std::vector<std::string> names;
    for (const auto& t : tables) {
        names.push_back(t.name);
        for (const char* key : {"byte-order", "preset", "binary-format", "linear-sweep", "sweep",
                                "points", "start", "axis", "data"}) {
            EXPECT_TRUE(t.Has(key)) << t.name << " " << key;
        }
    }
    EXPECT_EQ(names, (std::vector<std::string>{"numbered-traces", "named-measurements",
                                               "named-channel-traces", "hold-function",
                                               "numbered-traces-opc", "generic"}));
    EXPECT_EQ(PickScpiTable(tables, "Nowhere Instruments,SIM-VNA,0001,1.0")->name, "generic");
}

TEST(LanAddress, HostAndPortOrDeviceName) {
    LanAddress a;
    std::string error;
    ASSERT_TRUE(ParseLanAddress(" analyzer.lab ", "", a, error));
    EXPECT_EQ(a.host, "analyzer.lab");
    EXPECT_EQ(a.port, 5025);
    ASSERT_TRUE(ParseLanAddress("[fe80::1]", "5026", a, error));
    EXPECT_EQ(a.host, "fe80::1");
    EXPECT_EQ(a.port, 5026);
    ASSERT_TRUE(ParseLanAddress("192.0.2.7", "gpib0,16", a, error));
    EXPECT_EQ(a.kind, LanAddress::Kind::Vxi11);
    EXPECT_EQ(a.device, "gpib0,16");

    const std::vector<std::tuple<std::string, std::string, std::string>> refused = {
        {"", "",
         "No host is given: the card address must be the analyzer's host name or IP "
         "address."},
        {"a b", "", "\"a b\" is not a host name or IP address."},
        {"h", "1023", "The port 1023 is outside 1024 to 65535."},
        {"h", "65536", "The port 65536 is outside 1024 to 65535."},
        {"h", "inst",
         "\"inst\" is neither a port (1024 to 65535) nor a VXI-11 device name such "
         "as inst0 or gpib0,16."},
    };
    for (const auto& [card, inst, text] : refused) {
        EXPECT_FALSE(ParseLanAddress(card, inst, a, error));
        EXPECT_EQ(error, text);
    }
}

}  // namespace
}  // namespace kv::test
