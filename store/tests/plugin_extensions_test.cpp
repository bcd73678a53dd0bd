// Plug-in extensions: the block is stored with or without extensions, each "*.PIE" library in
// the suite folder receives it, files that are no extension are passed over, and the stored
// block is updated with a profile path.
#include <gtest/gtest.h>

#include <array>
#include <filesystem>
#include <string>
#include <vector>

#include "registration_test_support.h"

namespace {

namespace fs = std::filesystem;
using Block = std::array<BYTE, SPECTRINE_PLUGIN_BLOCK_SIZE>;

class PlugInExtensions : public vlt::test::RegistrationTest {
protected:
    void SetUp() override {
        RegistrationTest::SetUp();
        fs::create_directories(rootPath("suite"));
    }
    // The suite folder holds the main program; extensions are put beside it. The installation
    // paths count only together, as the store caches them.
    void installed(bool withInfFile = true) {
        setSuiteText("Settings", "AppFile", rootPath("suite") + "\\huevista.exe");
        if (withInfFile) setSuiteText("Settings", "InfFile", rootPath("suite") + "\\spectrine.inf");
    }
    void putExtension(const char* built, const std::string& name) {
        fs::copy_file(built, rootPath("suite/" + name), fs::copy_options::overwrite_existing);
    }
    static Block patternBlock(BYTE seed) {
        Block b;
        for (size_t i = 0; i < b.size(); ++i) b[i] = static_cast<BYTE>(i * 13 + seed);
        return b;
    }
    static std::vector<BYTE> storedBlock() {
        DWORD type = 0;
        auto value = keyValue(std::string(vlt::test::kSuiteKey) + "Calibration", "PlugInData", &type);
        if (!value || type != REG_BINARY) return {};
        return *value;
    }
    // The blocks extension A or B received, one after another.
    std::vector<BYTE> received(const char* tag) const {
        std::string text = readFile(std::string("plugin-") + tag + ".bin");
        return std::vector<BYTE>(text.begin(), text.end());
    }
    std::string calls() const { return readFile("plugin-calls.txt"); }
};

std::vector<BYTE> bytesOf(const Block& b) { return std::vector<BYTE>(b.begin(), b.end()); }

TEST_F(PlugInExtensions, WithoutExtensionsTheBlockIsStillStored) {
    Block block = patternBlock(1);
    EXPECT_EQ(SendToPlugInExtension(block.data()), 1);  // not even "AppFile"
    EXPECT_EQ(storedBlock(), bytesOf(block));
    installed();
    block = patternBlock(2);
    EXPECT_EQ(SendToPlugInExtension(block.data()), 1);  // an empty suite folder
    EXPECT_EQ(storedBlock(), bytesOf(block));
    EXPECT_EQ(SendToPlugInExtension(nullptr), 0);
    EXPECT_EQ(storedBlock(), bytesOf(block));
}

TEST_F(PlugInExtensions, EachExtensionReceivesTheBlock) {
    installed();
    putExtension(PLUGIN_A_DOUBLE_PATH, "Recorder.PIE");
    putExtension(PLUGIN_B_DOUBLE_PATH, "Second.PIE");
    Block block = patternBlock(3);
    EXPECT_EQ(SendToPlugInExtension(block.data()), 1);
    EXPECT_EQ(received("A"), bytesOf(block));
    EXPECT_EQ(received("B"), bytesOf(block));
    std::string order = calls();
    EXPECT_TRUE(order == "A\nB\n" || order == "B\nA\n") << order;
    // What an extension does to its block reaches neither the next one nor the registry.
    EXPECT_EQ(storedBlock(), bytesOf(block));

    Block next = patternBlock(4);
    EXPECT_EQ(SendToPlugInExtension(next.data()), 1);
    std::vector<BYTE> both = bytesOf(block);
    both.insert(both.end(), next.begin(), next.end());
    EXPECT_EQ(received("A"), both);
}

// "AppFile" is read through the cached installation paths: without "InfFile" beside it the
// suite is not installed and no extension is offered, while the block is still stored.
TEST_F(PlugInExtensions, WithoutBothInstallationPathsNoExtensionIsOffered) {
    installed(false);
    putExtension(PLUGIN_A_DOUBLE_PATH, "Recorder.PIE");
    Block block = patternBlock(9);
    EXPECT_EQ(SendToPlugInExtension(block.data()), 1);
    EXPECT_EQ(calls(), "");
    EXPECT_EQ(storedBlock(), bytesOf(block));
}

TEST_F(PlugInExtensions, FilesThatAreNoExtensionArePassedOver) {
    installed();
    writeFile("suite/Broken.PIE", "this is not a library");
    writeFile("suite/.PIE", "neither is this");
    putExtension(OEM_DOUBLE_PATH, "NoEntry.PIE");  // a library without the entry
    putExtension(PLUGIN_A_DOUBLE_PATH, "Recorder.PIE");
    putExtension(PLUGIN_B_DOUBLE_PATH, "Recorder.PIE.off");  // not "*.PIE"
    fs::create_directories(rootPath("suite/Folder.PIE"));
    Block block = patternBlock(5);
    EXPECT_EQ(SendToPlugInExtension(block.data()), 1);
    EXPECT_EQ(received("A"), bytesOf(block));
    EXPECT_EQ(calls(), "A\n");
    EXPECT_EQ(storedBlock(), bytesOf(block));
}

TEST_F(PlugInExtensions, UpdateWithNothingStoredGivesABlockOfThePathAlone) {
    installed();
    putExtension(PLUGIN_A_DOUBLE_PATH, "Recorder.PIE");
    const std::string path = "C:\\WINDOWS\\SYSTEM\\COLOR\\Netvivid.icc";
    EXPECT_EQ(UpdatePlugInExtension(path.c_str()), 1);
    Block expected{};
    std::copy(path.begin(), path.end(), expected.begin() + SPECTRINE_PLUGIN_PATH_OFFSET);
    EXPECT_EQ(storedBlock(), bytesOf(expected));
    EXPECT_EQ(received("A"), bytesOf(expected));
}

TEST_F(PlugInExtensions, UpdateKeepsTheRestOfTheStoredBlock) {
    Block block = patternBlock(6);
    ASSERT_EQ(SendToPlugInExtension(block.data()), 1);
    struct Case {
        const char* what;
        std::string path;
        size_t kept;  // characters of the path in the block
    } cases[] = {
        {"short", "C:\\x.icm", 8},
        {"259 characters", "C:\\" + std::string(256, 'p'), 259},
        {"300 characters", "C:\\" + std::string(297, 'q'), 259},
        {"empty", "", 0},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        EXPECT_EQ(UpdatePlugInExtension(c.path.c_str()), 1);
        Block expected = block;
        std::fill(expected.begin() + 140, expected.begin() + 400, 0);
        std::copy(c.path.begin(), c.path.begin() + static_cast<long>(c.kept), expected.begin() + 140);
        EXPECT_EQ(storedBlock(), bytesOf(expected));
    }
    // A stored value that is no block is replaced by a fresh one.
    ASSERT_EQ(WriteSpectrineRegString("Calibration", "PlugInData", "text"), 1);
    EXPECT_EQ(UpdatePlugInExtension("C:\\y.icm"), 1);
    Block fresh{};
    std::string y = "C:\\y.icm";
    std::copy(y.begin(), y.end(), fresh.begin() + 140);
    EXPECT_EQ(storedBlock(), bytesOf(fresh));
    EXPECT_EQ(UpdatePlugInExtension(nullptr), 1);
    EXPECT_EQ(storedBlock(), bytesOf(Block{}));
}

TEST_F(PlugInExtensions, TheDefaultProfileReachesTheExtensions) {
    installed();
    putExtension(PLUGIN_A_DOUBLE_PATH, "Recorder.PIE");
    std::string path = colourFile("Netvivid.icc");
    EXPECT_EQ(WriteSpectrineDefaultProfile(3), ERROR_SUCCESS);
    std::vector<BYTE> got = received("A");
    ASSERT_EQ(got.size(), static_cast<size_t>(SPECTRINE_PLUGIN_BLOCK_SIZE));
    EXPECT_EQ(std::string(reinterpret_cast<const char*>(got.data() + 140)), path);
}

}  // namespace
