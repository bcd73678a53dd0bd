// Libraries loaded at run time: Windows library names and paths resolved to shared objects, a
// process-wide table of HMODULE handles counted as Windows counts them, and exports looked up in
// the library itself.
//
// Every LoadLibrary holds one reference of the dynamic loader (one dlopen), every FreeLibrary
// gives one back, so a library is unloaded exactly when Windows would unload it. The program,
// the platform layer itself (what "user32.dll" and the other system libraries stand for) and
// libraries that came into the process by linking are pinned: they stay for the life of the
// process state and FreeLibrary on them succeeds without effect, as on Windows for statically
// imported libraries.
//
// The table's lock is never held while the loader runs (dlopen, dlclose, dlsym): a library's
// constructor may itself call LoadLibraryA while the loader holds its own lock.
#include <dlfcn.h>
#include <elf.h>
#include <link.h>
#include <sys/stat.h>

#include <algorithm>
#include <array>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <map>
#include <memory>
#include <mutex>
#include <optional>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include "ascii_case.h"
#include "detail.h"
#include "paths.h"
#include "win32.h"

namespace winplat::detail {
namespace {

// One reference of the dynamic loader to a library: dlclose when it goes.
class LibraryReference {
public:
    explicit LibraryReference(void* handle) : handle_(handle) {}
    LibraryReference(const LibraryReference&) = delete;
    LibraryReference& operator=(const LibraryReference&) = delete;
    ~LibraryReference() {
        if (handle_) dlclose(handle_);
    }
    void* get() const { return handle_; }

private:
    void* handle_;
};
using SharedReference = std::shared_ptr<LibraryReference>;

// A library in the process with the path GetModuleFileNameA reports.
struct Opened {
    SharedReference reference;
    std::string path;
};

// The library's own entry point, told of its attach and detach.
using EntryPoint = BOOL(WINAPI*)(HINSTANCE, DWORD, LPVOID);

struct Module {
    void* identity = nullptr;  // the loader's handle: the same for every dlopen of the library
    std::string path;
    bool pinned = false;
    EntryPoint entry = nullptr;  // set once its attach succeeded: it is owed a detach
    // One per LoadLibrary not yet freed; a pinned module keeps the ones it had.
    std::vector<SharedReference> references;
};

// HMODULE values look like module bases (64 KiB apart) and are never reused in the process, so
// a freed handle, or one from before a reset, can only miss.
constexpr uintptr_t kFirstHandle = 0x10000000;
constexpr uintptr_t kHandleStep = 0x10000;

struct LibraryTable {
    std::mutex mutex;
    std::map<uintptr_t, Module> modules;
    uintptr_t nextHandle = kFirstHandle;
};

LibraryTable& table() {
    static LibraryTable t;
    return t;
}

// How a library found again (not loaded by LoadLibrary) joins the table.
enum class Count { Reference, Unchanged, Pin };

bool hasSeparator(std::string_view name) { return name.find_first_of("\\/") != std::string_view::npos; }

// "user32", "GDI32.DLL", "ComCtl32.dll", ...: the system libraries whose functions the platform layer supplies.
bool isSystemLibrary(std::string_view name) {
    if (hasSeparator(name)) return false;
    std::string lower = asciiLowerCopy(name);
    if (endsWithIgnoringCase(lower, ".dll")) lower.resize(lower.size() - 4);
    for (const char* system : {"user32", "gdi32", "kernel32", "advapi32", "comctl32", "shell32", "ole32", "shlwapi", "winmm"})
        if (lower == system) return true;
    return false;
}

bool isRegularFile(const std::string& path) {
    struct stat st {};
    return stat(path.c_str(), &st) == 0 && S_ISREG(st.st_mode);
}

// The loader's record of a library (its path and place in memory).
link_map* linkMapOf(void* handle) {
    link_map* map = nullptr;
    return dlinfo(handle, RTLD_DI_LINKMAP, &map) == 0 ? map : nullptr;
}

// The path of a library the loader has, or of the program for its record.
std::string pathOf(void* handle) {
    link_map* map = linkMapOf(handle);
    if (!map || !map->l_name || !*map->l_name) return runningProgramPath();
    return absolute(map->l_name);
}

Opened openedFrom(void* handle, std::string path = {}) {
    Opened o{std::make_shared<LibraryReference>(handle), std::move(path)};
    if (o.path.empty()) o.path = pathOf(handle);
    return o;
}

// The Win32 code for a library file the loader refused: not a shared object of this machine
// is ERROR_BAD_EXE_FORMAT; a good one whose own needs cannot be met is ERROR_MOD_NOT_FOUND (a
// library it needs is missing) or ERROR_PROC_NOT_FOUND (a symbol it needs is missing).
DWORD refusalCode(const std::string& path, std::string_view reason) {
    auto header = [](const std::string& file) {
        std::array<unsigned char, sizeof(ElfW(Ehdr))> bytes{};
        std::ifstream in(file, std::ios::binary);
        in.read(reinterpret_cast<char*>(bytes.data()), bytes.size());
        return in.gcount() == static_cast<std::streamsize>(bytes.size()) ? bytes
                                                                          : decltype(bytes){};
    };
    if (!path.empty()) {
        auto bytes = header(path);
        ElfW(Ehdr) ehdr{};
        std::memcpy(&ehdr, bytes.data(), sizeof ehdr);
        bool elf = std::memcmp(ehdr.e_ident, ELFMAG, SELFMAG) == 0;
        ElfW(Ehdr) own{};
        auto ownBytes = header("/proc/self/exe");
        std::memcpy(&own, ownBytes.data(), sizeof own);
        if (!elf || ehdr.e_type != ET_DYN || ehdr.e_ident[EI_CLASS] != own.e_ident[EI_CLASS] ||
            ehdr.e_machine != own.e_machine)
            return ERROR_BAD_EXE_FORMAT;
    }
    if (reason.find("position-independent executable") != std::string_view::npos ||
        reason.find("invalid ELF header") != std::string_view::npos ||
        reason.find("wrong ELF class") != std::string_view::npos ||
        reason.find("file too short") != std::string_view::npos)
        return ERROR_BAD_EXE_FORMAT;
    if (reason.find("undefined symbol") != std::string_view::npos) return ERROR_PROC_NOT_FOUND;
    return ERROR_MOD_NOT_FOUND;
}

// The file a library name stands for in `folder`: the name itself (each component matched
// ignoring case), else for "<stem>.dll" the file lib<stem>.so (the stem's case first).
std::optional<std::string> findInFolder(const std::string& folder, std::string_view name) {
    std::string joined = folder.empty() ? std::string(name) : folder + "/" + std::string(name);
    std::string native = resolvePath(joined);
    if (isRegularFile(native)) return native;
    if (!endsWithIgnoringCase(name, ".dll")) return std::nullopt;
    // resolvePath keeps the folder's components it found, so the folder of `native` is the
    // real one whenever it exists.
    size_t start = lastComponentStart(native);
    std::string realFolder = start == 0 ? std::string() : native.substr(0, start);
    std::string stem(native.substr(start, native.size() - start - 4));
    std::string mapped = resolvePath(realFolder + "lib" + stem + ".so");
    if (isRegularFile(mapped)) return mapped;
    return std::nullopt;
}

// The spellings a name is tried in: itself, and when its file name has no extension also with
// the ".dll" Windows appends to such names.
std::vector<std::string> spellings(std::string_view name) {
    std::vector<std::string> all{std::string(name)};
    std::string_view last = name.substr(lastComponentStart(name));
    if (!last.empty() && last.find('.') == std::string_view::npos)
        all.push_back(std::string(name) + ".dll");
    return all;
}

// Where a name leads: a file (for names with a folder, or found in the program's or the
// suite's folder), or names for the loader's own search.
struct Located {
    std::optional<std::string> file;
    std::vector<std::string> searchNames;
};

Located locate(std::string_view given) {
    Located where;
    const std::vector<std::string> names = spellings(given);
    if (hasSeparator(given)) {
        for (const std::string& name : names) {
            if (auto file = findInFolder({}, name)) {
                where.file = absolute(*file);
                break;
            }
        }
        return where;
    }
    // The program's folder, then the suite's (the platform layer's own).
    for (const std::string& folder : programAndSuiteFolders()) {
        for (const std::string& name : names) {
            if (auto file = findInFolder(folder, name)) {
                where.file = absolute(*file);
                return where;
            }
        }
    }
    for (const std::string& name : names) {
        if (endsWithIgnoringCase(name, ".dll"))
            where.searchNames.push_back("lib" + name.substr(0, name.size() - 4) + ".so");
        where.searchNames.push_back(name);
    }
    return where;
}

// Loads the library a name stands for; on failure sets the last error and returns nothing.
std::optional<Opened> load(std::string_view name, int mode) {
    Located where = locate(name);
    if (where.file) {
        dlerror();
        if (void* h = dlopen(where.file->c_str(), mode)) return openedFrom(h);
        const char* reason = dlerror();
        SetLastError(refusalCode(*where.file, reason ? reason : ""));
        return std::nullopt;
    }
    // The first candidate the loader found but refused tells why; when it found none, there
    // is no such library.
    std::string refusal;
    for (const std::string& candidate : where.searchNames) {
        dlerror();
        if (void* h = dlopen(candidate.c_str(), mode)) return openedFrom(h);
        const char* reason = dlerror();
        if (refusal.empty() && reason &&
            !std::strstr(reason, "cannot open shared object file"))
            refusal = reason;
    }
    SetLastError(refusal.empty() ? ERROR_MOD_NOT_FOUND : refusalCode({}, refusal));
    return std::nullopt;
}

// The file names a bare library name matches: itself, and lib<stem>.so for "<stem>.dll".
bool matchesFileName(std::string_view name, std::string_view fileName) {
    if (fileName.size() == name.size() && endsWithIgnoringCase(fileName, name)) return true;
    if (!endsWithIgnoringCase(name, ".dll")) return false;
    std::string mapped = "lib" + std::string(name.substr(0, name.size() - 4)) + ".so";
    return fileName.size() == mapped.size() && endsWithIgnoringCase(fileName, mapped);
}

std::optional<Opened> openedByNoLoad(const std::string& path) {
    void* h = dlopen(path.c_str(), RTLD_LAZY | RTLD_NOLOAD);
    return h ? std::optional<Opened>(openedFrom(h)) : std::nullopt;
}

// A further reference to a library already in the process, or nothing. A bare name matches the
// file name of a library in the table wherever it was loaded from, as Windows matches the base
// names of loaded modules; otherwise the name is looked for as LoadLibraryA would.
std::optional<Opened> findLoaded(std::string_view name) {
    if (!hasSeparator(name)) {
        const std::vector<std::string> names = spellings(name);
        std::vector<std::string> loadedPaths;
        {
            LibraryTable& t = table();
            std::lock_guard lock(t.mutex);
            for (const auto& [handle, module] : t.modules) {
                std::string_view fileName =
                    std::string_view(module.path).substr(lastComponentStart(module.path));
                for (const std::string& spelling : names)
                    if (matchesFileName(spelling, fileName)) {
                        loadedPaths.push_back(module.path);
                        break;
                    }
            }
        }
        for (const std::string& path : loadedPaths)
            if (auto found = openedByNoLoad(path)) return found;
    }
    Located where = locate(name);
    std::vector<std::string> candidates = where.searchNames;
    if (where.file) candidates = {*where.file};
    for (const std::string& candidate : candidates)
        if (auto found = openedByNoLoad(candidate)) return found;
    return std::nullopt;
}

std::optional<Opened> openPlatformLibrary() {
    std::string path = platformLibraryPath();
    void* h = path.empty() ? nullptr : dlopen(path.c_str(), RTLD_LAZY | RTLD_NOLOAD);
    if (!h) return std::nullopt;
    return openedFrom(h, absolute(path));
}

std::optional<Opened> openProgram() {
    void* h = dlopen(nullptr, RTLD_LAZY);
    if (!h) return std::nullopt;
    return openedFrom(h, runningProgramPath());
}

// Enters a library into the table: a new module, or one more reference (or none, or a pin) on
// the module it already is. Returns its handle; `isNew` tells which. References that are not
// kept are given back after the lock is released.
HMODULE enter(Opened opened, Count count, bool* isNew = nullptr) {
    if (isNew) *isNew = false;
    SharedReference surplus;
    LibraryTable& t = table();
    std::lock_guard lock(t.mutex);
    void* identity = opened.reference->get();
    for (auto& [handle, module] : t.modules) {
        if (module.identity != identity) continue;
        if (count == Count::Pin) module.pinned = true;
        if (count == Count::Reference && !module.pinned)
            module.references.push_back(std::move(opened.reference));
        else
            surplus = std::move(opened.reference);
        return reinterpret_cast<HMODULE>(handle);
    }
    uintptr_t handle = t.nextHandle;
    t.nextHandle += kHandleStep;
    Module module;
    module.identity = identity;
    module.path = std::move(opened.path);
    // A library found again without counting came by linking or from elsewhere: it stays.
    module.pinned = count != Count::Reference;
    module.references.push_back(std::move(opened.reference));
    t.modules.emplace(handle, std::move(module));
    if (isNew) *isNew = true;
    return reinterpret_cast<HMODULE>(handle);
}

// Takes a module out of the table whole; its references are given back by the caller.
std::vector<SharedReference> removeModule(HMODULE h) {
    LibraryTable& t = table();
    std::lock_guard lock(t.mutex);
    auto it = t.modules.find(reinterpret_cast<uintptr_t>(h));
    if (it == t.modules.end()) return {};
    std::vector<SharedReference> references = std::move(it->second.references);
    t.modules.erase(it);
    return references;
}

// Sends DLL_PROCESS_DETACH to every library still owed one (the process ends, or its state is
// reset), outside the lock and while the libraries are still loaded.
void detachAll(LPVOID reason) {
    std::vector<std::pair<HMODULE, EntryPoint>> owed;
    {
        LibraryTable& t = table();
        std::lock_guard lock(t.mutex);
        for (auto& [handle, module] : t.modules)
            if (module.entry) owed.emplace_back(reinterpret_cast<HMODULE>(handle), std::exchange(module.entry, nullptr));
    }
    for (auto it = owed.rbegin(); it != owed.rend(); ++it) it->second(it->first, DLL_PROCESS_DETACH, reason);
}

void detachAtExit() { detachAll(reinterpret_cast<LPVOID>(1)); }

// Runs a newly loaded library's DllMain for DLL_PROCESS_ATTACH. A refusal is told
// DLL_PROCESS_DETACH and unloads the library: null with ERROR_DLL_INIT_FAILED.
HMODULE attach(HMODULE h) {
    DWORD error = GetLastError();
    auto entry = reinterpret_cast<EntryPoint>(GetProcAddress(h, "DllMain"));
    if (!entry) {
        SetLastError(error);  // a library without an entry point loads as any other
        return h;
    }
    if (!entry(h, DLL_PROCESS_ATTACH, nullptr)) {
        entry(h, DLL_PROCESS_DETACH, nullptr);
        removeModule(h);  // the library goes as its references do
        SetLastError(ERROR_DLL_INIT_FAILED);
        return nullptr;
    }
    {
        LibraryTable& t = table();
        std::lock_guard lock(t.mutex);
        auto it = t.modules.find(reinterpret_cast<uintptr_t>(h));
        if (it != t.modules.end()) it->second.entry = entry;
    }
    // Registered after the library's own exit work, so the detach runs before it.
    std::atexit(detachAtExit);
    return h;
}

// What a handle names, with a reference that keeps the library loaded while it is used.
struct Use {
    SharedReference reference;
    std::string path;
};
std::optional<Use> use(HMODULE h) {
    LibraryTable& t = table();
    std::lock_guard lock(t.mutex);
    auto it = t.modules.find(reinterpret_cast<uintptr_t>(h));
    if (it == t.modules.end() || it->second.references.empty()) return std::nullopt;
    return Use{it->second.references.back(), it->second.path};
}

HMODULE programModule() {
    auto program = openProgram();
    return program ? enter(std::move(*program), Count::Pin) : nullptr;
}

}  // namespace

void resetLibraries() {
    detachAll(nullptr);
    std::map<uintptr_t, Module> released;  // unloaded after the lock is given back
    LibraryTable& t = table();
    std::lock_guard lock(t.mutex);
    released.swap(t.modules);
}

}  // namespace winplat::detail

