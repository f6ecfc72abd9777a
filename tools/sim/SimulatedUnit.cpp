#include "sim/SimulatedUnit.h"

#include "sim/BlockRequest.h"
#include "sim/ReplyFrames.h"

#include <algorithm>

namespace orvex::sim {

namespace {

constexpr std::uint8_t code(CommandCode command)
{
    return static_cast<std::uint8_t>(command);
}

constexpr std::uint8_t kUnusedCommand = 0x0C;

bool isKnownCommand(std::uint8_t command)
{
    return command <= code(CommandCode::CmdPowerOff) && command != kUnusedCommand;
}

// Version and the power switch are the unit's own business; everything else
// acts on the target and needs its programming power.
bool needsTargetPower(std::uint8_t command)
{
    return command != code(CommandCode::CmdGetVersion) && command != code(CommandCode::CmdPowerOn)
           && command != code(CommandCode::CmdPowerOff);
}

} // namespace

struct SimulatedUnit::Answer {
    Frame frame;
    std::chrono::milliseconds workTime{0};
};

SimulatedUnit::Answer SimulatedUnit::statusAnswer(std::uint8_t command, UnitStatus status,
                                                  std::chrono::milliseconds workTime)
{
    return {statusFrame(command, static_cast<std::uint8_t>(status)), workTime};
}

SimulatedUnit::SimulatedUnit(UnitOptions options)
    : options_(std::move(options)), flash_(kFlashSize), powered_(options_.poweredAtStart)
{
    faults_.swap(options_.faults); // kept there from now on
}

UnitReply SimulatedUnit::handleRequest(std::uint8_t command, std::span<const std::uint8_t> payload)
{
    std::lock_guard lock(mutex_);
    if (options_.keepRequestLog)
        requests_.push_back({command, {payload.begin(), payload.end()}});
    const auto fault = nextFault(command);
    // A refused request is not carried out at all; every other fault strikes
    // after the work is done.
    if (fault && fault->action == FaultAction::Refuse)
        return deliver({statusFrame(command, fault->value)}, std::nullopt);
    return deliver(carryOut(command, payload), fault);
}

SimulatedUnit::Answer SimulatedUnit::carryOut(std::uint8_t command, std::span<const std::uint8_t> payload)
{
    if (!isKnownCommand(command))
        return statusAnswer(command, UnitStatus::UnknownCommand);
    if (needsTargetPower(command) && !powered_)
        return statusAnswer(command, UnitStatus::PowerOff);

    switch (static_cast<CommandCode>(command)) {
    case CommandCode::CmdGetVersion:
        return {versionFrame(options_.versionChars)};
    case CommandCode::CmdPowerOn:
        return switchPower(command, true);
    case CommandCode::CmdPowerOff:
        return switchPower(command, false);
    case CommandCode::CmdErase:
        return eraseFlash(command);
    case CommandCode::CmdBlankTest:
        return blankTest(command);
    default:
        return transferStep(command, *findTransferStep(command), payload);
    }
}

SimulatedUnit::Answer SimulatedUnit::switchPower(std::uint8_t command, bool on)
{
    powered_ = on;
    // Power loss ends any transfer: the target forgets it was being written.
    openTransfer_ = Transfer::None;
    return statusAnswer(command, UnitStatus::Ok);
}

SimulatedUnit::Answer SimulatedUnit::eraseFlash(std::uint8_t command)
{
    flash_.erase();
    return statusAnswer(command, UnitStatus::Ok, options_.eraseTime);
}

SimulatedUnit::Answer SimulatedUnit::blankTest(std::uint8_t command)
{
    const auto status = flash_.isBlank() ? UnitStatus::Ok : UnitStatus::NotBlank;
    return statusAnswer(command, status, options_.eraseTime);
}

std::optional<SimulatedUnit::TransferStep> SimulatedUnit::findTransferStep(std::uint8_t command)
{
    struct Commands {
        Transfer transfer;
        CommandCode init, block, end;
    };
    static constexpr std::array<Commands, 3> kTransfers{{
        {Transfer::Program, CommandCode::CmdProgramInit, CommandCode::CmdProgramBlock, CommandCode::CmdProgramEnd},
        {Transfer::Verify, CommandCode::CmdVerifyInit, CommandCode::CmdVerifyBlock, CommandCode::CmdVerifyEnd},
        {Transfer::Read, CommandCode::CmdReadInit, CommandCode::CmdReadBlock, CommandCode::CmdReadEnd},
    }};
    for (const Commands& t : kTransfers) {
        if (command == code(t.init))
            return TransferStep{t.transfer, Phase::Init};
        if (command == code(t.block))
            return TransferStep{t.transfer, Phase::Block};
        if (command == code(t.end))
            return TransferStep{t.transfer, Phase::End};
    }
    return std::nullopt;
}

SimulatedUnit::Answer SimulatedUnit::transferStep(std::uint8_t command, const TransferStep& step,
                                                  std::span<const std::uint8_t> payload)
{
    // An init always starts afresh: the PC abandons a failed transfer without
    // its end request and begins the next run with a new init.
    if (step.phase == Phase::Init) {
        openTransfer_ = step.transfer;
        return statusAnswer(command, UnitStatus::Ok);
    }
    if (openTransfer_ != step.transfer)
        return statusAnswer(command, UnitStatus::NoTransfer);
    if (step.phase == Phase::End) {
        openTransfer_ = Transfer::None;
        return statusAnswer(command, UnitStatus::Ok);
    }
    return transferBlock(command, step.transfer, payload);
}

SimulatedUnit::Answer SimulatedUnit::transferBlock(std::uint8_t command, Transfer transfer,
                                                   std::span<const std::uint8_t> payload)
{
    const auto block =
        transfer == Transfer::Read ? parseReadBlock(payload, kFlashSize) : parseDataBlock(payload, kFlashSize);
    if (!block)
        return statusAnswer(command, UnitStatus::BadBlock);

    switch (transfer) {
    case Transfer::Program:
        flash_.program(block->address, block->data);
        return statusAnswer(command, UnitStatus::Ok, options_.blockTime);
    case Transfer::Verify: {
        const auto status = flash_.holds(block->address, block->data) ? UnitStatus::Ok : UnitStatus::Mismatch;
        return statusAnswer(command, status, options_.blockTime);
    }
    default:
        return {readBlockFrame(block->header, flash_.read(block->address, kBlockSize)), options_.blockTime};
    }
}

UnitReply SimulatedUnit::deliver(const Answer& answer, const std::optional<FaultRule>& fault) const
{
    if (fault && fault->action == FaultAction::Silent)
        return {{}, answer.workTime};

    Frame frame = answer.frame;
    if (fault && fault->action == FaultAction::WrongCommand) {
        frame.setCommand(static_cast<CommandCode>(fault->value));
        frame.seal();
    }
    if (fault && fault->action == FaultAction::BadCrc)
        frame[Frame::kPayloadOffset + frame.length()] ^= 0xFF;
    return {noiseThenFrame(options_.noiseBytes, frame), answer.workTime};
}

std::optional<FaultRule> SimulatedUnit::nextFault(std::uint8_t command)
{
    const int occurrence = ++receivedPerCommand_[command];
    const auto rule = std::find_if(faults_.begin(), faults_.end(), [&](const FaultRule& r) {
        return r.command == command && (r.occurrence == 0 || r.occurrence == occurrence);
    });
    if (rule == faults_.end())
        return std::nullopt;
    return *rule;
}

std::vector<std::uint8_t> SimulatedUnit::flash() const
{
    std::lock_guard lock(mutex_);
    return flash_.contents();
}

void SimulatedUnit::setFlash(std::span<const std::uint8_t> contents)
{
    std::lock_guard lock(mutex_);
    flash_.load(contents);
}

bool SimulatedUnit::powered() const
{
    std::lock_guard lock(mutex_);
    return powered_;
}

std::vector<ReceivedRequest> SimulatedUnit::requests() const
{
    std::lock_guard lock(mutex_);
    return requests_;
}

void SimulatedUnit::clearRequests()
{
    std::lock_guard lock(mutex_);
    requests_.clear();
}

void SimulatedUnit::addFault(FaultRule rule)
{
    std::lock_guard lock(mutex_);
    faults_.push_back(rule);
}

} // namespace orvex::sim
