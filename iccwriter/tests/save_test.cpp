// Saving: replacing files, repeated saves, Windows paths, paths that cannot be written, and
// that the target is never left half written.
#include <gtest/gtest.h>

#include <sys/resource.h>
#include <sys/stat.h>
#include <unistd.h>

#include <csignal>
#include <filesystem>
#include <fstream>

#include "icc_support.h"
#include "winplat_files.h"

namespace icctest {
namespace {

namespace fs = std::filesystem;

class SaveTest : public IccWriterTest {
protected:
    // A profile with a few tags (including padding) and its expected file.
    ProfilePtr filledProfile() {
        ProfilePtr p = newProfile();
        const std::uint16_t curve[] = {0, 0x4000, 0xFFFF};
        EXPECT_EQ(SetTextDescTag(p, "desc", "Spectrine: Kalvenmor 17"), SP_OK);
        EXPECT_EQ(SetCurveTag(p, "kTRC", curve, 3), SP_OK);
        EXPECT_EQ(SetXYZTag(p, "wtpt", 0xF6D5, 0x10000, 0xD32B), SP_OK);
        return p;
    }
    Bytes filledExpected() const {
        return expectedProfile(templateHeader(),
                               {{"desc", descData("Spectrine: Kalvenmor 17", 24)},
                                {"kTRC", curveData({0, 0x4000, 0xFFFF})},
                                {"wtpt", xyzData(0xF6D5, 0x10000, 0xD32B)}});
    }
    void writeBytes(const std::string& path, std::size_t n, char fill) {
        std::ofstream(path, std::ios::binary) << std::string(n, fill);
    }
};

TEST_F(SaveTest, ReplacesAnExistingLargerFile) {
    const std::string path = colorPath("old.icm");
    writeBytes(path, 5000, '\xBD');
    ProfilePtr p = filledProfile();
    ASSERT_EQ(SpProfileSaveToDisk(p, path.c_str()), SP_OK);
    expectFileBytes(path, filledExpected());
    EXPECT_EQ(listDirectory(colorPath("")), std::vector<std::string>{"old.icm"});
    expectReadersAccept(path);
}

TEST_F(SaveTest, SavingTwiceGivesTheSameBytes) {
    ProfilePtr p = filledProfile();
    const std::string first = colorPath("first.icm"), second = colorPath("second.icm");
    ASSERT_EQ(SpProfileSaveToDisk(p, first.c_str()), SP_OK);
    const auto once = readBytes(first);
    ASSERT_EQ(SpProfileSaveToDisk(p, first.c_str()), SP_OK);
    ASSERT_EQ(SpProfileSaveToDisk(p, second.c_str()), SP_OK);
    EXPECT_EQ(readBytes(first), once);
    EXPECT_EQ(readBytes(second), once);
    expectFileBytes(first, filledExpected());
    expectReadersAccept(first);
    expectReadersAccept(second);
}

// Each save writes the profile's state at that moment.
TEST_F(SaveTest, LaterSaveShowsLaterTags) {
    ProfilePtr p = newProfile();
    const std::string path = colorPath("grow.icm");
    ASSERT_EQ(SpProfileSaveToDisk(p, path.c_str()), SP_OK);
    expectFileBytes(path, expectedProfile(templateHeader(), {}));
    expectReadersAccept(path);
    ASSERT_EQ(SetTextTag(p, "cprt", "later"), SP_OK);
    ASSERT_EQ(SpProfileSaveToDisk(p, path.c_str()), SP_OK);
    expectFileBytes(path, expectedProfile(templateHeader(), {{"cprt", textData("later")}}));
    expectReadersAccept(path);
}

TEST_F(SaveTest, WindowsSeparatorsAndCaseAreAccepted) {
    ProfilePtr p = filledProfile();
    const struct {
        std::string path;
        const char* created;  // name expected in the colour folder
    } cases[] = {
        {root() + "\\WINDOWS\\SYSTEM\\COLOR\\Back.icm", "Back.icm"},
        {root() + "\\windows\\system\\color\\lower.icm", "lower.icm"},
        {root() + "/WINDOWS\\System/color\\Mixed.icm", "Mixed.icm"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.path);
        ASSERT_EQ(SpProfileSaveToDisk(p, c.path.c_str()), SP_OK);
        const std::string native = colorPath(c.created);
        ASSERT_TRUE(winplat::fileExists(native.c_str()));
        expectFileBytes(native, filledExpected());
        expectReadersAccept(native);
    }
    EXPECT_EQ(listDirectory(colorPath("")),
              (std::vector<std::string>{"Back.icm", "Mixed.icm", "lower.icm"}));
}

// A file whose name differs only in case is the same file, as on the emulated system.
TEST_F(SaveTest, ExistingFileOfOtherCaseIsReplaced) {
    writeBytes(colorPath("NETVIVID.ICC"), 10, 'x');
    ProfilePtr p = filledProfile();
    const std::string path = root() + "\\WINDOWS\\SYSTEM\\COLOR\\Netvivid.icc";
    ASSERT_EQ(SpProfileSaveToDisk(p, path.c_str()), SP_OK);
    EXPECT_EQ(listDirectory(colorPath("")), std::vector<std::string>{"NETVIVID.ICC"});
    expectFileBytes(colorPath("NETVIVID.ICC"), filledExpected());
    expectReadersAccept(colorPath("NETVIVID.ICC"));
}

// A path without a folder is relative to the working directory, like one with a relative folder.
TEST_F(SaveTest, RelativePaths) {
    const fs::path cwd = fs::current_path();
    fs::current_path(colorPath(""));
    fs::create_directory("sub");
    ProfilePtr p = filledProfile();
    EXPECT_EQ(SpProfileSaveToDisk(p, "plain.icm"), SP_OK);
    EXPECT_EQ(SpProfileSaveToDisk(p, "sub\\nested.icm"), SP_OK);
    fs::current_path(cwd);
    EXPECT_EQ(listDirectory(colorPath("")), (std::vector<std::string>{"plain.icm", "sub"}));
    EXPECT_EQ(listDirectory(colorPath("sub")), std::vector<std::string>{"nested.icm"});
    expectFileBytes(colorPath("plain.icm"), filledExpected());
    expectFileBytes(colorPath("sub/nested.icm"), filledExpected());
    expectReadersAccept(colorPath("plain.icm"));
    expectReadersAccept(colorPath("sub/nested.icm"));
}

TEST_F(SaveTest, UncreatablePathsFailAndLeaveTheProfile) {
    writeBytes(colorPath("plainfile"), 3, 'x');
    fs::create_directory(colorPath("folder.icm"));
    const struct {
        const char* name;
        std::string path;
    } cases[] = {
        {"missing folder", colorPath("missing/x.icm")},
        {"missing folder, Windows path", root() + "\\NOWHERE\\x.icm"},
        {"file used as folder", colorPath("plainfile/x.icm")},
        {"target is a folder", colorPath("folder.icm")},
        {"target names a folder by its separator", colorPath("folder.icm") + "\\"},
    };
    ProfilePtr p = filledProfile();
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        EXPECT_EQ(SpProfileSaveToDisk(p, c.path.c_str()), SP_FAILED);
    }
    // Nothing was created or left behind, and the folder is still a folder.
    EXPECT_EQ(listDirectory(colorPath("")),
              (std::vector<std::string>{"folder.icm", "plainfile"}));
    EXPECT_TRUE(listDirectory(colorPath("folder.icm")).empty());
    EXPECT_TRUE(fs::is_directory(colorPath("folder.icm")));
    EXPECT_EQ(readBytes(colorPath("plainfile")).size(), 3u);

