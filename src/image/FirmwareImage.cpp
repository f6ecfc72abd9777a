#include "image/FirmwareImage.h"

#include "image/FileReading.h"
#include "image/HexLayout.h"

#include <algorithm>
#include <array>
#include <new>

namespace orvex {

namespace {

constexpr std::size_t kExtensionLength = 3;
constexpr std::array<std::string_view, 2> kKnownExtensions = {"hex", "bin"};

char toLowerAscii(char c)
{
    return (c >= 'A' && c <= 'Z') ? static_cast<char>(c - 'A' + 'a') : c;
}

} // namespace

std::string extensionOf(std::string_view path)
{
    std::string tail(path.substr(path.size() - std::min(path.size(), kExtensionLength)));
    std::ranges::transform(tail, tail.begin(), toLowerAscii);
    if (std::ranges::find(kKnownExtensions, tail) == kKnownExtensions.end())
        return {};
    return tail;
}

int FirmwareImage::load(const std::string& path)
{
    try {
        path_ = path;
        report_ = {};
        readFile(path);
    } catch (const std::bad_alloc&) {
        clearContent();
        report_.readStatus = FileReadStatus::TooLarge;
    }
    return 1;
}

void FirmwareImage::readFile(const std::string& path)
{
    ReadableFile file(path);
    if (file.outcome().readStatus != FileReadStatus::NotOpened) {
        // The old content goes first: two large files need not fit side by side.
        clearContent();
        rawBytes_ = file.readAll();
    }
    static_cast<FileReadOutcome&>(report_) = file.outcome();
    if (report_.readStatus != FileReadStatus::Read)
        return;
    report_.isHex = extensionOf(path) == "hex";
    if (report_.isHex)
        layOutHexData();
    else
        dataBytes_ = copiedByteBuffer(rawBytes_);
}

void FirmwareImage::layOutHexData()
{
    const std::string_view text(reinterpret_cast<const char*>(rawBytes_.data()), rawBytes_.size());
    dataBytes_ = layOutHexText(text, report_);
}

void FirmwareImage::clearContent()
{
    rawBytes_ = {};
    dataBytes_ = {};
}

} // namespace orvex
