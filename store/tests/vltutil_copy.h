// A private copy of libvltutil.so for the tests of the extension libraries.
//
// vltutil loads "\OEMEXT.DLL" and "\USBExt.dll" from its own folder, once per process. So that
// each test chooses which extensions vltutil finds, the test copies the real shared library
// into a folder of its own together with the chosen test doubles under the names the platform
// maps those library names to (libOEMEXT.so, libUSBExt.so), and opens that copy with dlopen.
// The copy's libwinplat.so need is met by the one this test program already has (the loader
// matches it by name), so the copy and the test share the registry, the display and the
// library table; the copy keeps its own process state, built by its first export call, which
// is why a test writes display.ini and chooses the system family before calling it. A second
// copy in another folder stands for the library in a new process.
#pragma once

#include <dlfcn.h>
#include <gtest/gtest.h>
#include <link.h>

#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>
#include <vector>

#include "vltutil.h"

namespace vlt::test {

// The exports the ramp tests call, resolved in one copy.
struct Exports {
    decltype(&::VLTSetDeviceGammaRamp) setRamp = nullptr;
    decltype(&::VLTGetDeviceGammaRamp) getRamp = nullptr;
    decltype(&::IsGammaRampSupported) isGammaRampSupported = nullptr;
    decltype(&::IsPanningEnabled) isPanningEnabled = nullptr;
    decltype(&::SetPanningOn) setPanningOn = nullptr;
    decltype(&::SetPanningOff) setPanningOff = nullptr;
    decltype(&::IsMultiHeaded) isMultiHeaded = nullptr;
    decltype(&::GetSpectrineNbMonitors) nbMonitors = nullptr;
};

enum class Oem { None, Version1, Version2 };
// Version2: a library whose "Version" is 2 (the OEM double of that version, under the USB name).
enum class Usb { None, Version0, Version1, MissingExport, Version2 };

class VltutilCopy {
public:
    // Makes `folder` with libvltutil.so and the chosen doubles, then opens the copy.
    VltutilCopy(const std::string& folder, Oem oem, Usb usb) : folder_(folder) {
        namespace fs = std::filesystem;
        fs::create_directories(folder);
        fs::copy_file(VLTUTIL_LIBRARY_PATH, folder + "/libvltutil.so",
                      fs::copy_options::overwrite_existing);
        if (oem == Oem::Version1) fs::copy_file(OEM_DOUBLE_PATH, folder + "/libOEMEXT.so");
        if (oem == Oem::Version2) fs::copy_file(OEM2_DOUBLE_PATH, folder + "/libOEMEXT.so");
        if (usb == Usb::Version0) fs::copy_file(USB0_DOUBLE_PATH, folder + "/libUSBExt.so");
        if (usb == Usb::Version1) fs::copy_file(USB1_DOUBLE_PATH, folder + "/libUSBExt.so");
        if (usb == Usb::MissingExport)
            fs::copy_file(USB_MISSING_DOUBLE_PATH, folder + "/libUSBExt.so");
        if (usb == Usb::Version2) fs::copy_file(OEM2_DOUBLE_PATH, folder + "/libUSBExt.so");
        handle_ = dlopen((folder + "/libvltutil.so").c_str(), RTLD_NOW | RTLD_LOCAL);
        if (!handle_) {
            ADD_FAILURE() << "dlopen: " << dlerror();
            return;
        }
        resolve(exports.setRamp, "VLTSetDeviceGammaRamp");
        resolve(exports.getRamp, "VLTGetDeviceGammaRamp");
        resolve(exports.isGammaRampSupported, "IsGammaRampSupported");
        resolve(exports.isPanningEnabled, "IsPanningEnabled");
        resolve(exports.setPanningOn, "SetPanningOn");
        resolve(exports.setPanningOff, "SetPanningOff");
        resolve(exports.isMultiHeaded, "IsMultiHeaded");
        resolve(exports.nbMonitors, "GetSpectrineNbMonitors");
    }
    VltutilCopy(const VltutilCopy&) = delete;
    VltutilCopy& operator=(const VltutilCopy&) = delete;
    ~VltutilCopy() { close(); }

    // Unloads the copy: its detach runs and frees the extension libraries.
    void close() {
        if (handle_) dlclose(handle_);
        handle_ = nullptr;
    }
    bool opened() const { return handle_ != nullptr; }
    const std::string& folder() const { return folder_; }

    Exports exports;

private:
    template <typename F>
    void resolve(F& out, const char* name) {
        out = reinterpret_cast<F>(dlsym(handle_, name));
        if (!out) ADD_FAILURE() << "no export " << name;
    }

    std::string folder_;
    void* handle_ = nullptr;
};

// Whether a library whose path ends with `fileName` is mapped in this process.
inline bool libraryMapped(const std::string& fileName) {
    struct Search {
        std::string name;
        bool found = false;
    } search{"/" + fileName};
    dl_iterate_phdr(
        [](dl_phdr_info* info, size_t, void* data) {
            auto& s = *static_cast<Search*>(data);
            const std::string path = info->dlpi_name ? info->dlpi_name : "";
            if (path.size() >= s.name.size() &&
                path.compare(path.size() - s.name.size(), s.name.size(), s.name) == 0)
                s.found = true;
            return 0;
        },
        &search);
    return search.found;
}

// The lines a double appended to a log under the system root (empty when it wrote none).
inline std::vector<std::string> logLines(const std::string& path) {
    std::vector<std::string> lines;
    std::ifstream in(path);
    std::string line;
    while (std::getline(in, line)) lines.push_back(line);
    return lines;
}

}  // namespace vlt::test
