// Calibration records: one REG_MULTI_SZ value per monitor under "Calibration", read back into
// the monitor parameters record together with the primaries of the monitor's model record.
#include <cstdio>
#include <cstring>
#include <string>
#include <vector>

#include "ascii_case.h"
#include "records_internal.h"
#include "reg_key.h"
#include "store_internal.h"
#include "vltutil.h"
#include "winplat_registry.h"

namespace {

constexpr DWORD kRecordLimit = 512;  // bytes of a calibration record read back

std::string numberName(int number) {
    char name[16];
    std::snprintf(name, sizeof name, "%d", number);
    return name;
}

// Every record written here reads back whole: the description is cut to the 255 characters
// the record holds, and a number that is not finite or whose text would take the record past
// the 512 bytes the reader reads refuses the write (0, nothing written).
int writeRecord(LPCSTR name, LPCSTR description, const double (&numbers)[11]) {
    if (!name) return 0;
    std::string image;
    vlt::appendRecordText(image, description);
    static constexpr const char* kFormats[11] = {"%.5f", "%.5f", "%3.2f", "%3.2f", "%3.2f", "%.3f",
                                                 "%.3f", "%.3f",  "%.3f",  "%.3f",  "%.3f"};
    for (int i = 0; i < 11; ++i)
        if (!vlt::appendNumber(image, kFormats[i], numbers[i])) return 0;
    return vlt::writeMultiString("Calibration", name, std::move(image), kRecordLimit);
}

// Deletes `name` below `parent` with every key under it, deepest first, so that the result is
// the same whichever family's RegDeleteKeyA rules apply.
LONG deleteTree(HKEY parent, const char* name, int depth = 0) {
    if (depth > 64) return ERROR_INVALID_PARAMETER;
    vlt::RegKey key;
    if (LONG rc = key.open(parent, name, KEY_ALL_ACCESS)) return rc;
    std::vector<std::string> children;
    if (!vlt::listNames(key.get(), false, children)) return ERROR_CANTREAD;
    for (const std::string& child : children)
        if (LONG rc = deleteTree(key.get(), child.c_str(), depth + 1)) return rc;
    key.close();
    return RegDeleteKeyA(parent, name);
}

// "Win98Profile" or "Win98Profile" followed by a monitor number (names compare ignoring case).
bool isProfileName(const char* name) {
    static constexpr char kBase[] = "Win98Profile";
    constexpr size_t n = sizeof kBase - 1;
    if (!winplat::startsWithIgnoringCase(name, std::string_view(kBase, n))) return false;
    for (const char* p = name + n; *p; ++p)
        if (*p < '0' || *p > '9') return false;
    return true;
}

// The monitor a calibration name belongs to: n for "Monitor" + n, "LCDPanel" + n and the bare
// number n; 0 for every other name. A number too large for any monitor gives -1 (no monitor).
int monitorOfCalibration(const char* name) {
    const char* digits = name;
    for (const char* word : {"Monitor", "LCDPanel"}) {
        size_t n = std::strlen(word);
        if (winplat::startsWithIgnoringCase(name, std::string_view(word, n))) {
            digits = name + n;
            break;
        }
    }
    if (*digits == '\0') return 0;
    int monitor = 0;
    for (const char* p = digits; *p; ++p) {
        if (*p < '0' || *p > '9') return 0;
        if (monitor > 99999) return -1;
        monitor = monitor * 10 + (*p - '0');
    }
    return monitor;
}


}  // namespace

VLTUTIL_API int WriteSpectrineCalibrationName(LPCSTR name, LPCSTR description, double whiteX,
                                              double whiteY, double gammaRed, double gammaGreen,
                                              double gammaBlue, double offsetRed,
                                              double offsetGreen, double offsetBlue,
                                              double gainRed, double gainGreen, double gainBlue) {
    const double numbers[11] = {whiteX,    whiteY,      gammaRed,   gammaGreen, gammaBlue, offsetRed,
                                offsetGreen, offsetBlue, gainRed, gainGreen,  gainBlue};
    return writeRecord(name, description, numbers);
}

VLTUTIL_API int WriteSpectrineCalibration(int number, LPCSTR description, double whiteX,
                                          double whiteY, double gammaRed, double gammaGreen,
                                          double gammaBlue, double offsetRed, double offsetGreen,
                                          double offsetBlue, double gainRed, double gainGreen,
                                          double gainBlue) {
    return WriteSpectrineCalibrationName(numberName(number).c_str(), description, whiteX, whiteY,
                                         gammaRed, gammaGreen, gammaBlue, offsetRed, offsetGreen,
                                         offsetBlue, gainRed, gainGreen, gainBlue);
}

