// Helpers shared by the record, look-up-table and monitor-model sources (not exported).
#pragma once

#include <cstddef>
#include <functional>
#include <string>
#include <vector>

#include "win32.h"

namespace vlt {

// ---- Multi-string values ---------------------------------------------------------------------
// Characters of a record's description (and a gamma set's trailing text) that are stored: what
// the monitor parameters record and the readers' 256-character buffers hold.
constexpr size_t kRecordTextLimit = 255;
// Appends one element (its text and terminator) to a REG_MULTI_SZ image.
void appendElement(std::string& image, const char* text);
// Appends at most kRecordTextLimit characters of `text` as one element.
void appendRecordText(std::string& image, const char* text);
// Appends a number formatted in the C locale ("%.5f", "%3.2f", ...); false, with nothing
// appended, for NaN and infinity, which no reader could read back.
bool appendNumber(std::string& image, const char* format, double value);
// Stores the image with its list terminator appended (size = elements + 1); 1 on success.
// An image whose stored size would be over `limit` (what its reader reads back) is refused
// with 0 and nothing written.
int writeMultiString(LPCSTR subkey, LPCSTR name, std::string image, size_t limit = 1024);

// A REG_MULTI_SZ value read into a fixed buffer (at most `limit` bytes); always followed by a
// terminator inside the buffer. Readers walk it field after field with readDecimal.
class MultiStringValue {
public:
    // False when the value is absent, larger than `limit` or not REG_MULTI_SZ.
    bool read(LPCSTR subkey, LPCSTR name, DWORD limit);
    const char* begin() const { return data_; }
    const char* end() const { return data_ + size_; }

private:
    char data_[1024 + 1];
    DWORD size_ = 0;
};

// Copies the element at `p` (up to its terminator or `end`) into `out` (at most size - 1
// characters, terminated) and returns the position after the element's terminator.
const char* copyElement(const char* p, const char* end, char* out, size_t size);
// Reads one number and steps over the element terminator that ended it.
const char* readField(const char* p, const char* end, double& value);
const char* readIntegerField(const char* p, const char* end, int& value);
// The integer reader with a leading '-' (after blanks) taken as a sign, so that every "%d"
// written reads back.
const char* readSignedIntegerField(const char* p, const char* end, LONG& value);

// ---- Lists of the private-profile readers ------------------------------------------------
// The items of a list that `read` writes the way GetPrivateProfileSectionNamesA and its family
// do (each item terminated, then an empty one; size - 2 when cut short): the buffer grows
// until the list fits, up to the largest file read whole, where an item cut short is dropped.
std::vector<std::string> readIniList(const std::function<DWORD(char* buffer, DWORD size)>& read);

// ---- Look-up tables --------------------------------------------------------------------------
constexpr int kLutEntries = 256;
struct LutParameters {
    double target[3];   // target exponent red, green, blue
    double display[3];  // display exponent
    double offset[3];
    double gain[3];
};
// Forward and inverse table of one channel (entries L x 256).
void computeForwardTable(double target, double display, double offset, double gain, WORD* out);
void computeInverseTable(double target, double display, double offset, double gain, WORD* out);

// ---- Monitor model records -------------------------------------------------------------------
constexpr size_t kEdidSize = 128;
// Builds the model record of a monitor from its EDID block and the system's description of it.
// False, with `out` empty, unless `edid` holds `size` == 128 bytes with the fixed header
// 00 FF FF FF FF FF FF 00 and a byte sum of 0 modulo 256. The record is cut at size - 1.
bool buildEdidRecord(const unsigned char* edid, size_t size, const char* description, char* out,
                     size_t outSize);
// The model record of an INF key from the INF chain ("InfFile" and its numbered companions).
int infModelRecord(const char* key, char* out, DWORD size);
// The model record of monitor n built from the "EDID" and "DeviceDesc" of its plug-and-play
// device key (pnp_walk.h): 1, or 0 with an empty output when there is no such monitor, it has
// no EDID or the block is not valid.
int pnpModelRecord(int monitor, char* out, DWORD size);

}  // namespace vlt
