// A library without resources of its own that uses one with resources (it reads the size of
// that library's resources): looking for its resources must not find its dependency's.
#include <cstdint>

extern "C" const uint64_t WinplatResourcesSize;

extern "C" __attribute__((visibility("default"))) uint64_t WinplatResourceUserAnswer() {
    return WinplatResourcesSize;
}
