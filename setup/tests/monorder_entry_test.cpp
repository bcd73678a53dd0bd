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

ProgramRun runProgram(const std::string& arguments) {
    const std::string command = std::string("'") + MONORDER_CLI + "' " + arguments + " 2>&1";
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

}  // namespace
