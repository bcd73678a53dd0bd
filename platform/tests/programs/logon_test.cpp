// The logon runner: every command of the Run key starts, the machine's before the user's.
#include <gtest/gtest.h>

#include <filesystem>
#include <string>
#include <vector>

#include "fresh_root.h"
#include "win32_holders.h"
#include "winplat.h"

namespace {

using spx::test::FreshRootTest;

class LogonTest : public FreshRootTest {
protected:
    void setRun(HKEY hive, const std::string& name, const std::string& command) {
        winplat::RegKey run;
        ASSERT_EQ(run.create(hive, REGSTR_PATH_RUN), ERROR_SUCCESS);
        ASSERT_EQ(RegSetValueExA(run.get(), name.c_str(), 0, REG_SZ, reinterpret_cast<const BYTE*>(command.c_str()),
                                 static_cast<DWORD>(command.size() + 1)),
                  ERROR_SUCCESS);
    }
    // A command that writes its own command line to `report` and ends.
    std::string reporting(const std::string& report) const {
        return "winplat_gui_child.exe c t --report \"" + rootPath(report) + "\" --exit 0";
    }
    // Runs logon with `arguments` and gives its exit code.
    DWORD runLogon(const std::string& arguments) {
        std::string line = "logon.exe " + arguments;
        STARTUPINFOA startup{};
        startup.cb = sizeof startup;
        PROCESS_INFORMATION info{};
        if (!CreateProcessA(nullptr, line.data(), nullptr, nullptr, FALSE, 0, nullptr, nullptr, &startup, &info))
            return 0xdeadbeef;
        winplat::ProcessHandle process(info.hProcess), thread(info.hThread);
        DWORD code = 0xdeadbeef;
        if (WaitForSingleObject(process.get(), 10000) == WAIT_OBJECT_0) GetExitCodeProcess(process.get(), &code);
        return code;
    }
    // The first line of a report once its program wrote it whole (the programs run on their
    // own; the last line is the "0" of --exit).
    std::string reportOf(const std::string& report) const {
        std::string content;
        for (int i = 0; i < 200; ++i, Sleep(50)) {
            content = readFile(report);
            if (content.ends_with("\n0\n")) break;
        }
        return content.substr(0, content.find('\n'));
    }
};

TEST_F(LogonTest, StartsEveryRunCommandOfTheMachineAndTheUser) {
    setRun(HKEY_LOCAL_MACHINE, "Spectrine Control Panel", reporting("machine.txt"));
    setRun(HKEY_LOCAL_MACHINE, "Missing", "no_such_program.exe");
    setRun(HKEY_CURRENT_USER, "Mine", reporting("user.txt"));
    winplat::RegKey run(HKEY_LOCAL_MACHINE, REGSTR_PATH_RUN, KEY_ALL_ACCESS);
    const DWORD number = 5;
    ASSERT_EQ(RegSetValueExA(run.get(), "Number", 0, REG_DWORD, reinterpret_cast<const BYTE*>(&number), sizeof number),
              ERROR_SUCCESS);
    EXPECT_EQ(runLogon(""), 1u);  // one command could not start
    EXPECT_EQ(reportOf("machine.txt"), reporting("machine.txt"));
    EXPECT_EQ(reportOf("user.txt"), reporting("user.txt"));
}

TEST_F(LogonTest, TheRootCanBeNamedAndAnEmptyRunKeyStartsNothing) {
    EXPECT_EQ(runLogon(""), 0u);  // no Run key at all
    setRun(HKEY_CURRENT_USER, "Mine", reporting("user.txt"));
    const std::string other = rootPath("other");
    std::filesystem::create_directories(other);
    EXPECT_EQ(runLogon("--root \"" + other + "\""), 0u);  // that root's registry has no Run key
    EXPECT_FALSE(std::filesystem::exists(rootPath("user.txt")));
    EXPECT_EQ(runLogon("--root"), 2u);
    EXPECT_EQ(runLogon("--unknown"), 2u);
}

}  // namespace
