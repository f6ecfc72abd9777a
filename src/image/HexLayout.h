#pragma once

#include "image/ByteBuffer.h"
#include "image/LoadReport.h"

#include <cstdint>
#include <string_view>

namespace orvex {

// What a flash cell holds when nothing was written to it.
inline constexpr std::uint8_t kErasedByte = 0xFF;

// Lays out the data of Intel HEX text in one buffer from address 0: offset k
// holds the byte that the last data record in file order placed at address
// k, kErasedByte where no record reaches, and the buffer ends with the
// highest data byte. Fills in the report's account of the lines: rejections,
// records, end record.
//
// The text is read once, each record placed as its line is read, into a
// buffer that grows as the data reaches further; no record outlives its line.
ByteBuffer layOutHexText(std::string_view text, LoadReport& report);

} // namespace orvex
