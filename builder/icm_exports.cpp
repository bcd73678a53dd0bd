// ComputeICM and ComputePT: the same in every build of the builder.
#include <cstring>
#include <string>

#include "export_guard.h"
#include "profforge.h"
#include "profile_writer.h"

BUILDER_API int ComputeICM(HWND, const ICCMONITORPARMS* parms, LPCSTR name, int isDefault,
                           int monitor) {
    builder::guarded(0, [&] {
        if (!parms || !name) return 0;
        const std::string file = std::string(name, strnlen(name, builder::kProfileNameLimit)) + ".icm";
        builder::writeProfile({parms, file, isDefault != 0, monitor, builder::readScaleToD50(), std::nullopt});
        return 1;
    });
    return 1;
}

BUILDER_API int ComputePT(HWND, const ICCMONITORPARMS*) { return -1; }
