#pragma once

#include <string>

namespace orvex {

// Told on the worker's thread each time the port was opened or failed to
// open, and when an open port is found gone (an adapter pulled out).
class PortObserver {
public:
    // openFailure says why the port is not open, for the operator; empty
    // when it is open or simply went away.
    virtual void portChanged(bool open, const std::string& openFailure) = 0;

protected:
    ~PortObserver() = default;
};

} // namespace orvex
