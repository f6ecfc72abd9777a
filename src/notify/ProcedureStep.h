#pragma once

#include <cstdint>

namespace orvex {

// The steps of a procedure, in the order the window lists them. Each has a
// status line; all but Reload, which the window does itself, have a bit in
// the step set handed to the worker.
enum class ProcedureStep : int { Reload, Detect, Erase, TestFF, Program, Verify, Read };

inline constexpr int kProcedureStepCount = 7;

namespace StepBit {
inline constexpr std::uint16_t Detect = 0x0002;
inline constexpr std::uint16_t Erase = 0x0004;
inline constexpr std::uint16_t TestFF = 0x0008;
inline constexpr std::uint16_t Program = 0x0020;
inline constexpr std::uint16_t Verify = 0x0080;
inline constexpr std::uint16_t Read = 0x0100;
} // namespace StepBit

} // namespace orvex