    const std::string path = colorPath("after.icm");
    ASSERT_EQ(SpProfileSaveToDisk(p, path.c_str()), SP_OK);
    expectFileBytes(path, filledExpected());
    expectReadersAccept(path);
}

// A write that fails part way (the file size limit stands in for a full disk) leaves the old
// profile in place and no temporary file behind.
TEST_F(SaveTest, FailedWriteKeepsTheOldFile) {
    const std::string path = colorPath("keep.icm");
    ProfilePtr small = newProfile();
    ASSERT_EQ(SpProfileSaveToDisk(small, path.c_str()), SP_OK);
    const auto old = readBytes(path);
    ASSERT_EQ(old.size(), 132u);

    ProfilePtr p = filledProfile();  // 132 + 36 + more bytes: more than the limit below
    struct sigaction ignore {}, previous{};
    ignore.sa_handler = SIG_IGN;
    ASSERT_EQ(sigaction(SIGXFSZ, &ignore, &previous), 0);
    rlimit saved{};
    ASSERT_EQ(getrlimit(RLIMIT_FSIZE, &saved), 0);
    rlimit limited = saved;
    limited.rlim_cur = 150;
    ASSERT_EQ(setrlimit(RLIMIT_FSIZE, &limited), 0);
    const int result = SpProfileSaveToDisk(p, path.c_str());
    setrlimit(RLIMIT_FSIZE, &saved);
    sigaction(SIGXFSZ, &previous, nullptr);

    EXPECT_EQ(result, SP_FAILED);
    EXPECT_EQ(readBytes(path), old);
    EXPECT_EQ(listDirectory(colorPath("")), std::vector<std::string>{"keep.icm"});
    expectReadersAccept(path);

    // With room again the same profile saves.
    ASSERT_EQ(SpProfileSaveToDisk(p, path.c_str()), SP_OK);
    expectFileBytes(path, filledExpected());
    expectReadersAccept(path);
}

// The file appears whole: a reader that opened the old file keeps reading the old bytes while
// the new file is put in its place.
TEST_F(SaveTest, OpenReaderKeepsTheOldFile) {
    const std::string path = colorPath("swap.icm");
    ProfilePtr small = newProfile();
    ASSERT_EQ(SpProfileSaveToDisk(small, path.c_str()), SP_OK);
    std::ifstream reader(path, std::ios::binary);
    ASSERT_TRUE(reader.good());

    ProfilePtr p = filledProfile();
    ASSERT_EQ(SpProfileSaveToDisk(p, path.c_str()), SP_OK);
    const std::string seen{std::istreambuf_iterator<char>(reader), {}};
    EXPECT_EQ(seen.size(), 132u) << "the old file was rewritten in place";
    expectFileBytes(path, filledExpected());
    expectReadersAccept(path);
}

}  // namespace
}  // namespace icctest
