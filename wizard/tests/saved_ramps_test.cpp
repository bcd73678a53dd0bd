// The ramps saved at start-up: each monitor's ramp is read before the identity ramp is loaded,
// and only the ramps that could be read are written back.
#include <gtest/gtest.h>

#include <map>
#include <vector>

#include "fresh_root.h"
#include "saved_ramps.h"

namespace {

// A card of three monitors whose ramps can be read or not, recording every call.
struct Card {
    std::vector<bool> readable;
    std::vector<std::string> calls;
    std::map<int, WORD> written;  // monitor -> first red entry written
} card;

WORD seeded(int display) { return static_cast<WORD>(0x1000 * (display + 1)); }

int readRamp(HDC, LPVOID ramp, int display) {
    card.calls.push_back("read " + std::to_string(display));
    auto* entries = static_cast<WORD*>(ramp);
    if (!card.readable[static_cast<size_t>(display)]) {
        entries[0] = 0xBDBD;  // what a failed read may leave behind
        return 0;
    }
    for (int i = 0; i < 768; ++i) entries[i] = static_cast<WORD>(seeded(display) + i);
    return 1;
}

int writeRamp(HDC, LPVOID ramp, int display) {
    card.calls.push_back("write " + std::to_string(display));
    auto* entries = static_cast<WORD*>(ramp);
    card.written[display] = entries[0];
    entries[0] = 0xFFFF;  // the store may stretch the buffer it is given
    return 1;
}

int resetRamp(int display) {
    card.calls.push_back("reset " + std::to_string(display));
    return 1;
}

class SavedRampsTest : public spx::test::FreshRootTest {};

TEST_F(SavedRampsTest, OnlyTheRampsThatWereReadAreWrittenBack) {
    struct Case {
        const char* name;
        std::vector<bool> readable;
        std::vector<std::string> restoreCalls;
    };
    const Case cases[] = {
        {"all read", {true, true, true}, {"write 0", "write 1", "write 2"}},
        {"the second unreadable", {true, false, true}, {"write 0", "write 2"}},
        {"none read", {false, false, false}, {}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        card = Card{c.readable, {}, {}};
        huevista::SavedRamps ramps({readRamp, writeRamp, resetRamp});
        ramps.saveAndReset(3);
        EXPECT_EQ(card.calls, (std::vector<std::string>{"read 0", "reset 0", "read 1", "reset 1", "read 2", "reset 2"}));
        card.calls.clear();
        ramps.restore();
        ramps.restore();  // a second restore writes the saved ramps again, not stretched copies
        std::vector<std::string> twice = c.restoreCalls;
        twice.insert(twice.end(), c.restoreCalls.begin(), c.restoreCalls.end());
        EXPECT_EQ(card.calls, twice);
        for (int m = 0; m < 3; ++m) {
            EXPECT_EQ(ramps.wasRead(m), c.readable[static_cast<size_t>(m)]);
            if (c.readable[static_cast<size_t>(m)]) {
                EXPECT_EQ(card.written[m], seeded(m));
            }
        }
    }
}

}  // namespace