using namespace winplat::detail;

WINPLAT_API HMODULE LoadLibraryExA(LPCSTR lpLibFileName, HANDLE hFile, DWORD dwFlags) {
    return guardedCall(HMODULE{}, [&]() -> HMODULE {
        constexpr DWORD kKnown =
            DONT_RESOLVE_DLL_REFERENCES | LOAD_LIBRARY_AS_DATAFILE | LOAD_WITH_ALTERED_SEARCH_PATH;
        if (!lpLibFileName || !*lpLibFileName || hFile || (dwFlags & ~kKnown)) {
            SetLastError(ERROR_INVALID_PARAMETER);
            return nullptr;
        }
        if (isSystemLibrary(lpLibFileName)) {
            auto self = openPlatformLibrary();
            if (!self) {
                SetLastError(ERROR_MOD_NOT_FOUND);
                return nullptr;
            }
            return enter(std::move(*self), Count::Pin);
        }
        int mode = ((dwFlags & DONT_RESOLVE_DLL_REFERENCES) ? RTLD_LAZY : RTLD_NOW) | RTLD_LOCAL;
        auto opened = load(lpLibFileName, mode);
        if (!opened) return nullptr;
        bool isNew = false;
        HMODULE h = enter(std::move(*opened), Count::Reference, &isNew);
        constexpr DWORD kNoEntry = DONT_RESOLVE_DLL_REFERENCES | LOAD_LIBRARY_AS_DATAFILE;
        return isNew && !(dwFlags & kNoEntry) ? attach(h) : h;
    });
}

