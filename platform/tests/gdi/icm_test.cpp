// Image colour management on the virtual display: registering, querying and removing profiles,
// each monitor's default profile and where the registry keeps them, the context's ICM mode,
// and the family without colour management. (Publication on X11 is tested against Xorg.)
#include <gtest/gtest.h>

#include <cstring>
#include <source_location>
#include <string>
#include <vector>

#include "fresh_root.h"
#include "winplat.h"

namespace {

using spx::test::FreshRootTest;

constexpr char kIcm[] = "Software\\Microsoft\\Windows\\CurrentVersion\\ICM\\";

// A minimal ICC header of the given device class ("mntr", "prtr") padded to 128 bytes.
std::string iccHeader(const char* deviceClass) {
    std::string h(128, '\0');
    std::memcpy(&h[12], deviceClass, 4);
    std::memcpy(&h[36], "acsp", 4);
    return h;
}

class Icm : public FreshRootTest {
protected:
    std::string colourDir() const {
        char system[MAX_PATH];
        UINT n = GetSystemDirectoryA(system, sizeof system);
        if (n == 0 || n >= sizeof system) {
            ADD_FAILURE() << "no system directory: " << n;
            return {};
        }
        return std::string(system, n) + "\\COLOR\\";
    }
    // Writes a profile into the colour directory and returns its Windows-style path.
    std::string colourFile(const std::string& name, const std::string& bytes) {
        writeFile("WINDOWS/SYSTEM/COLOR/" + name, bytes);
        return colourDir() + name;
    }
    static BOOL update(const std::string& path, UINT command, const char* device = nullptr) {
        return UpdateICMRegKeyA(0, const_cast<LPSTR>(device), const_cast<LPSTR>(path.c_str()),
                                command);
    }
    // REG_SZ value of HKEY_LOCAL_MACHINE <kIcm><subkey>; "<absent>" when it cannot be read.
    static std::string registryText(const std::string& subkey, const char* name) {
        HKEY key = nullptr;
        if (RegOpenKeyExA(HKEY_LOCAL_MACHINE, (kIcm + subkey).c_str(), 0, KEY_READ, &key) !=
            ERROR_SUCCESS)
            return "<absent>";
        char data[MAX_PATH * 2];
        DWORD type = 0, size = sizeof data;
        LONG rc = RegQueryValueExA(key, name, nullptr, &type, reinterpret_cast<BYTE*>(data), &size);
        RegCloseKey(key);
        if (rc != ERROR_SUCCESS || type != REG_SZ) return "<absent>";
        return std::string(data, size ? size - 1 : 0);
    }
};

void expectFailure(BOOL result, DWORD error,
                   std::source_location where = std::source_location::current()) {
    SCOPED_TRACE(testing::Message() << "called from line " << where.line());
    EXPECT_EQ(result, FALSE);
    EXPECT_EQ(GetLastError(), error);
}

TEST_F(Icm, AddQueryAndDeleteAProfile) {
    std::string path = colourFile("Spectrine95.icm", iccHeader("mntr"));
    SetLastError(0xdeadbeef);
    expectFailure(update(path, ICM_QUERYPROFILE), ERROR_FILE_NOT_FOUND);

    SetLastError(0xdeadbeef);
    EXPECT_EQ(update(path, ICM_ADDPROFILE), TRUE);
    EXPECT_EQ(GetLastError(), 0xdeadbeefu);
    EXPECT_EQ(registryText("mntr", "Spectrine95.icm"), path);
    EXPECT_EQ(update(path, ICM_QUERYPROFILE), TRUE);
    // The file name decides, whatever the case or the folder of the path asked about.
    EXPECT_EQ(update("C:\\elsewhere\\SPECTRINE95.ICM", ICM_QUERYPROFILE), TRUE);
    // Registering again is no error.
    EXPECT_EQ(update(path, ICM_ADDPROFILE), TRUE);

    SetLastError(0xdeadbeef);
    EXPECT_EQ(update(path, ICM_DELETEPROFILE), TRUE);
    EXPECT_EQ(GetLastError(), 0xdeadbeefu);
    EXPECT_EQ(registryText("mntr", "Spectrine95.icm"), "<absent>");
    SetLastError(0xdeadbeef);
    expectFailure(update(path, ICM_QUERYPROFILE), ERROR_FILE_NOT_FOUND);
    SetLastError(0xdeadbeef);
    expectFailure(update(path, ICM_DELETEPROFILE), ERROR_FILE_NOT_FOUND);
}

TEST_F(Icm, ProfilesAreFiledUnderTheirDeviceClass) {
    struct Case {
        const char* name;
        std::string bytes;
        const char* expectedClass;
    } cases[] = {
        {"printer.icm", iccHeader("prtr"), "prtr"},
        {"monitor.icm", iccHeader("mntr"), "mntr"},
        {"short.icm", "not a profile", "mntr"},            // no header at all
        {"odd.icm", iccHeader("zzzz"), "mntr"},            // a class the format does not know
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        std::string path = colourFile(c.name, c.bytes);
        ASSERT_EQ(update(path, ICM_ADDPROFILE), TRUE);
        EXPECT_EQ(registryText(c.expectedClass, c.name), path);
        EXPECT_EQ(update(path, ICM_QUERYPROFILE), TRUE);
    }
    EXPECT_EQ(registryText("mntr", "printer.icm"), "<absent>");
}

// A registration is found under its class whatever the case of the name: a file rewritten
// with another class moves there; a value under a key that is no class is no registration;
// a name filed under two classes is found, and removed, under the first class of the format's
// order first.
TEST_F(Icm, RegistrationsAreFoundUnderTheirClassOnly) {
    const std::string moving = colourFile("Moving.icm", iccHeader("prtr"));
    ASSERT_EQ(update(moving, ICM_ADDPROFILE), TRUE);
    EXPECT_EQ(registryText("prtr", "Moving.icm"), moving);
    colourFile("Moving.icm", iccHeader("mntr"));
    ASSERT_EQ(update(moving, ICM_ADDPROFILE), TRUE);
    EXPECT_EQ(registryText("prtr", "Moving.icm"), "<absent>");
    EXPECT_EQ(registryText("mntr", "Moving.icm"), moving);
    EXPECT_EQ(update(colourDir() + "MOVING.ICM", ICM_QUERYPROFILE), TRUE);

    auto writeRaw = [](const char* subkey, const char* name) {
        HKEY key = nullptr;
        ASSERT_EQ(RegCreateKeyExA(HKEY_LOCAL_MACHINE, (std::string(kIcm) + subkey).c_str(), 0, nullptr, 0,
                                  KEY_ALL_ACCESS, nullptr, &key, nullptr),
                  ERROR_SUCCESS);
        ASSERT_EQ(RegSetValueExA(key, name, 0, REG_SZ, reinterpret_cast<const BYTE*>("x"), 2), ERROR_SUCCESS);
        RegCloseKey(key);
    };
    writeRaw("Other", "stray.icm");
    SetLastError(0xdeadbeef);
    expectFailure(update(colourDir() + "stray.icm", ICM_QUERYPROFILE), ERROR_FILE_NOT_FOUND);

    writeRaw("scnr", "twice.icm");
    writeRaw("PRTR", "twice.icm");
    const std::string twice = colourDir() + "twice.icm";
    ASSERT_EQ(update(twice, ICM_DELETEPROFILE), TRUE);
    EXPECT_EQ(registryText("prtr", "twice.icm"), "<absent>");
    EXPECT_EQ(registryText("scnr", "twice.icm"), "x");
    EXPECT_EQ(update(twice, ICM_QUERYPROFILE), TRUE);
    ASSERT_EQ(update(twice, ICM_DELETEPROFILE), TRUE);
    EXPECT_EQ(registryText("scnr", "twice.icm"), "<absent>");
    SetLastError(0xdeadbeef);
    expectFailure(update(twice, ICM_QUERYPROFILE), ERROR_FILE_NOT_FOUND);
}

TEST_F(Icm, AMissingFileIsNotRegistered) {
    std::string path = colourDir() + "Netvivid.icc";
    SetLastError(0xdeadbeef);
    expectFailure(update(path, ICM_ADDPROFILE), ERROR_FILE_NOT_FOUND);
    SetLastError(0xdeadbeef);
    expectFailure(update(path, ICM_SETDEFAULTPROFILE), ERROR_FILE_NOT_FOUND);
    EXPECT_EQ(registryText("mntr", "Netvivid.icc"), "<absent>");
    EXPECT_EQ(registryText("Default Profiles", "\\\\.\\DISPLAY1"), "<absent>");
}

TEST_F(Icm, BadArgumentsAndMatcherCommands) {
    std::string path = colourFile("a.icm", iccHeader("mntr"));
    struct Case {
        const char* what;
        LPSTR file;
        UINT command;
        DWORD error;
    } cases[] = {
        {"null file", nullptr, ICM_ADDPROFILE, ERROR_INVALID_PARAMETER},
        {"empty file", const_cast<LPSTR>(""), ICM_QUERYPROFILE, ERROR_INVALID_PARAMETER},
        {"folder only", const_cast<LPSTR>("C:\\COLOR\\"), ICM_QUERYPROFILE, ERROR_INVALID_PARAMETER},
        {"command 0", path.data(), 0, ERROR_INVALID_PARAMETER},
        {"command 8", path.data(), 8, ERROR_INVALID_PARAMETER},
        {"register matcher", path.data(), ICM_REGISTERICMATCHER, ERROR_NOT_SUPPORTED},
        {"unregister matcher", path.data(), ICM_UNREGISTERICMATCHER, ERROR_NOT_SUPPORTED},
        {"query match", path.data(), ICM_QUERYMATCH, ERROR_NOT_SUPPORTED},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        SetLastError(0xdeadbeef);
        expectFailure(UpdateICMRegKeyA(0, nullptr, c.file, c.command), c.error);
    }
    EXPECT_EQ(registryText("mntr", "a.icm"), "<absent>");
}

TEST_F(Icm, TheDefaultProfileOfEachMonitor) {
    writeDisplayIni(spx::test::monitorsSideBySide(3));
    std::string first = colourFile("first.icm", iccHeader("mntr"));
    std::string third = colourFile("third.icm", iccHeader("mntr"));

    // Nothing made default yet: the system's sRGB profile, whether or not the file exists.
    HDC screen = GetDC(nullptr);
    ASSERT_NE(screen, nullptr);
    char path[MAX_PATH + 1];
    std::memset(path, 0xbd, sizeof path);
    DWORD size = MAX_PATH;
    ASSERT_EQ(GetICMProfileA(screen, &size, path), TRUE);
    EXPECT_EQ(std::string(path), colourDir() + "sRGB Color Space Profile.icm");
    EXPECT_EQ(size, static_cast<DWORD>(MAX_PATH));

    SetLastError(0xdeadbeef);
    EXPECT_EQ(update(first, ICM_SETDEFAULTPROFILE), TRUE);  // no device: monitor 0
    EXPECT_EQ(GetLastError(), 0xdeadbeefu);
    EXPECT_EQ(update(third, ICM_SETDEFAULTPROFILE, "\\\\.\\DISPLAY3"), TRUE);
    // Made default means registered.
    EXPECT_EQ(registryText("mntr", "first.icm"), first);
    EXPECT_EQ(registryText("mntr", "third.icm"), third);
    EXPECT_EQ(registryText("Default Profiles", "\\\\.\\DISPLAY1"), first);
    EXPECT_EQ(registryText("Default Profiles", "\\\\.\\DISPLAY2"), "<absent>");
    EXPECT_EQ(registryText("Default Profiles", "\\\\.\\DISPLAY3"), third);

    struct Case {
        const char* device;
        std::string expected;
    } cases[] = {
        {"\\\\.\\DISPLAY1", first},
        {"\\\\.\\DISPLAY2", colourDir() + "sRGB Color Space Profile.icm"},
        {"\\\\.\\DISPLAY3", third},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.device);
        HDC dc = CreateDCA(c.device, nullptr, nullptr, nullptr);
        ASSERT_NE(dc, nullptr);
        std::memset(path, 0xbd, sizeof path);
        size = sizeof path;
        ASSERT_EQ(GetICMProfileA(dc, &size, path), TRUE);
        EXPECT_EQ(std::string(path), c.expected);
        DeleteDC(dc);
    }

