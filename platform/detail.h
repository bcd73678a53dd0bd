// Internal contract between the parts of the platform layer (not installed, not for modules).
#pragma once

#include <new>
#include <string>
#include <vector>

#include "win32.h"

namespace winplat::detail {

// Emulated system family, from $SPECTRINE_WINVER or [System] Version= in <root>/system.ini.
enum class Family { Win95, Win98, NT4, NT5 };
Family family();
inline bool isNtFamily() { return family() == Family::NT4 || family() == Family::NT5; }

// This process's id, asked of the kernel once (again in a child made by fork).
DWORD currentProcessId();

// The system root (no trailing '/'), read once per process state.
const std::string& systemRoot();

// Per-part reset hooks, all called by WinplatResetProcessState.
void resetSystemRoot();
void resetVersion();
void resetRegistry();
void resetWindows();
void resetFiles();
void resetDisplay();
void resetLibraries();
void resetCom();
// Tray icons (shell/notifyicon.cpp): a click on one (from the driver, or a test's injection)
// posts its callback message; false for an icon that is not there.
bool trayIconClicked(HWND owner, UINT id, UINT mouseMessage);
void resetTrayIcons();

// The running program's file (empty when it cannot be read), the file of libwinplat itself,
// and the suite folder (libwinplat's folder), where programs and libraries are looked for by
// their bare names after the program's own folder (kernel/module_paths.cpp).
std::string runningProgramPath();
std::string platformLibraryPath();
std::string suiteFolder();
// The program's folder, then the suite's when it differs.
std::vector<std::string> programAndSuiteFolders();
// The folder part of a path ("." when it has none), and a path made absolute and lexically
// normal (the path itself when that fails).
std::string folderOf(const std::string& path);
std::string absolute(const std::string& path);

// Fills the plug-and-play keys of the 95 family from the display backend's monitors
// (display_pnp.cpp). The registry calls it when this process first uses HKEY_DYN_DATA.
void fillPlugAndPlayKeys();
// Fills the device and class keys of the monitors and adapters under HKEY_LOCAL_MACHINE
// alone, as the NT family keeps them. The registry calls it on the NT family when this process
// first uses HKEY_LOCAL_MACHINE.
void fillMachineKeys();

// The names of the subkeys of `key` that hold a value named `valueName` (case ignored, as
// the registry compares names), in no set order: one look-up where opening each subkey and
// querying it would take two per subkey. ERROR_SUCCESS or the registry's code.
LONG subkeysHoldingValue(HKEY key, const char* valueName, std::vector<std::string>& names);

// GetSystemMetrics indices of the window frames and the work area (user/sysparams.cpp).
int userSystemMetric(int index);

// Copies `text` into a caller's buffer of `size` bytes, always terminated when size > 0.
// Returns the number of characters copied (without the terminator).
size_t copyBounded(char* out, size_t size, const std::string& text);

// Runs the body of an exported call so that no exception leaves the library: running out of
// memory (or any other exception) gives the call's failure value, with ERROR_NOT_ENOUGH_MEMORY
// (ERROR_GEN_FAILURE) as the last error.
template <typename R, typename Body>
R guardedCall(R onFailure, Body&& body) noexcept {
    try {
        return body();
    } catch (const std::bad_alloc&) {
        SetLastError(ERROR_NOT_ENOUGH_MEMORY);
    } catch (...) {
        SetLastError(ERROR_GEN_FAILURE);
    }
    return onFailure;
}

}  // namespace winplat::detail
