#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <span>

namespace orvex {

// Command byte of a request. Code 0x0C is not used by the PC.
enum class CommandCode : std::uint8_t {
    CmdGetVersion = 0x00,
    CmdReadInit = 0x01,
    CmdReadBlock = 0x02,
    CmdReadEnd = 0x03,
    CmdProgramInit = 0x04,
    CmdProgramBlock = 0x05,
    CmdProgramEnd = 0x06,
    CmdErase = 0x07,
    CmdBlankTest = 0x08,
    CmdVerifyInit = 0x09,
    CmdVerifyBlock = 0x0A,
    CmdVerifyEnd = 0x0B,
    CmdPowerOn = 0x0D,
    CmdPowerOff = 0x0E,
};

// One packet as it travels on the wire, in both directions:
//   AA 55 length command payload[length] crc
// where crc is CRC-8/MAXIM over everything from the 0x55 to the last payload
// byte. The buffer is large enough for the longest frame the length byte allows.
class Frame {
public:
    static constexpr std::uint8_t kSync1 = 0xAA;
    static constexpr std::uint8_t kSync2 = 0x55;
    static constexpr int kSync1Offset = 0;
    static constexpr int kSync2Offset = 1;
    static constexpr int kLengthOffset = 2;
    static constexpr int kCommandOffset = 3;
    static constexpr int kPayloadOffset = 4;
    static constexpr int kMaxPayload = 255;
    static constexpr int kOverhead = 5; // sync, sync, length, command, crc
    static constexpr int kCapacity = kMaxPayload + kOverhead;

    std::uint8_t length() const { return bytes_[kLengthOffset]; }
    void setLength(int length) { bytes_[kLengthOffset] = static_cast<std::uint8_t>(length); }

    std::uint8_t command() const { return bytes_[kCommandOffset]; }
    void setCommand(CommandCode code) { bytes_[kCommandOffset] = static_cast<std::uint8_t>(code); }

    // The first payload byte: 0 means success in every reply that has one.
    std::uint8_t status() const { return payload(0); }

    std::uint8_t payload(int index) const { return bytes_[static_cast<std::size_t>(kPayloadOffset + index)]; }
    void setPayload(int index, std::uint8_t value) { bytes_[static_cast<std::size_t>(kPayloadOffset + index)] = value; }
    std::uint8_t* payloadData() { return bytes_.data() + kPayloadOffset; }
    const std::uint8_t* payloadData() const { return bytes_.data() + kPayloadOffset; }

    void setPayloadU16(int index, std::uint16_t value)
    {
        setPayload(index, static_cast<std::uint8_t>(value));
        setPayload(index + 1, static_cast<std::uint8_t>(value >> 8));
    }
    void setPayloadU32(int index, std::uint32_t value)
    {
        setPayloadU16(index, static_cast<std::uint16_t>(value));
        setPayloadU16(index + 2, static_cast<std::uint16_t>(value >> 16));
    }

    // Writes the sync bytes and the CRC around the length, command and payload
    // already in place; returns the bytes to put on the wire.
    std::span<const std::uint8_t> seal();

    // Number of bytes on the wire for the current length field.
    int wireSize() const { return length() + kOverhead; }

    std::uint8_t& operator[](int offset) { return bytes_[static_cast<std::size_t>(offset)]; }
    std::uint8_t operator[](int offset) const { return bytes_[static_cast<std::size_t>(offset)]; }

    std::span<const std::uint8_t> wireBytes() const { return {bytes_.data(), static_cast<std::size_t>(wireSize())}; }

private:
    std::array<std::uint8_t, kCapacity> bytes_{};
};

} // namespace orvex
