#include "ui/FileTexts.h"

#include "device/ProgrammerDevice.h"
#include "device/TextFormat.h"
#include "image/LoadReport.h"
#include "notify/OperatorText.h"

#include <array>
#include <clocale>
#include <locale.h> // newlocale, strftime_l; _create_locale, _strftime_l on Windows
#include <time.h>

namespace orvex::ui {

namespace {

constexpr char kTimeFormat[] = "%d %B, %X";
constexpr OperatorText kSizeFormat = ORVEX_TEXT("FileTexts", "File: %6i (0x%05X), Data: %6i (0x%05X) bajtów");
constexpr OperatorText kSkippedLines = ORVEX_TEXT("FileTexts", "Pominięte wiersze: %zu (pierwszy: wiersz %zu, %s)");
constexpr OperatorText kOversize = ORVEX_TEXT("FileTexts", "Plik za duży: %i B, pamięć układu: %i B");

std::tm localTime(std::time_t time)
{
    std::tm parts{};
#ifdef _WIN32
    localtime_s(&parts, &time);
#else
    localtime_r(&time, &parts);
#endif
    return parts;
}

// Formats in a C locale of its own, so neither the process locale nor
// another thread's setlocale() can change the text.
std::string formatInCLocale(const std::tm& parts)
{
    std::array<char, 128> text{};
#ifdef _WIN32
    _locale_t c = _create_locale(LC_ALL, "C");
    const std::size_t length = _strftime_l(text.data(), text.size(), kTimeFormat, &parts, c);
    _free_locale(c);
#else
    locale_t c = newlocale(LC_ALL_MASK, "C", nullptr);
    const std::size_t length = strftime_l(text.data(), text.size(), kTimeFormat, &parts, c);
    freelocale(c);
#endif
    return std::string(text.data(), length);
}

// The operator reads the window in Polish; the command line keeps the
// English words of describe().
OperatorText rejectionText(LineRejection reason)
{
    switch (reason) {
    case LineRejection::NotARecord:
        return ORVEX_TEXT("FileTexts", "nie rekord (brak ':' na początku)");
    case LineRejection::BadCharacter:
        return ORVEX_TEXT("FileTexts", "znak spoza cyfr szesnastkowych");
    case LineRejection::TooShort:
        return ORVEX_TEXT("FileTexts", "za krótki na rekord");
    case LineRejection::ByteCountBeyondLine:
        return ORVEX_TEXT("FileTexts", "liczba bajtów dłuższa niż wiersz");
    case LineRejection::BadChecksum:
        return ORVEX_TEXT("FileTexts", "błędna suma kontrolna");
    case LineRejection::BeyondAddressLimit:
        return ORVEX_TEXT("FileTexts", "rekord sięga poza 2 GiB");
    case LineRejection::AddressWithoutValue:
        return ORVEX_TEXT("FileTexts", "rekord adresu bez dwubajtowej wartości");
    }
    return ORVEX_TEXT("FileTexts", "nieznany powód");
}

} // namespace

std::string fileTimeText(std::time_t modified)
{
    return formatInCLocale(localTime(modified));
}

std::string fileSizeText(int rawLength, int dataSize)
{
    return formatText(translated(kSizeFormat).c_str(), rawLength, static_cast<unsigned>(rawLength), dataSize,
                      static_cast<unsigned>(dataSize));
}

std::string skippedLinesText(const LoadReport& report)
{
    if (report.rejectedLines.empty())
        return {};
    const RejectedLine& first = report.rejectedLines.front();
    return formatText(translated(kSkippedLines).c_str(), report.rejectedLineCount, first.lineNumber,
                      translated(rejectionText(first.reason)).c_str());
}

std::string oversizeText(int dataSize)
{
    if (ProgrammerDevice::fitsFlash(dataSize))
        return {};
    return formatText(translated(kOversize).c_str(), dataSize, ProgrammerDevice::kFlashSize);
}

} // namespace orvex::ui