    // Removing the profile withdraws it as monitor 2's default too.
    EXPECT_EQ(update(third, ICM_DELETEPROFILE), TRUE);
    EXPECT_EQ(registryText("Default Profiles", "\\\\.\\DISPLAY3"), "<absent>");
    EXPECT_EQ(registryText("Default Profiles", "\\\\.\\DISPLAY1"), first);

    SetLastError(0xdeadbeef);
    expectFailure(update(first, ICM_SETDEFAULTPROFILE, "\\\\.\\DISPLAY4"), ERROR_INVALID_PARAMETER);
    SetLastError(0xdeadbeef);
    expectFailure(update(first, ICM_SETDEFAULTPROFILE, "DISPLAY"), ERROR_INVALID_PARAMETER);
    ReleaseDC(nullptr, screen);
}

TEST_F(Icm, TheDefaultsSurviveTheProcess) {
    std::string path = colourFile("kept.icm", iccHeader("mntr"));
    ASSERT_EQ(update(path, ICM_SETDEFAULTPROFILE), TRUE);
    WinplatResetProcessState();
    HDC dc = GetDC(nullptr);
    char out[MAX_PATH];
    DWORD size = sizeof out;
    ASSERT_EQ(GetICMProfileA(dc, &size, out), TRUE);
    EXPECT_EQ(std::string(out), path);
    EXPECT_EQ(update(path, ICM_QUERYPROFILE), TRUE);
    ReleaseDC(nullptr, dc);
}

