// What the ramp and extension tests share: a fixture that opens private copies of vltutil with
// chosen extension doubles, ramps to load, and a second process that reads ramps back.
#pragma once

#include <gtest/gtest.h>
#include <sys/wait.h>
#include <unistd.h>

#include <array>
#include <cmath>
#include <cstdlib>
#include <cstring>
#include <memory>
#include <string>
#include <vector>

#include "fresh_root.h"
#include "second_process.h"
#include "vltutil_copy.h"
#include "winplat.h"

namespace vlt::test {

using Ramp = std::array<WORD, 768>;

// Each channel c: round(65280 x (i / 255)^(1 / gamma[c]) x scale), a curve a calibration loads.
inline Ramp curveRamp(double gammaRed, double gammaGreen, double gammaBlue, double scale = 1.0) {
    Ramp r{};
    const double gammas[3] = {gammaRed, gammaGreen, gammaBlue};
    for (size_t c = 0; c < 3; ++c)
        for (size_t i = 0; i < 256; ++i)
            r[256 * c + i] = static_cast<WORD>(
                std::lround(65280.0 * std::pow(i / 255.0, 1.0 / gammas[c]) * scale));
    return r;
}

inline Ramp filledRamp(WORD value) {
    Ramp r;
    r.fill(value);
    return r;
}

class ExtensionTest : public spx::test::FreshRootTest {
protected:
    void TearDown() override {
        copies_.clear();
        for (const char* name : {"SPECTRINE_OEM_RAMP_RESULT", "SPECTRINE_OEM_MULTIHEAD",
                                 "SPECTRINE_USB_AVAILABLE", "SPECTRINE_USB_FAIL_CODE",
                                 "SPECTRINE_USB_SET_RESULT"})
            unsetenv(name);
        FreshRootTest::TearDown();
    }

    // A copy of vltutil in <root>/<folder> with the chosen extensions; its process state is
    // built by the first export called, so set the display and family before.
    Exports& open(Oem oem, Usb usb, const std::string& folder = "suite") {
        copies_.push_back(std::make_unique<VltutilCopy>(rootPath(folder), oem, usb));
        return copies_.back()->exports;
    }
    VltutilCopy& lastCopy() { return *copies_.back(); }

    std::vector<std::string> oemCalls() const { return logLines(rootPath("oem_calls.log")); }
    std::vector<std::string> usbCalls() const { return logLines(rootPath("usb_calls.log")); }
    void forgetCalls() const {
        std::remove(rootPath("oem_calls.log").c_str());
        std::remove(rootPath("usb_calls.log").c_str());
    }

    static void setDebugValue(const char* name, DWORD value) {
        ASSERT_EQ(WriteSpectrineRegValue("Debug", name, REG_DWORD, reinterpret_cast<BYTE*>(&value),
                                         sizeof value),
                  ERROR_SUCCESS);
    }

    // Runs `reader` in a new process, as another program started after this one, with a fresh
    // platform state and its own copy of vltutil (extensions as given); returns what it read.
    // `reader` fills the ramps it is given and returns 0 on success.
    template <typename Reader>
    std::vector<Ramp> inSecondProcess(Oem oem, Usb usb, size_t ramps, Reader reader) {
        const std::string answer = spx::test::inSecondProcess([&](std::string& out) {
            VltutilCopy copy(rootPath("second-process"), oem, usb);
            std::vector<Ramp> read(ramps, filledRamp(0xbdbd));
            const int status = copy.opened() ? reader(copy.exports, read) : 90;
            for (const Ramp& r : read) out.append(reinterpret_cast<const char*>(r.data()), sizeof r);
            return status;
        });
        std::vector<Ramp> read(ramps);
        for (size_t i = 0; i < ramps && (i + 1) * sizeof(Ramp) <= answer.size(); ++i)
            std::memcpy(read[i].data(), answer.data() + i * sizeof(Ramp), sizeof(Ramp));
        return read;
    }

private:
    std::vector<std::unique_ptr<VltutilCopy>> copies_;
};

}  // namespace vlt::test
