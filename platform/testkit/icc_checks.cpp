#include "icc_checks.h"

#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <set>
#include <sstream>

#include "winplat_files.h"

#ifdef SPX_HAVE_LCMS2
#include <lcms2.h>
#endif

namespace icctest {

namespace fs = std::filesystem;

Bytes& Bytes::u8(std::uint8_t v) {
    bytes_.push_back(v);
    return *this;
}

Bytes& Bytes::be16(std::uint16_t v) { return u8(v >> 8).u8(v & 0xFF); }

Bytes& Bytes::be32(std::uint32_t v) { return be16(v >> 16).be16(v & 0xFFFF); }

Bytes& Bytes::chars(std::string_view text) {
    bytes_.insert(bytes_.end(), text.begin(), text.end());
    return *this;
}

Bytes& Bytes::zeros(std::size_t n) {
    bytes_.insert(bytes_.end(), n, 0);
    return *this;
}

Bytes& Bytes::append(const Bytes& other) {
    bytes_.insert(bytes_.end(), other.bytes_.begin(), other.bytes_.end());
    return *this;
}

void Bytes::patchBe32(std::size_t at, std::uint32_t v) {
    bytes_.at(at) = v >> 24;
    bytes_.at(at + 1) = (v >> 16) & 0xFF;
    bytes_.at(at + 2) = (v >> 8) & 0xFF;
    bytes_.at(at + 3) = v & 0xFF;
}

Bytes templateHeader(const Clock& c) {
    Bytes h;
    h.chars("KALV").u8(2).zeros(3).chars("mntr").chars("RGB ").chars("XYZ ");
    h.be16(c.year).be16(c.month).be16(c.day).be16(c.hour).be16(c.minute).be16(c.second);
    h.chars("acsp").chars("MSFT").zeros(4).chars("none").zeros(4).zeros(8).zeros(4);
    h.be32(0xF6D5).be32(0x10000).be32(0xD32B).zeros(4).zeros(44);
    return h;
}

Bytes curveData(const std::vector<std::uint16_t>& values) {
    Bytes b;
    b.chars("curv").zeros(4).be32(static_cast<std::uint32_t>(values.size()));
    for (std::uint16_t v : values) b.be16(v);
    return b;
}

Bytes dateTimeData(const Clock& t) {
    Bytes b;
    b.chars("dtim").zeros(4).be16(t.year).be16(t.month).be16(t.day);
    return b.be16(t.hour).be16(t.minute).be16(t.second);
}

Bytes textData(std::string_view text) {
    Bytes b;
    b.chars("text").zeros(4).chars(text).u8(0);
    while (b.size() % 4) b.u8(0);
    return b;
}

Bytes descData(std::string_view text, std::uint8_t scriptCount) {
    Bytes b;
    b.chars("desc").zeros(4).be32(static_cast<std::uint32_t>(text.size() + 1)).chars(text).u8(0);
    b.be32(0).be32(0);          // Unicode language, Unicode count
    b.be16(0).u8(scriptCount);  // ScriptCode code and count
    return b.zeros(67);
}

Bytes xyzData(std::int32_t x, std::int32_t y, std::int32_t z) {
    Bytes b;
    b.chars("XYZ ").zeros(4);
    return b.be32(static_cast<std::uint32_t>(x)).be32(static_cast<std::uint32_t>(y)).be32(
        static_cast<std::uint32_t>(z));
}

Bytes expectedProfile(const Bytes& header, const std::vector<ExpectedTag>& tags) {
    Bytes table, data;
    std::size_t offset = 132 + 12 * tags.size();
    for (const ExpectedTag& t : tags) {
        while (offset % 4) {
            data.u8(0);
            ++offset;
        }
        table.chars(t.sig).be32(static_cast<std::uint32_t>(offset))
            .be32(static_cast<std::uint32_t>(t.data.size()));
        data.append(t.data);
        offset += t.data.size();
    }
    Bytes file;
    file.be32(static_cast<std::uint32_t>(offset)).append(header);
    file.be32(static_cast<std::uint32_t>(tags.size())).append(table).append(data);
    return file;
}

std::vector<std::uint8_t> readBytes(const std::string& path) {
    std::string content;
    winplat::readWholeFile(path.c_str(), content);
    return {content.begin(), content.end()};
}

std::vector<std::string> listDirectory(const std::string& path) {
    std::vector<std::string> names;
    std::error_code ec;
    for (const auto& e : fs::directory_iterator(path, ec)) names.push_back(e.path().filename());
    std::sort(names.begin(), names.end());
    return names;
}

void expectFileBytes(const std::string& path, const Bytes& expected, std::source_location where) {
    SCOPED_TRACE(::testing::Message() << "file bytes checked from line " << where.line());
    const std::vector<std::uint8_t> actual = readBytes(path);
    const auto& want = expected.data();
    const auto mismatch = std::mismatch(actual.begin(), actual.end(), want.begin(), want.end());
    if (mismatch.first == actual.end() && mismatch.second == want.end()) return;
    const auto at = mismatch.first - actual.begin();
    ADD_FAILURE_AT(where.file_name(), where.line())
        << path << ": " << actual.size() << " bytes, expected " << want.size()
        << "; first difference at offset " << at << ": got "
        << (mismatch.first != actual.end() ? std::to_string(*mismatch.first) : "end of file")
        << ", expected "
        << (mismatch.second != want.end() ? std::to_string(*mismatch.second) : "end of file");
}

namespace {

struct TableEntry {
    std::string sig;
    std::uint32_t offset, size;
};

std::uint32_t be32At(const std::vector<std::uint8_t>& b, std::size_t at) {
    return std::uint32_t{b[at]} << 24 | std::uint32_t{b[at + 1]} << 16 |
           std::uint32_t{b[at + 2]} << 8 | b[at + 3];
}

// The tag table as the file holds it (empty when the file is too short to have one).
std::vector<TableEntry> readTable(const std::vector<std::uint8_t>& file) {
    std::vector<TableEntry> table;
    if (file.size() < 132) return table;
    const std::uint32_t count = be32At(file, 128);
    for (std::uint32_t i = 0; i < count && 132 + 12 * (i + 1) <= file.size(); ++i) {
        const std::size_t at = 132 + 12 * i;
        table.push_back({std::string(reinterpret_cast<const char*>(&file[at]), 4),
                         be32At(file, at + 4), be32At(file, at + 8)});
    }
    return table;
}

}  // namespace

#ifdef SPX_HAVE_LCMS2

namespace {

std::vector<std::string>& lcmsErrors() {
    static std::vector<std::string> errors;
    return errors;
}

void collectLcmsError(cmsContext, cmsUInt32Number code, const char* text) {
    lcmsErrors().push_back(std::to_string(code) + ": " + (text ? text : ""));
}

cmsTagSignature toLcms(const std::string& sig) {
    return static_cast<cmsTagSignature>(std::uint32_t(std::uint8_t(sig[0])) << 24 |
                                        std::uint32_t(std::uint8_t(sig[1])) << 16 |
                                        std::uint32_t(std::uint8_t(sig[2])) << 8 |
                                        std::uint8_t(sig[3]));
}

// Tags of a monitor profile that Little CMS reads into its own structures.
const std::set<std::string> kStandardTags = {"calt", "cprt", "desc", "dmnd", "dmdd", "wtpt",
                                             "bkpt", "lumi", "rXYZ", "gXYZ", "bXYZ", "rTRC",
                                             "gTRC", "bTRC", "kTRC", "targ", "vued"};

struct LcmsProfile {
    cmsHPROFILE h;
    explicit LcmsProfile(const std::string& path) : h(cmsOpenProfileFromFile(path.c_str(), "r")) {}
    ~LcmsProfile() {
        if (h) cmsCloseProfile(h);
    }
};

}  // namespace

void expectLcmsAccepts(const std::string& path, std::source_location where) {
    SCOPED_TRACE(::testing::Message() << "Little CMS check from line " << where.line());
    lcmsErrors().clear();
    cmsSetLogErrorHandler(collectLcmsError);
    const std::vector<std::uint8_t> file = readBytes(path);
    const std::vector<TableEntry> table = readTable(file);
    {
        LcmsProfile p(path);
        ASSERT_NE(p.h, nullptr) << path;
        EXPECT_EQ(cmsGetEncodedICCversion(p.h), 0x02000000u);
        EXPECT_EQ(cmsGetDeviceClass(p.h), cmsSigDisplayClass);
        EXPECT_EQ(cmsGetTagCount(p.h), static_cast<cmsInt32Number>(table.size()));
        for (const TableEntry& e : table) {
            if (!kStandardTags.count(e.sig)) continue;
            SCOPED_TRACE(e.sig);
            EXPECT_NE(cmsReadTag(p.h, toLcms(e.sig)), nullptr) << "cmsReadTag " << e.sig;
        }
        const char* matrixShaper[] = {"rXYZ", "gXYZ", "bXYZ", "rTRC", "gTRC", "bTRC"};
        if (std::all_of(std::begin(matrixShaper), std::end(matrixShaper),
                        [&](const char* s) { return cmsIsTag(p.h, toLcms(s)); })) {
            cmsHPROFILE srgb = cmsCreate_sRGBProfile();
            cmsHTRANSFORM t =
                cmsCreateTransform(p.h, TYPE_RGB_8, srgb, TYPE_RGB_8, INTENT_PERCEPTUAL, 0);
            EXPECT_NE(t, nullptr) << "no transform to sRGB";
            if (t) cmsDeleteTransform(t);
            cmsCloseProfile(srgb);
        }
    }
    // Private tags raw, on a handle that has read nothing cooked.
    LcmsProfile fresh(path);
    ASSERT_NE(fresh.h, nullptr);
    std::set<std::string> seen;  // a repeated signature reaches only its first tag
    for (const TableEntry& e : table) {
        if (kStandardTags.count(e.sig) || !seen.insert(e.sig).second) continue;
        SCOPED_TRACE(e.sig);
        const cmsUInt32Number size = cmsReadRawTag(fresh.h, toLcms(e.sig), nullptr, 0);
        ASSERT_EQ(size, e.size) << "cmsReadRawTag size of " << e.sig;
        std::vector<std::uint8_t> raw(size);
        ASSERT_EQ(cmsReadRawTag(fresh.h, toLcms(e.sig), raw.data(), size), size);
        ASSERT_LE(std::uint64_t{e.offset} + e.size, file.size());
        EXPECT_TRUE(std::equal(raw.begin(), raw.end(), file.begin() + e.offset))
            << "raw bytes of " << e.sig;
    }
    EXPECT_TRUE(lcmsErrors().empty()) << "Little CMS reported: " << lcmsErrors().front();
    cmsSetLogErrorHandler(nullptr);
}

void expectLcmsRefuses(const std::string& path, const std::string& reason,
                       std::source_location where) {
    SCOPED_TRACE(::testing::Message() << "Little CMS refusal from line " << where.line());
    lcmsErrors().clear();
    cmsSetLogErrorHandler(collectLcmsError);
    LcmsProfile p(path);
    EXPECT_EQ(p.h, nullptr) << path << " was opened";
    EXPECT_TRUE(std::any_of(lcmsErrors().begin(), lcmsErrors().end(),
                            [&](const std::string& e) { return e.find(reason) != e.npos; }))
        << "no error mentioning \"" << reason << "\"";
    cmsSetLogErrorHandler(nullptr);
}

#else

void expectLcmsRefuses(const std::string& path, const std::string&, std::source_location where) {
    GTEST_SKIP() << "Little CMS (liblcms2-dev) was not found when building the tests; " << path
                 << " (line " << where.line() << ") is not validated";
}

void expectLcmsAccepts(const std::string& path, std::source_location where) {
    GTEST_SKIP() << "Little CMS (liblcms2-dev) was not found when building the tests; " << path
                 << " (line " << where.line() << ") is not validated";
}

#endif

namespace {

std::string findOnPath(const char* program) {
    const char* path = std::getenv("PATH");
    std::istringstream dirs(path ? path : "/usr/bin:/bin");
    for (std::string dir; std::getline(dirs, dir, ':');) {
        const std::string candidate = (dir.empty() ? "." : dir) + "/" + program;
        if (access(candidate.c_str(), X_OK) == 0) return candidate;
    }
    return {};
}

std::string shellQuote(const std::string& text) {
    std::string out = "'";
    for (char c : text) out += c == '\'' ? std::string("'\\''") : std::string(1, c);
    return out + "'";
}

void skipWithoutIccdump(const std::string& path) {
    GTEST_SKIP() << "iccdump (package argyll) is not installed; " << path
                 << " is not validated by it";
}

}  // namespace

std::string expectIccdumpAccepts(const std::string& path, std::source_location where) {
    SCOPED_TRACE(::testing::Message() << "iccdump check from line " << where.line());
    const std::string iccdump = findOnPath("iccdump");
    if (iccdump.empty()) {
        skipWithoutIccdump(path);
        return {};
    }
    const std::string command = shellQuote(iccdump) + " -v3 " + shellQuote(path) + " 2>&1";
    FILE* pipe = popen(command.c_str(), "r");
    if (!pipe) {
        ADD_FAILURE_AT(where.file_name(), where.line()) << "cannot run " << command;
        return {};
    }
    std::string output;
    char buffer[4096];
    for (std::size_t n; (n = std::fread(buffer, 1, sizeof buffer, pipe)) > 0;)
        output.append(buffer, n);
    const int status = pclose(pipe);
    if (!WIFEXITED(status) || WEXITSTATUS(status) != 0)
        ADD_FAILURE_AT(where.file_name(), where.line())
            << "iccdump exit status " << status << " on " << path << ":\n" << output;
    std::istringstream lines(output);
    for (std::string line; std::getline(lines, line);) {
        if (line.find("Unable to read") != std::string::npos ||
            line.find("rror") != std::string::npos || line.find("arning") != std::string::npos)
            ADD_FAILURE_AT(where.file_name(), where.line())
                << "iccdump on " << path << ": " << line;
    }
    return output;
}

void expectReadersAccept(const std::string& path, std::source_location where) {
    expectLcmsAccepts(path, where);
    expectIccdumpAccepts(path, where);
}

}  // namespace icctest
