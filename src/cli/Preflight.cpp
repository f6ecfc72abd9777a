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
    return {kExitUsage, translated(ORVEX_TEXT("Preflight", "firmware file %1: %2; nothing was sent"), {path, reason})};
}

Refusal refuseReadBack(const std::string& path, const std::string& reason)
{
    return {
        kExitReadBackNotWritten,
        translated(ORVEX_TEXT("Preflight", "cannot write the read-back to %1: %2; nothing was sent"), {path, reason})};
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
        const OperatorText reason =
            count == 1 ? ORVEX_TEXT("Preflight", "line %1: %2 (%3 rejected line in all; --lenient skips them)")
                       : ORVEX_TEXT("Preflight", "line %1: %2 (%3 rejected lines in all; --lenient skips them)");
        return refuseFirmware(path, translated(reason, {std::to_string(first.lineNumber), describe(first.reason),
                                                        std::to_string(count)}));
    }
    if (!report.endRecordSeen)
        return refuseFirmware(
            path, translated(ORVEX_TEXT("Preflight",
                                        "no end-of-file record; the file may be cut short (--lenient accepts it)")));
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
            return refuseFirmware(
                path, translated(ORVEX_TEXT("Preflight", "holds no data (--lenient programs nothing and succeeds)")));
    }
    if (!ProgrammerDevice::fitsFlash(image.dataSize()))
        return refuseFirmware(
            path, translated(ORVEX_TEXT("Preflight", "its data (%1 bytes) is larger than the %2-byte flash"),
                             {std::to_string(image.dataSize()), std::to_string(ProgrammerDevice::kFlashSize)}));
    return std::nullopt;
}

std::optional<Refusal> checkReadBackTarget(const std::string& path)
{
    if (path == kStandardOutputName)
        return std::nullopt;
    std::error_code error;
    const fs::path target(path);
    if (fs::is_directory(target, error))
        return refuseReadBack(path, translated(ORVEX_TEXT("Preflight", "it is a directory")));
    if (fs::exists(fs::symlink_status(target, error)))
        return ::access(path.c_str(), W_OK) == 0 ? std::nullopt : std::optional(refuseReadBack(path, systemReason()));
    const fs::path folder = target.has_parent_path() ? target.parent_path() : fs::path(".");
    if (!fs::is_directory(folder, error))
        return refuseReadBack(path,
                              translated(ORVEX_TEXT("Preflight", "the folder %1 does not exist"), {folder.string()}));
    if (::access(folder.string().c_str(), W_OK) != 0)
        return refuseReadBack(
            path, translated(ORVEX_TEXT("Preflight", "the folder %1: %2"), {folder.string(), systemReason()}));
    return std::nullopt;
}

} // namespace orvex::cli
