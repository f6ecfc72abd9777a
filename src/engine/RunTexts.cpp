#include "engine/RunTexts.h"

#include "device/TextFormat.h"

namespace orvex::RunTexts {

namespace {

constexpr const char* kVersionOnline = "Prog ver.: %c.%c.%c ONLINE";
constexpr const char* kConnectionError = "Connection ERROR";
constexpr const char* kCommunicationError = "ERROR komunikacji";
constexpr const char* kPowerOnError = "Prog Power ON ERROR";
constexpr const char* kPowerOffError = "Prog Power OFF ERROR";

constexpr const char* kErasing = "Kasowanie FLASH... ";
constexpr const char* kBlankTesting = "Test czystości... ";
constexpr const char* kOk = "OK";
constexpr const char* kError = "ERROR";
constexpr const char* kNoConnection = "Blad polaczenia";

constexpr const char* kProgramming = "Programowanie ";
constexpr const char* kVerifying = "Weryfikacja ";
constexpr const char* kReading = "Odczyt ";
constexpr const char* kImageTransferRunning = "...";
constexpr const char* kReadRunning = " ...";
constexpr const char* kProgressSuffix = ": %i/%i";
constexpr const char* kInitError = "INIT ERROR";
constexpr const char* kBlockErrorAt = "ERROR at %i";
constexpr const char* kTransferCommunicationError = "ERR komunikacji";
constexpr const char* kReadReplyError = "ERR odczytu";
constexpr const char* kEndError = "End ERROR";
constexpr const char* kTransferOk = "... OK";
constexpr const char* kOutOfMemory = "Za malo pamieci!!!";

constexpr const char* kRunSucceeded = "PROGRAM OK. Czas: %.3f s";
// After the run time when the data read back was not saved.
constexpr const char* kReadBackNotSaved = " — odczytu nie zapisano";

bool failedOnTheLine(StepOutcome outcome)
{
    return outcome == StepOutcome::NoReply || outcome == StepOutcome::BadCrc || outcome == StepOutcome::PortClosed;
}

std::string detectLine(const StepFinished& finished)
{
    if (!finished.unitVersion)
        return kConnectionError;
    const auto& version = *finished.unitVersion;
    return formatText(kVersionOnline, version[0], version[1], version[2]);
}

std::string powerLine(const StepFinished& finished)
{
    if (finished.ok())
        return {};
    if (failedOnTheLine(finished.outcome))
        return kCommunicationError;
    return finished.step == RunStep::PowerOn ? kPowerOnError : kPowerOffError;
}

// Erase and blank test: the start text and one word, or only the failure
// of the connection.
std::string wholeFlashLine(const StepFinished& finished)
{
    if (failedOnTheLine(finished.outcome))
        return kNoConnection;
    return *startLine(finished.step) + (finished.ok() ? kOk : kError);
}

const char* transferSuffix(const StepFinished& finished)
{
    switch (finished.outcome) {
    case StepOutcome::Ok:
        return kTransferOk;
    case StepOutcome::InitRefused:
        return kInitError;
    case StepOutcome::EndRefused:
        return kEndError;
    case StepOutcome::BadReadReply:
        return kReadReplyError;
    case StepOutcome::OutOfMemory:
        return kOutOfMemory;
    default:
        return kTransferCommunicationError;
    }
}

std::string transferLine(const StepFinished& finished)
{
    std::string line = *startLine(finished.step);
    if (finished.address)
        return line + formatText(kBlockErrorAt, static_cast<int>(*finished.address));
    return line + transferSuffix(finished);
}

} // namespace

std::optional<ProcedureStep> statusLineOf(RunStep step)
{
    switch (step) {
    case RunStep::Detect:
        return ProcedureStep::Detect;
    case RunStep::Erase:
        return ProcedureStep::Erase;
    case RunStep::BlankTest:
        return ProcedureStep::TestFF;
    case RunStep::Program:
        return ProcedureStep::Program;
    case RunStep::Verify:
        return ProcedureStep::Verify;
    case RunStep::Read:
        return ProcedureStep::Read;
    case RunStep::PowerOn:
    case RunStep::PowerOff:
        break;
    }
    return std::nullopt;
}

std::optional<std::string> startLine(RunStep step)
{
    switch (step) {
    case RunStep::Erase:
        return kErasing;
    case RunStep::BlankTest:
        return kBlankTesting;
    case RunStep::Program:
        return kProgramming;
    case RunStep::Verify:
        return kVerifying;
    case RunStep::Read:
        return kReading;
    case RunStep::Detect:
    case RunStep::PowerOn:
    case RunStep::PowerOff:
        break;
    }
    return std::nullopt;
}

std::optional<std::string> startMainStatus(RunStep step)
{
    const auto line = startLine(step);
    if (!line)
        return std::nullopt;
    switch (step) {
    case RunStep::Program:
    case RunStep::Verify:
        return *line + kImageTransferRunning;
    case RunStep::Read:
        return *line + kReadRunning;
    default:
        return line;
    }
}

std::string progressLine(RunStep step, int done, int total)
{
    return startLine(step).value_or(std::string()) + formatText(kProgressSuffix, done, total);
}

std::string finishedLine(const StepFinished& finished)
{
    switch (finished.step) {
    case RunStep::Detect:
        return detectLine(finished);
    case RunStep::PowerOn:
    case RunStep::PowerOff:
        return powerLine(finished);
    case RunStep::Erase:
    case RunStep::BlankTest:
        return wholeFlashLine(finished);
    case RunStep::Program:
    case RunStep::Verify:
    case RunStep::Read:
        break;
    }
    return transferLine(finished);
}

std::string runMessage(const RunFinished& finished)
{
    if (finished.ok()) {
        return formatText(kRunSucceeded, finished.seconds) + (finished.readBackLost() ? kReadBackNotSaved : "");
    }
    switch (*finished.failedStep) {
    case RunStep::Detect:
        return "Blad polaczenia z programatorem";
    case RunStep::PowerOn:
        return "Blad inicjalizacji programowania";
    case RunStep::Erase:
        return "Blad podczas kasowania ukladu";
    case RunStep::BlankTest:
        return "Blad - pamiec zapisana";
    case RunStep::Program:
        return "Blad podczas programowania ukladu";
    case RunStep::Verify:
        return "Blad podczas weryfikacji programu";
    case RunStep::Read:
        return "Blad podczas odczytu programu";
    case RunStep::PowerOff:
        break;
    }
    return "Blad podczas zakonczenia procedury";
}

} // namespace orvex::RunTexts
