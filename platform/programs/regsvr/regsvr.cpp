// regsvr: registers in-process servers by calling their own DllRegisterServer, or with /u
// their DllUnregisterServer. Usage: regsvr [/u] [/s] library...  (options may also start with
// '-'; any longer argument is a library, so Linux paths may begin with '/'). Each outcome is reported on standard output (/s: only failures, on standard error).
// Exit status: 0 when every library succeeded, 1 for a bad command line, else 3 (a library
// cannot be loaded), 4 (it has no such entry point) or 5 (the entry point failed), the last
// failure's.
#include <cstdio>
#include <string>
#include <string_view>
#include <vector>

#include "win32.h"
#include "win32_holders.h"

namespace {

using ServerEntry = HRESULT (*)();

int registerOne(const std::string& name, bool unregister, bool silent) {
    const char* entry = unregister ? "DllUnregisterServer" : "DllRegisterServer";
    winplat::Library library(name);
    if (!library) {
        std::fprintf(stderr, "regsvr: %s cannot be loaded (error %lu)\n", name.c_str(),
                     static_cast<unsigned long>(GetLastError()));
        return 3;
    }
    auto call = library.find<ServerEntry>(entry);
    if (!call) {
        std::fprintf(stderr, "regsvr: %s has no %s\n", name.c_str(), entry);
        return 4;
    }
    HRESULT hr = call();
    if (FAILED(hr)) {
        std::fprintf(stderr, "regsvr: %s in %s failed with 0x%08lX\n", entry, name.c_str(),
                     static_cast<unsigned long>(static_cast<DWORD>(hr)));
        return 5;
    }
    if (!silent) std::printf("%s in %s succeeded.\n", entry, name.c_str());
    return 0;
}

}  // namespace

int main(int argc, char** argv) {
    bool unregister = false, silent = false, bad = false;
    std::vector<std::string> libraries;
    for (int i = 1; i < argc; ++i) {
        std::string_view a = argv[i];
        // Options are two characters ("/u", "-s"): longer arguments are paths, "/home/..." too.
        bool option = a.size() == 2 && (a[0] == '/' || a[0] == '-');
        char letter = option ? static_cast<char>(a[1] | 0x20) : 0;
        if (option && letter == 'u') unregister = true;
        else if (option && letter == 's') silent = true;
        else if (!option && !a.empty()) libraries.emplace_back(a);
        else bad = true;
    }
    if (bad || libraries.empty()) {
        std::fprintf(stderr, "usage: regsvr [/u] [/s] library...\n");
        return 1;
    }
    CoInitialize(nullptr);
    int status = 0;
    for (const std::string& name : libraries)
        if (int result = registerOne(name, unregister, silent)) status = result;
    CoUninitialize();
    return status;
}
