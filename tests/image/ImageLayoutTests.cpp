#include "image/ImageFileTest.h"

#include <algorithm>
#include <cctype>

namespace orvex::test {
namespace {

class ImageLayout : public ImageFileTest {
protected:
    Bytes dataBytes() const { return Bytes(image.dataBytes().begin(), image.dataBytes().end()); }
};

TEST_F(ImageLayout, DataStartsAtAddressZeroWithErasedBytesBelow)
{
    const Bytes low = countingBytes(0, 128);
    const Bytes high = countingBytes(128, 128);
    loadText("high.hex", hexText({dataLine(0x0100, low), dataLine(0x0180, high), endOfFileLine()}));
    ASSERT_EQ(image.dataSize(), 0x200);
    Bytes expected = erasedWith(0x200, 0x100, low);
    std::ranges::copy(high, expected.begin() + 0x180);
    EXPECT_EQ(dataBytes(), expected);
}

TEST_F(ImageLayout, SegmentAndLinearAddressRecordsPlaceDataAlike)
{
    const Bytes data = countingBytes(0xA0, 4);
    for (const std::string& addressLine : {extendedLinearLine(0x0001), extendedSegmentLine(0x1000)}) {
        loadText("based.hex", hexText({addressLine, dataLine(0x0010, data), endOfFileLine()}));
        EXPECT_EQ(dataBytes(), erasedWith(0x10014, 0x10010, data)) << addressLine;
    }
}

TEST_F(ImageLayout, SegmentAddressingIsLinearAcross64KiB)
{
    const Bytes data = countingBytes(0, 16);
    loadText("cross.hex", hexText({extendedSegmentLine(0x1000), dataLine(0xFFF8, data)}));
    EXPECT_EQ(dataBytes(), erasedWith(0x20008, 0x1FFF8, data));
}

TEST_F(ImageLayout, LowerCaseCrLfBlankLinesAndLeadingBlanksAreAccepted)
{
    const Bytes first = {0xAB, 0xCD, 0xEF};
    const Bytes second = {0xFA, 0xCE};
    std::string lowered = dataLine(0x0000, first);
    std::ranges::transform(lowered, lowered.begin(), [](char c) { return static_cast<char>(std::tolower(c)); });
    loadText("mixed.hex", hexText({lowered, "", "  \t" + dataLine(0x0005, second), "   ", endOfFileLine()}, "\r\n"));
    Bytes expected = erasedWith(7, 0, first);
    std::ranges::copy(second, expected.begin() + 5);
    EXPECT_EQ(dataBytes(), expected);
}

TEST_F(ImageLayout, LineWithWrongChecksumIsSkippedAndTheOthersLoad)
{
    const Bytes kept = countingBytes(1, 4);
    std::string broken = dataLine(0x0004, countingBytes(9, 4));
    broken.back() = broken.back() == '0' ? '1' : '0';
    loadText("bad.hex", hexText({dataLine(0x0000, kept), broken, endOfFileLine()}));
    EXPECT_EQ(dataBytes(), kept);
}

TEST_F(ImageLayout, LaterRecordWinsOnTheSameAddress)
{
    loadText("twice.hex", hexText({dataLine(0x0000, Bytes{1, 2, 3, 4}), dataLine(0x0002, Bytes{9, 9})}));
    EXPECT_EQ(dataBytes(), (Bytes{1, 2, 9, 9}));
    loadText("twice.hex", hexText({dataLine(0x0002, Bytes{9, 9}), dataLine(0x0000, Bytes{1, 2, 3, 4})}));
    EXPECT_EQ(dataBytes(), (Bytes{1, 2, 3, 4}));
}

TEST_F(ImageLayout, DataAfterTheEndOfFileRecordIsStillApplied)
{
    loadText("after.hex", hexText({dataLine(0x0000, Bytes{1}), endOfFileLine(), dataLine(0x0001, Bytes{2})}));
    EXPECT_EQ(dataBytes(), (Bytes{1, 2}));
}

// An end-of-file record read under a high base lies beyond all data; it must
// not keep the data records after it out of the image.
TEST_F(ImageLayout, RecordBeyondTheDataDoesNotStopTheRecordsAfterIt)
{
    loadText("stop.hex", hexText({dataLine(0x0000, Bytes{1, 2}), extendedLinearLine(0x0001), endOfFileLine(),
                                  extendedLinearLine(0x0000), dataLine(0x0004, Bytes{5, 6})}));
    EXPECT_EQ(dataBytes(), (Bytes{1, 2, 0xFF, 0xFF, 5, 6}));
}

// Such a record has no value to read; it is ignored and the base it would
// have replaced stays in force.
TEST_F(ImageLayout, AddressRecordWithoutTwoDataBytesIsIgnored)
{
    for (std::uint8_t type : {HexRecord::kExtendedSegmentAddressRecord, HexRecord::kExtendedLinearAddressRecord}) {
        loadText("short.hex", hexText({extendedLinearLine(0x0001), hexLine(type, 0, Bytes{0x00}),
                                       hexLine(type, 0, Bytes{}), dataLine(0x0010, Bytes{7})}));
        EXPECT_EQ(dataBytes(), erasedWith(0x10011, 0x10010, Bytes{7})) << int(type);
    }
}

TEST_F(ImageLayout, RecordsEndingAt2GiBOrBeyondAreDropped)
{
    loadText("high.hex",
             hexText({extendedLinearLine(0x7FFF), dataLine(0xFFF0, countingBytes(0, 16)), extendedLinearLine(0xFFFF),
                      dataLine(0xFFFF, Bytes{1}), extendedLinearLine(0x0000), dataLine(0x0000, Bytes{3, 4})}));
    EXPECT_EQ(dataBytes(), (Bytes{3, 4}));
}

} // namespace
} // namespace orvex::test
