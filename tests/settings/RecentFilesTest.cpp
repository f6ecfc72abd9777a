#include "settings/RecentFiles.h"
#include "support/ScratchDir.h"

#include <gtest/gtest.h>

namespace orvex {
namespace {

using Names = RecentFiles::Names;

class RecentFilesTest : public testing::Test {
protected:
    void loadFrom(const std::string& bytes)
    {
        test::ScratchDir::writeFile(path, bytes);
        recent.load(path);
    }

    // Entries "p0" (most recent) to "p9".
    void fillWithTenNames()
    {
        for (int index = RecentFiles::kCount - 1; index >= 0; --index)
            recent.add("p" + std::to_string(index));
    }

    test::ScratchDir files;
    std::string path = files.pathOf("Latest.cfg");
    RecentFiles recent;
};

TEST_F(RecentFilesTest, MissingFileIsCreatedEmptyAndSaveWritesTenEmptyEntries)
{
    recent.load(path);
    EXPECT_EQ(test::ScratchDir::readFile(path), "");
    EXPECT_EQ(recent.names(), Names{});
    recent.save(path);
    EXPECT_EQ(test::ScratchDir::readFile(path), "File 0=\n\rFile 1=\n\rFile 2=\n\rFile 3=\n\rFile 4=\n\r"
                                                "File 5=\n\rFile 6=\n\rFile 7=\n\rFile 8=\n\rFile 9=\n\r");
}

TEST_F(RecentFilesTest, AddingAnEmptyPathOrTheCurrentOneChangesNothing)
{
    fillWithTenNames();
    const Names before = recent.names();
    recent.add("");
    recent.add("p0");
    EXPECT_EQ(recent.names(), before);
}

TEST_F(RecentFilesTest, AddingAnEntryMovesOnlyTheEntriesBeforeIt)
{
    fillWithTenNames();
    recent.add("p4");
    EXPECT_EQ(recent.names(), (Names{"p4", "p0", "p1", "p2", "p3", "p5", "p6", "p7", "p8", "p9"}));
}

TEST_F(RecentFilesTest, AnEleventhPathPushesTheOldestOut)
{
    fillWithTenNames();
    recent.add("new");
    EXPECT_EQ(recent.names(), (Names{"new", "p0", "p1", "p2", "p3", "p4", "p5", "p6", "p7", "p8"}));
}

TEST_F(RecentFilesTest, PathsDifferingOnlyInLetterCaseAreDifferentEntries)
{
    recent.add("/fw/A.hex");
    recent.add("/fw/a.hex");
    recent.add("/fw/A.hex");
    EXPECT_EQ(recent.names()[0], "/fw/A.hex");
    EXPECT_EQ(recent.names()[1], "/fw/a.hex");
    EXPECT_EQ(recent.names()[2], "");
}

TEST_F(RecentFilesTest, LoadEmptiesRepeatsAndClosesSingleGaps)
{
    loadFrom("File 0=a\nFile 1=b\nFile 2=a\nFile 3=c\nFile 4=b\nFile 5=d\n");
    EXPECT_EQ(recent.names(), (Names{"a", "b", "c", "d"}));

    loadFrom("File 0=a\nFile 2=c\n");
    EXPECT_EQ(recent.names(), (Names{"a", "c"}));
}

TEST_F(RecentFilesTest, OnePassLeavesOneGapOfARunOfTwoAndTheNextSaveClosesIt)
{
    loadFrom("File 0=a\nFile 1=\nFile 2=\nFile 3=d\nFile 4=e\n");
    EXPECT_EQ(recent.names(), (Names{"a", "", "d", "e"}));
    recent.save(path);
    EXPECT_EQ(recent.names(), (Names{"a", "d", "e"}));
}

TEST_F(RecentFilesTest, LoadKeepsTheFileLinesAndSaveWritesExactlyTheTenEntries)
{
    loadFrom("Other=1\r\nfile 1=/fw/b.hex\r\nFILE 0= /fw/a.hex\r\nFile 10=/fw/old.hex\r\n\r\n");
    EXPECT_EQ(recent.names(), (Names{" /fw/a.hex", "/fw/b.hex"}));
    EXPECT_EQ(test::ScratchDir::readFile(path),
              "Other=1\n\rfile 1=/fw/b.hex\n\rFILE 0= /fw/a.hex\n\rFile 10=/fw/old.hex\n\r");

    recent.add("/fw/c.bin");
    recent.save(path);
    EXPECT_EQ(test::ScratchDir::readFile(path),
              "File 0=/fw/c.bin\n\rFile 1= /fw/a.hex\n\rFile 2=/fw/b.hex\n\rFile 3=\n\r"
              "File 4=\n\rFile 5=\n\rFile 6=\n\rFile 7=\n\rFile 8=\n\rFile 9=\n\r");
}

} // namespace
} // namespace orvex
