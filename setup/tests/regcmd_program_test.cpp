// The regcmd program itself: usage text, exit codes, output streams.
#include <gtest/gtest.h>
#include <sys/wait.h>

#include <cstdio>
#include <cstdlib>
#include <string>

#include "regcmd_support.h"

namespace {

using namespace regkit::test;
using RegcmdProgram = spx::test::FreshRootTest;

struct ProgramRun {
    int status;
    std::string out, err;
};

ProgramRun runProgram(const std::string& args, const std::string& dir) {
    std::string outFile = dir + "/out.txt", errFile = dir + "/err.txt";
    std::string cmd = std::string(REGCMD_PATH) + " " + args + " >" + outFile + " 2>" + errFile;
    int raw = std::system(cmd.c_str());
    ProgramRun r{WIFEXITED(raw) ? WEXITSTATUS(raw) : -1000, "", ""};
    FILE* f = std::fopen(outFile.c_str(), "rb");
    r.out = slurp(f);
    f = std::fopen(errFile.c_str(), "rb");
    r.err = slurp(f);
    return r;
}

TEST_F(RegcmdProgram, UsageTextWithoutArguments) {
    ProgramRun r = runProgram("", root());
    EXPECT_EQ(r.status, 0);
    EXPECT_EQ(r.out, "");
    const std::string self = REGCMD_PATH;
    std::string expected = "Usage: " + self + " [o]a[=b]\n  where:\n"
        " \t'o' is the operation to be done:\n"
        " \t    + is add a value (b section is required.)\n"
        " \t       [this doesn't work right now]\n"
        " \t    - is delete a key or a value\n"
        " \t    ! is delete a key or a value RECURSIVELY!\n"
        " \t    ? is query [default] a key or a value\n"
        " \t'a' is the path to a key or value in the registry.\n"
        " \t'b' is the path to a key or value in the registry.\n"
        " \tif omitted, 'HKEY_LOCAL_MACHINE' is the default root.\n"
        " \texamples:\n"
        " \t\n"
        " \t" + self + " SOFTWARE\\test\n"
        " \t    Queries HKEY_LOCAL_MACHINE\\SOFTWARE\\test\n"
        " \t" + self + " -SOFTWARE\\test\\test1\n"
        " \t    Deletes string HKEY_LOCAL_MACHINE\\SOFTWARE\\test\\test1\n"
        " \t\n";
    EXPECT_EQ(r.err, expected);
}

TEST_F(RegcmdProgram, ExitCodesAndStreams) {
    setString(HKEY_LOCAL_MACHINE, "SOFTWARE\\test", "test1", "hello");
    WinplatResetProcessState();  // let the child own the database
    ProgramRun r = runProgram("'SOFTWARE\\test\\test1'", root());
    EXPECT_EQ(r.status, 0);
    EXPECT_EQ(r.out, "hello\n");
    r = runProgram("'SOFTWARE\\none\\x'", root());
    EXPECT_EQ(r.status, 3);
    EXPECT_EQ(r.err, "No such key 'none'\n");
    r = runProgram("'HKEY_DYN_DATA\\x'", root());
    EXPECT_EQ(r.status, 255) << "-1 as an exit status";
    r = runProgram("-SOFTWARE\\\\test\\\\test1", root());
    EXPECT_EQ(r.status, 0);
    EXPECT_FALSE(valueExists(HKEY_LOCAL_MACHINE, "SOFTWARE\\test", "test1"));
}

// An answer the program cannot write (a full output) is a failure, said on standard error.
TEST_F(RegcmdProgram, AnAnswerThatCannotBeWrittenFails) {
    setString(HKEY_LOCAL_MACHINE, "SOFTWARE\\test", "test1", "hello");
    WinplatResetProcessState();  // let the child own the database
    const std::string errFile = root() + "/err.txt";
    const std::string cmd = std::string(REGCMD_PATH) + " 'SOFTWARE\\test\\test1' >/dev/full 2>" + errFile;
    const int raw = std::system(cmd.c_str());
    EXPECT_EQ(WIFEXITED(raw) ? WEXITSTATUS(raw) : -1000, 5);
    FILE* f = std::fopen(errFile.c_str(), "rb");
    ASSERT_NE(f, nullptr);
    EXPECT_EQ(slurp(f).rfind("Can't write the answer: ", 0), 0u);
}

}  // namespace
