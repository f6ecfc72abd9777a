#pragma once

#include <cstdint>

namespace orvex {

// The steps of a procedure, in the order the window lists them. Each has a
// status line; all but Reload, which the window does itself, have a bit in
// the step set handed to the worker.
enum class ProcedureStep : int { Reload, Detect, Erase, TestFF, Program, Verify, Read };

inline constexpr int kProcedureStepCount = 7;

// The window builds the step set from these bits and the worker reads it as
// one 16-bit value. Only these six bits mean anything: 0x0001, 0x0010 and
// 0x0040 are left free (Reload, done by the window, has no bit), and the
// values keep the layout the program has always used rather than being
// packed to close the gaps.
namespace StepBit {
inline constexpr std::uint16_t Detect = 0x0002;
inline constexpr std::uint16_t Erase = 0x0004;
inline constexpr std::uint16_t TestFF = 0x0008;
inline constexpr std::uint16_t Program = 0x0020;
inline constexpr std::uint16_t Verify = 0x0080;
inline constexpr std::uint16_t Read = 0x0100;
} // namespace StepBit

} // namespace orvex
