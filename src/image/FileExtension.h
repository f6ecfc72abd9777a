#pragma once

#include <string>
#include <string_view>

namespace orvex {

// "hex" or "bin" when the path's last three characters spell one of them in
// any letter case, else empty. No dot is looked for: dump_hex counts as HEX,
// image.ihx does not.
std::string extensionOf(std::string_view path);

} // namespace orvex