TEST_F(Icm, GetICMProfileTellsTheSizeNeeded) {
    std::string path = colourFile("sized.icm", iccHeader("mntr"));
    ASSERT_EQ(update(path, ICM_SETDEFAULTPROFILE), TRUE);
    HDC dc = GetDC(nullptr);
    DWORD needed = static_cast<DWORD>(path.size() + 1);

    char out[MAX_PATH];
    std::memset(out, 0xbd, sizeof out);
    DWORD size = needed - 1;
    SetLastError(0xdeadbeef);
    expectFailure(GetICMProfileA(dc, &size, out), ERROR_INSUFFICIENT_BUFFER);
    EXPECT_EQ(size, needed);
    EXPECT_EQ(static_cast<unsigned char>(out[0]), 0xbd);  // nothing written

    size = 0xdeadbeef;
    SetLastError(0xdeadbeef);
    expectFailure(GetICMProfileA(dc, &size, nullptr), ERROR_INSUFFICIENT_BUFFER);
    EXPECT_EQ(size, needed);

    size = needed;
    ASSERT_EQ(GetICMProfileA(dc, &size, out), TRUE);
    EXPECT_EQ(std::string(out), path);
    EXPECT_EQ(size, needed);
    EXPECT_EQ(static_cast<unsigned char>(out[needed]), 0xbd);

    SetLastError(0xdeadbeef);
    expectFailure(GetICMProfileA(dc, nullptr, out), ERROR_INVALID_PARAMETER);
    ReleaseDC(nullptr, dc);
    size = sizeof out;
    SetLastError(0xdeadbeef);
    expectFailure(GetICMProfileA(dc, &size, out), ERROR_INVALID_HANDLE);  // released
}

