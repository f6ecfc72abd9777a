#pragma once

#include <cstdint>
#include <span>
#include <string>

namespace orvex {

// The SHA-256 digest of bytes as 64 lower-case hex digits.
std::string sha256Hex(std::span<const std::uint8_t> bytes);

} // namespace orvex
