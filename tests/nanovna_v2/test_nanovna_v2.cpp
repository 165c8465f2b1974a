// The V2 binary protocol: its command bytes, the FIFO record reader and the board table against
// hand-made bytes, and the protocol against the V2 emulator on a pseudo terminal.

#include <gtest/gtest.h>

#include <cstdint>
#include <string>
#include <vector>

#include "NanoVnaProtocol.h"
#include "NanoVnaV2Codec.h"
#include "PtyTestLink.h"
#include "V2Emulator.h"

namespace kv {
namespace {

std::string Bytes(std::initializer_list<int> values) {
    std::string out;
    for (int v : values) {
        out.push_back(static_cast<char>(v));
    }
    return out;
}

TEST(V2Codec, CommandBytes) {
    struct Case {
        std::string made;
        std::string expected;
    };
    const Case cases[] = {
        {V2Reset(), std::string(8, '\0')},
        // 300 MHz = 0x11e1a300, little endian in eight bytes.
        {V2Write8(0x00, 300000000),
         Bytes({0x23, 0x00, 0x00, 0xa3, 0xe1, 0x11, 0x00, 0x00, 0x00, 0x00})},
        // 5 GHz = 0x12a05f200 needs the fifth byte.
        {V2Write8(0x00, 5000000000ULL),
         Bytes({0x23, 0x00, 0x00, 0xf2, 0x05, 0x2a, 0x01, 0x00, 0x00, 0x00})},
        {V2Write2(0x20, 1601), Bytes({0x21, 0x20, 0x41, 0x06})},
        {V2Write1(0x30, 0), Bytes({0x20, 0x30, 0x00})},
        {V2Write1(0x26, 2), Bytes({0x20, 0x26, 0x02})},
        {V2Read1(0xf2), Bytes({0x10, 0xf2})},
        {V2ReadFifo(0x30, 255), Bytes({0x18, 0x30, 0xff})},
        {V2ReadFifo(0x30, 300), Bytes({0x18, 0x30, 0xff})},
        // 1 687 500 Hz = 0x19bfcc.
        {V2SweepCommands(300000000, 1687500, 1601),
         Bytes({0x23, 0x00, 0x00, 0xa3, 0xe1, 0x11, 0x00, 0x00, 0x00, 0x00,  //
                0x23, 0x10, 0xcc, 0xbf, 0x19, 0x00, 0x00, 0x00, 0x00, 0x00,  //
                0x21, 0x20, 0x41, 0x06, 0x21, 0x22, 0x01, 0x00})},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(c.made, c.expected);
    }
}

// A record from its integers, written out byte by byte; the reserved bytes hold 0xaa, which the
// reader must ignore.
std::string Record(int fre, int fim, int rre, int rim, int index) {
    std::string out;
    for (int v : {fre, fim, rre, rim, 7, -7}) {
        const auto u = static_cast<std::uint32_t>(v);
        for (int i = 0; i < 4; ++i) {
            out.push_back(static_cast<char>((u >> (8 * i)) & 0xff));
        }
    }
    const auto i16 = static_cast<std::uint16_t>(index);
    out.push_back(static_cast<char>(i16 & 0xff));
    out.push_back(static_cast<char>(i16 >> 8));
    out.append(6, static_cast<char>(0xaa));
    return out;
}

TEST(V2Codec, RecordsArePlacedByIndex) {
    // One record spelled out: forward (1000, 0), reverse (250, -500) at index 258.
    const std::string literal =
        Bytes({0xe8, 0x03, 0, 0, 0, 0, 0, 0, 0xfa, 0,    0,    0,    0x0c, 0xfe, 0xff, 0xff,
               1,    2,    3, 4, 5, 6, 7, 8, 0x02, 0x01, 0xaa, 0xaa, 0xaa, 0xaa, 0xaa, 0xaa});
    const V2Record r = DecodeV2Record(reinterpret_cast<const unsigned char*>(literal.data()));
    EXPECT_EQ(r.forward[0], 1000);
    EXPECT_EQ(r.reverse1[1], -500);
    EXPECT_EQ(r.reverse2[0], 0x04030201);
    EXPECT_EQ(r.index, 258);

    struct Case {
        int points;
        std::string records;
        bool placed;
        std::string error;
        int missing;
        std::vector<CComplex> s11;  // by index, where all came
    };
    const Case cases[] = {
        // Starting mid-sweep and wrapping: (250 - 500i) / 1000; 500 / 1000i; 25 / (3 + 4i);
        // (-1000 - 1000i) / -1000.
        {4,
         Record(0, 1000, 500, 0, 2) + Record(3, 4, 25, 0, 3) + Record(1000, 0, 250, -500, 0) +
             Record(-1000, 0, -1000, -1000, 1),
         true,
         "",
         0,
         {{0.25, -0.5}, {1.0, 1.0}, {0.0, -0.5}, {3.0, -4.0}}},
        // A point twice and one never: the later record of point 1 replaces the earlier.
        {4,
         Record(1, 0, 9, 9, 1) + Record(2, 0, 1, 0, 0) + Record(2, 0, 2, 0, 2) +
             Record(1, 0, 4, 0, 1),
         true,
         "",
         1,
         {}},
        {4,
         Record(1, 0, 1, 0, 0) + Record(1, 0, 1, 0, 4),
         false,
         "a record has the frequency index 4, outside the 4 points of the sweep",
         3,
         {}},
        {4,
         Record(1, 0, 1, 0, 0xffff),
         false,
         "a record has the frequency index -1, outside the 4 points of the sweep",
         4,
         {}},
        {4,
         Record(0, 0, 1, 0, 2),
         false,
         "the record of point 2 has no forward wave (0, 0): its reflection is undefined",
         4,
         {}},
    };
    for (const Case& c : cases) {
        V2RecordPlacer placer(c.points);
        std::string error;
        EXPECT_EQ(placer.Place(reinterpret_cast<const unsigned char*>(c.records.data()),
                               static_cast<int>(c.records.size() / kV2RecordBytes), error),
                  c.placed);
        EXPECT_EQ(error, c.error);
        EXPECT_EQ(placer.Missing(), c.missing);
        for (std::size_t i = 0; i < c.s11.size(); ++i) {
            EXPECT_DOUBLE_EQ(placer.S11()[i].re, c.s11[i].re) << i;
            EXPECT_DOUBLE_EQ(placer.S11()[i].im, c.s11[i].im) << i;
        }
        if (c.missing == 1 && c.placed) {
            EXPECT_EQ(placer.MissingIndexes(5), std::vector<int>{3});
            EXPECT_DOUBLE_EQ(placer.S11()[1].re, 4.0);
        }
    }
}

TEST(V2Codec, BoardTable) {
    struct Case {
        V2Identity id;
        bool known;
        std::string text;  // the name, or the error
        int maxPoints;
        double maxHz;
        bool lead;
    };
    const Case cases[] = {
        {{2, 1, 2, 1, 3},
         true,
         "NanoVNA V2_2 (V2 protocol 1, hardware revision 2, firmware 1.3)",
         1024,
         3e9,
         false},
        {{2, 1, 4, 1, 3},
         true,
         "NanoVNA V2 Plus4 (V2 protocol 1, hardware revision 4, firmware 1.3)",
         65535,
         4.4e9,
         false},
        {{2, 1, 3, 1, 1},
         true,
         "NanoVNA V2 Plus (V2 protocol 1, hardware revision 3, firmware 1.1)",
         1023,
         3e9,
         true},
        {{2, 1, 0, 0, 9},
         true,
         "NanoVNA V2 (V2 protocol 1, hardware revision 0, firmware 0.9)",
         1023,
         3e9,
         true},
        {{2, 1, 2, 2, 2},
         true,
         "LiteVNA 64 (V2 protocol 1, hardware revision 2, firmware 2.2)",
         65535,
         3e9,
         false},
        {{7, 2, 9, 3, 0},
         true,
         "V2-protocol analyzer, device variant 7 (V2 protocol 2, hardware revision 9, firmware "
         "3.0)",
         1024,
         4.4e9,
         false},
        {{2, 1, 0, 0xff, 0},
         false,
         "The analyzer is in its firmware-update mode (bootloader). Start it normally and "
         "connect again.",
         0,
         0,
         false},
    };
    for (const Case& c : cases) {
        NanoVnaLimits limits;
        bool lead = false;
        std::string error;
        ASSERT_EQ(V2LimitsFor(c.id, limits, lead, error), c.known) << c.text;
        if (!c.known) {
            EXPECT_EQ(error, c.text);
            continue;
        }
        EXPECT_EQ(limits.name, c.text);
        EXPECT_EQ(limits.maxScanPoints, c.maxPoints) << c.text;
        EXPECT_EQ(limits.maxHz, c.maxHz) << c.text;
        EXPECT_EQ(limits.minHz, 50e3);
        EXPECT_TRUE(limits.wholeHertzStep);
        EXPECT_EQ(lead, c.lead) << c.text;
    }
}

// The protocol on a link to an emulator.
struct Session {
    explicit Session(test::V2EmulatorOptions options) : emulator(options), link(emulator.Path()) {}
    bool Open() {
        std::string error;
        return !emulator.Path().empty() && link.Open(error);
    }
    std::vector<int> FifoReads() const {
        std::vector<int> out;
        for (const test::V2Command& c : emulator.Commands()) {
            if (c.opcode == kV2ReadFifo) {
                out.push_back(static_cast<int>(c.value));
            }
        }
        return out;
    }
    int Writes(int opcode, int reg, std::uint64_t value) const {
        int n = 0;
        for (const test::V2Command& c : emulator.Commands()) {
            n += c.opcode == opcode && c.reg == reg && c.value == value ? 1 : 0;
        }
        return n;
    }
    test::V2Emulator emulator;
    test::PtyTestLink link;
    std::unique_ptr<NanoVnaProtocol> protocol = MakeV2Protocol();
    NanoVnaLimits limits;
};

TEST(V2Protocol, ScansAnyPointsInPiecesPlacedByIndex) {
    struct Case {
        int hardware;
        int firmwareMinor;
        int dropEvery;
        std::uint64_t start;
        std::uint64_t step;
        int points;
        std::vector<int> reads;    // the FIFO reads of the first scan
        std::uint64_t sweepStart;  // as written to register 0x00
        int sweepPoints;           // as written to register 0x20
    };
    const Case cases[] = {
        {2, 3, 0, 300000000, 13500000, 201, {201}, 300000000, 201},
        {4, 3, 0, 300000000, 1687500, 1601, {255, 255, 255, 255, 255, 255, 71}, 300000000, 1601},
        // Records lost on the way: the missing points are read again until all came.
        {4, 3, 7, 1000000, 3000000, 1000, {}, 1000000, 1000},
        // Firmware 1.1 sweeps one point more, before the first, and drops it.
        {2, 1, 0, 10000000, 1000000, 101, {102}, 9000000, 102},
    };
    for (const Case& c : cases) {
        test::V2EmulatorOptions options;
        options.hardware = c.hardware;
        options.firmwareMinor = c.firmwareMinor;
        options.dropEvery = c.dropEvery;
        Session s(options);
        ASSERT_TRUE(s.Open());
        s.emulator.SetSequence({DemoMaterial::Air(), DemoMaterial::Water(25.0)});
        std::string error;
        ASSERT_TRUE(s.protocol->Begin(s.link, 5000, s.limits, error)) << error;
        const std::uint64_t stop = c.start + c.step * static_cast<std::uint64_t>(c.points - 1);
        for (const DemoMaterial& material : {DemoMaterial::Air(), DemoMaterial::Water(25.0)}) {
            NanoVnaScan scan;
            ASSERT_TRUE(s.protocol->Scan(s.link, c.start, stop, c.points, 10000, scan, error))
                << error;
            ASSERT_EQ(scan.s11.size(), static_cast<std::size_t>(c.points));
            ASSERT_EQ(scan.frequencies.size(), static_cast<std::size_t>(c.points));
            for (int i = 0; i < c.points; ++i) {
                const double f = static_cast<double>(c.start + c.step * i);
                ASSERT_EQ(scan.frequencies[i], f);
                const CComplex expected = s.emulator.RawAt(material, f);
                ASSERT_NEAR(scan.s11[i].re, expected.re, 1e-7) << material.name << " " << i;
                ASSERT_NEAR(scan.s11[i].im, expected.im, 1e-7) << material.name << " " << i;
            }
            if (!c.reads.empty() && material.name == "air") {
                EXPECT_EQ(s.FifoReads(), c.reads);
            }
        }
        for (int n : s.FifoReads()) {
            EXPECT_LE(n, 255);
        }
        // The sweep was set once, and the FIFO cleared before each scan.
        EXPECT_EQ(s.Writes(kV2Write8, 0x00, c.sweepStart), 1);
        EXPECT_EQ(s.Writes(kV2Write2, 0x20, static_cast<std::uint64_t>(c.sweepPoints)), 1);
        EXPECT_EQ(s.Writes(kV2Write2, 0x22, 1), 1);
        EXPECT_EQ(s.Writes(kV2Write1, 0x30, 0), 2);
        EXPECT_TRUE(s.emulator.InUsbMode());
        // Given back: USB mode left (seen once the next exchange is answered).
        s.protocol->End(s.link, 1000);
        ASSERT_TRUE(s.protocol->Begin(s.link, 5000, s.limits, error)) << error;
        EXPECT_EQ(s.Writes(kV2Write1, 0x26, 2), 1);
        EXPECT_FALSE(s.emulator.InUsbMode());
    }
}

TEST(V2Protocol, BrokenAnswersEndWithTheCommandNamed) {
    struct Case {
        const char* what;
        test::V2EmulatorOptions options;
        bool abort;
        int points;         // of a scan from 300 MHz in steps of 13.5 MHz; 0: Begin fails
        std::string error;  // the whole text, or its beginning where a time follows
    };
    auto with = [](auto set) {
        test::V2EmulatorOptions o;
        set(o);
        return o;
    };
    const Case cases[] = {
        {"silent", with([](auto& o) { o.silent = true; }), false, 0,
         "resetting the protocol (eight 0x00) and asking it to indicate (0x0d): no answer ("},
        {"aborted", with([](auto& o) { o.silent = true; }), true, 0, IDriverWait::kAbortedText},
        {"not V2", with([](auto& o) { o.indicateAnswer = 'X'; }), false, 0,
         "resetting the protocol (eight 0x00) and asking it to indicate (0x0d): the answer was "
         "0x58, not '2': the analyzer does not speak the V2 protocol"},
        {"short read", with([](auto& o) { o.shortFifoRecords = 100; }), false, 201,
         "reading the FIFO (0x18 0x30 0xc9): only 3200 of the 6432 bytes expected came ("},
        {"wrong index", with([](auto& o) { o.wrongIndex = true; }), false, 201,
         "reading the FIFO (0x18 0x30 0xc9): a record has the frequency index 204, outside the "
         "201 points of the sweep"},
        {"never complete", with([](auto& o) {
             o.lostIndexes = {5, 9};
         }),
         false, 201,
         "reading the FIFO (0x18 0x30): after 859 records, 2 of the 201 points never came (index "
         "5, 9)"},
        {"too many points",
         {},
         false,
         1025,
         "A scan of 1025 points from 300000000 Hz to 14124000000 Hz is not one this analyzer "
         "takes (1 to 1024 points)."},
    };
    for (const Case& c : cases) {
        Session s(c.options);
        ASSERT_TRUE(s.Open());
        if (c.abort) {
            s.link.SetWaitHook([] { return true; });
        }
        std::string error;
        const bool begun = s.protocol->Begin(s.link, 400, s.limits, error);
        if (c.points > 0) {
            ASSERT_TRUE(begun) << error;
            NanoVnaScan scan;
            EXPECT_FALSE(s.protocol->Scan(s.link, 300000000,
                                          300000000 + 13500000ULL * (c.points - 1), c.points, 400,
                                          scan, error));
        } else {
            EXPECT_FALSE(begun);
        }
        EXPECT_EQ(error.substr(0, c.error.size()), c.error) << c.what;
    }
    // A run whose step is not whole hertz is refused before anything is sent.
    Session s({});
    ASSERT_TRUE(s.Open());
    std::string error;
    ASSERT_TRUE(s.protocol->Begin(s.link, 5000, s.limits, error)) << error;
    NanoVnaScan scan;
    EXPECT_FALSE(s.protocol->Scan(s.link, 1000000, 1000099, 3, 1000, scan, error));
    EXPECT_EQ(error,
              "A scan from 1000000 Hz to 1000099 Hz in 3 points has no whole-hertz step, which "
              "the analyzer needs.");
}

}  // namespace
}  // namespace kv