VLTUTIL_API int WriteSpectrineCalibration0(int number, LPCSTR description) {
    std::string image;
    vlt::appendRecordText(image, description);
    return vlt::writeMultiString("Calibration", numberName(number).c_str(), std::move(image),
                                 kRecordLimit);
}

VLTUTIL_API int GetSpectrineCalibrationName(LPCSTR name, LPMONITORPARMS record) {
    if (!record || record->size != MONITORPARMS_SIZE) return 0;
    std::memset(record, 0, sizeof *record);
    record->size = MONITORPARMS_SIZE;
    if (!name) return 0;

    vlt::MultiStringValue value;
    if (!value.read("Calibration", name, kRecordLimit)) return 0;
    const char* end = value.end();
    const char* p = vlt::copyElement(value.begin(), end, record->description, sizeof record->description);
    double* fields[11] = {&record->whiteX,      &record->whiteY,     &record->gammaRed,
                          &record->gammaGreen,  &record->gammaBlue,  &record->offsetRed,
                          &record->offsetGreen, &record->offsetBlue, &record->gainRed,
                          &record->gainGreen,   &record->gainBlue};
    for (double* field : fields) p = vlt::readField(p, end, *field);
    // A channel without a gain has no correction: then none of them is corrected.
    if (record->gainRed == 0.0 || record->gainGreen == 0.0 || record->gainBlue == 0.0)
        record->gainRed = record->gainGreen = record->gainBlue = 1.0;

    char modelKey[256];
    if (!GetSpectrineRegString("Settings", name, modelKey, sizeof modelKey)) return 0;
    char app[2];
    if (!GetSpectrineExeFile(app, sizeof app)) return 0;  // "AppFile" and "InfFile" both set

    // Each monitor's EDID model key is answered from that monitor's own EDID.
    MonitorInfRecord model;
    if (!GetMonitorInfString0(modelKey, model, sizeof model, monitorOfCalibration(name))) return 0;
    const char* q = model;
    const char* modelEnd = model + std::strlen(model);
    for (int field = 0; field < 5 && q < modelEnd; ++field) {
        while (q < modelEnd && *q != ',') ++q;
        if (q < modelEnd) ++q;
    }
    double* primaries[6] = {&record->redX,   &record->redY,  &record->greenX,
                            &record->greenY, &record->blueX, &record->blueY};
    for (double* primary : primaries) q = vlt::readDecimal(q, modelEnd, *primary);

    record->reserved[0] = record->reserved[1] = 0.0;
    std::strncpy(record->modelKey, modelKey, sizeof record->modelKey - 1);
    record->modelKey[sizeof record->modelKey - 1] = '\0';
    return 1;
}

VLTUTIL_API int GetSpectrineCalibration(int number, LPMONITORPARMS record) {
    return GetSpectrineCalibrationName(numberName(number).c_str(), record);
}

VLTUTIL_API int DeleteAllSpectrineCalibration(void) {
    char path[vlt::kPathBufferSize];
    if (!vlt::buildKeyPath("Calibration", path)) return 0;
    // Everything but the profile names made for each monitor goes, in one group: the profile
    // names are never deleted and written back, and a failure (or a crash) part way leaves
    // the subkey as it was.
    winplat::RegistryTransaction group;
    if (group.status() != ERROR_SUCCESS) return 0;
    vlt::RegKey calibration(HKEY_LOCAL_MACHINE, path, KEY_ALL_ACCESS);
    if (!calibration) return 0;
    std::vector<std::string> subkeys, values;
    if (!vlt::listNames(calibration.get(), false, subkeys) || !vlt::listNames(calibration.get(), true, values))
        return 0;
    for (const std::string& subkey : subkeys)
        if (deleteTree(calibration.get(), subkey.c_str()) != ERROR_SUCCESS) return 0;
    bool profilesKept = false;
    for (const std::string& value : values) {
        if (isProfileName(value.c_str()))
            profilesKept = true;
        else if (RegDeleteValueA(calibration.get(), value.c_str()) != ERROR_SUCCESS)
            return 0;
    }
    calibration.close();
    // Without a profile name to keep, the subkey goes altogether.
    if (!profilesKept && deleteTree(HKEY_LOCAL_MACHINE, path) != ERROR_SUCCESS) return 0;
    return group.commit() == ERROR_SUCCESS ? 1 : 0;
}
