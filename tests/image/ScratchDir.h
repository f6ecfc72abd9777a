#pragma once

#include <filesystem>
#include <string>
#include <string_view>

namespace orvex::test {

// A fresh directory under the system temp directory, removed with everything
// in it when the object goes.
class ScratchDir {
public:
    ScratchDir();
    ~ScratchDir();
    ScratchDir(const ScratchDir&) = delete;
    ScratchDir& operator=(const ScratchDir&) = delete;

    // Path of name inside the directory, as a UTF-8 string.
    std::string pathOf(std::string_view name) const;
    // Writes content byte for byte to name and returns its path.
    std::string write(std::string_view name, std::string_view content) const;

private:
    std::filesystem::path root_;
};

} // namespace orvex::test
