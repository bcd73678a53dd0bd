// Start-up and leaving on the virtual display: the ramps saved and reset and given back on
// Cancel, the splash, the background window over both monitors.
#include <gtest/gtest.h>

#include <array>

#include "profforge.h"
#include "vltutil.h"
#include "win32_holders.h"
#include "wizard_driver.h"

namespace {

using huevista::test::WizardTest;

using Ramp = std::array<WORD, 768>;

Ramp seededRamp(int monitor) {
    Ramp r{};
    for (int i = 0; i < 768; ++i) r[static_cast<size_t>(i)] = static_cast<WORD>((i % 256) * (200 + 20 * monitor));
    return r;
}

Ramp identityRamp() {
    Ramp r{};
    for (int i = 0; i < 768; ++i) r[static_cast<size_t>(i)] = static_cast<WORD>((i % 256) * 256);
    return r;
}

Ramp rampOf(int monitor) {
    Ramp r{};
    winplat::DeviceContext screen = winplat::DeviceContext::screen();
    VLTGetDeviceGammaRamp(screen.get(), r.data(), monitor);
    return r;
}

class StartupTest : public WizardTest {};

TEST_F(StartupTest, RampsReadIdentityWhileRunningAndReturnAfterEscapeOnTheFirstSetup) {
    {
        winplat::DeviceContext screen = winplat::DeviceContext::screen();
        for (int m = 0; m < 2; ++m) {
            Ramp r = seededRamp(m);
            ASSERT_TRUE(VLTSetDeviceGammaRamp(screen.get(), r.data(), m));
        }
    }
    const int code = runWizard({[&] {
        EXPECT_EQ(kind(), huevista::StepKind::Setup);
        for (int m = 0; m < 2; ++m) EXPECT_EQ(rampOf(m), identityRamp()) << m;
        key(VK_ESCAPE);
    }});
    EXPECT_EQ(code, 1);
    EXPECT_TRUE(messages.empty());
    for (int m = 0; m < 2; ++m) EXPECT_EQ(rampOf(m), seededRamp(m)) << m;
}

}  // namespace
