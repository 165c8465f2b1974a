// The archive's encodings byte by byte, and the reader's bounds checks.

#include <gtest/gtest.h>

#include <limits>
#include <string>

#include "PersistTestUtil.h"
#include "persist/ArchiveReader.h"
#include "persist/ArchiveWriter.h"
#include "persist/Latin1.h"

namespace kv::test {
namespace {

TEST(ArchiveEncoding, NumbersAreLittleEndian) {
    ArchiveWriter w;
    w.Int(-2);
    w.Int(0x12345678);
    w.Word(0xBEEF);
    w.Flag(true);
    w.Flag(false);
    w.Double(1.0);
    w.Double(-2.5);
    w.Byte(0x7F);
    EXPECT_EQ(w.Bytes(), B({0xFE, 0xFF, 0xFF, 0xFF,                    //
                            0x78, 0x56, 0x34, 0x12,                    //
                            0xEF, 0xBE,                                //
                            1,    0,    0,    0,                       //
                            0,    0,    0,    0,                       //
                            0,    0,    0,    0,    0, 0, 0xF0, 0x3F,  //
                            0,    0,    0,    0,    0, 0, 0x04, 0xC0,  //
                            0x7F}));

    ArchiveReader r(w.Bytes());
    EXPECT_EQ(r.Int(), -2);
    EXPECT_EQ(r.Int(), 0x12345678);
    EXPECT_EQ(r.Word(), 0xBEEF);
    EXPECT_TRUE(r.Flag());
    EXPECT_FALSE(r.Flag());
    EXPECT_EQ(r.Double(), 1.0);
    EXPECT_EQ(r.Double(), -2.5);
    EXPECT_EQ(r.Byte(), 0x7F);
    EXPECT_FALSE(r.Failed());
    EXPECT_EQ(r.Remaining(), 0u);
}

TEST(ArchiveEncoding, AFlagIsOnOnlyWhenItIsOne) {
    const Bytes bytes = B({2, 0, 0, 0, 0xFF, 0xFF, 0xFF, 0xFF, 1, 0, 0, 0, 0, 1, 0, 0});
    ArchiveReader r(bytes);
    EXPECT_FALSE(r.Flag());  // 2
    EXPECT_FALSE(r.Flag());  // -1
    EXPECT_TRUE(r.Flag());   // 1
    EXPECT_FALSE(r.Flag());  // 256
}

// The text's length form: one byte below 255, 0xFF and a word below 0xFFFE, else 0xFF, 0xFFFF
// and a dword.
TEST(ArchiveEncoding, TextLengthForms) {
    struct Case {
        std::size_t length;
        Bytes head;
    };
    const Case cases[] = {
        {0, B({0x00})},
        {3, B({0x03})},
        {254, B({0xFE})},
        {255, B({0xFF, 0xFF, 0x00})},
        {0xFFFD, B({0xFF, 0xFD, 0xFF})},
        {0xFFFE, B({0xFF, 0xFF, 0xFF, 0xFE, 0xFF, 0x00, 0x00})},
        {70000, B({0xFF, 0xFF, 0xFF, 0x70, 0x11, 0x01, 0x00})},
    };
    for (const Case& c : cases) {
        std::string text(c.length, 'a');
        if (!text.empty()) {
            text.back() = 'z';
        }
        ArchiveWriter w;
        w.Text(text);
        ASSERT_EQ(w.Bytes().size(), c.head.size() + c.length) << c.length;
        EXPECT_EQ(Slice(w.Bytes(), 0, c.head.size()), c.head) << c.length;
        if (c.length > 0) {
            EXPECT_EQ(w.Bytes().back(), 'z');
        }
        ArchiveReader r(w.Bytes());
        EXPECT_EQ(r.Text(), text) << c.length;
        EXPECT_FALSE(r.Failed());
        EXPECT_EQ(r.Remaining(), 0u);
    }
}

TEST(ArchiveEncoding, TextsAreLatin1InTheFile) {
    ArchiveWriter w;
    w.Text(
        "25\xC2\xB0"
        "C \xC3\xA9");  // "25°C é": both fit Latin-1
    w.Text(
        "\xE2\x82\xAC"
        "1 \xCE\xA9");  // "€1 Ω": neither does
    w.Text(
        "a\xFF"
        "b");                                                   // not UTF-8 at all
    EXPECT_EQ(w.Bytes(), B({6, '2', '5', 0xB0, 'C', ' ', 0xE9,  //
                            4, '?', '1', ' ', '?',              //
                            3, 'a', '?', 'b'}));
    ArchiveReader r(w.Bytes());
    EXPECT_EQ(r.Text(),
              "25\xC2\xB0"
              "C \xC3\xA9");
    EXPECT_EQ(r.Text(), "?1 ?");
    EXPECT_EQ(r.Text(), "a?b");

    // Overlong forms are no characters, and every Latin-1 byte comes back.
    EXPECT_EQ(ToLatin1("\xC0\x80\xE0\x81\x81"), "?????");
    std::string all;
    for (int c = 1; c < 256; ++c) {
        all.push_back(static_cast<char>(c));
    }
    EXPECT_EQ(ToLatin1(FromLatin1(all)), all);
}

TEST(ArchiveEncoding, TimeStampIsFourBytes) {
    ArchiveWriter w;
    w.TimeStamp(1700000000);  // 0x6553F100
    w.TimeStamp(4000000000);  // past 2038, still below 2^32
    EXPECT_EQ(w.Bytes(), B({0x00, 0xF1, 0x53, 0x65, 0x00, 0x28, 0x6B, 0xEE}));
    ArchiveReader r(w.Bytes());
    EXPECT_EQ(r.TimeStamp(), 1700000000);
    EXPECT_EQ(r.TimeStamp(), static_cast<std::time_t>(4000000000));
}

TEST(ArchiveEncoding, FontIsTheSixtyByteLayout) {
    LogFont f;
    f.height = -24;
    f.width = 7;
    f.escapement = 900;
    f.orientation = 1;
    f.weight = 700;
    f.italic = 1;
    f.underline = 2;
    f.strikeOut = 3;
    f.charSet = 4;
    f.outPrecision = 5;
    f.clipPrecision = 6;
    f.quality = 7;
    f.pitchAndFamily = 0x22;
    f.SetFaceName("Time New Roman");
    ArchiveWriter w;
    w.Font(f);
    Bytes expected = B({0xE8, 0xFF, 0xFF, 0xFF, 7, 0, 0, 0, 0x84, 0x03, 0, 0, 1, 0,
                        0,    0,    0xBC, 0x02, 0, 0, 1, 2, 3,    4,    5, 6, 7, 0x22});
    for (char c : std::string("Time New Roman")) {
        expected.push_back(static_cast<std::uint8_t>(c));
    }
    expected.resize(60, 0);
    EXPECT_EQ(w.Bytes(), expected);
    ArchiveReader r(w.Bytes());
    EXPECT_EQ(r.Font(), f);
}

TEST(ArchiveEncoding, FixedRecordsArePaddedWithZeros) {
    ArchiveWriter w;
    w.Fixed("AB", 5);
    w.Fixed("ABCDEFG", 4);  // cut to the record
    w.Fixed("", 2);
    EXPECT_EQ(w.Bytes(), B({'A', 'B', 0, 0, 0, 'A', 'B', 'C', 'D', 0, 0}));
    ArchiveReader r(w.Bytes());
    EXPECT_EQ(r.Fixed(5), "AB");
    EXPECT_EQ(r.Fixed(4), "ABCD");  // no terminator: all of the record
    EXPECT_EQ(r.Fixed(2), "");
    EXPECT_FALSE(r.Failed());

    // What follows the terminator carries no meaning.
    const Bytes junk = B({'X', 0, 'Y', 'Z'});
    ArchiveReader j(junk);
    EXPECT_EQ(j.Fixed(4), "X");
}

TEST(ArchiveEncoding, ElementCountHeaders) {
    struct Case {
        std::size_t count;
        Bytes head;
    };
    const Case cases[] = {
        {0, B({0x00, 0x00})},
        {51, B({0x33, 0x00})},
        {0xFFFE, B({0xFE, 0xFF})},
        {0xFFFF, B({0xFF, 0xFF, 0xFF, 0xFF, 0x00, 0x00})},
        {100001, B({0xFF, 0xFF, 0xA1, 0x86, 0x01, 0x00})},
    };
    for (const Case& c : cases) {
        std::vector<double> values(c.count, 0.5);
        ArchiveWriter w;
        w.Doubles(values);
        ASSERT_EQ(w.Bytes().size(), c.head.size() + 8 * c.count);
        EXPECT_EQ(Slice(w.Bytes(), 0, c.head.size()), c.head) << c.count;
        ArchiveReader r(w.Bytes());
        EXPECT_EQ(r.Doubles(), values);
        EXPECT_FALSE(r.Failed());
    }
    // Complex elements: the count, then re and im of each.
    ArchiveWriter w;
    w.Complexes({{1.0, -2.5}});
    EXPECT_EQ(w.Bytes(), B({1, 0, 0, 0, 0, 0, 0, 0, 0xF0, 0x3F, 0, 0, 0, 0, 0, 0, 0x04, 0xC0}));
    // A short count read with the long form reads the same.
    const Bytes longForm = B({0xFF, 0xFF, 1, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0xF0, 0x3F});
    ArchiveReader r(longForm);
    EXPECT_EQ(r.Doubles(), std::vector<double>{1.0});
    EXPECT_FALSE(r.Failed());
}

TEST(ArchiveBounds, AShortImageFailsAndStaysFailed) {
    const Bytes three = B({1, 2, 3});
    ArchiveReader r(three);
    EXPECT_EQ(r.Int(), 0);
    EXPECT_TRUE(r.Failed());
    EXPECT_EQ(r.Byte(), 0);  // nothing more is read once failed
    EXPECT_EQ(r.Position(), 0u);
    EXPECT_EQ(r.Remaining(), 0u);

    const Bytes sevenOfEight = B({0, 0, 0, 0, 0, 0, 0xF0});
    ArchiveReader d(sevenOfEight);
    EXPECT_EQ(d.Double(), 0.0);
    EXPECT_TRUE(d.Failed());

    ArchiveReader f(sevenOfEight);
    f.Fixed(8);
    EXPECT_TRUE(f.Failed());
}

TEST(ArchiveBounds, LengthsAndCountsBeyondTheEnd) {
    // A text that claims one byte more than there is.
    const Bytes text = B({4, 'a', 'b', 'c'});
    ArchiveReader t(text);
    EXPECT_EQ(t.Text(), "");
    EXPECT_TRUE(t.Failed());

    // A count of 2 doubles with 15 bytes after it.
    Bytes doubles = B({2, 0});
    doubles.resize(2 + 15, 0);
    ArchiveReader d(doubles);
    EXPECT_TRUE(d.Doubles().empty());
    EXPECT_TRUE(d.Failed());

    // The largest count the long form can hold: refused before anything is allocated.
    const Bytes huge = B({0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 1, 2, 3, 4});
    ArchiveReader h(huge);
    EXPECT_TRUE(h.Complexes().empty());
    EXPECT_TRUE(h.Failed());
    const Bytes hugeText = B({0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 'a'});
    ArchiveReader ht(hugeText);
    EXPECT_EQ(ht.Text(), "");
    EXPECT_TRUE(ht.Failed());

    // The two-byte-character marker is not a text this program's files hold.
    const Bytes wide = B({0xFF, 0xFE, 0xFF, 1, 'a', 0});
    ArchiveReader w(wide);
    w.Text();
    EXPECT_TRUE(w.Failed());

    // Exactly enough is enough.
    Bytes exact = B({2, 0});
    exact.resize(2 + 32, 0);
    ArchiveReader e(exact);
    EXPECT_EQ(e.Complexes().size(), 2u);
    EXPECT_FALSE(e.Failed());
}

}  // namespace
}  // namespace kv::test
