#pragma once

// The final result lines of a run. They are the program's own fixed texts;
// keep them exactly as they are.
namespace orvex::EngineTexts {

inline constexpr const char* kDetectFailed = "Blad polaczenia z programatorem";
inline constexpr const char* kPowerOnFailed = "Blad inicjalizacji programowania";
inline constexpr const char* kEraseFailed = "Blad podczas kasowania ukladu";
inline constexpr const char* kBlankTestFailed = "Blad - pamiec zapisana";
inline constexpr const char* kProgramFailed = "Blad podczas programowania ukladu";
inline constexpr const char* kVerifyFailed = "Blad podczas weryfikacji programu";
inline constexpr const char* kReadFailed = "Blad podczas odczytu programu";
inline constexpr const char* kPowerOffFailed = "Blad podczas zakonczenia procedury";
inline constexpr const char* kRunSucceeded = "PROGRAM OK. Czas: %.3f s";

} // namespace orvex::EngineTexts
