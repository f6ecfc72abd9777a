#pragma once

#include <optional>
#include <string>

namespace orvex {

// Where the data read back from the chip goes: the window asks the operator,
// the command line knows it from its options. Called on the worker's thread.
class ReadBackPrompt {
public:
    // Waits for the answer. No value when the operator cancels.
    virtual std::optional<std::string> chooseReadBackFile() = 0;
    // Tells the operator that the read-back data could not be written.
    virtual void reportSaveFailure(const std::string& path, const std::string& reason) = 0;

protected:
    ~ReadBackPrompt() = default;
};

} // namespace orvex