WINPLAT_API HMODULE LoadLibraryA(LPCSTR lpLibFileName) {
    return LoadLibraryExA(lpLibFileName, nullptr, 0);
}

WINPLAT_API FARPROC GetProcAddress(HMODULE hModule, LPCSTR lpProcName) {
    return guardedCall(FARPROC{}, [&]() -> FARPROC {
        // Names below 0x10000 are ordinals, which no library here exports.
        if (reinterpret_cast<uintptr_t>(lpProcName) < 0x10000) {
            SetLastError(ERROR_PROC_NOT_FOUND);
            return nullptr;
        }
        if (!hModule) hModule = programModule();
        auto used = use(hModule);
        if (!used) {
            SetLastError(ERROR_MOD_NOT_FOUND);
            return nullptr;
        }
        void* library = used->reference->get();
        dlerror();
        void* symbol = dlsym(library, lpProcName);
        // dlsym also searches the libraries this one uses; only its own exports count.
        Dl_info info{};
        link_map* owner = nullptr;
        if (!symbol ||
            dladdr1(symbol, &info, reinterpret_cast<void**>(&owner), RTLD_DL_LINKMAP) == 0 ||
            owner != linkMapOf(library)) {
            SetLastError(ERROR_PROC_NOT_FOUND);
            return nullptr;
        }
        return reinterpret_cast<FARPROC>(symbol);
    });
}

