#pragma once

#include <cstdint>
#include <span>
#include <string>

// Writing that must reach the disk whole, shared by the settings files and
// the read-back file: all bytes through short and interrupted writes, the
// file's content onto the disk, and the folder that names it, so that a
// rename survives a power cut.
namespace orvex {

// Writes every byte; errno tells why when it fails.
bool writeAll(int descriptor, std::span<const std::uint8_t> bytes);
// The file's content is on the disk when this returns true.
bool flushToDisk(int descriptor);
// The folder entry of file is on the disk (on Windows the file system keeps
// its names itself; nothing to do).
void syncFolderOf(const std::string& file);

} // namespace orvex
