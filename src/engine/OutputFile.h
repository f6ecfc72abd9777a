#pragma once

#include <cstdint>
#include <optional>
#include <span>
#include <string>

namespace orvex {

// The path that stands for the process's standard output.
inline constexpr const char* kStandardOutputPath = "-";

// Writes bytes to the file at path, which is a byte string handed to the
// file system unchanged:
// - a regular file or a new name is replaced whole: the bytes go to a new file
//   in the same folder, which then takes the old one's place, so a failure
//   leaves the old file as it was; a symbolic link stays and its target is
//   replaced;
// - an existing character device or fifo is written in place and stays what it
//   is (a file put in its place would break whoever uses it);
// - kStandardOutputPath writes to standard output.
// No value on success; otherwise the system's reason.
std::optional<std::string> writeOutputFile(const std::string& path, std::span<const std::uint8_t> bytes);

} // namespace orvex
