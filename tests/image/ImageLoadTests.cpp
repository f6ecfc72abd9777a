#include "image/FileExtension.h"
#include "ImageFileTest.h"

#include <algorithm>
#include <filesystem>
#include <fstream>

namespace orvex::test {
namespace {

bool sameBytes(std::span<const std::uint8_t> bytes, std::string_view text)
{
    return std::ranges::equal(bytes, text, [](std::uint8_t b, char c) { return b == static_cast<std::uint8_t>(c); });
}

TEST(ImageFileKind, ExtensionIsTheLastThreeCharactersInAnyCase)
{
    EXPECT_EQ(extensionOf("C:/fw/FIRMWARE.HEX"), "hex");
    EXPECT_EQ(extensionOf("dump_hex"), "hex");
    EXPECT_EQ(extensionOf("x.BiN"), "bin");
    EXPECT_EQ(extensionOf("hex"), "hex");
    EXPECT_EQ(extensionOf("image.ihx"), "");
    EXPECT_EQ(extensionOf("x.hex.txt"), "");
    EXPECT_EQ(extensionOf("ex"), "");
    EXPECT_EQ(extensionOf(""), "");
}

class ImageFileKindLoad : public ImageFileTest {
protected:
    const Bytes data = countingBytes(0x40, 8);
    const std::string text = hexText({dataLine(0x0004, data), endOfFileLine()});
};

TEST_F(ImageFileKindLoad, NameEndingInHexInAnyCaseIsParsed)
{
    loadText("FIRMWARE.HEX", text);
    EXPECT_EQ(image.path(), scratch.pathOf("FIRMWARE.HEX"));
    EXPECT_EQ(image.rawLength(), static_cast<int>(text.size()));
    EXPECT_TRUE(sameBytes(image.rawBytes(), text));
    EXPECT_EQ(image.records().size(), 2u);
    EXPECT_EQ(Bytes(image.dataBytes().begin(), image.dataBytes().end()), erasedWith(12, 4, data));
}

TEST_F(ImageFileKindLoad, OtherNamesAreCopiedByteForByte)
{
    for (const char* name : {"image.ihx", "x.bin", "noextension"}) {
        loadText(name, text);
        EXPECT_EQ(image.dataSize(), static_cast<int>(text.size())) << name;
        EXPECT_TRUE(sameBytes(image.dataBytes(), text)) << name;
        EXPECT_TRUE(sameBytes(image.rawBytes(), text)) << name;
    }
}

TEST_F(ImageFileTest, EmptyFileGivesNothingWhateverItsName)
{
    for (const char* name : {"empty.hex", "empty.bin"}) {
        loadText(name, "");
        EXPECT_EQ(image.rawLength(), 0) << name;
        EXPECT_EQ(image.dataSize(), 0) << name;
        EXPECT_TRUE(image.dataBytes().empty()) << name;
    }
}

TEST_F(ImageFileTest, EndOfFileLineAloneIsAcceptedWithoutData)
{
    const std::string text = endOfFileLine() + "\r\n";
    loadText("eof.hex", text);
    ASSERT_EQ(image.records().size(), 1u);
    EXPECT_EQ(image.records()[0].recordType(), HexRecord::kEndOfFileRecord);
    EXPECT_EQ(image.dataSize(), 0);
    EXPECT_EQ(image.dataBytes().data(), nullptr);
    EXPECT_EQ(image.rawLength(), static_cast<int>(text.size()));
}

// A file that opens but cannot be held or read whole must not leave the new
// path standing beside the previous file's data.
class ImageLoadFailure : public ImageFileTest {
protected:
    void SetUp() override
    {
        loadText("good.hex", hexText({dataLine(0, countingBytes(1, 16))}));
        ASSERT_EQ(image.dataSize(), 16);
    }

    void expectEmptyAfterLoading(const std::string& path)
    {
        image.load(path);
        EXPECT_EQ(image.path(), path);
        EXPECT_EQ(image.rawLength(), 0);
        EXPECT_EQ(image.dataSize(), 0);
        EXPECT_TRUE(image.records().empty());
    }
};

TEST_F(ImageLoadFailure, PathThatCannotBeOpenedKeepsThePreviousContent)
{
    const Bytes before(image.dataBytes().begin(), image.dataBytes().end());
    const int rawLengthBefore = image.rawLength();
    const std::string missing = scratch.pathOf("missing.hex");

    EXPECT_EQ(image.load(missing), 1);
    EXPECT_EQ(image.path(), missing);
    EXPECT_EQ(image.rawLength(), rawLengthBefore);
    EXPECT_EQ(Bytes(image.dataBytes().begin(), image.dataBytes().end()), before);
    EXPECT_EQ(image.records().size(), 1u);
}

TEST_F(ImageLoadFailure, FileTooLongForASigned32BitLengthLeavesAnEmptyImage)
{
    const std::string path = scratch.write("huge.bin", "");
    // Sparse where the file system allows: no disk is used.
    std::filesystem::resize_file(path, 0x80000000);
    expectEmptyAfterLoading(path);
}

#ifndef _WIN32
TEST_F(ImageLoadFailure, DirectoryOpensButCannotBeReadAndLeavesAnEmptyImage)
{
    const std::string path = scratch.pathOf("folder.hex");
    std::filesystem::create_directory(path);
    ASSERT_TRUE(std::ifstream(path).is_open());
    expectEmptyAfterLoading(path);
}
#endif

} // namespace
} // namespace orvex::test
