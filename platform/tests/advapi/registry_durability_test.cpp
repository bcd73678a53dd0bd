// The registry database across processes: restarts, concurrent writers, a writer killed midway,
// and damaged or unreadable files.
#include <fcntl.h>
#include <gtest/gtest.h>
#include <sqlite3.h>
#include <signal.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cstdio>
#include <cstring>
#include <iterator>
#include <fstream>
#include <string>
#include <vector>

#include "fresh_root.h"
#include "win32.h"
#include "winplat.h"
#include "winplat_registry.h"

namespace {

using spx::test::FreshRootTest;

class RegistryDurability : public FreshRootTest {
protected:
    static LONG writeString(const char* path, const char* name, const std::string& text) {
        HKEY k = nullptr;
        LONG rc = RegCreateKeyExA(HKEY_LOCAL_MACHINE, path, 0, nullptr, 0, KEY_ALL_ACCESS, nullptr, &k, nullptr);
        if (rc) return rc;
        rc = RegSetValueExA(k, name, 0, REG_SZ, reinterpret_cast<const BYTE*>(text.c_str()),
                            static_cast<DWORD>(text.size() + 1));
        RegCloseKey(k);
        return rc;
    }
    static LONG readString(const char* path, const char* name, std::string& out) {
        HKEY k = nullptr;
        LONG rc = RegOpenKeyExA(HKEY_LOCAL_MACHINE, path, 0, KEY_READ, &k);
        if (rc) return rc;
        DWORD size = 0;
        rc = RegQueryValueExA(k, name, nullptr, nullptr, nullptr, &size);
        if (rc == ERROR_SUCCESS) {
            std::vector<char> buf(size + 1);
            rc = RegQueryValueExA(k, name, nullptr, nullptr, reinterpret_cast<BYTE*>(buf.data()), &size);
            out.assign(buf.data());
        }
        RegCloseKey(k);
        return rc;
    }
    // Runs `body` in a child process with its own connection; returns the child's pid.
    template <typename F>
    static pid_t spawn(F body) {
        WinplatResetProcessState();  // no connection is shared across fork
        pid_t pid = fork();
        if (pid == 0) {
            WinplatResetProcessState();
            _exit(body());
        }
        return pid;
    }
};

TEST_F(RegistryDurability, ValuesAndKeysSurviveARestart) {
    ASSERT_EQ(writeString("Software\\Persist", "Name", "kept"), ERROR_SUCCESS);
    WinplatResetProcessState();
    std::string back;
    ASSERT_EQ(readString("SOFTWARE\\persist", "name", back), ERROR_SUCCESS);
    EXPECT_EQ(back, "kept");
    struct stat st{};
    EXPECT_EQ(stat(rootPath("registry.db").c_str(), &st), 0);
}

TEST_F(RegistryDurability, ProcessesStartingAndWritingAtOnceAllLand) {
    // The processes also create the new database together.
    constexpr int kEach = 150, kProcesses = 4;
    std::vector<pid_t> kids;
    for (int p = 0; p < kProcesses; ++p) {
        kids.push_back(spawn([p] {
            for (int i = 0; i < kEach; ++i) {
                std::string key = "Software\\Shared\\P" + std::to_string(p);
                std::string name = "v" + std::to_string(i);
                if (writeString(key.c_str(), name.c_str(), name) != ERROR_SUCCESS) return 1;
                if (writeString("Software\\Shared", name.c_str(), std::to_string(p)) != ERROR_SUCCESS) return 2;
            }
            return 0;
        }));
    }
    for (pid_t pid : kids) {
        int status = 0;
        ASSERT_EQ(waitpid(pid, &status, 0), pid);
        ASSERT_TRUE(WIFEXITED(status));
        EXPECT_EQ(WEXITSTATUS(status), 0);
    }
    WinplatResetProcessState();
    for (int p = 0; p < kProcesses; ++p) {
        std::string key = "Software\\Shared\\P" + std::to_string(p);
        HKEY k = nullptr;
        ASSERT_EQ(RegOpenKeyExA(HKEY_LOCAL_MACHINE, key.c_str(), 0, KEY_READ, &k), ERROR_SUCCESS);
        DWORD values = 0;
        ASSERT_EQ(RegQueryInfoKeyA(k, nullptr, nullptr, nullptr, nullptr, nullptr, nullptr, &values, nullptr,
                                   nullptr, nullptr, nullptr),
                  ERROR_SUCCESS);
        EXPECT_EQ(values, static_cast<DWORD>(kEach));
        RegCloseKey(k);
    }
}

TEST_F(RegistryDurability, WriterKilledMidwayLeavesOldOrNewValue) {
    const std::string a(200000, 'A'), b(200000, 'B');
    ASSERT_EQ(writeString("Software\\Torn", "Big", a), ERROR_SUCCESS);
    for (int round = 0; round < 5; ++round) {
        SCOPED_TRACE(round);
        pid_t pid = spawn([&] {
            for (int i = 0;; ++i) writeString("Software\\Torn", "Big", (i % 2) ? a : b);
            return 0;
        });
        usleep(30000 + round * 17000);
        kill(pid, SIGKILL);
        waitpid(pid, nullptr, 0);
        WinplatResetProcessState();
        std::string back;
        ASSERT_EQ(readString("Software\\Torn", "Big", back), ERROR_SUCCESS);
        EXPECT_TRUE(back == a || back == b) << "torn value of size " << back.size();
    }
}

TEST_F(RegistryDurability, DamagedDatabaseIsRefusedNotReplaced) {
    writeFile("registry.db", std::string(8192, 'x'));
    HKEY k = nullptr;
    EXPECT_EQ(RegCreateKeyExA(HKEY_LOCAL_MACHINE, "Software", 0, nullptr, 0, KEY_ALL_ACCESS, nullptr, &k, nullptr),
              ERROR_BADDB);
    EXPECT_EQ(RegOpenKeyExA(HKEY_CURRENT_USER, "", 0, KEY_READ, &k), ERROR_BADDB);
    EXPECT_EQ(readFile("registry.db"), std::string(8192, 'x')) << "the damaged file must be left for repair";
}

TEST_F(RegistryDurability, UnreadableDatabaseGivesAnError) {
    if (geteuid() == 0) {
        // root reads every file; make the path a directory instead, which no one can open as a file
        ASSERT_EQ(mkdir(rootPath("registry.db").c_str(), 0755), 0);
    } else {
        writeFile("registry.db", "");
        chmod(rootPath("registry.db").c_str(), 0);
    }
    HKEY k = nullptr;
    LONG rc = RegOpenKeyExA(HKEY_LOCAL_MACHINE, "", 0, KEY_READ, &k);
    EXPECT_TRUE(rc == ERROR_REGISTRY_IO_FAILED || rc == ERROR_ACCESS_DENIED) << rc;
}

TEST_F(RegistryDurability, MissingRootFolderIsCreated) {
    std::string nested = root() + "/not/yet";
    setenv("SPECTRINE_ROOT", nested.c_str(), 1);
    WinplatResetProcessState();
    EXPECT_EQ(writeString("Software", "v", "x"), ERROR_SUCCESS);
    struct stat st{};
    EXPECT_EQ(stat((nested + "/registry.db").c_str(), &st), 0);
}

// A root that cannot be written (a read-only folder and file, as on a read-only mount) still
// answers every read; every write fails with ERROR_ACCESS_DENIED and the file stays as it was.
// The reader runs in a child without root's rights, since root writes into read-only folders.
TEST_F(RegistryDurability, ReadOnlyRootAnswersReads) {
    ASSERT_EQ(writeString("Software\\Kept", "v", "kept"), ERROR_SUCCESS);
    WinplatResetProcessState();  // the last connection goes: no -wal or -shm file is left
    const std::string before = readFile("registry.db");
    ASSERT_EQ(chmod(rootPath("registry.db").c_str(), 0444), 0);
    ASSERT_EQ(chmod(root().c_str(), 0555), 0);
    pid_t pid = spawn([this] {
        if (geteuid() == 0 && (setgid(65534) != 0 || setuid(65534) != 0)) return 90;
        struct stat st {};
        if (stat(rootPath("registry.db").c_str(), &st) != 0) return 91;  // cannot reach the root
        std::string back;
        if (readString("Software\\Kept", "v", back) != ERROR_SUCCESS || back != "kept") return 1;
        HKEY k = nullptr;
        if (RegCreateKeyExA(HKEY_LOCAL_MACHINE, "Software\\Kept", 0, nullptr, 0, KEY_ALL_ACCESS,
                            nullptr, &k, nullptr) != ERROR_SUCCESS)
            return 2;  // an existing key opens
        const BYTE one = 1;
        const LONG refused[] = {
            RegSetValueExA(k, "v", 0, REG_BINARY, &one, 1),
            RegDeleteValueA(k, "v"),
            RegDeleteKeyA(HKEY_LOCAL_MACHINE, "Software\\Kept"),
            writeString("Software\\New", "v", "x"),
        };
        RegCloseKey(k);
        for (size_t i = 0; i < std::size(refused); ++i)
            if (refused[i] != ERROR_ACCESS_DENIED) return 10 + static_cast<int>(i);
        if (readString("Software\\Kept", "v", back) != ERROR_SUCCESS || back != "kept") return 3;
        return 0;
    });
    int status = 0;
    ASSERT_EQ(waitpid(pid, &status, 0), pid);
    chmod(root().c_str(), 0700);
    chmod(rootPath("registry.db").c_str(), 0644);
    ASSERT_TRUE(WIFEXITED(status));
    if (WEXITSTATUS(status) == 91)
        GTEST_SKIP() << "SKIPPED LOUDLY: the test root " << root()
                     << " cannot be reached by an unprivileged user here";
    EXPECT_EQ(WEXITSTATUS(status), 0) << "1, 3: read failed; 2: existing key not opened; "
                                         "10-13: a write was not refused with access denied";
    EXPECT_TRUE(readFile("registry.db") == before) << "the read-only database changed";
}

// A dropped group leaves nothing; a dropped inner group takes back only its own changes and
// the outer one still lands; a key made in a dropped group can be made again; ending without a
// group is refused.
TEST_F(RegistryDurability, DroppedGroupsLeaveNothing) {
    EXPECT_EQ(WinplatEndRegistryTransaction(TRUE), ERROR_INVALID_FUNCTION);
    const struct {
        const char* name;
        BOOL inner, outer;
        bool outerLands, innerLands;
    } cases[] = {{"all committed", TRUE, TRUE, true, true},
                 {"outer dropped", TRUE, FALSE, false, false},
                 {"inner dropped", FALSE, TRUE, true, false},
                 {"both dropped", FALSE, FALSE, false, false}};
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        const std::string key = std::string("Software\\Group\\") + c.name;
        const std::string innerKey = key + "\\Inner";
        ASSERT_EQ(WinplatBeginRegistryTransaction(TRUE), ERROR_SUCCESS);
        EXPECT_EQ(writeString(key.c_str(), "a", "1"), ERROR_SUCCESS);
        ASSERT_EQ(WinplatBeginRegistryTransaction(TRUE), ERROR_SUCCESS);
        EXPECT_EQ(writeString(key.c_str(), "b", "2"), ERROR_SUCCESS);
        EXPECT_EQ(writeString(innerKey.c_str(), "d", "4"), ERROR_SUCCESS);
        EXPECT_EQ(WinplatEndRegistryTransaction(c.inner), ERROR_SUCCESS);
        // The outer group goes on after its inner one ended, either way.
        EXPECT_EQ(writeString(key.c_str(), "e", "5"), ERROR_SUCCESS);
        EXPECT_EQ(WinplatEndRegistryTransaction(c.outer), ERROR_SUCCESS);
        WinplatResetProcessState();
        const LONG outer = c.outerLands ? ERROR_SUCCESS : ERROR_FILE_NOT_FOUND;
        const LONG inner = c.innerLands ? ERROR_SUCCESS : ERROR_FILE_NOT_FOUND;
        std::string v;
        EXPECT_EQ(readString(key.c_str(), "a", v), outer);
        EXPECT_EQ(readString(key.c_str(), "e", v), outer);
        EXPECT_EQ(readString(key.c_str(), "b", v), inner);
        EXPECT_EQ(readString(innerKey.c_str(), "d", v), inner);
        // Made again outside any group, the keys are keys of their own.
        EXPECT_EQ(writeString(innerKey.c_str(), "c", "3"), ERROR_SUCCESS);
        WinplatResetProcessState();
        std::string back;
        EXPECT_EQ(readString(innerKey.c_str(), "c", back), ERROR_SUCCESS);
        EXPECT_EQ(back, "3");
    }
    EXPECT_EQ(WinplatEndRegistryTransaction(FALSE), ERROR_INVALID_FUNCTION);
}

