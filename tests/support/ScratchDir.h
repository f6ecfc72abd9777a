#pragma once

#include <cstdint>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <span>
#include <stdexcept>
#include <string>
#include <string_view>
#include <vector>

namespace orvex::test {

// A fresh directory under the system temp directory, removed with everything
// in it when the object goes; files are written and read byte for byte.
class ScratchDir {
public:
    ScratchDir()
    {
        // Each test process, and each test, needs a directory of its own.
        std::string pattern = (std::filesystem::temp_directory_path() / "orvex-test-XXXXXX").string();
        if (::mkdtemp(pattern.data()) == nullptr)
            throw std::runtime_error("no scratch directory could be created");
        root_ = pattern;
    }

    ~ScratchDir()
    {
        std::error_code ignored;
        std::filesystem::remove_all(root_, ignored);
    }

    ScratchDir(const ScratchDir&) = delete;
    ScratchDir& operator=(const ScratchDir&) = delete;

    std::string directory() const { return root_.string(); }
    // Path of name inside the directory, as a UTF-8 string.
    std::string pathOf(std::string_view name) const { return (root_ / name).string(); }

    // Writes content to name and returns its path.
    std::string write(std::string_view name, std::string_view content) const
    {
        const std::string path = pathOf(name);
        writeFile(path, content);
        return path;
    }

    static void writeFile(const std::string& path, std::string_view content)
    {
        std::ofstream file(path, std::ios::binary | std::ios::trunc);
        file.write(content.data(), static_cast<std::streamsize>(content.size()));
        if (!file)
            throw std::runtime_error("cannot write " + path);
    }

    static void writeFile(const std::string& path, std::span<const std::uint8_t> bytes)
    {
        writeFile(path, std::string_view(reinterpret_cast<const char*>(bytes.data()), bytes.size()));
    }

    static std::string readFile(const std::string& path)
    {
        std::ifstream in(path, std::ios::binary);
        return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
    }

    static std::vector<std::uint8_t> readBytes(const std::string& path)
    {
        const std::string text = readFile(path);
        return {text.begin(), text.end()};
    }

private:
    std::filesystem::path root_;
};

} // namespace orvex::test
