#include "cli/Preflight.h"

#include "device/ProgrammerDevice.h"
#include "image/FirmwareImage.h"
#include "image/LoadReport.h"

#include <cerrno>
#include <cstring>
#include <filesystem>
#include <system_error>

#ifdef _WIN32
#include <io.h>
#define access _access
constexpr int W_OK = 2;
#else
#include <unistd.h>
#endif

namespace orvex::cli {

namespace {

namespace fs = std::filesystem;

Refusal refuseFirmware(const std::string& path, const std::string& reason)
{
    return {kExitUsage, "firmware file " + path + ": " + reason + "; nothing was sent"};
}

Refusal refuseReadBack(const std::string& path, const std::string& reason)
{
    return {kExitReadBackNotWritten, "cannot write the read-back to " + path + ": " + reason + "; nothing was sent"};
}

std::string systemReason()
{
    return std::strerror(errno);
}

std::optional<Refusal> checkHexLines(const FirmwareImage& image, const std::string& path)
{
    const LoadReport& report = image.loadReport();
    if (!report.rejectedLines.empty()) {
        const RejectedLine& first = report.rejectedLines.front();
        const std::size_t count = report.rejectedLineCount;
        return refuseFirmware(path, "line " + std::to_string(first.lineNumber) + ": " + describe(first.reason) + " ("
                                        + std::to_string(count) + (count == 1 ? " rejected line" : " rejected lines")
                                        + " in all; --lenient skips them)");
    }
    if (!report.endRecordSeen)
        return refuseFirmware(path, "no end-of-file record; the file may be cut short (--lenient accepts it)");
    return std::nullopt;
}

} // namespace

std::optional<Refusal> checkFirmware(const FirmwareImage& image, const CliOptions& options)
{
    const std::string& path = *options.firmwareFile;
    const LoadReport& report = image.loadReport();
    if (report.readStatus != FileReadStatus::Read)
        return refuseFirmware(path, describeReading(report));
    if (!options.lenient) {
        if (report.isHex)
            if (auto refusal = checkHexLines(image, path))
                return refusal;
        if (image.dataSize() == 0)
            return refuseFirmware(path, "holds no data (--lenient programs nothing and succeeds)");
    }
    if (!ProgrammerDevice::fitsFlash(image.dataSize()))
        return refuseFirmware(path, "its data (" + std::to_string(image.dataSize()) + " bytes) is larger than the "
                                        + std::to_string(ProgrammerDevice::kFlashSize) + "-byte flash");
    return std::nullopt;
}

std::optional<Refusal> checkReadBackTarget(const std::string& path)
{
    if (path == kStandardOutputName)
        return std::nullopt;
    std::error_code error;
    const fs::path target(path);
    if (fs::is_directory(target, error))
        return refuseReadBack(path, "it is a directory");
    if (fs::exists(fs::symlink_status(target, error)))
        return ::access(path.c_str(), W_OK) == 0 ? std::nullopt : std::optional(refuseReadBack(path, systemReason()));
    const fs::path folder = target.has_parent_path() ? target.parent_path() : fs::path(".");
    if (!fs::is_directory(folder, error))
        return refuseReadBack(path, "the folder " + folder.string() + " does not exist");
    if (::access(folder.string().c_str(), W_OK) != 0)
        return refuseReadBack(path, "the folder " + folder.string() + ": " + systemReason());
    return std::nullopt;
}

} // namespace orvex::cli
