// Named gamma sets: records numbered "%d" under "Calibration", a backslash and the set name.
#include <cstdio>
#include <string>

#include "records_internal.h"
#include "store_internal.h"
#include "vltutil.h"

namespace {

constexpr DWORD kRecordLimit = 1024;  // bytes of a gamma set record read back

// "Calibration\<set>" and "%d" of the record number; false when the set name is missing.
bool recordPlace(LPCSTR setName, int number, std::string& subkey, std::string& name) {
    if (!setName) return false;
    subkey = std::string("Calibration\\") + setName;
    char text[16];
    std::snprintf(text, sizeof text, "%d", number);
    name = text;
    return true;
}

}  // namespace

VLTUTIL_API int WriteSpectrineGamma(int number, LPCSTR setName, LPCSTR description,
                                    double gammaRed, double gammaGreen, double gammaBlue,
                                    LPCSTR trailing) {
    std::string subkey, name;
    if (!recordPlace(setName, number, subkey, name)) return 0;
    // As the calibration records: texts cut to what the reader's buffers hold, and refused
    // (0, nothing written) for a gamma that is not finite or would not fit the record.
    std::string image;
    vlt::appendRecordText(image, description);
    for (double gamma : {gammaRed, gammaGreen, gammaBlue})
        if (!vlt::appendNumber(image, "%3.2f", gamma)) return 0;
    vlt::appendRecordText(image, trailing);
    return vlt::writeMultiString(subkey.c_str(), name.c_str(), std::move(image), kRecordLimit);
}

VLTUTIL_API int WriteSpectrineGamma0(int number, LPCSTR setName, LPCSTR description) {
    std::string subkey, name;
    if (!recordPlace(setName, number, subkey, name)) return 0;
    std::string image;
    vlt::appendRecordText(image, description);
    return vlt::writeMultiString(subkey.c_str(), name.c_str(), std::move(image), kRecordLimit);
}

VLTUTIL_API int GetSpectrineGamma(int number, LPCSTR setName, LPSTR description,
                                  double* gammaRed, double* gammaGreen, double* gammaBlue,
                                  LPSTR trailing) {
    std::string subkey, name;
    if (!recordPlace(setName, number, subkey, name)) return 0;
    vlt::MultiStringValue value;
    if (!value.read(subkey.c_str(), name.c_str(), kRecordLimit)) return 0;
    const char* end = value.end();
    const char* p = vlt::copyElement(value.begin(), end, description, SPECTRINE_GAMMA_TEXT_SIZE);
    double gammas[3] = {0.0, 0.0, 0.0};
    for (double& g : gammas) p = vlt::readField(p, end, g);
    vlt::copyElement(p, end, trailing, SPECTRINE_GAMMA_TEXT_SIZE);
    if (gammaRed) *gammaRed = gammas[0];
    if (gammaGreen) *gammaGreen = gammas[1];
    if (gammaBlue) *gammaBlue = gammas[2];
    return 1;
}
