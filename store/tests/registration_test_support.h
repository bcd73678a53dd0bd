// What the registration, default-profile, status and plug-in tests share: a fixture with the
// colour directory, profile files in it, the monitors' class keys and the registration record.
// The builder's tests read the registration with RegistrationValues.
#pragma once

#include <fcntl.h>
#include <gtest/gtest.h>
#include <sys/stat.h>

#include <cstdio>
#include <cstring>
#include <optional>
#include <string>
#include <vector>

#include "fresh_root.h"
#include "pnp_walk.h"
#include "vltutil.h"

namespace vlt::test {

inline constexpr char kClassRoot[] = "System\\CurrentControlSet\\Services\\Class\\";
inline constexpr char kSuiteKey[] = SPECTRINE_SUITE_KEY;

// "a.icm\0b.icm\0\0": the REG_BINARY list of the names.
inline std::vector<BYTE> nameList(const std::vector<std::string>& names) {
    std::vector<BYTE> list;
    for (const std::string& n : names) {
        list.insert(list.end(), n.begin(), n.end());
        list.push_back(0);
    }
    list.push_back(0);
    return list;
}

// The monitors' class keys, their profile lists and the suite's values, read and set without
// a fixture of their own (the builder's tests mix them into theirs).
struct RegistrationValues {
    static std::optional<std::vector<BYTE>> keyValue(const std::string& key, const char* name,
                                                     DWORD* typeOut = nullptr) {
        HKEY k = nullptr;
        if (RegOpenKeyExA(HKEY_LOCAL_MACHINE, key.c_str(), 0, KEY_READ, &k) != ERROR_SUCCESS)
            return std::nullopt;
        DWORD type = 0, size = 0;
        std::optional<std::vector<BYTE>> out;
        if (RegQueryValueExA(k, name, nullptr, &type, nullptr, &size) == ERROR_SUCCESS) {
            std::vector<BYTE> data(size);
            if (RegQueryValueExA(k, name, nullptr, &type, data.data(), &size) == ERROR_SUCCESS) {
                data.resize(size);
                out = data;
                if (typeOut) *typeOut = type;
            }
        }
        RegCloseKey(k);
        return out;
    }
    static void setKeyValue(const std::string& key, const char* name, DWORD type,
                            const std::vector<BYTE>& data) {
        HKEY k = nullptr;
        ASSERT_EQ(RegCreateKeyExA(HKEY_LOCAL_MACHINE, key.c_str(), 0, nullptr, 0, KEY_ALL_ACCESS,
                                  nullptr, &k, nullptr),
                  ERROR_SUCCESS);
        EXPECT_EQ(RegSetValueExA(k, name, 0, type, data.data(), static_cast<DWORD>(data.size())),
                  ERROR_SUCCESS);
        RegCloseKey(k);
    }
    static void setKeyText(const std::string& key, const char* name, const std::string& text) {
        setKeyValue(key, name, REG_SZ, std::vector<BYTE>(text.c_str(), text.c_str() + text.size() + 1));
    }
    // The "ICMProfile" list of a monitor class key; "<absent>" alone when there is none,
    // "<type n>" first when it is not REG_BINARY.
    static std::vector<std::string> profileListAt(const std::string& classKey) {
        DWORD type = 0;
        auto value = keyValue(classKey, "ICMProfile", &type);
        if (!value) return {"<absent>"};
        std::vector<std::string> names;
        if (type != REG_BINARY) names.push_back("<type " + std::to_string(type) + ">");
        size_t at = 0;
        while (at < value->size()) {
            std::string name(reinterpret_cast<const char*>(value->data() + at),
                             strnlen(reinterpret_cast<const char*>(value->data() + at),
                                     value->size() - at));
            at += name.size() + 1;
            names.push_back(name);
        }
        return names;  // the empty terminator is the last entry
    }

    // A value of the suite key's subkey as text (REG_SZ) or "<absent>".
    static std::string suiteText(const char* subkey, const char* name) {
        DWORD type = 0;
        auto value = keyValue(std::string(kSuiteKey) + subkey, name, &type);
        if (!value || type != REG_SZ) return "<absent>";
        return std::string(reinterpret_cast<const char*>(value->data()),
                           strnlen(reinterpret_cast<const char*>(value->data()), value->size()));
    }
    static std::optional<DWORD> suiteDword(const char* subkey, const char* name) {
        DWORD type = 0;
        auto value = keyValue(std::string(kSuiteKey) + subkey, name, &type);
        if (!value || type != REG_DWORD || value->size() != 4) return std::nullopt;
        DWORD v;
        std::memcpy(&v, value->data(), 4);
        return v;
    }
    static void setSuiteDword(const char* subkey, const char* name, DWORD value) {
        ASSERT_EQ(WriteSpectrineRegValue(subkey, name, REG_DWORD,
                                         reinterpret_cast<const BYTE*>(&value), sizeof value),
                  ERROR_SUCCESS);
    }
    static void setSuiteText(const char* subkey, const char* name, const std::string& text) {
        ASSERT_EQ(WriteSpectrineRegString(subkey, name, text.c_str()), 1);
    }

    // The default profile the system keeps for monitor n (GetICMProfileA on its device).
    static std::string systemDefault(int monitor) {
        std::string device = "\\\\.\\DISPLAY" + std::to_string(monitor + 1);
        HDC dc = monitor == 0 ? GetDC(nullptr) : CreateDCA(device.c_str(), nullptr, nullptr, nullptr);
        if (!dc) return "<no context>";
        char path[MAX_PATH];
        DWORD size = sizeof path;
        std::string out = GetICMProfileA(dc, &size, path) ? path : "<failed>";
        if (monitor == 0)
            ReleaseDC(nullptr, dc);
        else
            DeleteDC(dc);
        return out;
    }
    static bool registered(const std::string& path) {
        return UpdateICMRegKeyA(0, nullptr, const_cast<LPSTR>(path.c_str()), ICM_QUERYPROFILE) != 0;
    }
};

class RegistrationTest : public spx::test::FreshRootTest, public RegistrationValues {
protected:
    // The class key of monitor n as the walk finds it, and its list.
    static std::string classKey(int monitor) { return vlt::pnp::findMonitorKeys(monitor).classKey; }
    static std::vector<std::string> profileList(int monitor) { return profileListAt(classKey(monitor)); }

    // The colour directory as the system names it, with its closing '\'.
    static std::string colourDir() {
        char system[MAX_PATH];
        UINT n = GetSystemDirectoryA(system, sizeof system);
        if (n == 0 || n >= sizeof system) {
            ADD_FAILURE() << "no system directory: " << n;
            return {};
        }
        return std::string(system, n) + "\\COLOR\\";
    }
    // A small ICC-like file in the colour directory; its full path.
    std::string colourFile(const std::string& name, const std::string& content = "") {
        std::string bytes = content.empty() ? std::string(128, '\0') + name : content;
        writeFile("WINDOWS/SYSTEM/COLOR/" + name, bytes);
        return colourDir() + name;
    }
    void removeColourFile(const std::string& name) {
        std::remove(rootPath("WINDOWS/SYSTEM/COLOR/" + name).c_str());
    }
    // Sets the last-write time of a colour-directory file (seconds since 1970, UTC).
    void setWriteTime(const std::string& name, long long seconds) {
        std::string path = rootPath("WINDOWS/SYSTEM/COLOR/" + name);
        struct timespec times[2] = {{seconds, 0}, {seconds, 0}};
        ASSERT_EQ(utimensat(AT_FDCWD, path.c_str(), times, 0), 0) << path;
    }
};

}  // namespace vlt::test
