#include "engine/RunTexts.h"

#include "device/TextFormat.h"
#include "notify/OperatorText.h"

namespace orvex::RunTexts {

namespace {

constexpr const char* kVersionOnline = "Prog ver.: %c.%c.%c ONLINE";
constexpr const char* kConnectionError = "Connection ERROR";
constexpr OperatorText kCommunicationError = ORVEX_TEXT("RunTexts", "ERROR komunikacji");
constexpr const char* kPowerOnError = "Prog Power ON ERROR";
constexpr const char* kPowerOffError = "Prog Power OFF ERROR";

constexpr OperatorText kErasing = ORVEX_TEXT("RunTexts", "Kasowanie FLASH... ");
constexpr OperatorText kBlankTesting = ORVEX_TEXT("RunTexts", "Test czystości... ");
constexpr const char* kOk = "OK";
constexpr const char* kError = "ERROR";
constexpr OperatorText kNoConnection = ORVEX_TEXT("RunTexts", "Blad polaczenia");

constexpr OperatorText kProgramming = ORVEX_TEXT("RunTexts", "Programowanie ");
constexpr OperatorText kVerifying = ORVEX_TEXT("RunTexts", "Weryfikacja ");
constexpr OperatorText kReading = ORVEX_TEXT("RunTexts", "Odczyt ");
constexpr const char* kImageTransferRunning = "...";
constexpr const char* kReadRunning = " ...";
constexpr const char* kProgressSuffix = ": %i/%i";
constexpr const char* kInitError = "INIT ERROR";
constexpr const char* kBlockErrorAt = "ERROR at %i";
constexpr OperatorText kTransferCommunicationError = ORVEX_TEXT("RunTexts", "ERR komunikacji");
constexpr OperatorText kReadReplyError = ORVEX_TEXT("RunTexts", "ERR odczytu");
constexpr const char* kEndError = "End ERROR";
constexpr const char* kTransferOk = "... OK";
constexpr OperatorText kOutOfMemory = ORVEX_TEXT("RunTexts", "Za malo pamieci!!!");

constexpr OperatorText kRunSucceeded = ORVEX_TEXT("RunTexts", "PROGRAM OK. Czas: %.3f s");
// After the run time when the data read back was not saved.
constexpr OperatorText kReadBackNotSaved = ORVEX_TEXT("RunTexts", " — odczytu nie zapisano");

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
        return translated(kCommunicationError);
    return finished.step == RunStep::PowerOn ? kPowerOnError : kPowerOffError;
}

// Erase and blank test: the start text and one word, or only the failure
// of the connection.
std::string wholeFlashLine(const StepFinished& finished)
{
    if (failedOnTheLine(finished.outcome))
        return translated(kNoConnection);
    return *startLine(finished.step) + (finished.ok() ? kOk : kError);
}

std::string transferSuffix(const StepFinished& finished)
{
    switch (finished.outcome) {
    case StepOutcome::Ok:
        return kTransferOk;
    case StepOutcome::InitRefused:
        return kInitError;
    case StepOutcome::EndRefused:
        return kEndError;
    case StepOutcome::BadReadReply:
        return translated(kReadReplyError);
    case StepOutcome::OutOfMemory:
        return translated(kOutOfMemory);
    default:
        return translated(kTransferCommunicationError);
    }
}

OperatorText failureMessage(RunStep failedStep)
{
    switch (failedStep) {
    case RunStep::Detect:
        return ORVEX_TEXT("RunTexts", "Blad polaczenia z programatorem");
    case RunStep::PowerOn:
        return ORVEX_TEXT("RunTexts", "Blad inicjalizacji programowania");
    case RunStep::Erase:
        return ORVEX_TEXT("RunTexts", "Blad podczas kasowania ukladu");
    case RunStep::BlankTest:
        return ORVEX_TEXT("RunTexts", "Blad - pamiec zapisana");
    case RunStep::Program:
        return ORVEX_TEXT("RunTexts", "Blad podczas programowania ukladu");
    case RunStep::Verify:
        return ORVEX_TEXT("RunTexts", "Blad podczas weryfikacji programu");
    case RunStep::Read:
        return ORVEX_TEXT("RunTexts", "Blad podczas odczytu programu");
    case RunStep::PowerOff:
        break;
    }
    return ORVEX_TEXT("RunTexts", "Blad podczas zakonczenia procedury");
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
        return translated(kErasing);
    case RunStep::BlankTest:
        return translated(kBlankTesting);
    case RunStep::Program:
        return translated(kProgramming);
    case RunStep::Verify:
        return translated(kVerifying);
    case RunStep::Read:
        return translated(kReading);
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
    if (!finished.ok())
        return translated(failureMessage(*finished.failedStep));
    const std::string succeeded = formatText(translated(kRunSucceeded).c_str(), finished.seconds);
    return finished.readBackLost() ? succeeded + translated(kReadBackNotSaved) : succeeded;
}

} // namespace orvex::RunTexts
