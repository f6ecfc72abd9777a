#pragma once

#include <string>

namespace orvex::sim {

// A symbolic link with a fixed name to the pty, whose own name changes from
// run to run, so that scripts and settings can name the port once.
class DeviceLink {
public:
    // Replaces an existing symbolic link at linkPath, never another kind of
    // file. Throws std::runtime_error when the link cannot be made.
    DeviceLink(std::string linkPath, std::string target);
    // Removes the link unless it has been pointed elsewhere meanwhile.
    ~DeviceLink();
    DeviceLink(const DeviceLink&) = delete;
    DeviceLink& operator=(const DeviceLink&) = delete;

private:
    std::string linkPath_;
    std::string target_;
};

} // namespace orvex::sim
