// Model records of monitors that identify themselves by EDID through the plug-and-play keys.
#include "records_internal.h"

namespace vlt {

// The plug-and-play monitor keys are filled by the platform's display layer; until that layer
// exists there is no EDID monitor to answer for, and every such key is "not found".
int pnpModelRecord(int /*monitor*/, char* out, DWORD size) {
    if (out && size) out[0] = '\0';
    return 0;
}

}  // namespace vlt
