#include "fresh_root.h"

#include <algorithm>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <sstream>

namespace spx::test {

namespace fs = std::filesystem;

static int captureMessageBox(HWND, LPCSTR text, LPCSTR caption, UINT type, void* context) {
    auto* self = static_cast<std::pair<std::vector<CapturedMessageBox>*, int*>*>(context);
    self->first->push_back({text ? text : "", caption ? caption : "", type});
    return *self->second;
}

namespace {
// The capture context must outlive the fixture's calls; one test runs at a time.
std::pair<std::vector<CapturedMessageBox>*, int*> captureContext;
}  // namespace

ScopedVariable::ScopedVariable(const char* name, const std::string& value) : name_(name) {
    if (const char* old = std::getenv(name)) saved_ = old;
    setenv(name, value.c_str(), 1);
}

ScopedVariable::~ScopedVariable() {
    if (saved_)
        setenv(name_.c_str(), saved_->c_str(), 1);
    else
        unsetenv(name_.c_str());
}

void FreshRootTest::SetUp() {
    std::string templ = (fs::temp_directory_path() / "spectrine-test-XXXXXX").string();
    ASSERT_NE(mkdtemp(templ.data()), nullptr);
    root_ = templ;
    fs::create_directories(root_ + "/WINDOWS/SYSTEM/COLOR");
    rootVariable_.emplace("SPECTRINE_ROOT", root_);
    displayVariable_.emplace("SPECTRINE_DISPLAY", "virtual");
    // Whatever a test installs for the user's desktop goes into the root, never the real home.
    configVariable_.emplace("XDG_CONFIG_HOME", root_ + "/config");
    WinplatResetProcessState();

    captureContext = {&messageBoxes, &messageBoxAnswer};
    WinplatSetMessageBoxHandler(captureMessageBox, &captureContext);
}

void FreshRootTest::useFamily(const char* family) {
    setenv("SPECTRINE_WINVER", family, 1);
    WinplatResetProcessState();
}

void FreshRootTest::TearDown() {
    WinplatSetMessageBoxHandler(nullptr, nullptr);
    unsetenv("SPECTRINE_WINVER");  // back to the default family for whatever runs next
    WinplatResetProcessState();
    rootVariable_.reset();
    displayVariable_.reset();
    configVariable_.reset();
    if (!HasFailure() && !std::getenv("SPECTRINE_KEEP_ROOT")) removeTree(root_);
}

void FreshRootTest::writeFile(const std::string& relative, const std::string& content) const {
    fs::path p = rootPath(relative);
    fs::create_directories(p.parent_path());
    std::ofstream out(p, std::ios::binary | std::ios::trunc);
    out << content;
}

std::string FreshRootTest::readFile(const std::string& relative) const {
    std::ifstream in(rootPath(relative), std::ios::binary);
    std::ostringstream s;
    s << in.rdbuf();
    return s.str();
}

void FreshRootTest::writeDisplayIni(const std::vector<VirtualMonitor>& monitors,
                                    const std::string& adapter) const {
    std::ostringstream ini;
    ini << "[Display]\r\nAdapter=" << adapter << "\r\nMonitors=" << monitors.size() << "\r\n";
    for (size_t i = 0; i < monitors.size(); ++i) {
        const VirtualMonitor& m = monitors[i];
        ini << "\r\n[Monitor" << i + 1 << "]\r\n"
            << "Left=" << m.left << "\r\nTop=" << m.top << "\r\nWidth=" << m.width
            << "\r\nHeight=" << m.height << "\r\nBitsPerPixel=" << m.bitsPerPixel
            << "\r\nPlanes=" << m.planes << "\r\n";
        if (m.gammaRamp >= 0) ini << "GammaRamp=" << m.gammaRamp << "\r\n";
        if (!m.description.empty()) ini << "Description=" << m.description << "\r\n";
        if (!m.edid.empty()) {
            static const char digits[] = "0123456789ABCDEF";
            ini << "EDID=";
            for (unsigned char b : m.edid) ini << digits[b >> 4] << digits[b & 15];
            ini << "\r\n";
        }
    }
    writeFile("display.ini", ini.str());
}

std::vector<VirtualMonitor> monitorsSideBySide(int count) {
    std::vector<VirtualMonitor> monitors(static_cast<size_t>(count));
    for (int i = 0; i < count; ++i) monitors[static_cast<size_t>(i)].left = 1024 * i;
    return monitors;
}

VirtualMonitor sixteenColourScreen() {
    VirtualMonitor m;
    m.width = 640;
    m.height = 480;
    m.bitsPerPixel = 4;
    return m;
}

VirtualMonitor screenWithoutRamp() {
    VirtualMonitor m;
    m.gammaRamp = 0;
    return m;
}

std::vector<unsigned char> makeEdid(const char* maker, unsigned product, int widthCm,
                                    int heightCm, const std::string& name) {
    std::vector<unsigned char> e(128, 0);
    const unsigned char header[8] = {0x00, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0x00};
    std::copy(header, header + 8, e.begin());
    unsigned id = 0;
    for (int i = 0; i < 3; ++i) id = id << 5 | static_cast<unsigned>(maker[i] - 'A' + 1);
    e[8] = static_cast<unsigned char>(id >> 8);
    e[9] = static_cast<unsigned char>(id & 0xFF);
    e[10] = static_cast<unsigned char>(product & 0xFF);
    e[11] = static_cast<unsigned char>(product >> 8);
    e[18] = 1;  // version 1.3
    e[19] = 3;
    e[20] = 0x80;  // digital input
    e[21] = static_cast<unsigned char>(widthCm);
    e[22] = static_cast<unsigned char>(heightCm);
    e[23] = 120;  // gamma 2.2
    // sRGB primaries and D65 white in ten bits: red 0.640 0.330, green 0.300 0.600,
    // blue 0.150 0.060, white 0.3127 0.3290.
    const unsigned xy[8] = {655, 338, 307, 614, 154, 61, 320, 337};
    e[25] = static_cast<unsigned char>((xy[0] & 3) << 6 | (xy[1] & 3) << 4 | (xy[2] & 3) << 2 |
                                       (xy[3] & 3));
    e[26] = static_cast<unsigned char>((xy[4] & 3) << 6 | (xy[5] & 3) << 4 | (xy[6] & 3) << 2 |
                                       (xy[7] & 3));
    for (int i = 0; i < 8; ++i) e[static_cast<size_t>(27 + i)] = static_cast<unsigned char>(xy[i] >> 2);
    e[36] = 0x01;  // 1280 x 1024 at 75 Hz
    // Descriptor 2: monitor name.
    e[72 + 3] = 0xFC;
    std::string text = name.substr(0, 13);
    if (text.size() < 13) text += '\n';
    text.resize(13, ' ');
    std::copy(text.begin(), text.end(), e.begin() + 72 + 5);
    // Descriptors 1, 3, 4: dummy descriptors (tag 0x10).
    for (size_t at : {54u, 90u, 108u}) e[at + 3] = 0x10;
    unsigned sum = 0;
    for (size_t i = 0; i < 127; ++i) sum += e[i];
    e[127] = static_cast<unsigned char>((256 - sum % 256) % 256);
    return e;
}

void removeTree(const std::string& path) {
    std::error_code ec;
    fs::remove_all(path, ec);
}

}  // namespace spx::test
