#include "wizard_driver.h"

#include "huevista.h"
#include "shell_calls.h"

namespace huevista::test {
namespace {

WizardTest* running = nullptr;

BOOL recordHelp(HWND, LPCSTR file, UINT command, ULONG_PTR data, void* ctx) {
    static_cast<std::vector<HelpCall>*>(ctx)->push_back({file ? file : "", command, data});
    return TRUE;
}

BOOL recordShell(HWND, LPCSTR, LPCSTR file, LPCSTR, void* ctx) {
    static_cast<std::vector<std::string>*>(ctx)->push_back(file ? file : "");
    return TRUE;
}

}  // namespace

void WizardTest::SetUp() {
    GuiTest::SetUp();
    suite = installFakeSuite(root());
    setHelpHandler(recordHelp, &helpCalls);
    setShellHandler(recordShell, &shellCalls);
}

void WizardTest::TearDown() {
    setHelpHandler(nullptr, nullptr);
    setShellHandler(nullptr, nullptr);
    GuiTest::TearDown();
}

void CALLBACK WizardTest::tick(HWND, UINT, UINT_PTR, DWORD) {
    WizardTest* self = running;
    if (!self || self->busy_ || !self->wizard_) return;
    if (GetTickCount() - self->started_ > self->timeout_) {
        ADD_FAILURE() << "the wizard still ran after the script's time; closing it";
        self->busy_ = true;
        DestroyWindow(self->wizard_);
        return;
    }
    if (self->next_ >= self->script_.size()) return;
    self->busy_ = true;
    self->script_[self->next_++]();
    self->busy_ = false;
}

int WizardTest::runWizard(std::vector<Action> script, std::vector<std::string> arguments, DWORD timeoutMs) {
    script_ = std::move(script);
    next_ = 0;
    busy_ = false;
    wizard_ = nullptr;
    timeout_ = timeoutMs;
    running = this;
    onDialog(102, [this](HWND dialog) {
        wizard_ = dialog;
        started_ = GetTickCount();
        timer_ = SetTimer(nullptr, 0, 20, tick);
    });
    const int code = huevista::runWizard({suite.program, std::move(arguments)});
    KillTimer(nullptr, timer_);
    running = nullptr;
    EXPECT_EQ(next_, script_.size()) << "the wizard ended before its script";
    return code;
}

HWND WizardTest::step() const {
    WizardStep* active = dialog().activeStep();
    return active ? active->window() : nullptr;
}

void WizardTest::press(int id) const {
    HWND control = GetDlgItem(wizard_, id);
    if (!control && step()) control = GetDlgItem(step(), id);
    SendMessageA(control, BM_CLICK, 0, 0);
}

void WizardTest::key(int virtualKey) {
    HWND focus = GetFocus();
    PostMessageA(focus ? focus : wizard_, WM_KEYDOWN, static_cast<WPARAM>(virtualKey), 1);
    PostMessageA(focus ? focus : wizard_, WM_KEYUP, static_cast<WPARAM>(virtualKey), 0xC0000001);
}

POINT WizardTest::inWindow(HWND child, int x, int y) const {
    POINT p{x, y};
    ClientToScreen(child, &p);
    RECT frame{};
    GetWindowRect(wizard_, &frame);
    return POINT{p.x - frame.left, p.y - frame.top};
}

POINT WizardTest::inStep(int x, int y) const { return inWindow(step(), x, y); }

void WizardTest::clickPicture(int x, int y, int width, int height) const {
    RECT client{};
    GetClientRect(step(), &client);
    const LPARAM at = MAKELPARAM((client.right - width) / 2 + x, (client.bottom - height) / 2 + y);
    SendMessageA(step(), WM_MOUSEMOVE, 0, at);
    SendMessageA(step(), WM_LBUTTONDOWN, MK_LBUTTON, at);
    SendMessageA(step(), WM_LBUTTONUP, 0, at);
}

void WizardTest::slide(int id, int position) const {
    HWND slider = GetDlgItem(step(), id);
    SendMessageA(slider, TBM_SETPOS, TRUE, position);
    SendMessageA(step(), WM_VSCROLL, MAKEWPARAM(TB_THUMBPOSITION, position), reinterpret_cast<LPARAM>(slider));
    SendMessageA(step(), WM_VSCROLL, TB_ENDTRACK, reinterpret_cast<LPARAM>(slider));
}

Surface WizardTest::shot(const std::string& name) {
    RedrawWindow(wizard_, nullptr, nullptr, RDW_UPDATENOW | RDW_ALLCHILDREN);
    return surfaceOf(wizard_, name);
}

uint32_t WizardTest::at(const Surface& s, POINT p) {
    if (p.y < 0 || p.x < 0 || static_cast<size_t>(p.y) >= s.size() || static_cast<size_t>(p.x) >= s[0].size())
        return 0xFFFFFFFF;
    return s[static_cast<size_t>(p.y)][static_cast<size_t>(p.x)];
}

void WizardTest::answerMessages(int answer) {
    onDialog(186, [this, answer](HWND dialog) {
        char text[2048];
        GetDlgItemTextA(dialog, 1053, text, sizeof text);
        messages.push_back(text);
        PostMessageA(dialog, WM_COMMAND, static_cast<WPARAM>(answer), 0);
    });
}

}  // namespace huevista::test
