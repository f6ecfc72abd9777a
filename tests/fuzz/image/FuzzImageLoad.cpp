// libFuzzer entry: every input is written to a file and loaded as a firmware
// image, as Intel HEX or, when its first byte is not ASCII, as a binary file.

#include "image/FirmwareImage.h"
#include "image/HexLineReader.h"

#include <unistd.h>

#include <algorithm>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

namespace {

// A HEX file may place its data just below 2 GiB, and the image is one
// buffer from address 0, so a single input may need that much memory. The
// default limit of 2048 MB would report such a valid input as running out of
// memory; a caller who names a limit keeps it.
constexpr const char* kRssLimitFlag = "-rss_limit_mb=";
constexpr const char* kImageSizedRssLimit = "-rss_limit_mb=6144";

// One file per process, removed after every input: libFuzzer may end the
// process without running exit handlers.
std::string scratchPath(const char* extension)
{
    const auto name = "orvex-fuzz-image-" + std::to_string(getpid()) + "." + extension;
    return (std::filesystem::temp_directory_path() / name).string();
}

void writeInput(const std::string& path, const std::uint8_t* data, std::size_t size)
{
    std::ofstream file(path, std::ios::binary | std::ios::trunc);
    file.write(reinterpret_cast<const char*>(data), static_cast<std::streamsize>(size));
}

void require(bool holds, const char* what)
{
    if (!holds) {
        std::fprintf(stderr, "invariant broken: %s\n", what);
        std::abort();
    }
}

// Non-blank lines as the loader cuts them: each is either a record or a rejection.
std::size_t nonBlankLines(const std::uint8_t* data, std::size_t size)
{
    orvex::HexLineReader lines({reinterpret_cast<const char*>(data), size});
    std::size_t count = 0;
    while (const auto line = lines.next())
        count += line->empty() ? 0 : 1;
    return count;
}

void checkHexReport(const orvex::LoadReport& report, const std::uint8_t* data, std::size_t size)
{
    require(report.recordCount + report.rejectedLineCount == nonBlankLines(data, size),
            "every non-blank line is a record or a rejection");
    require(report.rejectedLines.size()
                == std::min(report.rejectedLineCount, orvex::LoadReport::kMaxDetailedRejections),
            "the first rejections are kept in detail");
    const auto lineFeeds = static_cast<std::size_t>(std::count(data, data + size, '\n'));
    std::size_t previous = 1;
    for (const orvex::RejectedLine& rejected : report.rejectedLines) {
        require(rejected.lineNumber >= previous && rejected.lineNumber <= lineFeeds + 1, "line numbers in file order");
        require(!orvex::describe(rejected.reason).empty(), "every reason has a name");
        previous = rejected.lineNumber;
    }
    require(!report.endRecordSeen || report.recordCount > 0, "an end record is a record");
}

void checkImage(const orvex::FirmwareImage& image, const std::uint8_t* data, std::size_t size, bool asHex)
{
    const orvex::LoadReport& report = image.loadReport();
    require(report.readStatus == orvex::FileReadStatus::Read, "a regular file is read");
    require(report.isHex == asHex, "the name decides the kind");
    require(image.rawLength() == static_cast<int>(size), "rawLength is the file length");
    require(std::equal(image.rawBytes().begin(), image.rawBytes().end(), data, data + size), "rawBytes are the file");
    require(image.dataSize() == static_cast<int>(image.dataBytes().size()), "dataSize counts dataBytes");
    if (!asHex) {
        require(std::ranges::equal(image.dataBytes(), image.rawBytes()), "a binary file is its own data");
        require(report.recordCount == 0 && report.rejectedLineCount == 0, "a binary file has no lines");
        return;
    }
    checkHexReport(report, data, size);
    require(report.recordCount > 0 || image.dataSize() == 0, "data comes from records only");
}

} // namespace

extern "C" int LLVMFuzzerInitialize(int* argc, char*** argv)
{
    for (int i = 1; i < *argc; ++i)
        if (std::strncmp((*argv)[i], kRssLimitFlag, std::strlen(kRssLimitFlag)) == 0)
            return 0;
    static std::vector<char*> arguments((*argv), (*argv) + *argc);
    arguments.push_back(const_cast<char*>(kImageSizedRssLimit));
    arguments.push_back(nullptr);
    *argc = static_cast<int>(arguments.size()) - 1;
    *argv = arguments.data();
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    const bool asHex = size == 0 || data[0] < 0x80;
    const std::string path = scratchPath(asHex ? "hex" : "bin");
    writeInput(path, data, size);
    orvex::FirmwareImage image;
    require(image.load(path) == 1, "load returns 1");
    std::filesystem::remove(path);
    checkImage(image, data, size, asHex);
    return 0;
}
