#include "cli/CliOptions.h"
#include "cli/SerialPorts.h"
#include "notify/ProcedureStep.h"

#include <gtest/gtest.h>

using namespace orvex;
using namespace orvex::cli;
using Arguments = std::vector<std::string>;

namespace {

ParsedCommandLine parse(Arguments arguments)
{
    arguments.insert(arguments.begin(), "orvex-cli");
    return parseCommandLine(arguments);
}

CliOptions runOptions(const Arguments& arguments)
{
    const ParsedCommandLine parsed = parse(arguments);
    EXPECT_EQ(parsed.action, ParsedCommandLine::Action::Run) << parsed.message;
    return parsed.options.value_or(CliOptions{});
}

} // namespace

TEST(CommandLine, StepsMakeTheStepSetWhateverTheirOrderAndSpelling)
{
    const CliOptions all = runOptions({"-r", "out.bin", "-v", "-w", "-b", "-e", "-d", "fw.hex"});
    EXPECT_EQ(all.stepSet,
              StepBit::Detect | StepBit::Erase | StepBit::TestFF | StepBit::Program | StepBit::Verify | StepBit::Read);
    EXPECT_EQ(all.readBackFile, "out.bin");
    EXPECT_EQ(all.firmwareFile, "fw.hex");
    EXPECT_EQ(all.port, "COM1");
    EXPECT_FALSE(all.json);
    EXPECT_FALSE(all.traceFile);

    EXPECT_EQ(runOptions({"--blank-check"}).stepSet, StepBit::TestFF) << "the blank test's earlier name";
    EXPECT_EQ(runOptions({"--blank-test", "--detect"}).stepSet, StepBit::TestFF | StepBit::Detect);
    const CliOptions traced = runOptions({"-p", "/dev/ttyUSB3", "--json", "--trace", "t.txt", "--lenient", "-d"});
    EXPECT_EQ(traced.port, "/dev/ttyUSB3");
    EXPECT_TRUE(traced.json);
    EXPECT_EQ(traced.traceFile, "t.txt");
    EXPECT_TRUE(traced.lenient);
}

TEST(CommandLine, RefusesWhatCannotRunAndSaysWhy)
{
    const struct {
        Arguments arguments;
        const char* reasonPart;
    } refusals[] = {
        {{}, "no step"},
        {{"-p", "COM2"}, "no step"},
        {{"-w"}, "FIRMWARE"},
        {{"-v", "-d"}, "FIRMWARE"},
        {{"-d", "a.hex", "b.hex"}, "only one"},
        {{"--json", "-r", "-"}, "standard output"},
        {{"-d", "--trace"}, "trace"},
        {{"-d", "--bogus"}, "bogus"},
    };
    for (const auto& refusal : refusals) {
        const ParsedCommandLine parsed = parse(refusal.arguments);
        EXPECT_EQ(parsed.action, ParsedCommandLine::Action::Refuse) << refusal.reasonPart;
        EXPECT_NE(parsed.message.find(refusal.reasonPart), std::string::npos) << parsed.message;
    }
}

TEST(CommandLine, JsonIsAskedForEvenWhereTheRestCannotBeParsed)
{
    EXPECT_TRUE(asksForJson({"orvex-cli", "--bogus", "--json"}));
    EXPECT_FALSE(asksForJson({"orvex-cli", "-d", "json.hex"}));
    EXPECT_EQ(parse({"--list-ports", "-p", "COM3"}).action, ParsedCommandLine::Action::ListPorts);
}

TEST(CliOptions, EveryPortGivenIsKeptInItsOrder)
{
    const CliOptions several = runOptions({"-p", "COM2", "-p", "usb:A10K", "--port", "/dev/ttyUSB3", "-d"});
    EXPECT_EQ(several.ports, (std::vector<std::string>{"COM2", "usb:A10K", "/dev/ttyUSB3"}));
    EXPECT_EQ(several.port, "COM2");
    EXPECT_EQ(runOptions({"-d"}).ports, std::vector<std::string>{"COM1"});
}

TEST(UsbSerialPort, NamesTheOneAdapterWithThatSerialNumberOrSaysWhyNot)
{
    const std::vector<SerialAdapter> adapters{
        {"/dev/ttyUSB0", "A10K"}, {"/dev/ttyUSB1", "B20K"}, {"/dev/ttyUSB2", "CLONE"}, {"/dev/ttyUSB3", "CLONE"}};
    const ResolvedPort found = findAdapter("B20K", adapters);
    EXPECT_EQ(found.device, "/dev/ttyUSB1");
    EXPECT_FALSE(found.failure);
    const ResolvedPort missing = findAdapter("B20", adapters);
    ASSERT_TRUE(missing.failure);
    EXPECT_NE(missing.failure->find("no USB adapter with serial number B20"), std::string::npos);
    const ResolvedPort twice = findAdapter("CLONE", adapters);
    ASSERT_TRUE(twice.failure);
    EXPECT_NE(twice.failure->find("/dev/ttyUSB2, /dev/ttyUSB3"), std::string::npos) << *twice.failure;
    EXPECT_TRUE(twice.device.empty()) << "never one of several at random";
}
