// control: the Control Panel stand-in. "control desk.cpl" (also "desk.cpl,,2" for the third
// page, and any folder before the name) shows "Display Properties"; the exit status is the
// sheet's result (1 when something was applied, 2 or 3 when it asked for a restart or a
// reboot, which Linux never does for it). Other applets are refused with status 10.
#include <cstdio>
#include <cstdlib>
#include <string>

#include "ascii_case.h"
#include "display_properties.h"

int main(int argc, char** argv) {
    std::string applet = argc > 1 ? argv[1] : "";
    // "desk.cpl,,N" and "desk.cpl,@0,N" choose the page; a folder before the name is allowed.
    UINT start = 0;
    if (size_t comma = applet.find(','); comma != std::string::npos) {
        size_t last = applet.rfind(',');
        if (last > comma) start = static_cast<UINT>(std::strtoul(applet.c_str() + last + 1, nullptr, 10));
        applet.resize(comma);
    }
    if (size_t slash = applet.find_last_of("\\/"); slash != std::string::npos) applet.erase(0, slash + 1);
    if (!winplat::equalsIgnoringCase(applet, "desk.cpl") && !winplat::equalsIgnoringCase(applet, "desk")) {
        std::fprintf(stderr, "control: there is no Control Panel item named \"%s\"; only desk.cpl is here\n",
                     applet.c_str());
        return 10;
    }
    INT_PTR result = runDisplayProperties(GetModuleHandleA(nullptr), start);
    return result < 0 ? 11 : static_cast<int>(result);
}
