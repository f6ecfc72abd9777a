#pragma once

namespace orvex {

// Why a non-blank line of a HEX file adds nothing to the image.
enum class LineRejection {
    NotARecord,          // it does not start with ':'
    BadCharacter,        // a character of its pairs is not a hex digit
    TooShort,            // fewer than the 11 characters of the shortest record
    ByteCountBeyondLine, // its byte count claims more data than the line holds
    BadChecksum,
    BeyondAddressLimit,  // a data record ending at or beyond 2^31
    AddressWithoutValue, // an address record with fewer than two data bytes
};

} // namespace orvex
