#include "ui/FileTexts.h"

#include "device/ProgrammerDevice.h"
#include "device/TextFormat.h"
#include "image/LoadReport.h"

#include <array>
#include <clocale>
#include <locale.h> // newlocale, strftime_l; _create_locale, _strftime_l on Windows
#include <time.h>

namespace orvex::ui {

namespace {

constexpr char kTimeFormat[] = "%d %B, %X";

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
const char* rejectionText(LineRejection reason)
{
    switch (reason) {
    case LineRejection::NotARecord:
        return "nie rekord (brak ':' na początku)";
    case LineRejection::BadCharacter:
        return "znak spoza cyfr szesnastkowych";
    case LineRejection::TooShort:
        return "za krótki na rekord";
    case LineRejection::ByteCountBeyondLine:
        return "liczba bajtów dłuższa niż wiersz";
    case LineRejection::BadChecksum:
        return "błędna suma kontrolna";
    case LineRejection::BeyondAddressLimit:
        return "rekord sięga poza 2 GiB";
    case LineRejection::AddressWithoutValue:
        return "rekord adresu bez dwubajtowej wartości";
    }
    return "nieznany powód";
}

} // namespace

std::string fileTimeText(std::time_t modified)
{
    return formatInCLocale(localTime(modified));
}

std::string fileSizeText(int rawLength, int dataSize)
{
    return formatText("File: %6i (0x%05X), Data: %6i (0x%05X) bajtów", rawLength, static_cast<unsigned>(rawLength),
                      dataSize, static_cast<unsigned>(dataSize));
}

std::string skippedLinesText(const LoadReport& report)
{
    if (report.rejectedLines.empty())
        return {};
    const RejectedLine& first = report.rejectedLines.front();
    return "Pominięte wiersze: " + std::to_string(report.rejectedLineCount) + " (pierwszy: wiersz "
        + std::to_string(first.lineNumber) + ", " + rejectionText(first.reason) + ")";
}

std::string oversizeText(int dataSize)
{
    if (ProgrammerDevice::fitsFlash(dataSize))
        return {};
    return formatText("Plik za duży: %i B, pamięć układu: %i B", dataSize, ProgrammerDevice::kFlashSize);
}

} // namespace orvex::ui
