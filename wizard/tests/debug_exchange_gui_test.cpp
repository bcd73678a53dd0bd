// The debug exchange on the running wizard: "HuevistaDebug" exports what each step stores (the
// active step storing first), imports replace the working record checked against what the
// steps of its display type offer, the active step follows an import, a block that cannot be
// mapped answers 0 and changes nothing, and the message is served while a modal box is up.
#include <gtest/gtest.h>

#include <dirent.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cstring>
#include <filesystem>
#include <functional>
#include <thread>

#include "debug_exchange.h"
#include "resource_ids.h"
#include "steps/patch_grid.h"
#include "steps/slider_steps.h"
#include "win32_holders.h"
#include "wizard_driver.h"

namespace {

namespace fs = std::filesystem;
using huevista::CalibrationRecord;
using huevista::DebugFields;
using huevista::StepKind;
using huevista::test::WizardTest;

constexpr size_t kFieldBytes = sizeof(DebugFields);

std::string stepName(StepKind k) { return "step " + std::to_string(static_cast<int>(k)); }

class DebugExchangeTest : public WizardTest {
protected:
    void SetUp() override {
        WizardTest::SetUp();
        // Held by the test all along, so that the block outlives each message.
        mapping_ = winplat::FileHandle(CreateFileMappingA(INVALID_HANDLE_VALUE, nullptr, PAGE_READWRITE, 0,
                                                          huevista::kDebugBlockSize, "HuevistaDebug"));
        ASSERT_TRUE(mapping_);
        view_ = static_cast<unsigned char*>(MapViewOfFile(mapping_.get(), FILE_MAP_ALL_ACCESS, 0, 0, 0));
        ASSERT_NE(view_, nullptr);
        std::memset(view_, 0xbd, huevista::kDebugBlockSize);
    }
    void TearDown() override {
        if (view_) UnmapViewOfFile(view_);
        mapping_.close();
        WizardTest::TearDown();
    }

    LRESULT send(bool import) const {
        return SendMessageA(wizard(), huevista::debugExchangeMessage(), import ? 1 : 0, 0);
    }
    DebugFields block() const {
        DebugFields f{};
        std::memcpy(f.data(), view_, kFieldBytes);
        return f;
    }
    void put(const DebugFields& f) { std::memcpy(view_, f.data(), kFieldBytes); }
    // The 960 bytes after the fields still hold the test's marker.
    bool tailUntouched() const {
        for (size_t i = kFieldBytes; i < huevista::kDebugBlockSize; ++i)
            if (view_[i] != 0xbd) return false;
        return true;
    }
    bool nextEnabled() const { return IsWindowEnabled(GetDlgItem(wizard(), IDC_NEXT)); }
    void forwardTo(StepKind wanted, int type) {
        for (int i = 0; i < 20 && kind() != wanted; ++i) forward(type);
        ASSERT_EQ(kind(), wanted);
    }
    huevista::PatchGrid& grid() const { return *dynamic_cast<huevista::PatchGrid*>(dialog().activeStep()); }
    void exportOnEachStep(int type);

