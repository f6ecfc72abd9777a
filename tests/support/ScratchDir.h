#pragma once

#include <cstdint>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <random>
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
    // Each test process, and each test, needs a directory of its own.
    ScratchDir()
    {
#ifdef _WIN32
        // No mkdtemp(): a random name, tried until one is new.
        std::random_device random;
        for (int attempt = 0; attempt < 100 && root_.empty(); ++attempt) {
            const auto candidate = std::filesystem::temp_directory_path() / ("orvex-test-" + std::to_string(random()));
            if (std::filesystem::create_directory(candidate))
                root_ = candidate;
        }
        if (root_.empty())
            throw std::runtime_error("no scratch directory could be created");
#else
        std::string pattern = (std::filesystem::temp_directory_path() / "orvex-test-XXXXXX").string();
        if (::mkdtemp(pattern.data()) == nullptr)
            throw std::runtime_error("no scratch directory could be created");
        root_ = pattern;
#endif
    }

    ~ScratchDir()
    {
        std::error_code ignored;
#ifdef _WIN32
        // Windows deletes no read-only file.
        for (const auto& entry : std::filesystem::recursive_directory_iterator(root_, ignored))
            std::filesystem::permissions(entry.path(), std::filesystem::perms::owner_write,
                                         std::filesystem::perm_options::add, ignored);
#endif
        std::filesystem::remove_all(root_, ignored);
    }

    ScratchDir(const ScratchDir&) = delete;
    ScratchDir& operator=(const ScratchDir&) = delete;

    std::string directory() const
    {
        return toUtf8(root_);
    }
    // Path of name (UTF-8) inside the directory, as a UTF-8 string.
    std::string pathOf(std::string_view name) const
    {
        return toUtf8(root_ / fromUtf8(name));
    }

    // The program's paths are UTF-8 strings; the narrow strings of Windows'
    // file functions are in the ANSI code page instead, which lacks most
    // letters. On POSIX both are the same bytes.
    static std::filesystem::path fromUtf8(std::string_view utf8)
    {
        return std::u8string(utf8.begin(), utf8.end());
    }
    static std::string toUtf8(const std::filesystem::path& path)
    {
        const std::u8string utf8 = path.u8string();
        return {utf8.begin(), utf8.end()};
    }

    // Writes content to name and returns its path.
    std::string write(std::string_view name, std::string_view content) const
    {
        const std::string path = pathOf(name);
        writeFile(path, content);
        return path;
    }

    static void writeFile(const std::string& path, std::string_view content)
    {
        std::ofstream file(fromUtf8(path), std::ios::binary | std::ios::trunc);
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
        std::ifstream in(fromUtf8(path), std::ios::binary);
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
