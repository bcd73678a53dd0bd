// A stand-in for a USB monitor-control extension, built by the tests as libUSBExt.so in three
// forms: USB_DOUBLE_VERSION 0 (exports no "Version" and "SendCtlToUSB"), USB_DOUBLE_VERSION 1
// ("Version" = 1, "USBIsAvailable", "USBSetValues", "USBGetValues"), and version 1 with
// USB_DOUBLE_MISSING_GET defined (no "USBGetValues", which vltutil must refuse).
//
// Every call is appended as one line to $SPECTRINE_ROOT/usb_calls.log. Answers:
//   SPECTRINE_USB_AVAILABLE  availability: SendCtlToUSB(1, 0, 0) answers 0 when set to 1 and
//                            -1 when set to 0; USBIsAvailable returns the value (default 1)
//   SPECTRINE_USB_FAIL_CODE  SendCtlToUSB answers -1 for this code (other codes answer 0)
//   SPECTRINE_USB_SET_RESULT result of USBSetValues (default 1)
#include <cstdio>
#include <cstdlib>
#include <string>

#define DOUBLE_API extern "C" __attribute__((visibility("default")))

namespace {

void record(const std::string& line) {
    const char* root = std::getenv("SPECTRINE_ROOT");
    const std::string path = std::string(root ? root : ".") + "/usb_calls.log";
    if (FILE* f = std::fopen(path.c_str(), "a")) {
        std::fprintf(f, "%s\n", line.c_str());
        std::fclose(f);
    }
}

int setting(const char* name, int fallback) {
    const char* v = std::getenv(name);
    return v ? std::atoi(v) : fallback;
}

}  // namespace

#if USB_DOUBLE_VERSION == 0

DOUBLE_API int SendCtlToUSB(int command, int code, unsigned short value) {
    record("SendCtlToUSB " + std::to_string(command) + " " + std::to_string(code) + " " +
           std::to_string(value));
    if (command == 1) return setting("SPECTRINE_USB_AVAILABLE", 1) ? 0 : -1;
    return code == setting("SPECTRINE_USB_FAIL_CODE", -1) ? -1 : 0;
}

#else

extern "C" {
__attribute__((visibility("default"))) int Version = USB_DOUBLE_VERSION;
}

DOUBLE_API int USBIsAvailable(int* state) {
    record("USBIsAvailable " + std::to_string(*state));
    *state = 1;
    return setting("SPECTRINE_USB_AVAILABLE", 1);
}

DOUBLE_API int USBSetValues(int* block, int code) {
    std::string line = "USBSetValues " + std::to_string(code);
    for (int i = 0; i < 8; ++i) line += " " + std::to_string(block[i]);
    record(line);
    return setting("SPECTRINE_USB_SET_RESULT", 1);
}

#ifndef USB_DOUBLE_MISSING_GET
DOUBLE_API int USBGetValues(int* block, int code) {
    record("USBGetValues " + std::to_string(code));
    for (int i = 0; i < 8; ++i) block[i] = 0;
    return 1;
}
#endif

#endif
