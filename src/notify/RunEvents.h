#pragma once

#include <array>
#include <cstdint>
#include <memory>
#include <optional>
#include <string>
#include <variant>
#include <vector>

namespace orvex {

// The operations of a run, in their order. Power on and off come with every
// run; the others only when their step is chosen.
enum class RunStep { Detect, PowerOn, Erase, BlankTest, Program, Verify, Read, PowerOff };

// Every way a step can end. The word of each (outcomeWord) is what scripts
// read, so a word is never renamed.
enum class StepOutcome {
    Ok,
    Refused,      // a whole-flash command or a power switch said no
    NotBlank,     // the blank test found written cells
    InitRefused,  // the unit refused the start of a transfer
    BlockRefused, // a program block was refused; address says which
    Mismatch,     // a verify block differed; address says which
    EndRefused,   // the unit refused the end of a transfer
    BadReadReply, // a read reply to another command, or too short for its block
    NoReply,      // the 5000 ms passed without a whole reply
    BadCrc,       // a reply came with a wrong CRC
    PortClosed,   // the port is closed, or closed itself (an adapter pulled out)
    OutOfMemory,  // no memory for the read-back
};

// "detect", "power_on", "blank_test", ...
const char* stepName(RunStep step);
// "ok", "refused", "not_blank", ...
const char* outcomeWord(StepOutcome outcome);

// The firmware a run programs or verifies, taken when the run is asked for
// and never changed afterwards: what the operator does with the window
// during a run cannot reach the bytes the unit gets.
struct RunImage {
    struct FileFacts {
        std::string path;
        std::uint64_t size = 0;
        std::string sha256; // lower-case hex, of the file's bytes
    };
    FileFacts file;
    std::vector<std::uint8_t> bytes; // the data bytes sent to the unit
    std::string sha256;              // of bytes
};

struct RunStarted {
    std::vector<RunStep> steps;            // the chosen ones, in the run's order, power steps left out
    std::shared_ptr<const RunImage> image; // none without firmware
};

struct StepStarted {
    RunStep step;
};

struct StepProgress {
    RunStep step;
    int done = 0;
    int total = 0;
};

struct StepFinished {
    StepFinished(RunStep endedStep, StepOutcome endedWith = StepOutcome::Ok,
                 std::optional<std::uint32_t> failedAddress = std::nullopt)
        : step(endedStep), outcome(endedWith), address(failedAddress)
    {
    }

    RunStep step;
    StepOutcome outcome = StepOutcome::Ok;
    std::optional<std::uint32_t> address;           // the failing block's, for BlockRefused and Mismatch
    std::optional<std::array<char, 3>> unitVersion; // what a successful detect read
    std::string text;                               // the step's status line as the window shows it
    bool ok() const { return outcome == StepOutcome::Ok; }
};

struct ReadBackFacts {
    std::optional<std::string> path; // none when it was not saved
    std::uint64_t size = 0;
    std::string sha256;
};

struct RunFinished {
    std::optional<RunStep> failedStep; // none when every step passed
    std::string message;               // the result line the run ends with
    double seconds = 0;
    std::optional<ReadBackFacts> readBack; // none when nothing was read
    bool ok() const { return !failedStep; }
    // Every step passed, but the data read back went nowhere.
    bool readBackLost() const { return ok() && readBack && !readBack->path; }
};

using RunEvent = std::variant<RunStarted, StepStarted, StepProgress, StepFinished, RunFinished>;

// Whoever presents or keeps what a run does. Called on the worker's thread,
// in the order things happen; it must not wait for the thread that started
// the run.
class RunObserver {
public:
    virtual void onRunEvent(const RunEvent& event) = 0;

protected:
    ~RunObserver() = default;
};

} // namespace orvex
