// Main, MainIS and the monorder program.
#include <gtest/gtest.h>
#include <sys/mman.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cstdio>
#include <cstring>
#include <string>
#include <vector>

#include "monorder_testing.h"

namespace {

using monorder::test::joinLines;
using monorder::test::SorterTest;

class MonorderEntry : public SorterTest {
protected:
    void SetUp() override {
        SorterTest::SetUp();
        if (IsSkipped()) return;
        writeFile("a.inf", "[Version]\nFrom=a\n[Monitors]\nB=2\n[Strings]\n");
        writeFile("b.inf", "[Monitors]\nA=1\n");
        writeFile("c.inf", "[Monitors]\nC=3\n");
    }
};

// A text in a page that cannot be written to.
class ReadOnlyText {
public:
    explicit ReadOnlyText(const std::string& text) {
        size_ = static_cast<size_t>(sysconf(_SC_PAGESIZE));
        page_ = mmap(nullptr, size_, PROT_READ | PROT_WRITE, MAP_PRIVATE | MAP_ANONYMOUS, -1, 0);
        std::memcpy(page_, text.c_str(), text.size() + 1);
        mprotect(page_, size_, PROT_READ);
    }
    ~ReadOnlyText() { munmap(page_, size_); }
    const char* get() const { return static_cast<const char*>(page_); }

private:
    void* page_;
    size_t size_;
};

TEST_F(MonorderEntry, MainSortsEveryArgumentThenWrites) {
    char program[] = "monorder", a[] = "a.inf", b[] = "b.inf", missing[] = "missing.inf";
    char* argv[] = {program, a, missing, b, nullptr};
    EXPECT_EQ(printedBy([&] { EXPECT_EQ(Main(4, argv), 0); }),
              "Couldn't open 'missing.inf' for reading.\n");
    EXPECT_EQ(readFile("spectrine.inf"),
              joinLines({"[Version]", "From=a", "[Monitors]", "A=1", "B=2", " ", "[Strings]"}));
}

TEST_F(MonorderEntry, MainWithoutFilesWritesNothing) {
    char program[] = "monorder";
    char* argv[] = {program, nullptr};
    EXPECT_EQ(printedBy([&] {
                  EXPECT_EQ(Main(1, argv), 0);
                  EXPECT_EQ(Main(0, nullptr), 0);
                  EXPECT_EQ(Main(3, nullptr), 0);
              }),
              "");
    EXPECT_FALSE(exists("spectrine.inf"));
}

TEST_F(MonorderEntry, MainStopsAtTheEndOfArgv) {
    char program[] = "monorder", c[] = "c.inf";
    char* argv[] = {program, c, nullptr};
    // argc claims more than argv holds
    EXPECT_EQ(printedBy([&] { EXPECT_EQ(Main(7, argv), 0); }), "");
    EXPECT_EQ(readFile("spectrine.inf"), joinLines({"[Monitors]", "C=3"}));
}

TEST_F(MonorderEntry, MainIsSplitsTheListWithoutWritingToIt) {
    const ReadOnlyText paths("a.inf|missing.inf|b.inf");
    EXPECT_EQ(printedBy([&] { EXPECT_EQ(MainIS(3, paths.get()), 0); }),
              "Couldn't open 'missing.inf' for reading.\n");
    EXPECT_STREQ(paths.get(), "a.inf|missing.inf|b.inf");
    EXPECT_EQ(readFile("spectrine.inf"),
              joinLines({"[Version]", "From=a", "[Monitors]", "A=1", "B=2", " ", "[Strings]"}));
}

TEST_F(MonorderEntry, MainIsTakesNoMorePathsThanTheListHolds) {
    EXPECT_EQ(printedBy([] { EXPECT_EQ(MainIS(12, "b.inf|c.inf"), 0); }), "");
    EXPECT_EQ(readFile("spectrine.inf"), joinLines({"[Monitors]", "A=1", "C=3"}));
}

TEST_F(MonorderEntry, MainIsTakesOnlyCountPaths) {
    EXPECT_EQ(MainIS(1, "c.inf|b.inf"), 0);
    EXPECT_EQ(readFile("spectrine.inf"), joinLines({"[Monitors]", "C=3"}));
}

TEST_F(MonorderEntry, MainIsSkipsEmptyPieces) {
    EXPECT_EQ(printedBy([] { EXPECT_EQ(MainIS(2, "|c.inf||b.inf|"), 0); }), "");
    EXPECT_EQ(readFile("spectrine.inf"), joinLines({"[Monitors]", "A=1", "C=3"}));
}

TEST_F(MonorderEntry, MainIsWithNoCountOrNoTextWritesNothing) {
    EXPECT_EQ(printedBy([] {
                  EXPECT_EQ(MainIS(0, "a.inf|b.inf"), 0);
                  EXPECT_EQ(MainIS(-3, "a.inf"), 0);
                  EXPECT_EQ(MainIS(2, nullptr), 0);
                  EXPECT_EQ(MainIS(1, ""), 0);
              }),
              "");
    EXPECT_FALSE(exists("spectrine.inf"));
}

// Runs the monorder program in the root; returns its exit status and output.
struct ProgramRun {
    int status;
    std::string out;
};

ProgramRun runProgram(const std::string& arguments, const std::string& before = "") {
    const std::string command = before + "'" + MONORDER_CLI + "' " + arguments + " 2>&1";
    ProgramRun run{-1, {}};
    FILE* pipe = popen(command.c_str(), "r");
    if (!pipe) return run;
    char buffer[256];
    size_t got;
    while ((got = fread(buffer, 1, sizeof buffer, pipe)) > 0) run.out.append(buffer, got);
    const int status = pclose(pipe);
    run.status = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
    return run;
}

TEST_F(MonorderEntry, ProgramWritesTheChainInItsCurrentFolder) {
    const ProgramRun run = runProgram("a.inf b.inf nothere.inf c.inf");
    EXPECT_EQ(run.status, 0);
    EXPECT_EQ(run.out, "Couldn't open 'nothere.inf' for reading.\n");
    EXPECT_EQ(readFile("spectrine.inf"), joinLines({"[Version]", "From=a", "[Monitors]", "A=1",
                                                    "B=2", "C=3", " ", "[Strings]"}));
}

TEST_F(MonorderEntry, ProgramWithoutArgumentsShowsItsUsage) {
    const ProgramRun run = runProgram("");
    EXPECT_EQ(run.status, 2);
    EXPECT_EQ(run.out.rfind("usage: ", 0), 0u) << run.out;
    EXPECT_FALSE(exists("spectrine.inf"));
}

// A folder where a numbered file of the new chain goes: nothing of the old chain changes, no
// temporary file stays, and the program says so and exits with 1.
TEST_F(MonorderEntry, ProgramThatCannotReplaceTheChainKeepsItAndFails) {
    std::string many = "[Monitors]\n";
    for (int i = 0; i < 650; ++i) many += "Model " + std::to_string(1000 + i) + "=Maker, x\n";
    writeFile("many.inf", many);
    writeFile("spectrine.inf", "[Monitors]\nOld=0\n");
    writeFile("spectrine1.inf/blocker", "");
    writeFile("spectrine2.inf", "[Monitors]\nOld=2\n");
    const ProgramRun run = runProgram("many.inf");
    EXPECT_EQ(run.status, 1);
    EXPECT_NE(run.out.find("could not be written"), std::string::npos) << run.out;
    EXPECT_EQ(readFile("spectrine.inf"), "[Monitors]\nOld=0\n");
    EXPECT_EQ(readFile("spectrine2.inf"), "[Monitors]\nOld=2\n");
    EXPECT_EQ(filesInRoot(), (std::vector<std::string>{"WINDOWS", "a.inf", "b.inf", "c.inf",
                                                       "many.inf", "spectrine.inf",
                                                       "spectrine1.inf", "spectrine2.inf"}));
}

// Input that never ends, or is larger than any INF file, is refused as unreadable instead of
// taking memory without bound; the other files still make the chain.
TEST_F(MonorderEntry, ProgramBoundsItsInput) {
    writeFile("huge.inf", "[Monitors]\nHuge=1\n");
    ASSERT_EQ(truncate(rootPath("huge.inf").c_str(), 17 << 20), 0);
    const struct {
        const char* file;
    } cases[] = {{"/dev/zero"}, {"huge.inf"}};
    for (const auto& c : cases) {
        SCOPED_TRACE(c.file);
        std::remove(rootPath("spectrine.inf").c_str());
        // The address space is limited so that an unbounded read ends the program at once.
        const ProgramRun run = runProgram(std::string(c.file) + " b.inf", "ulimit -v 4000000; ");
        EXPECT_EQ(run.status, 0);
        EXPECT_EQ(run.out, "Couldn't open '" + std::string(c.file) + "' for reading.\n");
        EXPECT_EQ(readFile("spectrine.inf"), joinLines({"[Monitors]", "A=1"}));
    }
}

}  // namespace
