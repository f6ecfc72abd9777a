#include "engine/ProcedureExecutor.h"
#include "support/RecordingNotifier.h"
#include "support/ScratchDir.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <random>
#include <thread>

#ifndef _WIN32
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>
#endif

using namespace orvex;
using test::RecordingNotifier;
using test::ScratchDir;
using Bytes = std::vector<std::uint8_t>;
namespace fs = std::filesystem;

namespace {

constexpr std::size_t kFlashBytes = 131072;

Bytes flashContents()
{
    std::mt19937 rng(5);
    Bytes bytes(kFlashBytes);
    for (auto& b : bytes)
        b = static_cast<std::uint8_t>(rng());
    return bytes;
}

std::size_t entriesIn(const std::string& folder)
{
    return static_cast<std::size_t>(std::distance(fs::directory_iterator(folder), fs::directory_iterator()));
}

#ifndef _WIN32
mode_t modeOf(const std::string& path)
{
    struct stat status {};
    stat(path.c_str(), &status);
    return status.st_mode;
}
#endif

} // namespace

class ReadBackSaving : public ::testing::Test {
protected:
    ScratchDir scratch;
    RecordingNotifier notifier;
    const Bytes data = flashContents();

    bool saveTo(const std::string& path)
    {
        notifier.answerReadBackFile(path);
        return saveReadBackData(notifier, data).has_value();
    }

    bool failureReported() const { return !notifier.eventsOf(RecordingNotifier::Kind::SaveFailure).empty(); }
};

TEST_F(ReadBackSaving, RegularFileIsReplacedWholeAndKeepsItsMode)
{
    const std::string path = scratch.write("dump.bin", "old dump");
#ifndef _WIN32
    ASSERT_EQ(chmod(path.c_str(), 0640), 0);
#endif
    // A second name of the old file shows whether it was rewritten or replaced.
    const std::string oldName = scratch.pathOf("old-name.bin");
    fs::create_hard_link(path, oldName);

    EXPECT_EQ(saveTo(path), 1);
    EXPECT_EQ(ScratchDir::readBytes(path), data);
    EXPECT_EQ(ScratchDir::readFile(oldName), "old dump");
#ifndef _WIN32
    EXPECT_EQ(modeOf(path) & 07777, 0640u);
#endif
    EXPECT_EQ(entriesIn(scratch.directory()), 2u) << "no temporary file is left behind";
}

#ifdef _WIN32

// UTF-8 names reach Windows as UTF-16, whatever the ANSI code page lacks.
TEST_F(ReadBackSaving, PolishLettersAndSpacesInTheNameAreKept)
{
    const std::string path = scratch.pathOf("Odczyt żółwia ęą.bin");
    EXPECT_EQ(saveTo(path), 1);
    EXPECT_EQ(ScratchDir::readBytes(path), data);
    EXPECT_EQ(entriesIn(scratch.directory()), 1u);
}

// A device is written where it is, as on POSIX; no file named after it
// appears anywhere.
TEST_F(ReadBackSaving, DeviceNameIsWrittenInPlace)
{
    const fs::path before = fs::current_path();
    fs::current_path(ScratchDir::fromUtf8(scratch.directory()));
    const int result = saveTo("NUL");
    fs::current_path(before);
    EXPECT_EQ(result, 1);
    EXPECT_FALSE(failureReported());
    EXPECT_EQ(entriesIn(scratch.directory()), 0u);
}

#else

TEST_F(ReadBackSaving, LinkStaysAndItsTargetIsReplaced)
{
    fs::create_directory(scratch.pathOf("dumps"));
    const std::string target = scratch.write("dumps/target.bin", "old dump");
    const std::string link = scratch.pathOf("link.bin");
    fs::create_symlink("dumps/target.bin", link);

    EXPECT_EQ(saveTo(link), 1);
    EXPECT_TRUE(fs::is_symlink(link));
    EXPECT_EQ(ScratchDir::readBytes(target), data);
}

TEST_F(ReadBackSaving, FifoStaysAFifoAndItsReaderGetsEveryByte)
{
    const std::string fifo = scratch.pathOf("pipe");
    ASSERT_EQ(mkfifo(fifo.c_str(), 0600), 0);
    // Both ends are opened here, without waiting for each other. The write end
    // the test holds keeps the reader from an early end of file, and closing
    // it ends the reader even when a save put a file in the fifo's place.
    const int readEnd = open(fifo.c_str(), O_RDONLY | O_NONBLOCK);
    ASSERT_GE(readEnd, 0);
    fcntl(readEnd, F_SETFL, 0);
    const int heldWriteEnd = open(fifo.c_str(), O_WRONLY);
    Bytes received;
    std::thread reader([&] {
        std::uint8_t chunk[4096];
        for (ssize_t got; (got = read(readEnd, chunk, sizeof chunk)) > 0;)
            received.insert(received.end(), chunk, chunk + got);
    });

    EXPECT_EQ(saveTo(fifo), 1);
    close(heldWriteEnd);
    reader.join();
    close(readEnd);
    EXPECT_EQ(received, data);
    EXPECT_TRUE(S_ISFIFO(modeOf(fifo)));
}

TEST_F(ReadBackSaving, NameBytesReachTheFileSystemUnchanged)
{
    const std::string path = scratch.pathOf("dump-\xff\xfe.bin"); // not UTF-8
    const mode_t savedMask = umask(027);
    const int result = saveTo(path);
    umask(savedMask);

    EXPECT_EQ(result, 1);
    EXPECT_EQ(ScratchDir::readBytes(path), data);
    EXPECT_EQ(entriesIn(scratch.directory()), 1u);
    EXPECT_EQ(modeOf(path) & 07777, 0640u) << "a new file is created as any other, under the umask";
}

TEST_F(ReadBackSaving, DashIsStandardOutput)
{
    const std::string captured = scratch.pathOf("stdout.bin");
    const int file = open(captured.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0600);
    ASSERT_GE(file, 0);
    const int savedStdout = dup(STDOUT_FILENO);
    dup2(file, STDOUT_FILENO);
    const int result = saveTo("-");
    dup2(savedStdout, STDOUT_FILENO);
    close(savedStdout);
    close(file);

    EXPECT_EQ(result, 1);
    EXPECT_FALSE(fs::exists(scratch.pathOf("-")));
    EXPECT_EQ(ScratchDir::readBytes(captured), data);
}

#endif

TEST_F(ReadBackSaving, FolderIsNotReplacedByAFile)
{
    const std::string folder = scratch.pathOf("dumps");
    fs::create_directory(folder);
    EXPECT_EQ(saveTo(folder), 0);
    EXPECT_TRUE(failureReported());
    EXPECT_TRUE(fs::is_directory(folder));
    EXPECT_EQ(entriesIn(scratch.directory()), 1u);
}