// Within a group a key once found is taken as existing without asking the database again;
// that never outlives what makes it true: a deletion or a dropped group of this process, and
// the end of the group, after which another process's deletion shows (in the next group too).
TEST_F(RegistryDurability, KeysFoundInAGroupAreTrustedOnlyWhileNothingCanChangeThem) {
    const char* const path = "Software\\Found";
    auto opens = [&](const char* key) {
        HKEY k = nullptr;
        const LONG rc = RegOpenKeyExA(HKEY_LOCAL_MACHINE, key, 0, KEY_READ, &k);
        if (k) RegCloseKey(k);
        return rc;
    };
    ASSERT_EQ(writeString(path, "v", "1"), ERROR_SUCCESS);

    // Deleted by this process inside the group, then the group dropped.
    ASSERT_EQ(WinplatBeginRegistryTransaction(TRUE), ERROR_SUCCESS);
    HKEY held = nullptr;
    ASSERT_EQ(RegOpenKeyExA(HKEY_LOCAL_MACHINE, path, 0, KEY_READ, &held), ERROR_SUCCESS);
    EXPECT_EQ(opens(path), ERROR_SUCCESS);
    ASSERT_EQ(RegDeleteKeyA(HKEY_LOCAL_MACHINE, path), ERROR_SUCCESS);
    EXPECT_EQ(opens(path), ERROR_FILE_NOT_FOUND);
    DWORD size = 0;
    EXPECT_EQ(RegQueryValueExA(held, "v", nullptr, nullptr, nullptr, &size), ERROR_KEY_DELETED);
    EXPECT_EQ(WinplatEndRegistryTransaction(FALSE), ERROR_SUCCESS);
    EXPECT_EQ(opens(path), ERROR_SUCCESS) << "the dropped group took the deletion back";

    // Made in an inner group that is dropped.
    ASSERT_EQ(WinplatBeginRegistryTransaction(TRUE), ERROR_SUCCESS);
    ASSERT_EQ(WinplatBeginRegistryTransaction(TRUE), ERROR_SUCCESS);
    ASSERT_EQ(writeString("Software\\Found\\Inner", "v", "2"), ERROR_SUCCESS);
    EXPECT_EQ(opens("Software\\Found\\Inner"), ERROR_SUCCESS);
    EXPECT_EQ(WinplatEndRegistryTransaction(FALSE), ERROR_SUCCESS);
    EXPECT_EQ(opens("Software\\Found\\Inner"), ERROR_FILE_NOT_FOUND);
    EXPECT_EQ(opens(path), ERROR_SUCCESS);
    EXPECT_EQ(WinplatEndRegistryTransaction(TRUE), ERROR_SUCCESS);

    // Found in a read group; deleted by another process once the group has ended. (The other
    // process opens the database on its own and leaves this one's connection untouched.)
    ASSERT_EQ(WinplatBeginRegistryTransaction(FALSE), ERROR_SUCCESS);
    ASSERT_EQ(RegOpenKeyExA(HKEY_LOCAL_MACHINE, path, 0, KEY_READ, &held), ERROR_SUCCESS);
    EXPECT_EQ(opens(path), ERROR_SUCCESS);
    EXPECT_EQ(WinplatEndRegistryTransaction(TRUE), ERROR_SUCCESS);
    const std::string db = rootPath("registry.db");
    pid_t other = fork();
    if (other == 0) {
        sqlite3* c = nullptr;
        const bool deleted = sqlite3_open(db.c_str(), &c) == SQLITE_OK &&
                             sqlite3_busy_timeout(c, 15000) == SQLITE_OK &&
                             sqlite3_exec(c,
                                          "BEGIN; DELETE FROM vals WHERE key IN (SELECT id FROM keys WHERE name = 'Found'); "
                                          "DELETE FROM keys WHERE name = 'Found'; COMMIT",
                                          nullptr, nullptr, nullptr) == SQLITE_OK &&
                             sqlite3_changes(c) == 1;
        _exit(deleted ? 0 : 1);
    }
    int status = 0;
    ASSERT_EQ(waitpid(other, &status, 0), other);
    ASSERT_TRUE(WIFEXITED(status));
    ASSERT_EQ(WEXITSTATUS(status), 0);
    ASSERT_EQ(WinplatBeginRegistryTransaction(FALSE), ERROR_SUCCESS);
    EXPECT_EQ(RegQueryValueExA(held, "v", nullptr, nullptr, nullptr, &size), ERROR_KEY_DELETED);
    EXPECT_EQ(opens(path), ERROR_FILE_NOT_FOUND);
    EXPECT_EQ(WinplatEndRegistryTransaction(TRUE), ERROR_SUCCESS);
    RegCloseKey(held);
}

