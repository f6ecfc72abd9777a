#pragma once

// The words the programmer commands show the operator. They are the program's
// own fixed texts; keep them exactly as they are.
namespace orvex::DeviceTexts {

inline constexpr const char* kVersionOnline = "Prog ver.: %c.%c.%c ONLINE";
inline constexpr const char* kConnectionError = "Connection ERROR";
inline constexpr const char* kCommunicationError = "ERROR komunikacji";
inline constexpr const char* kPowerOnError = "Prog Power ON ERROR";
inline constexpr const char* kPowerOffError = "Prog Power OFF ERROR";

inline constexpr const char* kErasing = "Kasowanie FLASH... ";
inline constexpr const char* kBlankTesting = "Test czystości... ";
inline constexpr const char* kOk = "OK";
inline constexpr const char* kError = "ERROR";
inline constexpr const char* kNoConnection = "Blad polaczenia";

inline constexpr const char* kProgramming = "Programowanie ";
inline constexpr const char* kVerifying = "Weryfikacja ";
inline constexpr const char* kReading = "Odczyt ";
inline constexpr const char* kImageTransferRunning = "...";
inline constexpr const char* kReadRunning = " ...";
inline constexpr const char* kProgressSuffix = ": %i/%i";
inline constexpr const char* kInitError = "INIT ERROR";
inline constexpr const char* kBlockErrorAt = "ERROR at %i";
inline constexpr const char* kTransferCommunicationError = "ERR komunikacji";
inline constexpr const char* kReadReplyError = "ERR odczytu";
inline constexpr const char* kEndError = "End ERROR";
inline constexpr const char* kTransferOk = "... OK";
inline constexpr const char* kOutOfMemory = "Za malo pamieci!!!";

} // namespace orvex::DeviceTexts
