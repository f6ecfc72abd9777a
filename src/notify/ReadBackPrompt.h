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
    // Whether a failed save is followed by the save dialog once more, until
    // the data is saved or the operator cancels. Only for a prompt whose
    // answers an operator gives: one that answers alike every time would
    // never be done.
    virtual bool offersSaveAgain() const { return false; }

protected:
    ~ReadBackPrompt() = default;
};

} // namespace orvex
