#include "link/OpenFailure.h"

#ifndef _WIN32
#include <cerrno>
#include <grp.h>
#include <sys/stat.h>
#include <unistd.h>

#include <system_error>
#include <vector>
#endif

namespace orvex {

namespace {

std::string noSuchDevice(const std::string& devicePath)
{
    return "No such device: " + devicePath;
}

std::string notSerial(const std::string& devicePath)
{
    return "Not a serial device: " + devicePath;
}

std::string cannotOpen(const std::string& devicePath, const std::string& reason)
{
    return "Cannot open " + devicePath + ": " + reason;
}

std::string fromLibrary(const std::string& devicePath, OpenErrorClass libraryClass, const std::string& libraryText)
{
    switch (libraryClass) {
    case OpenErrorClass::NotFound:
        return noSuchDevice(devicePath);
    case OpenErrorClass::Permission:
        // Where the user's own rights are not the cause, someone else holds the device.
        return "Device busy: " + devicePath + " is in use or locked by another program";
    case OpenErrorClass::NotSerial:
        return notSerial(devicePath);
    case OpenErrorClass::Other:
        break;
    }
    return cannotOpen(devicePath, libraryText);
}

#ifndef _WIN32
std::string groupNameOf(gid_t gid)
{
    std::vector<char> buffer(4096);
    group entry{};
    group* found = nullptr;
    if (getgrgid_r(gid, &entry, buffer.data(), buffer.size(), &found) == 0 && found != nullptr)
        return found->gr_name;
    return std::to_string(gid);
}

// What the file system says about the path, where it says more than the library.
std::string describeFromSystem(const std::string& devicePath)
{
    struct stat status {};
    if (::stat(devicePath.c_str(), &status) != 0) {
        const int error = errno;
        return error == ENOENT || error == ENOTDIR ? noSuchDevice(devicePath)
                                                   : cannotOpen(devicePath, std::generic_category().message(error));
    }
    if (!S_ISCHR(status.st_mode))
        return notSerial(devicePath);
    if (::access(devicePath.c_str(), R_OK | W_OK) != 0 && errno == EACCES)
        return permissionDeniedText(devicePath, status.st_mode, groupNameOf(status.st_gid));
    return {};
}
#endif

} // namespace

std::string describeOpenFailure(const std::string& devicePath, OpenErrorClass libraryClass,
                                const std::string& libraryText)
{
#ifndef _WIN32
    if (std::string reason = describeFromSystem(devicePath); !reason.empty())
        return reason;
#endif
    return fromLibrary(devicePath, libraryClass, libraryText);
}

std::string permissionDeniedText(const std::string& devicePath, unsigned mode, const std::string& groupName)
{
    constexpr unsigned kGroupReadWrite = 0060;
    if ((mode & kGroupReadWrite) != kGroupReadWrite)
        return "Permission denied: " + devicePath + " may be read and written by its owner only";
    return "Permission denied: " + devicePath + " belongs to group '" + groupName
           + "'; add your user to it (sudo usermod -aG " + groupName + " $USER) and log in again";
}

} // namespace orvex
