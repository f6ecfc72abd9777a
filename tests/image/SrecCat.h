#pragma once

#include "image/HexTextWriter.h"

#include <string>

namespace orvex::test {

// Debian's srecord, the reference the loader is compared with.
inline constexpr const char* kSrecCatPath = "/usr/bin/srec_cat";

bool srecCatAvailable();

// Has srec_cat lay out the Intel HEX file at hexPath for addresses 0 up to
// end, 0xFF where the file has no data, as a binary file at outPath. False
// when srec_cat fails; its complaints are in outPath + ".log".
bool runSrecCat(const std::string& hexPath, std::size_t end, const std::string& outPath);

Bytes readFileBytes(const std::string& path);

} // namespace orvex::test
