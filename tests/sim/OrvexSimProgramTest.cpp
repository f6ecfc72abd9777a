#include "sim/UnitTestSupport.h"
#include "support/ScratchDir.h"

#include <QProcess>

#include <signal.h>
#include <filesystem>
#include <optional>
#include <string>

namespace orvex::sim::test {
namespace {

namespace fs = std::filesystem;
using Cmd = CommandCode;
using std::chrono::milliseconds;

constexpr milliseconds kStartTimeout{5000};
constexpr milliseconds kExitTimeout{5000};

// orvex-sim run with these arguments, its output on pipes; killed if it is
// still running at the end.
class SimProgram {
public:
    explicit SimProgram(const std::vector<std::string>& arguments)
    {
        QStringList list;
        for (const std::string& argument : arguments)
            list << QString::fromStdString(argument);
        process_.start(ORVEX_SIM_PATH, list);
    }
    ~SimProgram()
    {
        process_.kill();
        process_.waitForFinished();
    }
    SimProgram(const SimProgram&) = delete;
    SimProgram& operator=(const SimProgram&) = delete;

    bool started() { return process_.waitForStarted(); }
    // The next line of standard output without its newline; nothing on time-out or end.
    std::optional<std::string> readLine(milliseconds timeout)
    {
        const auto deadline = TtyClient::Clock::now() + timeout;
        while (!process_.canReadLine()) {
            const auto left = std::chrono::ceil<milliseconds>(deadline - TtyClient::Clock::now()).count();
            if (left <= 0 || !process_.waitForReadyRead(static_cast<int>(left)))
                return std::nullopt;
        }
        return process_.readLine().chopped(1).toStdString();
    }
    void sendSignal(int signal) { ::kill(static_cast<pid_t>(process_.processId()), signal); }
    // The exit status; nothing when the program did not exit by itself in time.
    std::optional<int> waitForExit(milliseconds timeout)
    {
        if (!process_.waitForFinished(static_cast<int>(timeout.count()))
            || process_.exitStatus() != QProcess::NormalExit)
            return std::nullopt;
        return process_.exitCode();
    }
    // Everything written to standard error, once the program has ended.
    std::string standardError() { return process_.readAllStandardError().toStdString(); }

private:
    QProcess process_;
};

class OrvexSimProgramTest : public testing::Test {
protected:
    fs::path pathOf(const char* name) const { return scratch_.pathOf(name); }
    static void writeFile(const fs::path& path, const std::vector<std::uint8_t>& bytes)
    {
        orvex::test::ScratchDir::writeFile(path.string(), bytes);
    }
    static std::vector<std::uint8_t> readFile(const fs::path& path)
    {
        return orvex::test::ScratchDir::readBytes(path.string());
    }

