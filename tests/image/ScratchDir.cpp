#include "ScratchDir.h"

#include <fstream>
#include <random>
#include <stdexcept>

namespace orvex::test {

ScratchDir::ScratchDir()
{
    std::random_device entropy;
    // Parallel test processes each need their own directory.
    for (int attempt = 0; attempt < 100; ++attempt) {
        root_ = std::filesystem::temp_directory_path() / ("orvex-image-" + std::to_string(entropy()));
        if (std::filesystem::create_directory(root_))
            return;
    }
    throw std::runtime_error("no scratch directory could be created");
}

ScratchDir::~ScratchDir()
{
    std::error_code ignored;
    std::filesystem::remove_all(root_, ignored);
}

std::string ScratchDir::pathOf(std::string_view name) const
{
    return (root_ / name).string();
}

std::string ScratchDir::write(std::string_view name, std::string_view content) const
{
    const std::string path = pathOf(name);
    std::ofstream file(path, std::ios::binary | std::ios::trunc);
    file.write(content.data(), static_cast<std::streamsize>(content.size()));
    if (!file)
        throw std::runtime_error("cannot write " + path);
    return path;
}

} // namespace orvex::test
