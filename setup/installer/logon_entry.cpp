#include "logon_entry.h"

#include <cstdlib>
#include <filesystem>
#include <system_error>

#include "win32_holders.h"
#include "winplat_files.h"

namespace installer {
namespace {

constexpr const char* kRunValue = "Spectrine Control Panel";

bool hasControlCharacters(const std::string& text) {
    for (unsigned char c : text)
        if (c < 0x20 || c == 0x7F) return true;
    return false;
}

// One argument of an Exec key: quoted, with '"', '`', '$' and '\' escaped by a backslash for
// the command line, then every backslash doubled for the key's string value (so "\\$" and
// "\\\\"), and '%' written "%%".
std::string execArgument(const std::string& text) {
    std::string quoted = "\"";
    for (char c : text) {
        if (c == '"' || c == '`' || c == '$') quoted += "\\\\";
        if (c == '\\') quoted += "\\\\\\";
        if (c == '%') quoted += '%';
        quoted += c;
    }
    return quoted + "\"";
}

}  // namespace

std::string autostartEntryPath() {
    const char* config = std::getenv("XDG_CONFIG_HOME");
    std::string base;
    if (config && config[0] == '/') {
        base = config;
    } else if (const char* home = std::getenv("HOME"); home && home[0] == '/') {
        base = std::string(home) + "/.config";
    } else {
        return {};
    }
    return base + "/autostart/spectrine-logon.desktop";
}

bool autostartEntry(const std::string& suiteFolder, const std::string& root, std::string& text, std::string& why) {
    for (const std::string* path : {&suiteFolder, &root}) {
        if (hasControlCharacters(*path)) {
            why = "the path " + *path + " cannot be written into an autostart entry";
            return false;
        }
    }
    text = "[Desktop Entry]\n"
           "Type=Application\n"
           "Name=Spectrine logon\n"
           "Comment=Starts the programs of the Run key when the session starts\n"
           "Exec=" + execArgument(suiteFolder + "/logon") + " --root " + execArgument(root) + "\n"
           "NoDisplay=true\n"
           "X-GNOME-Autostart-enabled=true\n";
    return true;
}

bool writeRunValue(const std::string& suiteFolder, Report& report) {
    const std::string program = suiteFolder + "/vltpanel";
    if (!winplat::fileExists(program.c_str())) return true;  // not installed: nothing starts it
    if (program.find('"') != std::string::npos || hasControlCharacters(program)) {
        report.error = "the path " + program + " cannot be written as a command line";
        return false;
    }
    const std::string command = "\"" + program + "\"";
    winplat::RegKey run;
    if (run.create(HKEY_LOCAL_MACHINE, REGSTR_PATH_RUN) != ERROR_SUCCESS ||
        RegSetValueExA(run.get(), kRunValue, 0, REG_SZ, reinterpret_cast<const BYTE*>(command.c_str()),
                       static_cast<DWORD>(command.size() + 1)) != ERROR_SUCCESS) {
        report.error = std::string("cannot write the Run value \"") + kRunValue + "\" into the registry";
        return false;
    }
    report.lines.push_back(std::string("Run\\") + kRunValue + " = " + command);
    return true;
}

bool writeAutostartEntry(const std::string& suiteFolder, const std::string& root, Report& report) {
    const std::string path = autostartEntryPath();
    if (path.empty()) {
        report.lines.push_back("No autostart entry: neither XDG_CONFIG_HOME nor HOME names a folder");
        return true;
    }
    std::string text, why;
    if (!autostartEntry(suiteFolder, root, text, why)) {
        report.error = why;
        return false;
    }
    std::error_code ec;
    std::filesystem::create_directories(std::filesystem::path(path).parent_path(), ec);
    if (ec || winplat::replaceFile(path.c_str(), text) != ERROR_SUCCESS) {
        report.error = "cannot write the autostart entry " + path;
        return false;
    }
    report.lines.push_back("Autostart entry: " + path);
    return true;
}

}  // namespace installer