    orvex::test::ScratchDir scratch_;
};

TEST_F(OrvexSimProgramTest, ServesThroughItsLinkAndKeepsTheFlashAcrossRuns)
{
    const auto link = pathOf("unit");
    const auto flashFile = pathOf("flash.bin");
    const auto statsFile = pathOf("timing.txt");
    fs::create_symlink("/nonexistent/stale-tty", link);
    writeFile(flashFile, std::vector<std::uint8_t>(100, 0x0F));
    SimProgram sim({"--link", link.string(), "--flash", flashFile.string(), "--version-chars", "9AB", "--refuse",
                    "power-on:1=0x42", "--stats", statsFile.string()});
    ASSERT_TRUE(sim.started());

    const auto ttyPath = sim.readLine(kStartTimeout);
    ASSERT_TRUE(ttyPath.has_value());
    EXPECT_EQ(fs::read_symlink(link), *ttyPath);
    {
        TtyClient tty(link.string());
        ASSERT_TRUE(tty.isOpen());
        EXPECT_EQ(tty.exchange(Cmd::CmdGetVersion)->payload, (std::vector<std::uint8_t>{'9', 'A', 'B'}));
        EXPECT_EQ(tty.exchange(Cmd::CmdPowerOn)->status(), 0x42);
        ASSERT_EQ(tty.exchange(Cmd::CmdPowerOn)->status(), 0);
        ASSERT_EQ(tty.exchange(Cmd::CmdProgramInit)->status(), 0);
        ASSERT_EQ(tty.exchange(Cmd::CmdProgramBlock, dataBlock(64, std::vector<std::uint8_t>(64, 0x3C)))->status(), 0);
        ASSERT_EQ(tty.exchange(Cmd::CmdProgramEnd)->status(), 0);
    }

    sim.sendSignal(SIGTERM);
    EXPECT_EQ(sim.waitForExit(kExitTimeout), 0);
    EXPECT_FALSE(fs::exists(fs::symlink_status(link)));
    const auto flash = readFile(flashFile);
    ASSERT_EQ(flash.size(), static_cast<std::size_t>(SimulatedUnit::kFlashSize));
    EXPECT_EQ(flash[0], 0x0F);
    EXPECT_EQ(flash[64], 0x0C) << "programmed over the loaded bytes";
    EXPECT_EQ(flash[100], 0x3C) << "programmed over erased cells";
    EXPECT_EQ(flash[128], 0xFF);
    const auto stats = readFile(statsFile);
    EXPECT_EQ(std::string(stats.begin(), stats.end()).rfind("replies 6\nbytes-received 102\nbytes-sent 38\n", 0), 0u);
}

TEST_F(OrvexSimProgramTest, StopsCleanlyOnSigintAndCreatesAMissingFlashFile)
{
    const auto link = pathOf("unit");
    const auto flashFile = pathOf("new-flash.bin");
    SimProgram sim({"--link", link.string(), "--flash", flashFile.string()});
    ASSERT_TRUE(sim.readLine(kStartTimeout).has_value());

    sim.sendSignal(SIGINT);

    EXPECT_EQ(sim.waitForExit(kExitTimeout), 0);
    EXPECT_EQ(readFile(flashFile), std::vector<std::uint8_t>(SimulatedUnit::kFlashSize, 0xFF));
    EXPECT_FALSE(fs::exists(fs::symlink_status(link)));
}

TEST_F(OrvexSimProgramTest, ExitsWithStatus2AndAMessageForABadOption)
{
    SimProgram sim({"--refuse", "nonsense"});

    EXPECT_EQ(sim.waitForExit(kExitTimeout), 2);
    EXPECT_NE(sim.standardError().find("nonsense"), std::string::npos);
    EXPECT_FALSE(sim.readLine(milliseconds(0)).has_value());
}

TEST_F(OrvexSimProgramTest, RefusesAFlashFileLargerThanTheFlashAndLeavesItAlone)
{
    const auto flashFile = pathOf("big.bin");
    const std::vector<std::uint8_t> big(SimulatedUnit::kFlashSize + 1, 0x11);
    writeFile(flashFile, big);
    SimProgram sim({"--flash", flashFile.string()});

    EXPECT_EQ(sim.waitForExit(kExitTimeout), 1);
    EXPECT_NE(sim.standardError().find("big.bin"), std::string::npos);
    EXPECT_EQ(readFile(flashFile), big);
}

TEST_F(OrvexSimProgramTest, RefusesAFlashFileThatIsNotARegularFileWithoutReadingIt)
{
    SimProgram sim({"--flash", "/dev/zero"});

    EXPECT_EQ(sim.waitForExit(kExitTimeout), 1);
    EXPECT_NE(sim.standardError().find("/dev/zero is not a regular file"), std::string::npos);
}

TEST_F(OrvexSimProgramTest, WillNotReplaceAFileThatIsNotASymlink)
{
    const auto notALink = pathOf("settings.txt");
    writeFile(notALink, {'k', 'e', 'e', 'p'});
    SimProgram sim({"--link", notALink.string()});

    EXPECT_EQ(sim.waitForExit(kExitTimeout), 1);
    EXPECT_EQ(readFile(notALink), (std::vector<std::uint8_t>{'k', 'e', 'e', 'p'}));
}

} // namespace
} // namespace orvex::sim::test
