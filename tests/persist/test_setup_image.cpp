// The whole setup image: its head byte for byte, round trips and damaged images.

#include <gtest/gtest.h>

#include <cstring>

#include "PersistTestUtil.h"
#include "persist/SetupImage.h"
#include "probe/FrequencyList.h"

namespace kv::test {
namespace {

// An image with something in every part.
void Fill(SetupImage& image) {
    DocumentSection& d = image.document;
    d.instrumentName = "FAKE ANALYZER 1";
    d.includeSensitivity = true;
    d.referenceTrace = 2;
    d.mathMode = TraceMath::Subtract;
    d.markerPosition = 17;
    d.title.text = "Sample run";
    d.dateStamp = 1700000000;
    d.timeStamp = 1700000060;
    d.tableFormatCode = 1;
    d.chartFormatCode = 3;
    d.title.font.SetFaceName("Time New Roman");
    image.traces[0].valid = true;
    image.traces[0].permittivity = {{2.5, 0.5}};
    image.traces[3].frequencies = {1e9};
    image.formats[kFormatTanE].current.yMax = 42;
    image.engine->calibrated = true;
    image.engine->instrumentName = "FAKE ANALYZER 1";
    image.engine->errorDirectivity = {{0.01, 0.02}};
}

TEST(SetupImage, TheHeadByteForByte) {
    SetupImage image;
    Fill(image);
    const Bytes b = WriteSetupImage(image.Source());

    Bytes magic(200, 0);
    std::memcpy(magic.data(), "QVR47310C1.02", 13);
    EXPECT_EQ(Slice(b, 0, 200), magic);
    Bytes name(200, 0);
    std::memcpy(name.data(), "FAKE ANALYZER 1", 15);
    EXPECT_EQ(Slice(b, 200, 200), name);
    // Fields 3 to 17: include sensitivity, forward only, marker, reference trace, reserved flag,
    // trace math, five page indexes, two reserved flags, marker position, table colour.
    EXPECT_EQ(Slice(b, 400, 60), B({1, 0, 0, 0, 0,  0, 0, 0, 0, 0, 0, 0, 2, 0, 0, 0,  //
                                    0, 0, 0, 0, 2,  0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0,  //
                                    0, 0, 0, 0, 0,  0, 0, 0, 0, 0, 0, 0, 1, 0, 0, 0,  //
                                    0, 0, 0, 0, 17, 0, 0, 0, 0, 0, 0, 0}));
    // Table font (60), title colour, title font, then the title text with its length.
    EXPECT_EQ(Slice(b, 520, 4), B({0xFF, 0, 0, 0}));
    EXPECT_EQ(b[524 + 28], 'T');
    EXPECT_EQ(Slice(b, 584, 11), B({10, 'S', 'a', 'm', 'p', 'l', 'e', ' ', 'r', 'u', 'n'}));
    // The section ends with the table and chart format codes: 955 bytes with the default texts,
    // 5 more for this title.
    EXPECT_EQ(Slice(b, 956, 4), B({1, 0, 3, 0}));
    // The Data trace record follows: grid-mode flag 0, spare flag 0, line width 1.
    EXPECT_EQ(Slice(b, 960, 12), B({0, 0, 0, 0, 0, 0, 0, 0, 1, 0, 0, 0}));
}

// A setup whose engine holds uncertainty inputs or scatter: the plain image under its own magic,
// the two lists, then the uncertainty block; read back as written. A block no program writes is
// damage.
TEST(SetupImage, UncertaintyFileRoundTrip) {
    SetupImage image;
    Fill(image);
    const Bytes plain = WriteSetupImage(image.Source());
    CProbeEngine& e = *image.engine;
    e.calSettings.sweepsPerReading = 8;
    e.calSettings.uWaterTemperature = 0.05;
    e.calSettings.uStdTau[1] = 1e-13;
    e.calSettings.probeDeviation = 0.01;
    e.refreshed = true;
    e.stdScatter[2] = {{{1e-6, 2e-7, 3e-6}}, 8, 0.0};
    e.sampleScatter = {{Cov2::Isotropic(0.001)}, 1, 0.001};
    const Bytes b = WriteSetupImage(image.Source());
    Bytes magic(200, 0);
    std::memcpy(magic.data(), "QVR47310U1.00", 13);
    EXPECT_EQ(Slice(b, 0, 200), magic);
    EXPECT_EQ(Slice(b, 200, plain.size() - 200), Slice(plain, 200, plain.size() - 200));

    SetupImage back;
    ASSERT_EQ(ReadSetupImage(b, back), SetupReadResult::Ok);
    EXPECT_EQ(back.engine->calSettings, e.calSettings);
    EXPECT_TRUE(back.engine->refreshed);
    EXPECT_EQ(back.engine->stdScatter, e.stdScatter);
    EXPECT_EQ(back.engine->refreshScatter, e.refreshScatter);
    EXPECT_EQ(back.engine->sampleScatter, e.sampleScatter);

    // The first scatter's sweep count (after the lists' two counts, the inputs and the flag) made
    // 0.
    e.calSettings.sweepsPerReading = 1;
    const Bytes ok = WriteSetupImage(image.Source());
    Bytes damaged = ok;
    const std::size_t firstSweeps = plain.size() + 2 * 2 + 4 + 8 + 4 * 3 * 8 + 8 + 4;
    ASSERT_EQ(Slice(damaged, firstSweeps, 4), B({1, 0, 0, 0}));
    damaged[firstSweeps] = 0;
    EXPECT_EQ(ReadSetupImage(ok, back), SetupReadResult::Ok);
    EXPECT_EQ(ReadSetupImage(damaged, back), SetupReadResult::Damaged);
}

TEST(SetupImage, RoundTrip) {
    SetupImage image;
    Fill(image);
    const Bytes b = WriteSetupImage(image.Source());
    SetupImage back;
    ASSERT_EQ(ReadSetupImage(b, back), SetupReadResult::Ok);
    EXPECT_EQ(back.document, image.document);
    EXPECT_EQ(back.document.magic, "QVR47310C1.02");
    EXPECT_EQ(back.storedName, "FAKE ANALYZER 1");
    EXPECT_EQ(back.traces[0].permittivity.size(), 1u);
    EXPECT_TRUE(back.traces[0].valid);
    EXPECT_EQ(back.traces[3].frequencies, std::vector<double>{1e9});
    for (int i = 0; i < kFormatCount; ++i) {
        EXPECT_EQ(back.formats[static_cast<std::size_t>(i)],
                  image.formats[static_cast<std::size_t>(i)])
            << i;
    }
    EXPECT_TRUE(back.engine->calibrated);
    EXPECT_EQ(back.engine->errorDirectivity.size(), 1u);
    // The stored name went apart; with it back in place the image writes the same bytes.
    EXPECT_EQ(back.engine->instrumentName, "");
    back.engine->instrumentName = back.storedName;
    EXPECT_EQ(WriteSetupImage(back.Source()), b);
}

TEST(SetupImage, MagicCheck) {
    SetupImage image;
    Bytes b = WriteSetupImage(image.Source());
    SetupImage back;

    std::memcpy(b.data(), "QVR47311C1.02", 13);  // the sibling program's files
    EXPECT_EQ(ReadSetupImage(b, back), SetupReadResult::Ok);

    // The magic is looked for anywhere in the record's text.
    Bytes shifted = b;
    std::memset(shifted.data(), 0, 200);
    std::memcpy(shifted.data(), "xx QVR47310C1.02 yy", 19);
    EXPECT_EQ(ReadSetupImage(shifted, back), SetupReadResult::Ok);

    Bytes other = b;
    std::memcpy(other.data(), "QVR47312C1.02", 13);
    EXPECT_EQ(ReadSetupImage(other, back), SetupReadResult::NotSetupFile);
    // After the terminator it does not count.
    Bytes hidden = b;
    std::memset(hidden.data(), 0, 200);
    std::memcpy(hidden.data() + 1, "QVR47310C1.02", 13);
    EXPECT_EQ(ReadSetupImage(hidden, back), SetupReadResult::NotSetupFile);
    // A text file is not a setup file, however long; a short one cannot even hold the magic.
    const std::string text(300, 'x');
    EXPECT_EQ(ReadSetupImage(Bytes(text.begin(), text.end()), back), SetupReadResult::NotSetupFile);
    EXPECT_EQ(ReadSetupImage(Bytes(199, 'x'), back), SetupReadResult::Damaged);
}

TEST(SetupImage, EveryTruncationIsDamaged) {
    SetupImage image;
    Fill(image);
    const Bytes b = WriteSetupImage(image.Source());
    // Cut at every field boundary region: the document, the traces, the formats, the engine.
    for (std::size_t cut = 200; cut < b.size(); cut += (cut < 2000 ? 1 : 97)) {
        SetupImage back;
        const std::span<const std::uint8_t> part(b.data(), cut);
        ASSERT_EQ(ReadSetupImage(part, back), SetupReadResult::Damaged) << cut;
    }
    SetupImage back;
    const std::span<const std::uint8_t> oneShort(b.data(), b.size() - 1);
    EXPECT_EQ(ReadSetupImage(oneShort, back), SetupReadResult::Damaged);
}

TEST(SetupImage, ACountFlippedBeyondTheFileIsDamaged) {
    SetupImage image;
    const Bytes b = WriteSetupImage(image.Source());
    // The last array of the engine's section is sampleMeasured: its count is the last two bytes.
    ASSERT_EQ(Slice(b, b.size() - 2, 2), B({0, 0}));
    Bytes flipped = b;
    flipped[b.size() - 1] ^= 0x40;  // 16384 elements that are not there
    SetupImage back;
    EXPECT_EQ(ReadSetupImage(flipped, back), SetupReadResult::Damaged);
    EXPECT_TRUE(back.engine->sampleMeasured.empty());
    // Bytes after the engine's section are left alone.
    Bytes longer = b;
    longer.push_back(0);
    EXPECT_EQ(ReadSetupImage(longer, back), SetupReadResult::Ok);
}

TEST(SetupImage, ASweepOfImpossibleSizeIsDamaged) {
    for (const bool engine : {false, true}) {
        SetupImage image;
        std::int32_t& points =
            engine ? image.engine->sweep.numPoints : image.document.sweep.numPoints;
        points = kMaxSweepPoints;
        SetupImage back;
        EXPECT_EQ(ReadSetupImage(WriteSetupImage(image.Source()), back), SetupReadResult::Ok);
        points = 0x7FFFFFFF;
        EXPECT_EQ(ReadSetupImage(WriteSetupImage(image.Source()), back), SetupReadResult::Damaged);
        points = -1;  // an empty sweep, nothing to build
        EXPECT_EQ(ReadSetupImage(WriteSetupImage(image.Source()), back), SetupReadResult::Ok);
    }
}

// A kind is kept as its int. A sweep kind that is neither linear nor logarithmic has no
// frequencies and is damage; trace math and a calibration type the program does not know read
// back as they are (they show no math and prompt for nothing) and are written again unchanged.
TEST(SetupImage, KindsAreTheirInts) {
    for (const bool engine : {false, true}) {
        SCOPED_TRACE(engine ? "engine section" : "document section");
        SetupImage image;
        SweepKind& kind = engine ? image.engine->sweep.sweepType : image.document.sweep.sweepType;
        SetupImage back;
        for (const int stored : {2, -1}) {
            kind = static_cast<SweepKind>(stored);
            EXPECT_EQ(ReadSetupImage(WriteSetupImage(image.Source()), back),
                      SetupReadResult::Damaged)
                << stored;
        }
        kind = SweepKind::Logarithmic;
        EXPECT_EQ(ReadSetupImage(WriteSetupImage(image.Source()), back), SetupReadResult::Ok);
    }

    SetupImage image;
    image.document.mathMode = static_cast<TraceMath>(3);
    image.engine->calSettings.calibrationType = static_cast<CalibrationType>(-7);
    const Bytes b = WriteSetupImage(image.Source());
    SetupImage back;
    ASSERT_EQ(ReadSetupImage(b, back), SetupReadResult::Ok);
    EXPECT_EQ(static_cast<int>(back.document.mathMode), 3);
    EXPECT_EQ(static_cast<int>(back.engine->calSettings.calibrationType), -7);
    EXPECT_EQ(Slice(b, 420, 4), B({3, 0, 0, 0}));  // the trace math's field (see the head)
    EXPECT_EQ(WriteSetupImage(back.Source()), b);
}

// A setup with a list sweep: its own magic, which a reader that knows no lists (one that looks
// for either of the other two) does not find; the lists after the image; everything else as in
// any setup file.
TEST(SetupImage, AListFileKeepsItsListsAndHasAMagicOfItsOwn) {
    SetupImage image;
    Fill(image);
    image.engine->sweep = ListSweep({1e9, 1.5e9, 4e9});
    image.engine->errorDirectivity.assign(3, {0.01, 0.02});
    const Bytes b = WriteSetupImage(image.Source());
    Bytes head(200, 0);
    std::memcpy(head.data(), "QVR47310L1.00", 13);
    EXPECT_EQ(Slice(b, 0, 200), head);
    const std::string magic(b.begin(), b.begin() + 200);
    EXPECT_EQ(magic.find("QVR47310C1.02"), std::string::npos);
    EXPECT_EQ(magic.find("QVR47311C1.02"), std::string::npos);

    SetupImage back;
    ASSERT_EQ(ReadSetupImage(b, back), SetupReadResult::Ok);
    EXPECT_EQ(back.engine->sweep, image.engine->sweep);
    EXPECT_EQ(back.engine->sweep.list, (std::vector<double>{1e9, 1.5e9, 4e9}));
    EXPECT_EQ(back.document.sweep, image.document.sweep);
    EXPECT_TRUE(back.engine->calibrated);
    back.engine->instrumentName = back.storedName;
    EXPECT_EQ(WriteSetupImage(back.Source()), b);

    // Without its list, the same setup is a file of the other kind, shorter by the two lists.
    SetupImage plain;
    Fill(plain);
    plain.engine->errorDirectivity.assign(3, {0.01, 0.02});
    const Bytes p = WriteSetupImage(plain.Source());
    EXPECT_EQ(Slice(p, 0, 13),
              B({'Q', 'V', 'R', '4', '7', '3', '1', '0', 'C', '1', '.', '0', '2'}));

    // Damaged: the file cut short of its lists; a list under the other magic; a list that is
    // no list; a list that is not its sweep's number of points.
    EXPECT_EQ(ReadSetupImage(std::span<const std::uint8_t>(b.data(), b.size() - 1), back),
              SetupReadResult::Damaged);
    Bytes underOldMagic = b;
    std::memcpy(underOldMagic.data(), "QVR47310C1.02", 13);
    EXPECT_EQ(ReadSetupImage(underOldMagic, back), SetupReadResult::Damaged);
    for (const auto& list : {std::vector<double>{2e9, 1e9, 4e9}, std::vector<double>{1e9}}) {
        SetupImage bad;
        bad.engine->sweep = ListSweep(list);
        EXPECT_EQ(ReadSetupImage(WriteSetupImage(bad.Source()), back), SetupReadResult::Damaged);
    }
    SetupImage miscounted;
    miscounted.engine->sweep = ListSweep({1e9, 2e9});
    miscounted.engine->sweep.numPoints = 3;
    EXPECT_EQ(ReadSetupImage(WriteSetupImage(miscounted.Source()), back), SetupReadResult::Damaged);
}

}  // namespace
}  // namespace kv::test
