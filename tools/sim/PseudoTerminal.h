#pragma once

#include "sim/FileDescriptor.h"

#include <string>

namespace orvex::sim {

// A pseudo-terminal in raw mode whose slave side stands in for the unit's
// serial port. It keeps a slave descriptor of its own: without one, the
// master reads EIO and polls as hung up whenever no program has the port open.
class PseudoTerminal {
public:
    // Throws std::system_error when no pty can be had.
    PseudoTerminal();

    int master() const { return master_.get(); }
    // The slave side then sees a device that has vanished.
    void closeMaster() { master_.reset(); }
    const std::string& slavePath() const { return slavePath_; }

private:
    FileDescriptor master_;
    FileDescriptor slave_;
    std::string slavePath_;
};

} // namespace orvex::sim
