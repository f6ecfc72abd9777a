#include "sim/TtySymlink.h"

#include <filesystem>
#include <stdexcept>
#include <system_error>

namespace orvex::sim {

namespace fs = std::filesystem;

TtySymlink::TtySymlink(std::string linkPath, std::string target)
    : linkPath_(std::move(linkPath)), target_(std::move(target))
{
    std::error_code error;
    const auto status = fs::symlink_status(linkPath_, error);
    if (fs::exists(status) && !fs::is_symlink(status))
        throw std::runtime_error(linkPath_ + " exists and is not a symbolic link");
    if (fs::is_symlink(status))
        fs::remove(linkPath_, error);
    fs::create_symlink(target_, linkPath_, error);
    if (error)
        throw std::runtime_error("cannot link " + linkPath_ + " to " + target_ + ": " + error.message());
}

TtySymlink::~TtySymlink()
{
    std::error_code error;
    if (fs::is_symlink(fs::symlink_status(linkPath_, error)) && fs::read_symlink(linkPath_, error) == target_)
        fs::remove(linkPath_, error);
}

} // namespace orvex::sim
