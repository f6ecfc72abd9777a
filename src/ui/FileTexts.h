#pragma once

#include <ctime>
#include <string>

namespace orvex {
struct LoadReport;
}

namespace orvex::ui {

// The file panel's two texts, always in the C locale: the month name stays
// English and the time hours:minutes:seconds whatever the environment's
// language (Qt sets the C library's locale from it at start-up).

// "07 December, 01:52:09": the local time of modified.
std::string fileTimeText(std::time_t modified);
// "File:  36865 (0x09001), Data:  32768 (0x08000) bajtów"
std::string fileSizeText(int rawLength, int dataSize);

// How many lines of a HEX file were skipped and why the first was, e.g.
// "Pominięte wiersze: 3 (pierwszy: wiersz 12, błędna suma kontrolna)".
// Empty when the file was taken whole.
std::string skippedLinesText(const LoadReport& report);

// "Plik za duży: 204800 B, pamięć układu: 131072 B" for data the flash cannot
// hold; empty when it can.
std::string oversizeText(int dataSize);

} // namespace orvex::ui
