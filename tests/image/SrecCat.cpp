#include "image/SrecCat.h"

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iterator>

namespace orvex::test {

namespace {

std::string quoted(const std::string& text)
{
    return "'" + text + "'";
}

} // namespace

bool srecCatAvailable()
{
    return std::filesystem::exists(kSrecCatPath);
}

bool runSrecCat(const std::string& hexPath, std::size_t end, const std::string& outPath)
{
    const std::string command = std::string(kSrecCatPath) + " " + quoted(hexPath) + " -Intel -fill 0xFF 0 "
                                + std::to_string(end) + " -o " + quoted(outPath) + " -Binary 2>"
                                + quoted(outPath + ".log");
    return std::system(command.c_str()) == 0;
}

Bytes readFileBytes(const std::string& path)
{
    std::ifstream file(path, std::ios::binary);
    return Bytes(std::istreambuf_iterator<char>(file), std::istreambuf_iterator<char>());
}

} // namespace orvex::test