    winplat::FileHandle mapping_;
    unsigned char* view_ = nullptr;
};

// Every step of `type`'s sequence completed, exported, then left with Next: the export equals
// what Next then stored.
void DebugExchangeTest::exportOnEachStep(int type) {
    std::vector<StepKind> seen;
    const int exit = runWizard({[&] {
        press(1014 + type);  // Setup's choice moves on
        // Monitor 0's steps; its Color hands over to monitor 1's Setup.
        while (dialog().monitor() == 0) {
            SCOPED_TRACE(stepName(kind()));
            completeStep(type);
            DebugFields marker;
            marker.fill(0x5eed);
            put(marker);
            ASSERT_EQ(send(false), 1);
            const DebugFields exported = block();
            seen.push_back(kind());
            next();
            const bool crossed = dialog().monitor() != 0;
            EXPECT_EQ(exported, huevista::exportFields(crossed ? dialog().records()[0] : dialog().working()));
            EXPECT_TRUE(tailUntouched());
        }
        const DebugFields last = huevista::exportFields(dialog().records()[0]);
        EXPECT_EQ(last[0], type);
        if (type == 0) {
            // Index 4 of every grid: black 24, shadow 176, highlight 240; no midtone.
            EXPECT_EQ(std::vector<int>(last.begin() + 1, last.begin() + 13),
                      (std::vector<int>{24, 24, 24, 176, 176, 176, -1, -1, -1, 240, 240, 240}));
        } else {
            EXPECT_EQ(std::vector<int>(last.begin() + 1, last.begin() + 4), (std::vector<int>{0, 0, 0}));
            for (size_t i = 4; i < 13; ++i) EXPECT_NE(last[i], -1) << i;
        }
        EXPECT_EQ(last[13], 0);    // fluorescent
        EXPECT_EQ(last[14], 100);  // luminance untouched
        EXPECT_GE(last[15], 0);    // the default colour position, stored
        DestroyWindow(wizard());
    }});
    EXPECT_EQ(exit, huevista::kExitCancelled);
    EXPECT_EQ(seen.size(), type == 0 ? 7u : 8u);
}

TEST_F(DebugExchangeTest, AnExportOnEachCrtStepGivesWhatTheStepThenStores) { exportOnEachStep(0); }
TEST_F(DebugExchangeTest, AnExportOnEachFlatPanelStepGivesWhatTheStepThenStores) { exportOnEachStep(1); }

// The black point's choices are not stored before Next: the export stores them first. Asked
// from another thread while Cancel's box is up, it is served by the box's modal loop.
TEST_F(DebugExchangeTest, AnExportWhileABoxIsUpOnTheBlackPointIncludesItsChoices) {
    std::thread asker;
    LRESULT answer = -7;
    DebugFields exported{};
    onDialog(186, [&](HWND box) {
        asker = std::thread([&, box] {
            answer = SendMessageA(wizard(), huevista::debugExchangeMessage(), 0, 0);
            exported = block();
            PostMessageA(box, WM_COMMAND, IDCANCEL, 0);  // "No": the wizard stays
        });
    });
    runWizard({[&] { forwardTo(StepKind::BlackPoint, 0); },
               [&] {
                   completeStep(0, 3);
                   ASSERT_EQ(dialog().working().black[0], -1);
                   press(IDCANCEL);
                   if (asker.joinable()) asker.join();
                   EXPECT_EQ(answer, 1);
                   EXPECT_EQ(std::vector<int>(exported.begin() + 1, exported.begin() + 4),
                             (std::vector<int>{16, 16, 16}));
                   EXPECT_EQ(dialog().working().blackValid, 1);
                   EXPECT_EQ(kind(), StepKind::BlackPoint);
                   DestroyWindow(wizard());
               }});
    if (asker.joinable()) asker.join();
}

TEST_F(DebugExchangeTest, AnImportKeepsOnlyWhatTheStepsOfTheDisplayTypeOffer) {
    struct Case {
        const char* name;
        DebugFields given;
        DebugFields stored;
        int valid[4];  // black, shadow, midtone, highlight
        bool nextEnabled;
    };
    const Case cases[] = {
        {"all offered",
         {0, 0, 8, 16, 176, 180, 184, -1, -1, -1, 240, 244, 255, 2, 50, 3},
         {0, 0, 8, 16, 176, 180, 184, -1, -1, -1, 240, 244, 255, 2, 50, 3},
         {1, 1, 0, 1},
         true},
        {"one -1 in the shadows",
         {0, 0, 8, 16, 176, -1, 184, -1, -1, -1, 240, 244, 255, 2, 50, 3},
         {0, 0, 8, 16, 176, -1, 184, -1, -1, -1, 240, 244, 255, 2, 50, 3},
         {1, 0, 0, 1},
         true},
        {"a black level between patches",
         {0, 0, 12, 16, 176, 180, 184, -1, -1, -1, 240, 244, 255, 2, 50, 3},
         {0, -1, -1, -1, 176, 180, 184, -1, -1, -1, 240, 244, 255, 2, 50, 3},
         {0, 1, 0, 1},
         false},
        {"a black level below the grid",
         {0, -232, 0, 0, 176, 180, 184, -1, -1, -1, 240, 244, 255, 2, 50, 3},
         {0, -1, -1, -1, 176, 180, 184, -1, -1, -1, 240, 244, 255, 2, 50, 3},
         {0, 1, 0, 1},
         false},
        {"a midtone, which a CRT never measures; a shadow above the grid",
         {0, 0, 8, 16, 196, 180, 184, 160, 160, 160, 240, 244, 255, 2, 50, 3},
         {0, 0, 8, 16, -1, -1, -1, -1, -1, -1, 240, 244, 255, 2, 50, 3},
         {1, 0, 0, 1},
         true},
        {"lighting, luminance and colour out of range; an unknown display type",
         {7, 0, 8, 16, 176, 180, 184, -1, -1, -1, 240, 244, 255, 4, 101, 100000},
         {0, 0, 8, 16, 176, 180, 184, -1, -1, -1, 240, 244, 255, -1, 100, -1},
         {1, 1, 0, 1},
         true},
        {"negative lighting, luminance and colour",
         {0, 0, 8, 16, 176, 180, 184, -1, -1, -1, 240, 244, 255, -2, -1, -5},
         {0, 0, 8, 16, 176, 180, 184, -1, -1, -1, 240, 244, 255, -1, 100, -1},
         {1, 1, 0, 1},
         true},
    };
    runWizard({[&] { forwardTo(StepKind::BlackPoint, 0); },
               [&] {
                   for (const Case& c : cases) {
                       SCOPED_TRACE(c.name);
                       put(c.given);
                       ASSERT_EQ(send(true), 1);
                       const CalibrationRecord& r = dialog().working();
                       EXPECT_EQ(huevista::exportFields(r), c.stored);
                       EXPECT_EQ((std::vector<int>{r.blackValid, r.shadowValid, r.midtoneValid, r.highlightValid}),
                                 (std::vector<int>(c.valid, c.valid + 4)));
                       // The black point step follows: its markers, and Next with them.
                       const auto chosen = grid().chosen();
                       if (c.valid[0]) {
                           // Columns are blue, red, green: levels 16, 0, 8 are indices 3, 1, 2.
                           EXPECT_EQ((std::vector<int>(chosen.begin(), chosen.end())), (std::vector<int>{3, 1, 2}));
                       } else {
                           EXPECT_EQ((std::vector<int>(chosen.begin(), chosen.end())), (std::vector<int>{-1, -1, -1}));
                       }
                       EXPECT_EQ(nextEnabled(), c.nextEnabled);
                       EXPECT_TRUE(tailUntouched());
                   }
                   // An invalid black point stores nothing on Next either: Next stays disabled.
                   put(cases[3].given);
                   ASSERT_EQ(send(true), 1);
                   next();
                   EXPECT_EQ(kind(), StepKind::BlackPoint);
                   EXPECT_EQ(dialog().working().black[0], -1);
                   DestroyWindow(wizard());
               }});
}

TEST_F(DebugExchangeTest, AFlatPanelsSlidersTakeOnlyTheirRanges) {
    using huevista::SliderStep;
    const struct {
        const char* name;
        DebugFields given;
        bool allMoved;
        std::array<int, 3> values;  // highlight, midtone, shadow of blue
    } cases[] = {
        {"the ranges' ends", {1, -1, -1, -1, 64, 64, 192, 224, 96, 224, 128, 255, 128, 1, 40, 2}, true, {128, 224, 192}},
        {"a black point other than the panel's 0",
         {1, 8, 8, 8, 64, 64, 192, 224, 96, 224, 128, 255, 128, 1, 40, 2},
         true,
         {128, 224, 192}},
        {"a shadow below its range", {1, -1, -1, -1, 63, 64, 192, 224, 96, 224, 128, 255, 128, 1, 40, 2}, false, {128, 224, 128}},
        {"a highlight above its range",
         {1, -1, -1, -1, 64, 64, 192, 224, 96, 224, 128, 256, 128, 1, 40, 2},
         false,
         {192, 224, 192}},
    };
    runWizard({[&] { forwardTo(StepKind::Blue, 1); },
               [&] {
                   for (const auto& c : cases) {
                       SCOPED_TRACE(c.name);
                       put(c.given);
                       ASSERT_EQ(send(true), 1);
                       const auto& sliders = *dynamic_cast<SliderStep*>(dialog().activeStep());
                       EXPECT_EQ(sliders.allMoved(), c.allMoved);
                       EXPECT_EQ(sliders.values(), c.values);
                       EXPECT_EQ(nextEnabled(), c.allMoved);
                       EXPECT_EQ(dialog().working().black[0], -1);
                       // The trackbars show the values (position = offset - value).
                       EXPECT_EQ(SendDlgItemMessageA(step(), IDC_SLIDER_MIDDLE, TBM_GETPOS, 0, 0), 320 - c.values[1]);
                   }
                   DestroyWindow(wizard());
               }});
}

// The session folder of this root: the one where the test's own named memory left its lock.
fs::path sessionFolderHolding(const std::string& name) {
    const char* runtime = std::getenv("XDG_RUNTIME_DIR");
    for (const fs::path& base : {fs::path(runtime && runtime[0] == '/' ? runtime : "/nonexistent") / "spectrine",
                                fs::path("/tmp/spectrine-" + std::to_string(geteuid()))}) {
        std::error_code ec;
        for (const auto& e : fs::directory_iterator(base, ec))
            if (fs::exists(e.path() / ("map-" + name + ".lock"))) return e.path();
    }
    return {};
}

// No block to map: a folder in the place of the name's lock file (the name can be neither made
// nor opened), or a block of the name that another made smaller than 1024 bytes.
TEST_F(DebugExchangeTest, WithoutSharedMemoryTheMessageAnswersZeroAndChangesNothing) {
    UnmapViewOfFile(view_);
    view_ = nullptr;
    mapping_.close();
    const std::string probe = "HuevistaProbe" + std::to_string(getpid());
    winplat::FileHandle probeMapping(CreateFileMappingA(INVALID_HANDLE_VALUE, nullptr, PAGE_READWRITE, 0, 64, probe.c_str()));
    ASSERT_TRUE(probeMapping);
    const fs::path session = sessionFolderHolding(probe);
    ASSERT_FALSE(session.empty());
    const fs::path lockPlace = session / "map-HuevistaDebug.lock";
    winplat::FileHandle smaller;
    const struct {
        const char* name;
        std::function<void()> arrange, undo;
    } cases[] = {
        {"a folder in the lock file's place", [&] { ASSERT_TRUE(fs::create_directory(lockPlace)); },
         [&] { fs::remove(lockPlace); }},
        {"a block of 32 bytes",
         [&] {
             smaller = winplat::FileHandle(
                 CreateFileMappingA(INVALID_HANDLE_VALUE, nullptr, PAGE_READWRITE, 0, 32, "HuevistaDebug"));
             ASSERT_TRUE(smaller);
         },
         [&] { smaller.close(); }},
    };
    runWizard({[&] { forwardTo(StepKind::BlackPoint, 0); },
               [&] {
                   completeStep(0, 2);
                   const DebugFields before = huevista::exportFields(dialog().working());
                   const auto chosen = grid().chosen();
                   for (const auto& c : cases) {
                       SCOPED_TRACE(c.name);
                       c.arrange();
                       for (bool import : {true, false}) {
                           SCOPED_TRACE(import ? "import" : "export");
                           EXPECT_EQ(send(import), 0);
                           EXPECT_EQ(huevista::exportFields(dialog().working()), before);
                           EXPECT_EQ(dialog().working().blackValid, 0);
                           EXPECT_EQ(grid().chosen(), chosen);
                           EXPECT_TRUE(nextEnabled());
                       }
                       c.undo();
                   }
                   EXPECT_EQ(dialog().working().black[0], -1);  // no export stored either
                   DestroyWindow(wizard());
               }});
    fs::remove(lockPlace);
}

}  // namespace