// The 95 family's plug-and-play keys are made at the first use of HKEY_DYN_DATA, with the device
// and class keys below HKEY_LOCAL_MACHINE they name. A group that is dropped, or that may only
// read, never takes those keys with it: the walk still finds every key it is shown.
TEST_F(RegistryDurability, PlugAndPlayKeysMadeDuringAGroupStayWhateverTheGroupDoes) {
    const struct {
        const char* family;
        BOOL write, commit;
    } cases[] = {{"95", TRUE, FALSE}, {"98", TRUE, FALSE}, {"98", FALSE, TRUE}, {"98", TRUE, TRUE}};
    for (const auto& c : cases) {
        SCOPED_TRACE(std::string(c.family) + (c.write ? " write group" : " read group") +
                     (c.commit ? " committed" : " dropped"));
        useFamily(c.family);
        ASSERT_EQ(WinplatBeginRegistryTransaction(c.write), ERROR_SUCCESS);
        HKEY list = nullptr;
        ASSERT_EQ(RegOpenKeyExA(HKEY_DYN_DATA, "Config Manager\\Enum", 0, KEY_READ, &list), ERROR_SUCCESS);
        RegCloseKey(list);
        EXPECT_EQ(WinplatEndRegistryTransaction(c.commit), ERROR_SUCCESS);
        HKEY monitors = nullptr;
        EXPECT_EQ(RegOpenKeyExA(HKEY_LOCAL_MACHINE, "Enum\\MONITOR", 0, KEY_READ, &monitors), ERROR_SUCCESS);
        RegCloseKey(monitors);
        HKEY monitorClass = nullptr;
        EXPECT_EQ(RegOpenKeyExA(HKEY_LOCAL_MACHINE, "System\\CurrentControlSet\\Services\\Class\\Monitor\\0000",
                                0, KEY_READ, &monitorClass),
                  ERROR_SUCCESS);
        RegCloseKey(monitorClass);
        // The next case starts from an empty database.
        WinplatResetProcessState();
        std::remove(rootPath("registry.db").c_str());
        std::remove(rootPath("registry.db-wal").c_str());
        std::remove(rootPath("registry.db-shm").c_str());
        WinplatResetProcessState();
    }
}

