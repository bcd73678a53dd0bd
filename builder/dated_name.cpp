#include "dated_name.h"

#include <cstring>

#include "settings.h"
#include "vltutil.h"
#include "winplat.h"

namespace builder {

std::string dateSuffix(const SYSTEMTIME& t) {
    if (readSetting("NoDateInProfileName", false).value_or(0) != 0) return {};
    static constexpr const char* kMonths[12] = {"Jan", "Feb", "Mar", "Apr", "May", "Jun",
                                                "Jul", "Aug", "Sep", "Oct", "Nov", "Dec"};
    const char* month = t.wMonth >= 1 && t.wMonth <= 12 ? kMonths[t.wMonth - 1] : "???";
    const int hour12 = t.wHour % 12 == 0 ? 12 : t.wHour % 12;
    char suffix[32];
    WinplatFormatC(suffix, sizeof suffix, " .%s %02u %u - %02d %02u %s", month,
                   static_cast<unsigned>(t.wDay), static_cast<unsigned>(t.wYear), hour12,
                   static_cast<unsigned>(t.wMinute), t.wHour < 12 ? "AM" : "PM");
    return suffix;
}

std::string datedProfileName(const char* manufacturer, const char* model, DWORD temperature) {
    manufacturer = manufacturer ? manufacturer : "";
    model = model ? model : "";
    double gamma = 0.0;
    GetSpectrineOverallGamma(&gamma);
    SYSTEMTIME now;
    GetLocalTime(&now);
    const std::string suffix = dateSuffix(now);
    char name[512];
    if (std::strncmp(manufacturer, "PnP", 3) == 0)
        WinplatFormatC(name, sizeof name, "%s %uK G%1.1f%s", model,
                       static_cast<unsigned>(temperature), gamma, suffix.c_str());
    else
        WinplatFormatC(name, sizeof name, "%s %s %uK G%1.1f%s", manufacturer, model,
                       static_cast<unsigned>(temperature), gamma, suffix.c_str());
    std::string result(name, strnlen(name, kProfileNameLimit));
    for (char& c : result)
        if (std::strchr("\\/:*?<>|\"", c)) c = '_';
    return result;
}

}  // namespace builder