TEST_F(Icm, EachContextKeepsItsMode) {
    HDC a = GetDC(nullptr);
    HDC b = CreateDCA("DISPLAY", nullptr, nullptr, nullptr);
    ASSERT_NE(a, nullptr);
    ASSERT_NE(b, nullptr);
    EXPECT_EQ(SetICMMode(a, ICM_QUERY), ICM_OFF);
    EXPECT_EQ(SetICMMode(a, ICM_ON), ICM_ON);
    EXPECT_EQ(SetICMMode(a, ICM_QUERY), ICM_ON);
    EXPECT_EQ(SetICMMode(b, ICM_QUERY), ICM_OFF);
    EXPECT_EQ(SetICMMode(b, ICM_DONE_OUTSIDEDC), ICM_DONE_OUTSIDEDC);
    EXPECT_EQ(SetICMMode(b, ICM_QUERY), ICM_DONE_OUTSIDEDC);
    EXPECT_EQ(SetICMMode(a, ICM_OFF), ICM_OFF);
    EXPECT_EQ(SetICMMode(a, ICM_QUERY), ICM_OFF);

    SetLastError(0xdeadbeef);
    EXPECT_EQ(SetICMMode(a, 5), 0);
    EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_INVALID_PARAMETER));
    EXPECT_EQ(SetICMMode(a, ICM_QUERY), ICM_OFF);
    ReleaseDC(nullptr, a);
    DeleteDC(b);
    SetLastError(0xdeadbeef);
    EXPECT_EQ(SetICMMode(a, ICM_QUERY), 0);
    EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_INVALID_HANDLE));
}

TEST_F(Icm, WindowsNt4HasNoColourManagement) {
    std::string path = colourFile("nt4.icm", iccHeader("mntr"));
    useFamily("NT4");
    SetLastError(0xdeadbeef);
    expectFailure(update(path, ICM_ADDPROFILE), ERROR_CALL_NOT_IMPLEMENTED);
    EXPECT_EQ(registryText("mntr", "nt4.icm"), "<absent>");
    HDC dc = GetDC(nullptr);
    SetLastError(0xdeadbeef);
    EXPECT_EQ(SetICMMode(dc, ICM_QUERY), 0);
    EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_CALL_NOT_IMPLEMENTED));
    char out[MAX_PATH];
    DWORD size = sizeof out;
    SetLastError(0xdeadbeef);
    expectFailure(GetICMProfileA(dc, &size, out), ERROR_CALL_NOT_IMPLEMENTED);
    ReleaseDC(nullptr, dc);

    for (const char* family : {"95", "98", "NT5"}) {
        SCOPED_TRACE(family);
        useFamily(family);
        EXPECT_EQ(update(path, ICM_ADDPROFILE), TRUE);
        EXPECT_EQ(update(path, ICM_DELETEPROFILE), TRUE);
    }
}

}  // namespace