// Another process reading two values in a read group while this one rewrites both in write
// groups never sees one without the other. The writer goes on until the reader has read 200
// times while it wrote, and for 200 groups at least.
TEST_F(RegistryDurability, ReadersNeverSeeHalfAGroup) {
    ASSERT_EQ(writeString("Software\\Pair", "x", "0"), ERROR_SUCCESS);
    ASSERT_EQ(writeString("Software\\Pair", "y", "0"), ERROR_SUCCESS);
    int progress[2];
    ASSERT_EQ(pipe(progress), 0);
    pid_t reader = spawn([&] {
        close(progress[0]);
        for (int reads = 1;; ++reads) {
            std::string x, y;
            if (WinplatBeginRegistryTransaction(FALSE) != ERROR_SUCCESS) return 2;
            LONG rx = readString("Software\\Pair", "x", x), ry = readString("Software\\Pair", "y", y);
            WinplatEndRegistryTransaction(TRUE);
            if (rx != ERROR_SUCCESS || ry != ERROR_SUCCESS) return 3;
            if (x != y) return 1;
            if ((reads == 1 || reads == 200) && write(progress[1], "r", 1) != 1) return 4;
            if (x == "done") return 0;
        }
    });
    close(progress[1]);
    char note = 0;
    ASSERT_EQ(read(progress[0], &note, 1), 1);  // the reader has begun
    fcntl(progress[0], F_SETFL, O_NONBLOCK);
    bool enough = false;
    for (int i = 1; i <= 200 || !enough; ++i) {
        ASSERT_LT(i, 1000000) << "the reader never read 200 times";
        const std::string v = std::to_string(i);
        ASSERT_EQ(WinplatBeginRegistryTransaction(TRUE), ERROR_SUCCESS);
        EXPECT_EQ(writeString("Software\\Pair", "x", v), ERROR_SUCCESS);
        EXPECT_EQ(writeString("Software\\Pair", "y", v), ERROR_SUCCESS);
        ASSERT_EQ(WinplatEndRegistryTransaction(TRUE), ERROR_SUCCESS);
        enough = enough || read(progress[0], &note, 1) == 1;
    }
    close(progress[0]);
    ASSERT_EQ(WinplatBeginRegistryTransaction(TRUE), ERROR_SUCCESS);
    EXPECT_EQ(writeString("Software\\Pair", "x", "done"), ERROR_SUCCESS);
    EXPECT_EQ(writeString("Software\\Pair", "y", "done"), ERROR_SUCCESS);
    ASSERT_EQ(WinplatEndRegistryTransaction(TRUE), ERROR_SUCCESS);
    int status = 0;
    ASSERT_EQ(waitpid(reader, &status, 0), reader);
    ASSERT_TRUE(WIFEXITED(status));
    EXPECT_EQ(WEXITSTATUS(status), 0) << "1: x and y differed; 2-4: the reader failed";
}

}  // namespace
