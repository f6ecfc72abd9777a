#pragma once

#include <optional>
#include <string>

namespace orvex {
class RecordKeeping;
}

namespace orvex::station {

struct Yield {
    int passed = 0;
    int failed = 0;
};

// "Zmiana: 12 dobrych, 1 złych, uzysk 92,3 %" under the label given.
std::string yieldLine(const std::string& label, const Yield& yield);

// Today's runs of the job (UTC, as the records keep days), from the records;
// none when records are off or cannot be read.
std::optional<Yield> todaysYield(RecordKeeping& records, const std::string& job);

} // namespace orvex::station