WINPLAT_API BOOL FreeLibrary(HMODULE hLibModule) {
    SharedReference released;  // given back to the loader after the lock
    LibraryTable& t = table();
    EntryPoint detach = nullptr;
    {
        std::lock_guard lock(t.mutex);
        auto it = t.modules.find(reinterpret_cast<uintptr_t>(hLibModule));
        if (it == t.modules.end()) {
            SetLastError(ERROR_INVALID_HANDLE);
            return FALSE;
        }
        Module& module = it->second;
        if (module.pinned) return TRUE;
        if (module.references.size() == 1 && module.entry) detach = std::exchange(module.entry, nullptr);
    }
    // The last reference: the library hears of it while it is still loaded and known.
    if (detach) detach(hLibModule, DLL_PROCESS_DETACH, nullptr);
    std::lock_guard lock(t.mutex);
    auto it = t.modules.find(reinterpret_cast<uintptr_t>(hLibModule));
    if (it == t.modules.end() || it->second.references.empty()) return TRUE;
    released = std::move(it->second.references.back());
    it->second.references.pop_back();
    if (it->second.references.empty()) t.modules.erase(it);
    return TRUE;
}

WINPLAT_API BOOL GetModuleHandleExA(DWORD dwFlags, LPCSTR lpModuleName, HMODULE* phModule) {
    return guardedCall(BOOL{FALSE}, [&]() -> BOOL {
        constexpr DWORD kKnown = GET_MODULE_HANDLE_EX_FLAG_PIN |
                                 GET_MODULE_HANDLE_EX_FLAG_UNCHANGED_REFCOUNT |
                                 GET_MODULE_HANDLE_EX_FLAG_FROM_ADDRESS;
        if (phModule) *phModule = nullptr;
        if (!phModule || (dwFlags & ~kKnown) ||
            ((dwFlags & GET_MODULE_HANDLE_EX_FLAG_PIN) &&
             (dwFlags & GET_MODULE_HANDLE_EX_FLAG_UNCHANGED_REFCOUNT))) {
            SetLastError(ERROR_INVALID_PARAMETER);
            return FALSE;
        }
        Count count = (dwFlags & GET_MODULE_HANDLE_EX_FLAG_PIN) ? Count::Pin
                      : (dwFlags & GET_MODULE_HANDLE_EX_FLAG_UNCHANGED_REFCOUNT)
                          ? Count::Unchanged
                          : Count::Reference;
        std::optional<Opened> found;
        if (dwFlags & GET_MODULE_HANDLE_EX_FLAG_FROM_ADDRESS) {
            Dl_info info{};
            link_map* owner = nullptr;
            if (!lpModuleName || dladdr1(lpModuleName, &info, reinterpret_cast<void**>(&owner),
                                         RTLD_DL_LINKMAP) == 0 || !owner) {
                SetLastError(ERROR_MOD_NOT_FOUND);
                return FALSE;
            }
            auto program = openProgram();
            auto platform = openPlatformLibrary();
            if (program && owner == linkMapOf(program->reference->get())) {
                found = std::move(program);
                count = Count::Pin;  // the program is always there
            } else if (platform && owner == linkMapOf(platform->reference->get())) {
                found = std::move(platform);
                count = Count::Pin;  // and so is the platform layer
            } else if (owner->l_name && *owner->l_name) {
                if (void* h = dlopen(owner->l_name, RTLD_LAZY | RTLD_NOLOAD)) found = openedFrom(h);
            }
        } else if (!lpModuleName) {
            found = openProgram();
            count = Count::Pin;
        } else if (isSystemLibrary(lpModuleName)) {
            found = openPlatformLibrary();
            count = Count::Pin;
        } else {
            found = findLoaded(lpModuleName);
        }
        if (!found) {
            SetLastError(ERROR_MOD_NOT_FOUND);
            return FALSE;
        }
        *phModule = enter(std::move(*found), count);
        return TRUE;
    });
}

