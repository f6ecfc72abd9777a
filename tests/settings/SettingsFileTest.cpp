#include "settings/ProcedureSettings.h"
#include "settings/RecentFiles.h"
#include "settings/SettingsFile.h"
#include "settings/SettingsText.h"
#include "support/ScratchDir.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <array>
#include <cstdint>
#include <filesystem>
#include <string>
#include <vector>

#ifndef _WIN32
#include "support/ChildProcess.h"

#include <dlfcn.h>
#include <sys/stat.h>
#include <unistd.h>

// What each fsync() of this test program pushed to the disk, while a test
// records: the file's name at that moment and its whole content.
struct FlushedFile {
    std::string name;
    std::string content;
};
static std::vector<FlushedFile>* recordedFlushes = nullptr;

static FlushedFile flushedFile(int descriptor)
{
    FlushedFile flushed;
    std::array<char, 4096> buffer{};
    const std::string link = "/proc/self/fd/" + std::to_string(descriptor);
    const ssize_t nameLength = ::readlink(link.c_str(), buffer.data(), buffer.size());
    flushed.name.assign(buffer.data(), nameLength > 0 ? static_cast<std::size_t>(nameLength) : 0);
    off_t offset = 0;
    for (ssize_t got; (got = ::pread(descriptor, buffer.data(), buffer.size(), offset)) > 0; offset += got)
        flushed.content.append(buffer.data(), static_cast<std::size_t>(got));
    return flushed;
}

// Takes the place of the C library's fsync() for the whole program, the
// settings library included, and passes every call on to it.
extern "C" int fsync(int descriptor)
{
    using Fsync = int (*)(int);
    static const auto libraryFsync = reinterpret_cast<Fsync>(::dlsym(RTLD_NEXT, "fsync"));
    if (recordedFlushes != nullptr)
        recordedFlushes->push_back(flushedFile(descriptor));
    return libraryFsync(descriptor);
}
#endif

namespace orvex {
namespace {

using Lines = std::vector<std::string>;

class SettingsFileTest : public testing::Test {
protected:
    void TearDown() override { setOpenFailureHandler(nullptr); }

    // Opens file on a settings file that holds exactly these bytes.
    void openWith(SettingsFile& file, const std::string& bytes)
    {
        test::ScratchDir::writeFile(path, bytes);
        ASSERT_TRUE(file.open(path));
    }

    std::string savedBytes(SettingsFile& file)
    {
        EXPECT_TRUE(file.saveAndClose());
        return test::ScratchDir::readFile(path);
    }

