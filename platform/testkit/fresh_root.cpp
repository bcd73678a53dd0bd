#include "fresh_root.h"

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

void FreshRootTest::SetUp() {
    const char* old = std::getenv("SPECTRINE_ROOT");
    hadRoot_ = old != nullptr;
    if (old) savedRoot_ = old;

    std::string templ = (fs::temp_directory_path() / "spectrine-test-XXXXXX").string();
    ASSERT_NE(mkdtemp(templ.data()), nullptr);
    root_ = templ;
    fs::create_directories(root_ + "/WINDOWS/SYSTEM/COLOR");
    setenv("SPECTRINE_ROOT", root_.c_str(), 1);
    WinplatResetProcessState();

    captureContext = {&messageBoxes, &messageBoxAnswer};
    WinplatSetMessageBoxHandler(captureMessageBox, &captureContext);
}

void FreshRootTest::TearDown() {
    WinplatSetMessageBoxHandler(nullptr, nullptr);
    WinplatResetProcessState();
    if (hadRoot_)
        setenv("SPECTRINE_ROOT", savedRoot_.c_str(), 1);
    else
        unsetenv("SPECTRINE_ROOT");
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

void removeTree(const std::string& path) {
    std::error_code ec;
    fs::remove_all(path, ec);
}

}  // namespace spx::test
