// Calibration records: one REG_MULTI_SZ value per monitor under "Calibration", read back into
// the monitor parameters record together with the primaries of the monitor's model record.
#include <strings.h>

#include <cstdio>
#include <cstring>
#include <string>
#include <vector>

#include "records_internal.h"
#include "reg_key.h"
#include "store_internal.h"
#include "vltutil.h"

namespace {

constexpr DWORD kRecordLimit = 512;  // bytes of a calibration record read back

std::string numberName(int number) {
    char name[16];
    std::snprintf(name, sizeof name, "%d", number);
    return name;
}

int writeRecord(LPCSTR name, LPCSTR description, const double (&numbers)[11]) {
    if (!name) return 0;
    std::string image;
    vlt::appendElement(image, description);
    static constexpr const char* kFormats[11] = {"%.5f", "%.5f", "%3.2f", "%3.2f", "%3.2f", "%.3f",
                                                 "%.3f", "%.3f",  "%.3f",  "%.3f",  "%.3f"};
    for (int i = 0; i < 11; ++i) vlt::appendNumber(image, kFormats[i], numbers[i]);
    return vlt::writeMultiString("Calibration", name, std::move(image));
}

// Deletes `name` below `parent` with every key under it, deepest first, so that the result is
// the same whichever family's RegDeleteKeyA rules apply.
LONG deleteTree(HKEY parent, const char* name, int depth = 0) {
    if (depth > 64) return ERROR_INVALID_PARAMETER;
    vlt::RegKey key;
    if (LONG rc = key.open(parent, name, KEY_ALL_ACCESS)) return rc;
    std::vector<std::string> children;
    for (DWORD i = 0;; ++i) {
        char child[256];
        DWORD size = sizeof child;
        LONG e = RegEnumKeyExA(key.get(), i, child, &size, nullptr, nullptr, nullptr, nullptr);
        if (e == ERROR_NO_MORE_ITEMS) break;
        if (e == ERROR_SUCCESS) children.emplace_back(child, size);
        if (e != ERROR_SUCCESS && e != ERROR_MORE_DATA) break;
    }
    for (const std::string& child : children) deleteTree(key.get(), child.c_str(), depth + 1);
    key.close();
    return RegDeleteKeyA(parent, name);
}

// "Win98Profile" or "Win98Profile" followed by a monitor number (names compare ignoring case).
bool isProfileName(const char* name) {
    static constexpr char kBase[] = "Win98Profile";
    constexpr size_t n = sizeof kBase - 1;
    if (strncasecmp(name, kBase, n) != 0) return false;
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
        if (strncasecmp(name, word, n) == 0) {
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

struct SavedValue {
    std::string name;
    DWORD type;
    std::vector<BYTE> data;
};

std::vector<SavedValue> saveProfileNames() {
    std::vector<SavedValue> saved;
    for (DWORD i = 0;; ++i) {
        char name[256];
        DWORD nameSize = sizeof name;
        LONG rc = EnumSpectrineRegValue("Calibration", i, name, &nameSize, nullptr, nullptr, nullptr);
        if (rc == ERROR_MORE_DATA) continue;  // a name too long to be one of ours
        if (rc != ERROR_SUCCESS) break;
        if (isProfileName(name)) saved.push_back({name, REG_NONE, {}});
    }
    for (SavedValue& v : saved) {
        DWORD size = 0;
        if (GetSpectrineRegValue("Calibration", v.name.c_str(), &v.type, nullptr, &size) != ERROR_SUCCESS) continue;
        v.data.resize(size);
        if (GetSpectrineRegValue("Calibration", v.name.c_str(), &v.type, v.data.data(), &size) != ERROR_SUCCESS) {
            v.type = REG_NONE;
            continue;
        }
        v.data.resize(size);
    }
    return saved;
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
    vlt::appendElement(image, description);
    return vlt::writeMultiString("Calibration", numberName(number).c_str(), std::move(image));
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
    // The profile names made for each monitor outlive the calibrations.
    std::vector<SavedValue> saved = saveProfileNames();
    char path[vlt::kPathBufferSize];
    if (!vlt::buildKeyPath("Calibration", path)) return 0;
    if (deleteTree(HKEY_LOCAL_MACHINE, path) != ERROR_SUCCESS) return 0;
    for (const SavedValue& v : saved) {
        if (v.type == REG_NONE) continue;
        static const BYTE kNothing = 0;  // a null pointer would delete the value
        WriteSpectrineRegValue("Calibration", v.name.c_str(), v.type,
                               v.data.empty() ? &kNothing : v.data.data(),
                               static_cast<DWORD>(v.data.size()));
    }
    return 1;
}
