#include "wizard_driver.h"

#include "huevista.h"
#include "grid_geometry.h"

namespace huevista::test {
namespace {

WizardTest* running = nullptr;

}  // namespace

void WizardTest::SetUp() {
    GuiTest::SetUp();
    suite = installFakeSuite(root());
}

void WizardTest::TearDown() {
    GuiTest::TearDown();
}

void CALLBACK WizardTest::tick(HWND, UINT, UINT_PTR, DWORD) {
    WizardTest* self = running;
    if (!self || !self->wizard_ || !IsWindow(self->wizard_)) return;
    // Also inside a modal dialog an action is waiting on: destroying the wizard ends it too.
    if (GetTickCount() - self->started_ > self->timeout_) {
        ADD_FAILURE() << "the wizard still ran after the script's time; closing it";
        self->next_ = self->script_.size();
        DestroyWindow(self->wizard_);
        return;
    }
    if (self->busy_) return;
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

void WizardTest::key(int virtualKey, bool control) {
    std::vector<INPUT> inputs;
    auto add = [&](int vk, bool up) {
        INPUT in{};
        in.type = INPUT_KEYBOARD;
        in.ki.wVk = static_cast<WORD>(vk);
        in.ki.dwFlags = up ? KEYEVENTF_KEYUP : 0;
        inputs.push_back(in);
    };
    if (control) add(VK_CONTROL, false);
    add(virtualKey, false);
    add(virtualKey, true);
    if (control) add(VK_CONTROL, true);
    SendInput(static_cast<UINT>(inputs.size()), inputs.data(), sizeof(INPUT));
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

void WizardTest::completeStep(int type, int gridIndex) {
    switch (kind()) {
        case StepKind::Setup: press(1014 + type); break;
        case StepKind::BlackPoint:
        case StepKind::Shadows:
        case StepKind::Highlights: {
            const GridShape shape = gridShape(kind() == StepKind::BlackPoint ? GridKind::Spaced : GridKind::Dense);
            for (int c = 0; c < kColumns; ++c)
                clickPicture(kColumnX[c] + 30, kGridTop + shape.pitch * gridIndex, 395, 430);
            break;
        }
        case StepKind::Lighting:
            if (!IsWindowEnabled(GetDlgItem(wizard_, 1001))) press(1022);
            break;
        case StepKind::WhitePoint:
        case StepKind::Blue:
        case StepKind::Red:
        case StepKind::Green:
            for (int id : {1056, 1057, 1058})
                slide(id, static_cast<int>(SendDlgItemMessageA(step(), id, TBM_GETPOS, 0, 0)) + 4);
            break;
        default: break;
    }
}

void WizardTest::forward(int type, int gridIndex) {
    const bool setup = kind() == StepKind::Setup && !IsWindowVisible(GetDlgItem(wizard_, 1001));
    completeStep(type, gridIndex);
    if (!setup) next();
}

HWND WizardTest::progressPanel() const {
    for (HWND child = GetWindow(wizard_, GW_CHILD); child; child = GetWindow(child, GW_HWNDNEXT))
        if (GetDlgItem(child, 1017)) return child;
    return nullptr;
}

std::string WizardTest::textOf(HWND window, int id) const {
    char text[2048] = "";
    GetDlgItemTextA(window, id, text, sizeof text);
    return text;
}

long long WizardTest::helpContextShown() {
    const size_t before = helpCalls.size();
    press(9);
    if (helpCalls.size() != before + 1) return -2;
    return contextOf(helpCalls.back());
}

long long WizardTest::contextOf(const std::string& call) {
    // "file|command|data"
    const size_t data = call.rfind('|'), command = call.rfind('|', data - 1);
    if (data == std::string::npos || command == std::string::npos) return -2;
    if (std::stoul(call.substr(command + 1, data - command - 1)) == HELP_CONTENTS) return -1;
    return std::stoll(call.substr(data + 1));
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
