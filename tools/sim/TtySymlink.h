#pragma once

#include <string>

namespace orvex::sim {

// A symbolic link with a fixed name to the pty, whose own name changes from
// run to run, so that scripts and settings can name the port once.
class TtySymlink {
public:
    // Replaces an existing symbolic link at linkPath, never another kind of
    // file. Throws std::runtime_error when the link cannot be made.
    TtySymlink(std::string linkPath, std::string target);
    // Removes the link unless it has been pointed elsewhere meanwhile.
    ~TtySymlink();
    TtySymlink(const TtySymlink&) = delete;
    TtySymlink& operator=(const TtySymlink&) = delete;

private:
    std::string linkPath_;
    std::string target_;
};

} // namespace orvex::sim
