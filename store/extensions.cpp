// Binding the OEM and USB extension libraries.
#include "extensions.h"

#include <dlfcn.h>

namespace vlt {
namespace {

// Any address inside vltutil's code.
void anchor() {}

winplat::Library loadBeside(const std::string& folder, const char* name) {
    if (folder.empty()) return {};
    return winplat::Library(folder + "\\" + name);
}

}  // namespace

std::string vltutilFolder() {
    // dladdr rather than GetModuleFileNameA: the folder may be deeper than MAX_PATH allows.
    Dl_info info{};
    if (dladdr(reinterpret_cast<void*>(&anchor), &info) == 0 || !info.dli_fname) return {};
    std::string path = info.dli_fname;
    const size_t slash = path.rfind('/');
    if (slash == std::string::npos) return ".";
    return slash == 0 ? "/" : path.substr(0, slash);
}

std::optional<OemExtension> OemExtension::load(const std::string& folder) {
    OemExtension oem;
    oem.library = loadBeside(folder, "OEMEXT.DLL");
    if (!oem.library) return std::nullopt;
    const auto* version = oem.library.find<const int*>("Version");
    oem.getRamp = oem.library.find<GetRamp>("OEMGetDeviceGammaRamp");
    oem.setRamp = oem.library.find<SetRamp>("OEMSetDeviceGammaRamp");
    oem.isMultiHeaded = oem.library.find<IsMultiHeaded>("OEMIsMultiHeaded");
    oem.setPanningOn = oem.library.find<Panning>("OEMSetPanningOn");
    oem.setPanningOff = oem.library.find<Panning>("OEMSetPanningOff");
    oem.isPanningEnabled = oem.library.find<IsPanningEnabled>("OEMIsPanningEnabled");
    if (!version || *version != 1 || !oem.getRamp || !oem.setRamp || !oem.isMultiHeaded ||
        !oem.setPanningOn || !oem.setPanningOff || !oem.isPanningEnabled)
        return std::nullopt;  // the library is freed with `oem`
    return oem;
}

std::optional<UsbExtension> UsbExtension::load(const std::string& folder) {
    UsbExtension usb;
    usb.library = loadBeside(folder, "USBExt.dll");
    if (!usb.library) return std::nullopt;
    const auto* version = usb.library.find<const int*>("Version");
    usb.version = version ? *version : 0;
    switch (usb.version) {
    case 0:
        usb.sendCtl = usb.library.find<SendCtl>("SendCtlToUSB");
        if (!usb.sendCtl) return std::nullopt;
        return usb;
    case 1:
        usb.isAvailable = usb.library.find<IsAvailable>("USBIsAvailable");
        usb.setValues = usb.library.find<Values>("USBSetValues");
        usb.getValues = usb.library.find<Values>("USBGetValues");
        if (!usb.isAvailable || !usb.setValues || !usb.getValues) return std::nullopt;
        return usb;
    default:
        return std::nullopt;
    }
}

bool UsbExtension::availabilityTest() const {
    if (version == 0) return sendCtl(1, 0, 0) >= 0;
    int state = 0;
    return isAvailable(&state) != 0;
}

int UsbExtension::sendGains(const Gains& gains) const {
    if (version == 0) {
        constexpr int kCodes[3] = {22, 24, 26};
        for (size_t c = 0; c < 3; ++c)
            if (sendCtl(4, kCodes[c], gains[c]) < 0) return 0;
        return 1;
    }
    int block[8] = {};
    block[2] = gains[0];
    block[3] = gains[1];
    block[4] = gains[2];
    return setValues(block, 23);
}

}  // namespace vlt
