// The GUI tests' fixture: a fresh system root with two virtual monitors of different sizes
// (the second one reaching above the first), the Qt driver on the offscreen platform with the
// Fusion style, and a message pump that runs until a condition holds.
#pragma once

#include <functional>
#include <string>

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

private:
    std::string savedStyle_;
    bool hadStyle_ = false;
};

}  // namespace spx::test
