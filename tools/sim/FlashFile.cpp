#include "sim/FlashFile.h"

#include <filesystem>
#include <fstream>
#include <iterator>
#include <stdexcept>

namespace orvex::sim {

std::vector<std::uint8_t> loadFlashFile(const std::string& path, std::size_t maxSize)
{
    std::ifstream file(path, std::ios::binary);
    if (!file) {
        if (!std::filesystem::exists(path))
            return {};
        throw std::runtime_error("cannot read the flash file " + path);
    }
    std::vector<std::uint8_t> contents{std::istreambuf_iterator<char>(file), std::istreambuf_iterator<char>()};
    if (file.bad())
        throw std::runtime_error("cannot read the flash file " + path);
    if (contents.size() > maxSize)
        throw std::runtime_error("the flash file " + path + " holds " + std::to_string(contents.size())
                                 + " bytes, more than the " + std::to_string(maxSize) + " of the flash");
    return contents;
}

void saveFlashFile(const std::string& path, const std::vector<std::uint8_t>& contents)
{
    std::ofstream file(path, std::ios::binary | std::ios::trunc);
    file.write(reinterpret_cast<const char*>(contents.data()), static_cast<std::streamsize>(contents.size()));
    file.close();
    if (!file)
        throw std::runtime_error("cannot write the flash file " + path);
}

} // namespace orvex::sim
