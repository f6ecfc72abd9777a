#include "notify/RunEvents.h"

namespace orvex {

const char* stepName(RunStep step)
{
    switch (step) {
    case RunStep::Detect:
        return "detect";
    case RunStep::PowerOn:
        return "power_on";
    case RunStep::Erase:
        return "erase";
    case RunStep::BlankTest:
        return "blank_test";
    case RunStep::Program:
        return "program";
    case RunStep::Verify:
        return "verify";
    case RunStep::Read:
        return "read";
    case RunStep::PowerOff:
        return "power_off";
    }
    return "";
}

const char* outcomeWord(StepOutcome outcome)
{
    switch (outcome) {
    case StepOutcome::Ok:
        return "ok";
    case StepOutcome::Refused:
        return "refused";
    case StepOutcome::NotBlank:
        return "not_blank";
    case StepOutcome::InitRefused:
        return "init_refused";
    case StepOutcome::BlockRefused:
        return "block_refused";
    case StepOutcome::Mismatch:
        return "mismatch";
    case StepOutcome::EndRefused:
        return "end_refused";
    case StepOutcome::BadReadReply:
        return "bad_read_reply";
    case StepOutcome::NoReply:
        return "no_reply";
    case StepOutcome::BadCrc:
        return "bad_crc";
    case StepOutcome::PortClosed:
        return "port_closed";
    case StepOutcome::OutOfMemory:
        return "out_of_memory";
    }
    return "";
}

} // namespace orvex
