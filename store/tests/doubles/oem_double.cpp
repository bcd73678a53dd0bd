// A stand-in for an OEM extension, built by the tests as libOEMEXT.so (and once more with the
// version OEM_DOUBLE_VERSION = 2, which vltutil must refuse).
//
// Every call is appended as one line to $SPECTRINE_ROOT/oem_calls.log, so a test sees what
// vltutil asked and in which order. Ramps are kept per display number in
// $SPECTRINE_ROOT/oem_ramp<n>.bin, so another process reads back what one loaded. Answers:
//   SPECTRINE_OEM_RAMP_RESULT  result of both ramp functions (default 1; 0 refuses)
//   SPECTRINE_OEM_MULTIHEAD    "display width,height,desktop width,height,count,result"
//                              for OEMIsMultiHeaded (default all 0)
// IsPanningEnabled answers a * 1000 + b, SetPanningOn 11 and SetPanningOff 12.
#include <cstdio>
#include <cstdlib>
#include <string>

#ifndef OEM_DOUBLE_VERSION
#define OEM_DOUBLE_VERSION 1
#endif

#define DOUBLE_API extern "C" __attribute__((visibility("default")))

namespace {

constexpr int kRampBytes = 3 * 256 * 2;

std::string rootFile(const std::string& name) {
    const char* root = std::getenv("SPECTRINE_ROOT");
    return std::string(root ? root : ".") + "/" + name;
}

void record(const std::string& line) {
    if (FILE* f = std::fopen(rootFile("oem_calls.log").c_str(), "a")) {
        std::fprintf(f, "%s\n", line.c_str());
        std::fclose(f);
    }
}

int rampResult() {
    const char* v = std::getenv("SPECTRINE_OEM_RAMP_RESULT");
    return v ? std::atoi(v) : 1;
}

}  // namespace

extern "C" {
__attribute__((visibility("default"))) int Version = OEM_DOUBLE_VERSION;
}

DOUBLE_API int OEMGetDeviceGammaRamp(void* dc, void* ramp, int display) {
    record("OEMGetDeviceGammaRamp " + std::to_string(reinterpret_cast<unsigned long>(dc)) + " " +
           std::to_string(display));
    const int result = rampResult();
    if (!result) return 0;
    auto* words = static_cast<unsigned short*>(ramp);
    // A display nothing was loaded on holds the identity.
    for (int i = 0; i < 768; ++i) words[i] = static_cast<unsigned short>((i % 256) * 257);
    if (FILE* f = std::fopen(rootFile("oem_ramp" + std::to_string(display) + ".bin").c_str(), "rb")) {
        const size_t read = std::fread(ramp, 1, kRampBytes, f);
        (void)read;  // a short file leaves the rest of the identity
        std::fclose(f);
    }
    return result;
}

DOUBLE_API int OEMSetDeviceGammaRamp(void* dc, void* ramp, int display) {
    record("OEMSetDeviceGammaRamp " + std::to_string(reinterpret_cast<unsigned long>(dc)) + " " +
           std::to_string(display));
    const int result = rampResult();
    if (!result) return 0;
    if (FILE* f = std::fopen(rootFile("oem_ramp" + std::to_string(display) + ".bin").c_str(), "wb")) {
        std::fwrite(ramp, 1, kRampBytes, f);
        std::fclose(f);
    }
    return result;
}

DOUBLE_API int OEMIsMultiHeaded(int* display, int* desktop, int* count) {
    record("OEMIsMultiHeaded");
    int v[6] = {0, 0, 0, 0, 0, 0};
    if (const char* answer = std::getenv("SPECTRINE_OEM_MULTIHEAD"))
        std::sscanf(answer, "%d,%d,%d,%d,%d,%d", &v[0], &v[1], &v[2], &v[3], &v[4], &v[5]);
    display[0] = v[0];
    display[1] = v[1];
    desktop[0] = v[2];
    desktop[1] = v[3];
    *count = v[4];
    return v[5];
}

DOUBLE_API int OEMIsPanningEnabled(int a, int b) {
    record("OEMIsPanningEnabled " + std::to_string(a) + " " + std::to_string(b));
    return a * 1000 + b;
}

DOUBLE_API int OEMSetPanningOn(void) {
    record("OEMSetPanningOn");
    return 11;
}

DOUBLE_API int OEMSetPanningOff(void) {
    record("OEMSetPanningOff");
    return 12;
}
