// Ramp buffers of exactly 1536 bytes: nothing past their end is read or written, even while
// the ramp is stretched in place for a USB monitor.
#include <gtest/gtest.h>
#include <sys/mman.h>
#include <unistd.h>

#include <cstring>

#include "ramp_test_support.h"

namespace {

using vlt::test::curveRamp;
using vlt::test::ExtensionTest;
using vlt::test::Oem;
using vlt::test::Ramp;
using vlt::test::Usb;

using RampBounds = ExtensionTest;

// 1536 bytes that end where an inaccessible page begins: touching a byte after them faults.
class GuardedRamp {
public:
    GuardedRamp() {
        page_ = static_cast<size_t>(sysconf(_SC_PAGESIZE));
        void* p = mmap(nullptr, 2 * page_, PROT_READ | PROT_WRITE, MAP_PRIVATE | MAP_ANONYMOUS, -1, 0);
        if (p == MAP_FAILED) return;
        base_ = static_cast<char*>(p);
        mprotect(base_ + page_, page_, PROT_NONE);
    }
    ~GuardedRamp() {
        if (base_) munmap(base_, 2 * page_);
    }
    bool ok() const { return base_ != nullptr; }
    void* data() const { return base_ + page_ - sizeof(Ramp); }
    void put(const Ramp& r) const { std::memcpy(data(), r.data(), sizeof r); }
    Ramp get() const {
        Ramp r;
        std::memcpy(r.data(), data(), sizeof r);
        return r;
    }

private:
    size_t page_ = 0;
    char* base_ = nullptr;
};

TEST_F(RampBounds, ABufferOfExactly1536BytesIsNeverOverrun) {
    struct Case {
        const char* family;
        Oem oem;
        Usb usb;
    } cases[] = {{"98", Oem::None, Usb::Version0},
                 {"98", Oem::None, Usb::Version1},
                 {"95", Oem::None, Usb::Version0},
                 {"NT4", Oem::Version1, Usb::Version1}};
    int n = 0;
    for (const Case& c : cases) {
        SCOPED_TRACE(std::string(c.family) + " case " + std::to_string(n));
        useFamily(c.family);
        auto& vlt = open(c.oem, c.usb, "suite-" + std::to_string(n++));
        GuardedRamp buffer;
        ASSERT_TRUE(buffer.ok());
        buffer.put(curveRamp(2.2, 2.0, 1.8, 0.75));
        HDC dc = GetDC(nullptr);
        EXPECT_EQ(vlt.setRamp(dc, buffer.data(), 0), 1);
        const Ramp loaded = buffer.get();
        EXPECT_EQ(loaded[255], 65280) << "stretched in place";
        buffer.put(vlt::test::filledRamp(0xbdbd));
        EXPECT_EQ(vlt.getRamp(dc, buffer.data(), 0), 1);
        EXPECT_EQ(buffer.get(), loaded);
        ReleaseDC(nullptr, dc);
    }
}

}  // namespace
