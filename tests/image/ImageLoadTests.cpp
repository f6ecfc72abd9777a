#include "image/FirmwareImage.h"
#include "image/HexLineReader.h"
#include "image/ImageFileTest.h"
#include "support/Timing.h"

#include <algorithm>
#include <filesystem>
#include <fstream>
#include <random>
#include <stdexcept>
#include <utility>
#include <vector>

#ifndef _WIN32
#include <sys/resource.h>
#include <sys/socket.h>
#include <sys/stat.h>
#include <sys/un.h>
#include <unistd.h>
#endif

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
    EXPECT_TRUE(image.loadReport().isHex);
    EXPECT_EQ(image.loadReport().recordCount, 2u);
    EXPECT_EQ(Bytes(image.dataBytes().begin(), image.dataBytes().end()), erasedWith(12, 4, data));
}

TEST_F(ImageFileKindLoad, OtherNamesAreCopiedByteForByte)
{
    for (const char* name : {"image.ihx", "x.bin", "noextension"}) {
        loadText(name, text);
        EXPECT_EQ(image.dataSize(), static_cast<int>(text.size())) << name;
        EXPECT_TRUE(sameBytes(image.dataBytes(), text)) << name;
        EXPECT_TRUE(sameBytes(image.rawBytes(), text)) << name;
        EXPECT_FALSE(image.loadReport().isHex) << name;
        EXPECT_EQ(image.loadReport().recordCount, 0u) << name;
    }
}

TEST_F(ImageFileTest, EmptyFileGivesNothingWhateverItsName)
{
    for (const char* name : {"empty.hex", "empty.bin"}) {
        loadText(name, "");
        EXPECT_EQ(image.rawLength(), 0) << name;
        EXPECT_EQ(image.dataSize(), 0) << name;
        EXPECT_TRUE(image.dataBytes().empty()) << name;
        EXPECT_EQ(image.loadReport().readStatus, FileReadStatus::Read) << name;
        EXPECT_EQ(image.loadReport().fileKind, FileKind::Regular) << name;
        EXPECT_EQ(image.loadReport().rejectedLineCount, 0u) << name;
        EXPECT_FALSE(image.loadReport().endRecordSeen) << name;
    }
}

TEST_F(ImageFileTest, EndOfFileLineAloneIsAcceptedWithoutData)
{
    const std::string text = endOfFileLine() + "\r\n";
    loadText("eof.hex", text);
    EXPECT_EQ(image.loadReport().recordCount, 1u);
    EXPECT_TRUE(image.loadReport().endRecordSeen);
    EXPECT_EQ(image.loadReport().rejectedLineCount, 0u);
    EXPECT_EQ(image.dataSize(), 0);
    EXPECT_EQ(image.dataBytes().data(), nullptr);
    EXPECT_EQ(image.rawLength(), static_cast<int>(text.size()));
}

// Every non-blank line that adds nothing is reported by its number in the
// file, counted in line feeds, with what is wrong with it.
TEST_F(ImageFileTest, RejectedLinesAreReportedWithTheirNumbersAndReasons)
{
    std::string digitReadAsItsValue = dataLine(0x0004, Bytes{0x03});
    digitReadAsItsValue.replace(9, 2, "3G");
    std::string notADigit = dataLine(0x0004, Bytes{0x03});
    notADigit.replace(9, 2, "0G");
    std::string badChecksum = dataLine(0x0000, Bytes{5});
    badChecksum.back() = badChecksum.back() == '0' ? '1' : '0';
    std::string claimsMore = dataLine(0x0000, Bytes{1, 2});
    claimsMore.replace(1, 2, "10");
    loadText("report.hex",
             hexText({dataLine(0x0000, Bytes{1, 2}), "", "junk", badChecksum, digitReadAsItsValue, notADigit,
                      ":00000001F", claimsMore, extendedLinearLine(0x8000), dataLine(0x0000, Bytes{9}),
                      hexLine(HexRecord::kExtendedLinearAddressRecord, 0, Bytes{0}), extendedLinearLine(0x0000),
                      std::string(1500, 'x')},
                     "\r\n"));

    const LoadReport& report = image.loadReport();
    EXPECT_EQ(report.readStatus, FileReadStatus::Read);
    EXPECT_TRUE(report.isHex);
    using enum LineRejection;
    EXPECT_EQ(report.rejectedLines, (std::vector<RejectedLine>{{3, NotARecord},
                                                               {4, BadChecksum},
                                                               {6, BadCharacter},
                                                               {7, TooShort},
                                                               {8, ByteCountBeyondLine},
                                                               {10, BeyondAddressLimit},
                                                               {11, AddressWithoutValue},
                                                               {13, NotARecord},
                                                               {13, NotARecord}}));
    EXPECT_EQ(report.rejectedLineCount, 9u);
    EXPECT_EQ(report.recordCount, 4u);
    EXPECT_FALSE(report.endRecordSeen);
    EXPECT_EQ(describe(report.rejectedLines[1].reason), "bad checksum");
    EXPECT_EQ(Bytes(image.dataBytes().begin(), image.dataBytes().end()), (Bytes{1, 2, 0xFF, 0xFF, 3}));
}

