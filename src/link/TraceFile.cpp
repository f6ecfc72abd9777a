#include "link/TraceFile.h"

#include <string>

namespace orvex {

std::unique_ptr<TraceFile> TraceFile::create(const std::string& path)
{
    std::FILE* file = std::fopen(path.c_str(), "w");
    if (file == nullptr)
        return nullptr;
    return std::unique_ptr<TraceFile>(new TraceFile(file));
}

TraceFile::~TraceFile()
{
    std::fclose(file_);
}

void TraceFile::writeLine(char direction, std::span<const std::uint8_t> bytes)
{
    static constexpr char kHexDigits[] = "0123456789ABCDEF";
    const std::chrono::duration<double> since = std::chrono::steady_clock::now() - zero_;
    // Whole seconds and microseconds as integers: the C library's locale must
    // not turn the point into a comma.
    const auto micros = std::chrono::duration_cast<std::chrono::microseconds>(since).count();
    char stamp[32];
    std::snprintf(stamp, sizeof stamp, "%lld.%06lld %c", static_cast<long long>(micros / 1000000),
                  static_cast<long long>(micros % 1000000), direction);
    std::string line = stamp;
    line.reserve(line.size() + bytes.size() * 3 + 1);
    for (const std::uint8_t byte : bytes) {
        line += ' ';
        line += kHexDigits[byte >> 4];
        line += kHexDigits[byte & 0x0F];
    }
    line += '\n';
    std::fwrite(line.data(), 1, line.size(), file_);
    std::fflush(file_);
}

} // namespace orvex