    test::ScratchDir files;
    std::string path = files.pathOf("test.cfg");
};

TEST_F(SettingsFileTest, MissingFileIsCreatedEmptyAndAnEmptyListWritesZeroBytes)
{
    SettingsFile file;
    ASSERT_TRUE(file.open(path));
    EXPECT_TRUE(std::filesystem::is_regular_file(path));
    EXPECT_TRUE(file.lines().empty());
    EXPECT_EQ(savedBytes(file), "");
}

TEST_F(SettingsFileTest, OpeningAndClosingWithoutSaveLeavesTheFileAlone)
{
    const std::string bytes = "a=1\r\nb = 2 \r\n";
    {
        SettingsFile file;
        openWith(file, bytes);
    }
    EXPECT_EQ(test::ScratchDir::readFile(path), bytes);
}

TEST_F(SettingsFileTest, KeysIgnoreSurroundingBlanksAndLetterCaseButValuesKeepLeadingBlanks)
{
    SettingsFile file;
    openWith(file, " \tBaud Rate = 115200 \t\r\n");
    EXPECT_EQ(file.lines(), Lines({"Baud Rate = 115200"}));
    EXPECT_EQ(file.findKey("  baud RATE\t"), 0);
    EXPECT_EQ(file.getString("BAUD RATE"), " 115200");
    EXPECT_EQ(file.getInt("baud rate"), 115200);
    EXPECT_EQ(file.findKey("BaudRate"), -1);
}

TEST_F(SettingsFileTest, OnlyTheFirstEqualsSignSeparatesKeyFromValue)
{
    SettingsFile file;
    openWith(file, "expr=a=b==c\n");
    EXPECT_EQ(file.getString("expr"), "a=b==c");
    EXPECT_EQ(file.findKey("expr=a"), -1);
}

TEST_F(SettingsFileTest, LineWithoutEqualsHasTheEmptyKeyAndIsWrittenBackTrimmed)
{
    SettingsFile file;
    openWith(file, "  just a note \nkey=1\n");
    EXPECT_EQ(file.findKey("just a note"), -1);
    EXPECT_EQ(file.findKey(""), 0);
    EXPECT_EQ(file.getString("key"), "1");
    EXPECT_EQ(savedBytes(file), "just a note\n\rkey=1\n\r");
}

TEST_F(SettingsFileTest, RepeatedKeyActsOnTheFirstLineOnly)
{
    SettingsFile file;
    openWith(file, "k=1\nk=2\nk=3\n");
    EXPECT_EQ(file.getInt("k"), 1);
    file.setString("K", "9");
    EXPECT_EQ(file.lines(), Lines({"K=9", "k=2", "k=3"}));
    EXPECT_EQ(file.getInt("k"), 9);
}

TEST_F(SettingsFileTest, LineEndsOfEitherOrderLoadTheSameLinesAndAreWrittenLfCr)
{
    SettingsFile crLf;
    openWith(crLf, "a=1\r\nb=2\r\n");
    EXPECT_EQ(crLf.lines(), Lines({"a=1", "b=2"}));
    EXPECT_EQ(savedBytes(crLf), "a=1\n\rb=2\n\r");

    SettingsFile lfCr;
    openWith(lfCr, "a=1\n\rb=2\n\r");
    // The CR after the last LF forms a final line that trims to nothing.
    EXPECT_EQ(lfCr.lines(), Lines({"a=1", "b=2", ""}));
}

TEST_F(SettingsFileTest, EmptyLinesLoadAsEntriesAndAreDroppedBySave)
{
    SettingsFile file;
    openWith(file, "a=1\n\n \t\nb=2");
    EXPECT_EQ(file.lines(), Lines({"a=1", "", "", "b=2"}));
    EXPECT_EQ(savedBytes(file), "a=1\n\rb=2\n\r");
}

TEST_F(SettingsFileTest, NewKeyIsAppendedAfterTheTrailingEmptyEntryAndSavedLast)
{
    SettingsFile file;
    openWith(file, "a=1\n\r");
    file.setString("b", " two");
    EXPECT_EQ(file.lines(), Lines({"a=1", "", "b= two"}));
    EXPECT_EQ(savedBytes(file), "a=1\n\rb= two\n\r");
}

#ifndef _WIN32
// A power cut right after the rename must find the new content, not an empty
// file: the new version is flushed whole while it still has its own name.
TEST_F(SettingsFileTest, SaveFlushesTheWholeNewVersionBeforeItTakesTheOldOnesPlace)
{
    SettingsFile file;
    openWith(file, "a=1\n\r");
    file.setString("b", "2");
    std::vector<FlushedFile> flushes;
    recordedFlushes = &flushes;
    const bool saved = file.saveAndClose();
    recordedFlushes = nullptr;
    ASSERT_TRUE(saved);

    const std::string newVersion = std::filesystem::canonical(path).string() + ".new";
    const auto flushedBeforeRename =
        std::find_if(flushes.begin(), flushes.end(), [&](const FlushedFile& f) { return f.name == newVersion; });
    ASSERT_NE(flushedBeforeRename, flushes.end()) << "no flush of " << newVersion;
    EXPECT_EQ(flushedBeforeRename->content, "a=1\n\rb=2\n\r");
    EXPECT_EQ(test::ScratchDir::readFile(path), "a=1\n\rb=2\n\r");
}

TEST_F(SettingsFileTest, SavingTheProcedureSettingsOrTheRecentFilesWritesEachFileOnce)
{
    std::vector<FlushedFile> flushes;
    recordedFlushes = &flushes;
    SettingsFile config;
    saveProcedureSettings(config, files.pathOf("config.cfg"), ProcedureSettings{});
    RecentFiles recent;
    recent.add("/firmware/a.hex");
    recent.save(files.pathOf("Latest.cfg"));
    recordedFlushes = nullptr;
    const auto flushesOf = [&](const std::string& name) {
        return std::count_if(flushes.begin(), flushes.end(), [&](const FlushedFile& f) {
            return f.name == std::filesystem::weakly_canonical(name).string();
        });
    };
    EXPECT_EQ(flushesOf(files.pathOf("config.cfg") + ".new"), 1);
    EXPECT_EQ(flushesOf(files.pathOf("Latest.cfg") + ".new"), 1);
}
#endif

TEST_F(SettingsFileTest, NumbersAreWrittenInCFormats)
{
    SettingsFile file;
    ASSERT_TRUE(file.open(path));
    file.setInt("int", -42);
    EXPECT_EQ(savedBytes(file), "int=-42\n\r");
}

TEST_F(SettingsFileTest, NumericGettersReadTheLeadingNumberOfAValue)
{
    SettingsFile file;
    openWith(file, "mixed=12abc\nwords=abc\nspaced= \t-7\nplus=+5\nhuge=99999999999\nminushuge=-99999999999\n");
    EXPECT_EQ(file.getInt("mixed"), 12);
    EXPECT_EQ(file.getInt("words"), 0);
    EXPECT_EQ(file.getInt("missing"), 0);
    EXPECT_EQ(file.getInt("spaced"), -7);
    EXPECT_EQ(file.getInt("plus"), 5);
    EXPECT_EQ(file.getInt("huge"), 2147483647);
    EXPECT_EQ(file.getInt("minushuge"), -2147483647 - 1);
}

TEST_F(SettingsFileTest, LongLineIsCutAndTheNextLineIsUntouched)
{
    SettingsFile file;
    openWith(file, "path=" + std::string(1500, 'x') + "\nnext=1\n");
    ASSERT_EQ(file.lines().size(), 2u);
    EXPECT_EQ(file.lines()[0], "path=" + std::string(994, 'x'));
    EXPECT_EQ(file.getInt("next"), 1);
}

TEST_F(SettingsFileTest, LineOfTheLongestLengthSurvivesASaveAndReload)
{
    const std::string longest = "k=" + std::string(997, 'v');
    SettingsFile file;
    openWith(file, "first=1\n");
    file.setString("k", std::string(997, 'v'));
    ASSERT_TRUE(file.saveAndClose());
    ASSERT_TRUE(file.open(path));
    EXPECT_EQ(file.lines(), Lines({"first=1", longest, ""}));
}

TEST_F(SettingsFileTest, ReopeningDiscardsChangesThatWereNotSaved)
{
    SettingsFile file;
    openWith(file, "a=1\n");
    ASSERT_TRUE(file.saveAndClose());
    file.setString("a", "2");
    EXPECT_EQ(file.getInt("a"), 2);
    ASSERT_TRUE(file.open(path));
    EXPECT_EQ(file.getInt("a"), 1);
}

TEST_F(SettingsFileTest, HandWrittenFileChangesOnlyInTheLinesTouched)
{
    SettingsFile file;
    openWith(file, " Alpha = one \r\n\r\nbeta=2=3\r\n\tnote\r\nALPHA=second\r\ncount = 3\r\n");
    file.setInt("alpha", 5);
    file.setString("gamma", "new");
    EXPECT_EQ(savedBytes(file), "alpha=5\n\rbeta=2=3\n\rnote\n\rALPHA=second\n\rcount = 3\n\rgamma=new\n\r");
}

TEST_F(SettingsFileTest, FailedOpenReportsKeepsTheLinesAndWritesNothing)
{
    std::vector<std::string> reported;
    setOpenFailureHandler([&](const std::string& failedPath) { reported.push_back(failedPath); });
    SettingsFile file;
    openWith(file, "a=1\n");
    ASSERT_TRUE(file.saveAndClose());

    const std::string directoryPath = files.pathOf("a directory");
    std::filesystem::create_directory(directoryPath);
    EXPECT_FALSE(file.open(directoryPath));
    EXPECT_EQ(reported, std::vector<std::string>({directoryPath}));
    EXPECT_EQ(file.getInt("a"), 1);

    file.setString("a", "2");
    EXPECT_FALSE(file.save());
    EXPECT_FALSE(file.saveAndFlush());
    EXPECT_FALSE(file.saveAndClose());
    EXPECT_TRUE(std::filesystem::is_empty(directoryPath));
    EXPECT_EQ(test::ScratchDir::readFile(path), "a=1\n\r");
}

TEST_F(SettingsFileTest, FileLongerThanTheLimitIsRefusedUnreadAndNeverWiped)
{
    std::vector<std::string> reported;
    setOpenFailureHandler([&](const std::string& failedPath) { reported.push_back(failedPath); });
    // Sparse: it claims 64 GiB and takes no room on the disk.
    constexpr std::uintmax_t kHugeLength = std::uintmax_t{64} << 30;
    const std::string huge = files.write("huge.cfg", "a=2\n");
    std::filesystem::resize_file(huge, kHugeLength);
    const std::string longest = files.write("longest.cfg", "b=3\n" + std::string(kMaxSettingsFileLength - 4, ' '));
    const std::string oneMore = files.write("one-more.cfg", "c=4\n" + std::string(kMaxSettingsFileLength - 3, ' '));

    SettingsFile file;
    openWith(file, "a=1\n");
    ASSERT_TRUE(file.saveAndClose());
    EXPECT_FALSE(file.open(huge));
    EXPECT_FALSE(file.open(oneMore));
    EXPECT_EQ(file.getInt("a"), 1);
    EXPECT_FALSE(file.saveAndClose());
    EXPECT_FALSE(file.loadReadOnly(huge));
    EXPECT_EQ(reported, std::vector<std::string>({huge, oneMore}));
    EXPECT_EQ(std::filesystem::file_size(huge), kHugeLength);
    EXPECT_EQ(std::filesystem::file_size(oneMore), kMaxSettingsFileLength + 1);

    ASSERT_TRUE(file.open(longest));
    EXPECT_EQ(file.getInt("b"), 3);
}

#ifndef _WIN32
TEST_F(SettingsFileTest, FifoIsRefusedWithoutWaitingForAWriter)
{
    ASSERT_EQ(mkfifo(path.c_str(), 0600), 0);
    // A reader that waits gets killed by the alarm and says nothing.
    const std::string seen = test::runInChild([this] {
        alarm(5);
        SettingsFile file;
        return std::string(file.open(path) ? "opened" : "refused") + (file.loadReadOnly(path) ? " read" : " unread");
    });
    EXPECT_EQ(seen, "refused unread");
}
#endif

} // namespace
} // namespace orvex
