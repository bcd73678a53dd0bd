// The GUI tests' fixture: a fresh system root with two virtual monitors of different sizes
// (the second one reaching above the first), the Qt driver on the offscreen platform with the
// Fusion style, recorded sounds, help and shell requests, and a message pump that runs until a
// condition holds.
#pragma once

#include <functional>
#include <map>
#include <string>
#include <vector>

#include "fresh_root.h"

namespace spx::test {

class GuiTest : public FreshRootTest {
protected:
    void SetUp() override;
    void TearDown() override;

    // Monitor 1: 1024 x 768 at (0, 0). Monitor 2: 800 x 600 at (1024, -100).
    static constexpr RECT kFirstMonitor{0, 0, 1024, 768};
    static constexpr RECT kSecondMonitor{1024, -100, 1824, 500};

    // Runs the thread's messages until `done` holds or `timeoutMs` passes; whether it held.
    bool pumpUntil(const std::function<bool()>& done, DWORD timeoutMs = 5000);
    // Runs the messages that wait now (WM_PAINT included), without waiting for more.
    void pump();
    // Saves a window's surface into the test root (kept when the test fails) and loads it back
    // as rows of 0x00RRGGBB; empty when it could not be saved.
    std::vector<std::vector<uint32_t>> surfaceOf(HWND hwnd, const std::string& name);

    // Scripts the dialogs made from template `id` (and, for id 0, message boxes and in-memory
    // templates): the dialog hook runs `script` after WM_INITDIALOG, before any modal loop.
    void onDialog(int id, std::function<void(HWND)> script);
    // Answers every popup menu with `id`, keeping each menu's items as GetMenuStringA and
    // GetMenuState give them ("text|state", submenus' items after their popup, indented).
    void answerMenus(UINT id);
    std::vector<std::string> menusSeen;
    // The sounds played (MessageBeep's aliases), in order.
    std::vector<std::string> sounds;
    // Help and shell requests, answered TRUE without opening anything: "file|command|data" and
    // "verb|file|parameters" ("<null>" for a null string).
    std::vector<std::string> helpCalls;
    std::vector<std::string> shellCalls;
    // Runs the messages that wait now as a modal loop of `dialog` would (IsDialogMessageA).
    void pumpDialog(HWND dialog);

private:
    static void dialogHook(HWND dialog, HINSTANCE, LPCSTR templateName, void* ctx);
    static UINT menuHandler(HMENU menu, UINT flags, int x, int y, HWND owner, void* ctx);
    static BOOL soundHandler(LPCSTR name, HMODULE module, DWORD flags, void* ctx);
    static BOOL helpHandler(HWND w, LPCSTR file, UINT command, ULONG_PTR data, void* ctx);
    static BOOL shellHandler(HWND w, LPCSTR verb, LPCSTR file, LPCSTR params, void* ctx);
    std::map<int, std::function<void(HWND)>> scripts_;
    UINT menuAnswer_ = 0;
    std::string savedStyle_;
    bool hadStyle_ = false;
};

}  // namespace spx::test