TEST_F(ImageFileTest, OnlyTheFirstRejectedLinesAreKeptInDetailButAllAreCounted)
{
    std::string text;
    for (int line = 0; line < 250; ++line)
        text += "junk\n\n";
    loadText("junk.hex", text);
    const LoadReport& report = image.loadReport();
    EXPECT_EQ(report.rejectedLineCount, 250u);
    ASSERT_EQ(report.rejectedLines.size(), LoadReport::kMaxDetailedRejections);
    EXPECT_EQ(report.rejectedLines.back().lineNumber, 2 * LoadReport::kMaxDetailedRejections - 1);
}

TEST_F(ImageFileTest, BinaryJunkNamedHexGivesNoData)
{
    std::mt19937 rng(7);
    std::string junk(64 * 1024, '\0');
    std::ranges::generate(junk, [&rng] { return static_cast<char>(rng()); });
    loadText("junk.hex", junk);
    const LoadReport& report = image.loadReport();
    EXPECT_EQ(report.readStatus, FileReadStatus::Read);
    EXPECT_TRUE(report.isHex);
    EXPECT_EQ(image.rawLength(), static_cast<int>(junk.size()));
    EXPECT_EQ(image.dataSize(), 0);
    EXPECT_EQ(report.recordCount, 0u);
    EXPECT_GT(report.rejectedLineCount, 0u);
    EXPECT_FALSE(report.endRecordSeen);
}

// Lines are cut from a run without line feeds without searching the rest of
// the file for each piece; that search made 40 MB take half a minute.
TEST_F(ImageFileTest, LongFileWithoutLineFeedsLoadsInBoundedTime)
{
    constexpr std::size_t kLength = 40'000'000;
    const std::string path = scratch.write("run.hex", std::string(kLength, 'A'));
    const auto start = Clock::now();
    image.load(path);
    EXPECT_LT(millisecondsSince(start), 2000);
    const std::size_t pieceWithSkippedCharacter = HexLineReader::kMaxHexLineLength + 1;
    EXPECT_EQ(image.loadReport().rejectedLineCount,
              (kLength + pieceWithSkippedCharacter - 1) / pieceWithSkippedCharacter);
    EXPECT_EQ(image.loadReport().rejectedLines.back(), (RejectedLine{1, LineRejection::NotARecord}));
}

// A file that opens but cannot be held or read whole must not leave the new
// path standing beside the previous file's data.
class ImageLoadFailure : public ImageFileTest {
protected:
    void SetUp() override { loadGoodFile(); }

    void loadGoodFile()
    {
        loadText("good.hex", hexText({dataLine(0, countingBytes(1, 16))}));
        ASSERT_EQ(image.dataSize(), 16);
    }