WINPLAT_API HMODULE GetModuleHandleA(LPCSTR lpModuleName) {
    HMODULE h = nullptr;
    GetModuleHandleExA(GET_MODULE_HANDLE_EX_FLAG_UNCHANGED_REFCOUNT, lpModuleName, &h);
    return h;
}

WINPLAT_API DWORD GetModuleFileNameA(HMODULE hModule, LPSTR lpFilename, DWORD nSize) {
    return guardedCall(DWORD{0}, [&]() -> DWORD {
        std::string path;
        if (!hModule) {
            path = runningProgramPath();
        } else if (auto used = use(hModule)) {
            path = used->path;
        } else {
            SetLastError(ERROR_MOD_NOT_FOUND);
            return 0;
        }
        if (path.empty()) {
            SetLastError(ERROR_MOD_NOT_FOUND);
            return 0;
        }
        if (nSize == 0) {
            SetLastError(ERROR_INSUFFICIENT_BUFFER);
            return 0;
        }
        if (!lpFilename) {
            SetLastError(ERROR_INVALID_PARAMETER);
            return 0;
        }
        size_t copied = copyBounded(lpFilename, nSize, path);
        if (copied < path.size()) {
            SetLastError(ERROR_INSUFFICIENT_BUFFER);
            return nSize;
        }
        return static_cast<DWORD>(copied);
    });
}
