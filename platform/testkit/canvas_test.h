// GUI tests that paint: a frameless popup whose WM_PAINT runs the test's painter, and the saved
// surface read back for probes.
#pragma once

#include <functional>
#include <string>
#include <vector>

#include "gui_test.h"

namespace spx::test {

using Surface = std::vector<std::vector<uint32_t>>;  // rows of 0x00RRGGBB

class CanvasTest : public GuiTest {
protected:
    void SetUp() override;
    void TearDown() override;

    // Shows a popup over `rect` (desktop coordinates), white until painted, lets `painter`
    // paint it in WM_PAINT, and returns its surface (empty when anything failed).
    Surface paint(const RECT& rect, const std::function<void(HDC)>& painter, const std::string& name);

    HWND window() const { return window_; }
    int paints() const;

    static uint32_t rgb(COLORREF c) { return (c & 0xFF) << 16 | (c & 0xFF00) | ((c >> 16) & 0xFF); }

private:
    HWND window_ = nullptr;
};

}  // namespace spx::test