    void expectEmptyAfterLoading(const std::string& path, FileReadStatus status, FileKind kind)
    {
        image.load(path);
        EXPECT_EQ(image.path(), path);
        EXPECT_EQ(image.rawLength(), 0);
        EXPECT_EQ(image.dataSize(), 0);
        EXPECT_EQ(image.loadReport().readStatus, status) << path;
        EXPECT_EQ(image.loadReport().fileKind, kind) << path;
        EXPECT_EQ(image.loadReport().recordCount, 0u);
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
    EXPECT_EQ(image.loadReport().readStatus, FileReadStatus::NotOpened);
    EXPECT_EQ(image.loadReport().systemReason, "No such file or directory");
    EXPECT_EQ(describeReading(image.loadReport()), "could not be opened: No such file or directory");
}

TEST_F(ImageLoadFailure, FileTooLongForASigned32BitLengthLeavesAnEmptyImage)
{
    const std::string path = scratch.write("huge.bin", "");
    // Sparse where the file system allows: no disk is used.
    std::filesystem::resize_file(path, 0x80000000);
    expectEmptyAfterLoading(path, FileReadStatus::TooLarge, FileKind::Regular);
}

#ifdef _WIN32

// The path comes as UTF-8; Windows' narrow file functions would take it in
// the ANSI code page, which has no "ż". The bytes hold what text mode would
// change: CR LF and a Ctrl-Z.
TEST_F(ImageFileTest, PolishLettersAndSpacesInFolderAndFileNameLoadByteForByte)
{
    const std::string folder = scratch.pathOf("Wsad źródłowy");
    std::filesystem::create_directory(ScratchDir::fromUtf8(folder));
    const std::string path = folder + "\\Żółta łódź gęś.bin";
    const Bytes bytes{0x01, 0x0D, 0x0A, 0x1A, 0x02};
    ScratchDir::writeFile(path, bytes);

    EXPECT_TRUE(canOpenForReading(path));
    image.load(path);
    EXPECT_EQ(image.loadReport().readStatus, FileReadStatus::Read) << image.loadReport().systemReason;
    EXPECT_EQ(Bytes(image.dataBytes().begin(), image.dataBytes().end()), bytes);
}

TEST_F(ImageLoadFailure, FolderAndDeviceNamesAreRefusedAsNotRegularFiles)
{
    // A drive letter and backslashes.
    ASSERT_EQ(scratch.directory().substr(1, 2), ":\\");
    expectEmptyAfterLoading(scratch.directory(), FileReadStatus::NotRegularFile, FileKind::Directory);
    EXPECT_FALSE(canOpenForReading("NUL"));
    EXPECT_FALSE(canOpenForReading("COM1"));
}

#else
// A listening Unix domain socket at path, removed with the scratch directory.
class UnixSocket {
public:
    explicit UnixSocket(const std::string& path) : descriptor_(::socket(AF_UNIX, SOCK_STREAM, 0))
    {
        sockaddr_un address{};
        address.sun_family = AF_UNIX;
        path.copy(address.sun_path, sizeof address.sun_path - 1);
        if (::bind(descriptor_, reinterpret_cast<const sockaddr*>(&address), sizeof address) != 0)
            throw std::runtime_error("cannot bind a socket to " + path);
    }
    ~UnixSocket() { ::close(descriptor_); }
    UnixSocket(const UnixSocket&) = delete;
    UnixSocket& operator=(const UnixSocket&) = delete;

private:
    int descriptor_;
};

// An ordinary open would take a directory, and would wait for good on a fifo
// without a writer; neither is a firmware file.
TEST_F(ImageLoadFailure, DirectoryOpensButIsRefusedAsNotARegularFileAndLeavesAnEmptyImage)
{
    const std::string path = scratch.pathOf("folder.hex");
    std::filesystem::create_directory(path);
    ASSERT_TRUE(std::ifstream(path).is_open());
    expectEmptyAfterLoading(path, FileReadStatus::NotRegularFile, FileKind::Directory);
    EXPECT_EQ(describeReading(image.loadReport()), "not a regular file but a directory");
}

TEST_F(ImageLoadFailure, FifoDeviceAndSocketAreRefusedWithoutBlocking)
{
    const std::string fifo = scratch.pathOf("fifo.hex");
    ASSERT_EQ(::mkfifo(fifo.c_str(), 0600), 0);
    const std::string socket = scratch.pathOf("socket.hex");
    const UnixSocket listening(socket);
    const std::vector<std::pair<std::string, FileKind>> refused = {
        {fifo, FileKind::Fifo}, {"/dev/null", FileKind::CharacterDevice}, {socket, FileKind::Socket}};

    // A load that blocks would hang the test; in a child the alarm ends it.
    ASSERT_EXIT(
        {
            ::alarm(5);
            for (const auto& [path, kind] : refused)
                image.load(path);
            std::exit(0);
        },
        ::testing::ExitedWithCode(0), "");
    for (const auto& [path, kind] : refused) {
        loadGoodFile();
        expectEmptyAfterLoading(path, FileReadStatus::NotRegularFile, kind);
    }
}

// What the process has mapped now.
std::size_t addressSpaceInUse()
{
    std::ifstream statm("/proc/self/statm");
    std::size_t pages = 0;
    statm >> pages;
    return pages * static_cast<std::size_t>(::sysconf(_SC_PAGESIZE));
}

// A 12-byte line each: the loader once held a 48-byte record object for every
// line, four times the file, and a large file ran out of memory.
TEST_F(ImageFileTest, FileOfEndRecordsLoadsInMemoryNearItsOwnSize)
{
    constexpr std::size_t kLines = 4'000'000;
    const std::string line = endOfFileLine() + "\n";
    const std::size_t fileSize = kLines * line.size();
    const std::string path = [&] {
        std::string text;
        text.reserve(fileSize);
        for (std::size_t i = 0; i < kLines; ++i)
            text += line;
        return scratch.write("ends.hex", text);
    }();
    constexpr std::size_t kMargin = 32 * 1024 * 1024;

    // The child may map the file's bytes and a margin on top of what it has.
    ASSERT_EXIT(
        {
            rlimit limit{};
            ::getrlimit(RLIMIT_AS, &limit);
            limit.rlim_cur = addressSpaceInUse() + fileSize + kMargin;
            ::setrlimit(RLIMIT_AS, &limit);
            image.load(path);
            const LoadReport& report = image.loadReport();
            std::exit(report.readStatus == FileReadStatus::Read && report.recordCount == kLines ? 0 : 1);
        },
        ::testing::ExitedWithCode(0), "");
}
#endif

} // namespace
} // namespace orvex::test
